#include "PaneMoveList.h"

#include "Tavo.h"
#include "TavoDoc.h"
#include "mfc/ListCtrl.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <sstream>

namespace {

// The columns: the first move's number, then black's move and its evaluation, then
// white's move and its evaluation.
enum Column { kNumber, kBlackMove, kBlackEval, kWhiteMove, kWhiteEval };
constexpr int kNumberWidth = 25;
constexpr int kMoveWidth = 35;
constexpr int kEvalWidth = 45;

QString MoveText(const COsMove& move)
{
    std::ostringstream text;
    text << move;
    return ToQ(text.str());
}

} // namespace

CPaneMoveList::CPaneMoveList(QWidget* owner, CPane* parent, int left, int top, int right, int bottom)
    : CPaneGame(owner, parent, left, top, right, bottom)
{
    m_pList.reset(new (std::nothrow) CListCtrl(owner));
    ASSERT(m_pList != nullptr);
    if (!m_pList)
        return;
    // Inside the outline that Draw paints, which is the list's only border.
    m_pList->setFrameShape(QFrame::NoFrame);
    CRect rect = GetWindowRect();
    rect.DeflateRect(1, 1);
    m_pList->setGeometry(ToQRect(rect));
    const auto [move, eval] = GetEvalColumnWidths();
    m_pList->InsertColumn(kNumber, QStringLiteral("#"), LVCFMT_RIGHT, kNumberWidth);
    m_pList->InsertColumn(kBlackMove, QStringLiteral("B"), LVCFMT_LEFT, move);
    m_pList->InsertColumn(kBlackEval, QStringLiteral(" "), LVCFMT_RIGHT, eval);
    m_pList->InsertColumn(kWhiteMove, QStringLiteral("W"), LVCFMT_LEFT, move);
    m_pList->InsertColumn(kWhiteEval, QStringLiteral(" "), LVCFMT_RIGHT, eval);
    // The list paints all of its area: a repaint of it leaves the view below alone.
    m_pList->setAutoFillBackground(true);
    m_pList->show();
    ApplyColours();
}

CPaneMoveList::~CPaneMoveList() = default;

std::pair<int, int> CPaneMoveList::GetEvalColumnWidths()
{
    return {kMoveWidth, TavoApp()->fShowEvals ? kEvalWidth : 0};
}

void CPaneMoveList::Draw(CDC* dc)
{
    CRect rect = DrawOutline(dc);
    // On paper the list is drawn as well, where it sits.
    if (dc->IsPrinting() && m_pList) {
        rect.DeflateRect(1, 1);
        dc->DrawWindow(m_pList.get(), rect);
    }
}

void CPaneMoveList::Update(LPARAM hint)
{
    if (!m_pList)
        return;
    switch (hint) {
    case CTavoDoc::kHintLoaded:
    case CTavoDoc::kHintJoined:
    case CTavoDoc::kHintStart:
    case CTavoDoc::kHintCurrent:
        Refill();
        break;
    case CTavoDoc::kHintMove:
        if (IsFollowing())
            AddMove();
        break;
    case CTavoDoc::kHintForward:
        AddMove();
        break;
    case CTavoDoc::kHintBack:
        RemoveNextMove();
        break;
    case CTavoDoc::kHintOptions:
        ApplyColumnWidths();
        break;
    case CTavoDoc::kHintStyle:
        ApplyColours();
        break;
    case CTavoDoc::kHintIdle:
    case CTavoDoc::kHintEcho:
    case CTavoDoc::kHintEnded:
    case CTavoDoc::kHintComments:
    case CTavoDoc::kHintDetached:
        break;
    default:
        ASSERT(false);
        break;
    }
}

void CPaneMoveList::SetMove(int n, const COsGame::Item& item, bool makeVisible)
{
    ASSERT(n >= 1);
    if (n < 1)
        return;
    const int row = (n - 1) >> 1;
    const int column = n % 2 ? kBlackMove : kWhiteMove;
    if (n % 2)
        m_pList->InsertItem(row, QString::number(n));
    m_pList->SetItemText(row, column, MoveText(item.move));
    if (item.eval != 0.0) {
        char eval[48];
        std::snprintf(eval, sizeof eval, "%+.2f", item.eval);
        m_pList->SetItemText(row, column + 1, QString::fromLatin1(eval));
    }
    if (makeVisible)
        m_pList->EnsureVisible(row, FALSE);
}

void CPaneMoveList::Refill()
{
    m_pList->DeleteAllItems();
    const CGameLive* game = GetGame();
    const int index = std::min(GetMoveIndex(), int(game->moves.size()));
    for (int k = 0; k < index; ++k)
        SetMove(k + 1, game->moves[size_t(k)], k == index - 1);
}

int CPaneMoveList::ListedMoves() const
{
    const int rows = m_pList->GetItemCount();
    if (rows == 0)
        return 0;
    return 2 * rows - (m_pList->GetItemText(rows - 1, kWhiteMove).isEmpty() ? 1 : 0);
}

void CPaneMoveList::AddMove()
{
    // One move as a rule; more where the view has taken several at once (a komi
    // game's first move comes with its bids).
    const CGameLive* game = GetGame();
    const int index = std::min(GetMoveIndex(), int(game->moves.size()));
    for (int n = ListedMoves() + 1; n <= index; ++n)
        SetMove(n, game->moves[size_t(n - 1)], n == index);
}

void CPaneMoveList::RemoveNextMove()
{
    RemoveMove(GetMoveIndex() + 1);
}

void CPaneMoveList::RemoveMove(int n)
{
    const int row = (n - 1) >> 1;
    if (n % 2) {
        m_pList->DeleteItem(row);
    } else {
        m_pList->SetItemText(row, kWhiteMove, QString());
        m_pList->SetItemText(row, kWhiteEval, QString());
    }
}

void CPaneMoveList::ApplyColumnWidths()
{
    const auto [move, eval] = GetEvalColumnWidths();
    m_pList->SetColumnWidth(kBlackMove, move);
    m_pList->SetColumnWidth(kBlackEval, eval);
    m_pList->SetColumnWidth(kWhiteMove, move);
    m_pList->SetColumnWidth(kWhiteEval, eval);
}

void CPaneMoveList::ApplyColours()
{
    const CBoardStyle* style = TavoApp()->GetBoardStyle();
    m_pList->SetBkColor(style->crBackground);
    m_pList->SetTextColor(style->crText);
    m_pList->SetTextBkColor(style->crBackground);
    QPalette palette = m_pList->palette();
    palette.setColor(QPalette::Window, ToQColor(style->crBackground));
    m_pList->setPalette(palette);
}
