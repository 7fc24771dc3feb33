// Where the client's modeless windows (text windows, the who window, the list windows) go
// when they first show: beside the main window where the screen has room, else over a
// part of the main window that no game board uses, so that a window that opens while a
// game is played never hides the board or takes the clicks meant for it.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

// What a new window's place depends on, all in screen coordinates.
struct CWindowPlaceInput {
    QSize size;                // the window with its frame
    QRect main;                // the main window with its frame
    QRect client;              // the main window's client area, where the game windows are
    QRect screen;              // the part of the main window's screen that windows may use
    std::vector<QRect> boards; // the game boards, which the window leaves uncovered
    std::vector<QRect> taken;  // the client's other windows that are shown
    QRect active;              // where the user is: one of those, or the control of the
                               // main window that has the keyboard; null for none
};

// The top left corner of the window's frame. The first that lies within the screen,
// covers no board, none of the other windows and not where the user is, of:
//   1. a place right of the main window, the windows filling a column from its top, then
//      the next column; then the same left of it; then below it, the windows filling a
//      row from its left, then the next row; then the same above it;
//   2. a place over the main window's client area, right of a board or below it, the
//      highest and then the leftmost.
// When every such place is taken: the first place that either way leaves the boards
// uncovered, moved by the next of six steps of 30 pixels down and right (`cascade`
// counts the steps taken, and is counted on) that leaves them uncovered on the screen
// and whose corner no other window has; else that first place itself. Where the user
// is stays uncovered that way too while the screen has room for it. A window too large
// for any of this goes to the screen's bottom right corner, away from the boards at the
// client area's top left.
QPoint ChooseWindowPlace(const CWindowPlaceInput& input, int& cascade);

// The input for a window of the client, from the main window, its game windows and the
// other windows shown. The board of every game window shown is kept uncovered, and so is
// the top left of the client area, where a maximised game window shows its board, as the
// first one does when it opens.
CWindowPlaceInput WindowPlaceInput(const QWidget* window);
