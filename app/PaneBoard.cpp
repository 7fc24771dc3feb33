#include "PaneBoard.h"

#include "DialogGetKomi.h"
#include "PaneFrameAndBoard.h"
#include "Tavo.h"
#include "TavoDoc.h"
#include "TavoView.h"

namespace {

constexpr COLORREF kLastMoveMark = 0x00FF0000;
constexpr COLORREF kNextMoveMark = 0x0000FF00;
constexpr COLORREF kLegalMovePen = 0x008080FF;
// What a disc leaves of its square on each side.
constexpr int kDiscMargin = 4;
// The side of the dots on the grid.
constexpr int kDot = 5;

} // namespace

COsMove CPaneBoard::SquareAt(int x, int y, int n)
{
    return COsMove(y * n / CPaneFrameAndBoard::kBoardSide, x * n / CPaneFrameAndBoard::kBoardSide);
}

CPoint CPaneBoard::GetSquareEdge(int row, int col, int n) const
{
    return CPoint(MulDiv(col, Width(), n), MulDiv(row, Height(), n));
}

CRect CPaneBoard::GetSquareRect(int row, int col, int n) const
{
    const CPoint topLeft = GetSquareEdge(row, col, n);
    const CPoint bottomRight = GetSquareEdge(row + 1, col + 1, n);
    return CRect(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
}

void CPaneBoard::Update(LPARAM hint)
{
    switch (hint) {
    case CTavoDoc::kHintLoaded:
    case CTavoDoc::kHintJoined:
    case CTavoDoc::kHintMove:
    case CTavoDoc::kHintOptions:
    case CTavoDoc::kHintStyle:
    case CTavoDoc::kHintStart:
    case CTavoDoc::kHintBack:
    case CTavoDoc::kHintForward:
    case CTavoDoc::kHintCurrent:
    // Detached, the game is no longer the user's to play: the crosses become rings.
    case CTavoDoc::kHintDetached:
        Invalidate(FALSE, FALSE);
        break;
    case CTavoDoc::kHintIdle:
    case CTavoDoc::kHintEcho:
    case CTavoDoc::kHintEnded:
    case CTavoDoc::kHintComments:
        break;
    default:
        ASSERT(false);
        break;
    }
}

void CPaneBoard::Draw(CDC* dc)
{
    if (!IsGameUpdated())
        return;
    CBoardStyle* style = TavoApp()->GetBoardStyle();
    const COsBoard& board = GetPosition().board;
    const int n = board.bt.size;
    if (n <= 0)
        return; // a record without a board
    if (board.bt.fOctagon)
        DrawGridOctagon(dc, style);
    else
        DrawGridSquare(dc, style);

    for (int r = 0; r < n; ++r)
        for (int c = 0; c < n; ++c) {
            CRect rect = GetSquareRect(r, c, n);
            rect.DeflateRect(kDiscMargin, kDiscMargin);
            const char square = board.GetSquare(r, c);
            if (square == COsBoard::kDead) {
                ASSERT(board.bt.fOctagon);
                continue;
            }
            ASSERT(square == COsBoard::kBlack || square == COsBoard::kWhite || square == COsBoard::kEmpty);
            DrawDisc(dc, square, rect);
        }

    const CTavoApp* app = TavoApp();
    const CGameLive* game = GetGame();
    const int index = GetMoveIndex();
    const int moves = int(game->moves.size());
    if (app->fShowLastMove && index != 0 && index <= moves) {
        const COsMove& last = game->moves[size_t(index - 1)].move;
        if (!last.fPass)
            DrawMark(dc, last.row, last.col, n, kLastMoveMark);
    }
    if (app->fShowNextMove && index < moves) {
        const COsMove& next = game->moves[size_t(index)].move;
        if (!next.fPass)
            DrawMark(dc, next.row, next.col, n, kNextMoveMark);
    }
    if (app->fShowValidMoves)
        DrawLegalMoves(dc);
    dc->SetBkColor(style->crBackground);
}

void CPaneBoard::DrawGridSquare(CDC* dc, CBoardStyle* style)
{
    const int n = GetPosition().board.bt.size;
    FillRect(dc, kTexture, style->crBoard);
    dc->SetViewportOrg(GetOrigin());
    const int w = Width();
    const int h = Height();
    for (int k = 0; k <= n; ++k) {
        const int y = MulDiv(k, h, n);
        const int x = MulDiv(k, w, n);
        dc->MoveTo(0, y);
        dc->LineTo(w, y);
        dc->MoveTo(x, 0);
        dc->LineTo(x, h);
    }
    for (const int a : {2, n - 2})
        for (const int b : {2, n - 2}) {
            const CPoint at = GetSquareEdge(b, a, n);
            dc->FillSolidRect(at.x - 2, at.y - 2, kDot, kDot, style->crFrame);
        }
}

void CPaneBoard::DrawGridOctagon(CDC* dc, CBoardStyle* style)
{
    const int n = GetPosition().board.bt.size;
    const int w = Width();
    const int h = Height();
    const CPoint origin = GetOrigin();
    // The full-width band, the middle square and the full-height band: together the
    // squares that are on the board.
    CRect areas[] = {
        CRect(0, MulDiv(2, h, n), w, MulDiv(n - 2, h, n)),
        CRect(MulDiv(1, w, n), MulDiv(1, h, n), MulDiv(n - 1, w, n), MulDiv(n - 1, h, n)),
        CRect(MulDiv(2, w, n), 0, MulDiv(n - 2, w, n), h),
    };
    for (CRect& area : areas) {
        area.OffsetRect(origin);
        DrawRect(dc, kTexture, style->crBoard, area);
    }
    dc->SetViewportOrg(origin);
    for (int k = 0; k <= n; ++k) {
        const int j = (k == 0 || k == n) ? 2 : (k == 1 || k == n - 1) ? 1 : 0;
        dc->MoveTo(MulDiv(j, w, n), MulDiv(k, h, n));
        dc->LineTo(MulDiv(n - j, w, n), MulDiv(k, h, n));
        dc->MoveTo(MulDiv(k, w, n), MulDiv(j, h, n));
        dc->LineTo(MulDiv(k, w, n), MulDiv(n - j, h, n));
    }
    for (const int a : {3, n - 3})
        for (const int b : {3, n - 3}) {
            const CPoint at = GetSquareEdge(b, a, n);
            dc->FillSolidRect(at.x - 2, at.y - 2, kDot, kDot, style->crFrame);
        }
}

void CPaneBoard::DrawMark(CDC* dc, int row, int col, int n, COLORREF colour)
{
    CRect rect = GetSquareRect(row, col, n);
    const int d = rect.Width() >> 3;
    const int e = rect.Height() >> 3;
    rect.left += d;
    rect.top += e;
    rect.right -= 6 * d;
    rect.bottom -= 6 * e;
    dc->FillSolidRect(rect, colour);
}

void CPaneBoard::DrawLegalMoves(CDC* dc)
{
    const COsBoard& board = GetPosition().board;
    const int n = board.bt.size;
    const std::vector<COsMove> moves = board.LegalMoves();
    CPen pen(PS_SOLID, 1, kLegalMovePen);
    CPen* oldPen = dc->SelectObject(&pen);
    CGdiObject* oldBrush = dc->SelectStockObject(NULL_BRUSH);
    ASSERT(oldPen != nullptr && oldBrush != nullptr);

    // A cross where the user is to move, a box in the user's game on the opponent's
    // turn, a ring in a game the user only watches (or one from a file).
    enum { kCross, kBox, kRing } mark = kRing;
    const CGameLive* game = GetGame();
    if (game->IsMe(board.fBlackMove ? 1 : 0))
        mark = kCross;
    else if (game->IsPlaying())
        mark = kBox;

    for (const COsMove& move : moves) {
        if (move.fPass)
            continue;
        CRect box = GetSquareRect(move.row, move.col, n);
        const int dx = box.Width() * 3 / 8;
        const int dy = box.Height() * 3 / 8;
        box.DeflateRect(dx, dy);
        switch (mark) {
        case kCross:
            dc->MoveTo(box.left + 1, box.top + 1);
            dc->LineTo(box.right, box.bottom);
            dc->MoveTo(box.left + 1, box.bottom - 1);
            dc->LineTo(box.right, box.top);
            break;
        case kBox:
            dc->Rectangle(box);
            break;
        case kRing:
            dc->Ellipse(box);
            break;
        }
    }
    if (oldBrush)
        dc->SelectObject(oldBrush);
    if (oldPen)
        dc->SelectObject(oldPen);
}

void CPaneBoard::OnClickHere(UINT flags, int x, int y)
{
    (void)flags;
    CTavoView* view = GetView();
    if (!IsFollowing()) {
        view->UpdatePanes(CTavoDoc::kHintForward);
        return;
    }
    CTavoDoc* doc = GetDocument();
    if (!doc || !doc->IsMyTurn())
        return;
    const COsBoard& board = GetPosition().board;
    const int n = board.bt.size;
    if (n <= 0)
        return;
    COsMove move; // a pass, when the side to move has no move
    if (board.MoverHasLegalMove()) {
        move = SquareAt(x, y, n);
        if (!board.IsLegal(move))
            return;
    }
    if (doc->result.kind != CGGResult::kUnknown || !doc->CanSendMove())
        return;
    if (doc->NeedsKomi()) {
        CDialogGetKomi dialog;
        if (dialog.DoModal() != IDOK)
            return;
        doc->SendMove(move, dialog.m_dKomi);
    } else {
        doc->SendMove(move, 0.0);
    }
}
