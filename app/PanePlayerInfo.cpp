#include "PanePlayerInfo.h"

#include "PaneInfoRow.h"
#include "Tavo.h"
#include "TavoDoc.h"

#include <climits>
#include <cmath>
#include <cstdio>

std::string CPanePlayerInfo::FormatClock(double seconds)
{
    // Whole seconds, truncated toward zero; a time beyond an int is held at its limit.
    int t = 0;
    if (std::isnan(seconds))
        t = 0;
    else if (seconds >= double(INT_MAX))
        t = INT_MAX;
    else if (seconds <= double(INT_MIN))
        t = INT_MIN;
    else
        t = int(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", t / 60, t % 60);
    return text;
}

void CPanePlayerInfo::Update(LPARAM hint)
{
    switch (hint) {
    case CTavoDoc::kHintIdle:
        RefreshClocks();
        break;
    case CTavoDoc::kHintLoaded:
    case CTavoDoc::kHintJoined:
    case CTavoDoc::kHintMove:
    case CTavoDoc::kHintEcho:
    case CTavoDoc::kHintEnded:
    case CTavoDoc::kHintOptions:
    case CTavoDoc::kHintStyle:
    case CTavoDoc::kHintStart:
    case CTavoDoc::kHintBack:
    case CTavoDoc::kHintForward:
    case CTavoDoc::kHintCurrent:
        Invalidate(FALSE, FALSE);
        break;
    case CTavoDoc::kHintComments:
    case CTavoDoc::kHintDetached:
        break;
    default:
        ASSERT(false);
        break;
    }
}

void CPanePlayerInfo::GetClocks(CGGClock clocks[2]) const
{
    const CGameLive* game = GetGame();
    if (game && IsFollowing() && game->GetServer()) {
        game->GetClocks(clocks);
        return;
    }
    clocks[0] = GetPosition().clocks[0];
    clocks[1] = GetPosition().clocks[1];
}

void CPanePlayerInfo::RefreshClocks()
{
    CGGClock clocks[2];
    GetClocks(clocks);
    bool changed = false;
    for (int side = 0; side < 2; ++side)
        if (!m_fNoted || !clocks[side].EqualSeconds(m_clocks[side])) {
            m_clocks[side] = clocks[side];
            changed = true;
        }
    m_fNoted = true;
    if (changed)
        Invalidate(FALSE, TRUE);
}

void CPanePlayerInfo::Draw(CDC* dc)
{
    if (!IsGameUpdated())
        return;
    CBoardStyle* style = TavoApp()->GetBoardStyle();
    if (style->UsesColours())
        FillBackground(dc, kDeflate);
    dc->SetViewportOrg(GetOrigin());
    CInfoRow row(dc);
    if (row.Measure(Height())) {
        CGGClock clocks[2];
        GetClocks(clocks);
        const CGameLive* game = GetGame();
        // A komi game's colours are not decided before its first move.
        const bool undecided = GetMoveIndex() == 0 && game->matchType.kind == 'k';
        const COLORREF oldText = dc->GetTextColor();
        for (int side = 0; side < 2; ++side) {
            const int x = side == 0 ? Width() / 2 : 5;
            const char disc = undecided ? '?' : side == 0 ? char(COsBoard::kWhite) : char(COsBoard::kBlack);
            DrawDisc(dc, disc, row.DiscAt(x));
            dc->SetTextColor(clocks[side].state == CGGClock::kRunning ? style->crText : kFlaggedText);
            // A long login ends at its own half of the pane (white's at the outline).
            const CRect half = side == 0 ? CRect(Width() / 2, 0, Width() - 1, Height())
                                         : CRect(0, 0, Width() / 2, Height());
            dc->ExtTextOut(row.TextX(x), row.textTop, ETO_CLIPPED, &half,
                           ToQ(FormatClock(clocks[side].timeLeft) + " " + game->players[side].login));
        }
        dc->SetTextColor(oldText);
    }
    CGdiObject* oldBrush = dc->SelectStockObject(HOLLOW_BRUSH);
    ASSERT(oldBrush != nullptr);
    dc->Rectangle(0, 0, Width(), Height());
    if (oldBrush)
        dc->SelectObject(oldBrush);
}
