// Support for the tests of the game window's panes: a started application with a
// connection that records what is sent, game windows opened as the service opens them,
// and the pixels of a grabbed window.
#pragma once

#include "GameTestSupport.h"

#include <QImage>
#include <QObject>
#include <QRegion>
#include <QRect>
#include <ostream>
#include <string>

// A started application in the "standard" style (plain colours: no picture lies beside
// the tests), nothing played by itself, and a connection logged in as alice.
struct PaneWindow : ServiceSession<> {
    PaneWindow();
    void SetStyle(CBoardStyle* style);
};

// The game window's view as it paints now.
QImage Grab(CTavoDoc* doc);
// The game window's view, or an area of it, as the screen shows it: what was last
// painted, not painted anew.
QImage OnScreen(CTavoDoc* doc, QRect area = QRect());
QRgb At(const QImage& image, int x, int y);
void PrintTo(const QRect& rect, std::ostream* os);
// Whether any pixel of the area has the colour; whether all of them have it.
bool AnyIn(const QImage& image, const QRect& area, QRgb colour);
bool AllIn(const QImage& image, const QRect& area, QRgb colour);
// How many pixels of the area have the colour.
int CountIn(const QImage& image, const QRect& area, QRgb colour);
// Gives a control of a game window the keyboard focus, its window active; false when it
// did not get it.
bool GiveFocus(QWidget* control);

// A text as the window's drawing layer draws it in an Arial point font (in tenths of a
// point), black on white, aligned by `align` (TA_ flags) at `anchor`: the part in `area`.
QImage TextAt(const QRect& area, int tenths, UINT align, QPoint anchor, const QString& text);
// Which of the texts, each drawn as TextAt, the shot shows in its area, and how many
// pixels differ from that one: a wrong character or a misplaced one both show.
struct ShownText {
    QString text;
    int differences = 0;
};
ShownText ReadText(const QImage& shot, const QRect& area, int tenths, UINT align, QPoint anchor,
                   const QStringList& candidates);

// Notes the areas of a widget that are painted.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget* widget);
    ~PaintRecorder() override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    // Lets pending paints happen; what they covered since the last call.
    QRegion Take();
    // Whether what was painted since the last call covers the whole rectangle.
    bool Covers(const QRect& rect) const { return QRegion(rect).subtracted(painted).isEmpty(); }

    QRegion painted;

private:
    QWidget* m_widget;
};
