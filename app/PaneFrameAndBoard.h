// The board with its frame: a 380 x 380 square at the top left of the game window that
// paints the column letters and row numbers around the board, which is its one child.
#pragma once

#include "PaneGame.h"

class CPaneFrameAndBoard : public CPaneGame {
public:
    CPaneFrameAndBoard(QWidget* owner, CPane* parent, int left, int top, int right, int bottom);
    void Draw(CDC* dc) override;

    static constexpr int kFrameWidth = 30;
    static constexpr int kBoardSide = 320;
};
