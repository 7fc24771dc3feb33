// Window placement, the minimum tracking size and the show and size codes of windows
// that are not frames: modeless dialogs and the controls inside them.
#pragma once

#include "Afx.h"

#include <QPoint>
#include <QRect>

class QWidget;

// Show commands beyond those of the application layer (SW_HIDE, SW_RESTORE).
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;

// The kinds of size event.
constexpr UINT SIZE_RESTORED = 0;
constexpr UINT SIZE_MINIMIZED = 1;
constexpr UINT SIZE_MAXIMIZED = 2;

// Where a window sits when it is neither minimised nor maximised: for a top-level
// window in screen coordinates, for a control in its dialog's client coordinates.
struct WINDOWPLACEMENT {
    QRect rcNormalPosition;
};

BOOL GetWindowPlacement(const QWidget* window, WINDOWPLACEMENT* placement);
BOOL SetWindowPlacement(QWidget* window, const WINDOWPLACEMENT* placement);
// Moves the edges of a control's normal position by the amounts given, as a control
// that follows its dialog's size does; a failed placement call is an assertion. A null
// control is left alone.
void MoveWindowEdges(QWidget* window, int dLeft, int dTop, int dRight, int dBottom);

// Moves a modeless window to its place before it first shows; shown again, a window
// stays where it was, or where the user put it. The program supplies the rule, since it
// knows which parts of its main window must stay in view.
void PlaceNewWindow(QWidget* window);

// What a window may be resized to; only the minimum is used here.
struct MINMAXINFO {
    QPoint ptMinTrackSize;
};
