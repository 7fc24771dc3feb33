#include "PaneTestSupport.h"

#include <QPaintEvent>
#include <gtest/gtest.h>
#include <utility>

PaneWindow::PaneWindow()
{
    app.pBoardStyle = &CBoardStyle::standard;
    app.nAutopass = app.nAutoforce = 0;
}

void PaneWindow::SetStyle(CBoardStyle* style)
{
    app.pBoardStyle = style;
    app.UpdateAllDocuments(CTavoDoc::kHintStyle);
}

QImage Grab(CTavoDoc* doc)
{
    return ViewOf(doc)->grab().toImage();
}

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000;
}

int CountIn(const QImage& image, const QRect& area, QRgb colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += At(image, x, y) == colour;
    return count;
}

bool AnyIn(const QImage& image, const QRect& area, QRgb colour)
{
    return CountIn(image, area, colour) > 0;
}

bool AllIn(const QImage& image, const QRect& area, QRgb colour)
{
    return CountIn(image, area, colour) == area.width() * area.height();
}

bool GiveFocus(QWidget* control)
{
    control->window()->activateWindow();
    control->setFocus();
    return ProcessEventsUntil([&] { return control->hasFocus(); });
}

PaintRecorder::PaintRecorder(QWidget* widget) : m_widget(widget)
{
    widget->installEventFilter(this);
}

PaintRecorder::~PaintRecorder()
{
    m_widget->removeEventFilter(this);
}

bool PaintRecorder::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_widget && e->type() == QEvent::Paint)
        painted += static_cast<QPaintEvent*>(e)->region();
    return false;
}

QRegion PaintRecorder::Take()
{
    ProcessEventsUntil([] { return false; }, std::chrono::milliseconds(30));
    return std::exchange(painted, QRegion());
}
