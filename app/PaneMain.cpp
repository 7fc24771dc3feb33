#include "PaneMain.h"

#include "PaneComments.h"
#include "PaneFrameAndBoard.h"
#include "PaneMoveList.h"
#include "PanePlayerInfo.h"
#include "PanePositionInfo.h"

namespace {

// The frame's side: the frame, the board and the frame again.
constexpr int kSide = 2 * CPaneFrameAndBoard::kFrameWidth + CPaneFrameAndBoard::kBoardSide;

} // namespace

// The layout, in the window's coordinates. Below the frame: the position (30, 380, 350,
// 400) and the players with their clocks (30, 405, 350, 430). Right of it: the move list
// (390, 30, 595, 180), the comments (390, 190, 595, 380) and the comment input (390, 410,
// 595, 430), its bottom level with the players'.
CPaneMain::CPaneMain(QWidget* owner, CPane* parent, int left, int top, int right, int bottom)
    : CPaneGame(owner, parent, left, top, right, bottom)
{
    AddChild(std::make_unique<CPaneFrameAndBoard>(owner, this, 0, 0, kSide, kSide));
    AddChild(std::make_unique<CPanePositionInfo>(owner, this, 30, kSide, kSide - 30, kSide + 20));
    AddChild(std::make_unique<CPanePlayerInfo>(owner, this, 30, kSide + 25, kSide - 30, kSide + 50));
    AddChild(std::make_unique<CPaneMoveList>(owner, this, kSide + 10, 30, kSide + 215, 180));
    m_pCommentsOut = static_cast<CPaneCommentsOut*>(
        AddChild(std::make_unique<CPaneCommentsOut>(owner, this, kSide + 10, 190, kSide + 215, kSide)));
    m_pCommentsIn = static_cast<CPaneCommentsIn*>(
        AddChild(std::make_unique<CPaneCommentsIn>(owner, this, kSide + 10, kSide + 30, kSide + 215, kSide + 50)));
}

CPaneMain::~CPaneMain() = default;
