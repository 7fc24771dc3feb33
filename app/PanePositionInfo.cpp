#include "PanePositionInfo.h"

#include "PaneInfoRow.h"
#include "Tavo.h"
#include "TavoDoc.h"
#include "TavoView.h"
#include "res/Resource.h"

#include <climits>
#include <cmath>
#include <string>

namespace {

// The whole discs of a score's size, truncated; a score beyond an int is held at its limit.
int WholeDiscs(double score)
{
    const double size = std::fabs(score);
    if (!(size < double(INT_MAX)))
        return std::isnan(size) ? 0 : INT_MAX;
    return int(size);
}

// "wins by %1!d!" with the number in place of its insert.
std::string WinsBy(int discs)
{
    std::string text = LoadStdString(IDS_STATUS_WINS_BY);
    const std::string insert = "%1!d!";
    const size_t at = text.find(insert);
    if (at != std::string::npos)
        text.replace(at, insert.size(), std::to_string(discs));
    return text;
}

} // namespace

void CPanePositionInfo::Update(LPARAM hint)
{
    switch (hint) {
    case CTavoDoc::kHintLoaded:
    case CTavoDoc::kHintJoined:
    case CTavoDoc::kHintMove:
    case CTavoDoc::kHintEnded:
    case CTavoDoc::kHintStyle:
    case CTavoDoc::kHintDetached:
    case CTavoDoc::kHintStart:
    case CTavoDoc::kHintBack:
    case CTavoDoc::kHintForward:
    case CTavoDoc::kHintCurrent:
        Invalidate(FALSE, FALSE);
        break;
    case CTavoDoc::kHintIdle:
    case CTavoDoc::kHintEcho:
    case CTavoDoc::kHintComments:
    case CTavoDoc::kHintOptions:
        break;
    default:
        ASSERT(false);
        break;
    }
}

void CPanePositionInfo::GetStatus(char& disc, std::string& text) const
{
    const CGameLive* game = GetGame();
    const COsBoard& board = GetPosition().board;
    if (!GetView()->IsAtEnd() || game->result.kind == CGGResult::kUnknown) {
        disc = board.SideChar();
        switch (board.GameState()) {
        case COsBoard::kMove:
            text = LoadStdString(IDS_STATUS_TO_MOVE);
            break;
        case COsBoard::kMustPass:
            text = LoadStdString(IDS_STATUS_MUST_PASS);
            break;
        default:
            text.clear();
            break;
        }
        return;
    }

    disc = '?';
    const CGGResult& result = game->result;
    if (result.kind == CGGResult::kAdjourned) {
        text = LoadStdString(IDS_STATUS_ADJOURNED);
        return;
    }
    if (result.kind == CGGResult::kAborted) {
        text = LoadStdString(IDS_STATUS_ABORTED);
        return;
    }
    if (result.score == 0.0) {
        text = LoadStdString(IDS_STATUS_DRAW);
    } else {
        disc = result.score > 0 ? COsBoard::kBlack : COsBoard::kWhite;
        text = WinsBy(WholeDiscs(result.score));
    }
    UINT reason = 0;
    switch (result.kind) {
    case CGGResult::kOverOnBoard:
    case CGGResult::kScore:
        break;
    case CGGResult::kTimeout:
        reason = IDS_STATUS_TIME;
        break;
    case CGGResult::kResigned:
        reason = IDS_STATUS_RESIGN;
        break;
    case CGGResult::kAgreed:
        reason = IDS_STATUS_AGREED;
        break;
    default:
        ASSERT(false);
        break;
    }
    if (reason)
        text += " (" + LoadStdString(reason) + ")";
}

void CPanePositionInfo::Draw(CDC* dc)
{
    if (!IsGameUpdated())
        return;
    CBoardStyle* style = TavoApp()->GetBoardStyle();
    if (style->UsesColours())
        FillBackground(dc, 0);
    dc->SetViewportOrg(GetOrigin());
    CInfoRow row(dc);
    int black = 0;
    int white = 0;
    int empty = 0;
    GetPosition().board.CountDiscs(black, white, empty);
    if (!row.Measure(Height()))
        return;

    char disc = '?';
    std::string status;
    GetStatus(disc, status);
    DrawDisc(dc, disc, row.DiscAt(0));
    dc->TextOut(row.TextX(0), row.textTop, status);

    DrawDisc(dc, COsBoard::kBlack, row.DiscAt(kBlackX));
    dc->TextOut(row.TextX(kBlackX), row.textTop, std::to_string(black));
    DrawDisc(dc, COsBoard::kWhite, row.DiscAt(kWhiteX));
    dc->TextOut(row.TextX(kWhiteX), row.textTop, std::to_string(white));

    // The empty squares: a box in the board's colour, outlined where the style says so.
    CBrush brush(style->crBoard);
    CPen pen(style->fOutline ? PS_SOLID : PS_NULL, 1, style->crFrame);
    CBrush* oldBrush = dc->SelectObject(&brush);
    CPen* oldPen = dc->SelectObject(&pen);
    ASSERT(oldBrush != nullptr && oldPen != nullptr);
    dc->Rectangle(row.DiscAt(kEmptyX));
    if (oldPen)
        dc->SelectObject(oldPen);
    if (oldBrush)
        dc->SelectObject(oldBrush);
    dc->SetBkColor(style->crBackground);
    dc->TextOut(row.TextX(kEmptyX), row.textTop, std::to_string(empty));
}
