// The root of a game window's pane tree: it covers the whole window and lays out the
// other panes at their fixed places.
#pragma once

#include "PaneGame.h"

class CPaneMain : public CPaneGame {
public:
    CPaneMain(QWidget* owner, CPane* parent, int left, int top, int right, int bottom);
};
