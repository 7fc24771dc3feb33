#include "PaneFrameAndBoard.h"

#include "PaneBoard.h"

#include <cstdio>

CPaneFrameAndBoard::CPaneFrameAndBoard(QWidget* owner, CPane* parent, int left, int top, int right, int bottom)
    : CPaneGame(owner, parent, left, top, right, bottom)
{
    AddChild(std::make_unique<CPaneBoard>(owner, this, kFrameWidth, kFrameWidth, kFrameWidth + kBoardSide,
                                          kFrameWidth + kBoardSide));
}

void CPaneFrameAndBoard::Draw(CDC* dc)
{
    if (!IsGameUpdated())
        return;
    const int n = GetPosition().board.bt.size;
    if (n <= 0)
        return;
    CFont font;
    font.CreatePointFont(160, "Arial", dc);
    FillBackground(dc, kTexture);
    dc->SetViewportOrg(GetOrigin() + CPoint(kFrameWidth, kFrameWidth));
    CFont* oldFont = dc->SelectObject(&font);
    ASSERT(oldFont != nullptr);

    for (int c = 0; c < n; ++c) {
        const char letter[2] = {char('A' + c), '\0'};
        const int x = ((2 * c + 1) * kBoardSide) / (2 * n);
        dc->SetTextAlign(TA_CENTER | TA_BOTTOM);
        dc->TextOut(x, -1, letter);
        dc->SetTextAlign(TA_CENTER | TA_TOP);
        dc->TextOut(x, kBoardSide + 3, letter);
    }
    for (int r = 0; r < n; ++r) {
        char number[12];
        std::snprintf(number, sizeof number, "%d", r + 1);
        const CSize extent = dc->GetTextExtent(number);
        const int y = (((2 * r + 1) * kBoardSide) / n - extent.cy) / 2;
        dc->SetTextAlign(TA_RIGHT | TA_TOP);
        dc->TextOut(-3, y, number);
        dc->SetTextAlign(TA_LEFT | TA_TOP);
        dc->TextOut(kBoardSide + 3, y, number);
    }
    if (oldFont)
        dc->SelectObject(oldFont);
}
