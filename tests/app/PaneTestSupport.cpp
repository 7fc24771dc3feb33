#include "PaneTestSupport.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
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

QImage OnScreen(CTavoDoc* doc, QRect area)
{
    CTavoView* view = ViewOf(doc);
    if (area.isNull())
        area = view->rect();
    QWidget* window = view->window();
    const QPoint origin = view->mapTo(window, area.topLeft());
    return window->screen()->grabWindow(window->winId(), origin.x(), origin.y(), area.width(), area.height())
        .toImage();
}

QImage TextAt(const QRect& area, int tenths, UINT align, QPoint anchor, const QString& text)
{
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    CDC dc(&painter);
    CFont font;
    font.CreatePointFont(tenths, "Arial", &dc);
    dc.SelectObject(&font);
    dc.SetViewportOrg(-area.left(), -area.top());
    dc.SetTextAlign(align);
    dc.TextOut(anchor.x(), anchor.y(), text);
    return image;
}

ShownText ReadText(const QImage& shot, const QRect& area, int tenths, UINT align, QPoint anchor,
                   const QStringList& candidates)
{
    const QImage shown = shot.copy(area).convertToFormat(QImage::Format_RGB32);
    ShownText best{QString(), area.width() * area.height() + 1};
    for (const QString& text : candidates) {
        const QImage drawn = TextAt(area, tenths, align, anchor, text);
        int differences = 0;
        for (int y = 0; y < area.height(); ++y)
            for (int x = 0; x < area.width(); ++x)
                differences += drawn.pixel(x, y) != shown.pixel(x, y);
        if (differences < best.differences)
            best = {text, differences};
    }
    return best;
}

QRgb At(const QImage& image, int x, int y)
{
    return image.pixel(x, y) | 0xFF000000;
}

void PrintTo(const QRect& rect, std::ostream* os)
{
    *os << "(" << rect.x() << ", " << rect.y() << ", " << rect.width() << " x " << rect.height() << ")";
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
    ProcessPendingEvents();
    return std::exchange(painted, QRegion());
}
