#include "PaneMain.h"

#include "PaneFrameAndBoard.h"

namespace {

// The frame's side: the frame, the board and the frame again.
constexpr int kSide = 2 * CPaneFrameAndBoard::kFrameWidth + CPaneFrameAndBoard::kBoardSide;

} // namespace

// The layout, in the window's coordinates. Below the frame: the position (30, 380, 350,
// 400) and the players with their clocks (30, 405, 350, 430). Right of it: the move list
// (390, 30, 595, 180), the comments (390, 190, 595, 380) and the comment input (390, 410,
// 595, 430). Only the board with its frame is there so far; the others keep their
// places free.
CPaneMain::CPaneMain(QWidget* owner, CPane* parent, int left, int top, int right, int bottom)
    : CPaneGame(owner, parent, left, top, right, bottom)
{
    AddChild(std::make_unique<CPaneFrameAndBoard>(owner, this, 0, 0, kSide, kSide));
}
