#include "PaneGame.h"

#include "Tavo.h"
#include "TavoDoc.h"
#include "TavoView.h"

CPane::CPane(QWidget* owner, CPane* parent, int left, int top, int right, int bottom)
    : m_rect(left, top, right, bottom), m_pParent(parent), m_pOwner(owner)
{
}

CPane::~CPane()
{
    while (!m_children.empty())
        m_children.pop_back();
}

bool CPane::Contains(int x, int y) const
{
    return m_rect.PtInRect(CPoint(x, y));
}

void CPane::OnClick(UINT flags, int x, int y)
{
    const CPoint local = ToLocal(x, y);
    DispatchClick(flags, local.x, local.y);
}

void CPane::DrawAll(CDC* dc)
{
    Draw(dc);
    for (const auto& child : m_children)
        child->DrawAll(dc);
}

void CPane::Draw(CDC* dc)
{
    (void)dc;
}

void CPane::UpdateAll(LPARAM hint)
{
    Update(hint);
    for (const auto& child : m_children)
        child->UpdateAll(hint);
}

void CPane::Update(LPARAM hint)
{
    (void)hint;
}

CRect CPane::GetWindowRect() const
{
    CRect rect = m_rect;
    if (m_pParent)
        rect.OffsetRect(m_pParent->GetOrigin());
    return rect;
}

CPoint CPane::GetOrigin() const
{
    const CPoint own(m_rect.left, m_rect.top);
    return m_pParent ? own + m_pParent->GetOrigin() : own;
}

void CPane::OnClickHere(UINT flags, int x, int y)
{
    (void)flags;
    (void)x;
    (void)y;
}

void CPane::DispatchClick(UINT flags, int x, int y)
{
    for (auto child = m_children.rbegin(); child != m_children.rend(); ++child)
        if ((*child)->Contains(x, y)) {
            (*child)->OnClick(flags, x, y);
            return;
        }
    OnClickHere(flags, x, y);
}

void CPane::Invalidate(BOOL erase, BOOL deflate)
{
    CRect rect = GetWindowRect();
    if (deflate)
        rect.DeflateRect(1, 1);
    InvalidateRect(m_pOwner, &rect, erase);
}

CPane* CPane::AddChild(std::unique_ptr<CPane> child)
{
    ASSERT(child != nullptr);
    if (!child)
        return nullptr;
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

// ---------------------------------------------------------------------------------

CTavoView* CPaneGame::GetView() const
{
    return static_cast<CTavoView*>(m_pOwner);
}

const CPaneGame::Position& CPaneGame::GetPosition() const
{
    return GetView()->GetPosition();
}

CTavoDoc* CPaneGame::GetDocument() const
{
    return GetView()->GetDocument();
}

CGameLive* CPaneGame::GetGame() const
{
    return GetDocument();
}

void CPaneGame::FillBackground(CDC* dc, int flags)
{
    FillRect(dc, flags, TavoApp()->GetBoardStyle()->crBackground);
}

void CPaneGame::FillRect(CDC* dc, int flags, COLORREF colour)
{
    CRect rect = GetWindowRect();
    DrawRect(dc, flags, colour, rect);
}

void CPaneGame::DrawRect(CDC* dc, int flags, COLORREF colour, CRect& rect)
{
    dc->SetViewportOrg(0, 0);
    if (flags == kDeflate)
        rect.DeflateRect(1, 1);
    GetView()->DrawRect(dc, rect, colour, flags == kTexture);
}

int CPaneGame::GetMoveIndex() const
{
    return GetView()->GetMoveIndex();
}

bool CPaneGame::IsFollowing() const
{
    return GetView()->IsFollowing();
}

bool CPaneGame::IsGameUpdated() const
{
    const CGameLive* game = GetGame();
    return game && game->IsUpdated();
}

CRect CPaneGame::DrawOutline(CDC* dc)
{
    CPen pen(PS_SOLID, 1, TavoApp()->GetBoardStyle()->crFrame);
    CPen* oldPen = dc->SelectObject(&pen);
    CGdiObject* oldBrush = dc->SelectStockObject(NULL_BRUSH);
    ASSERT(oldPen != nullptr && oldBrush != nullptr);
    dc->SetViewportOrg(0, 0);
    const CRect rect = GetWindowRect();
    dc->Rectangle(rect);
    if (oldBrush)
        dc->SelectObject(oldBrush);
    if (oldPen)
        dc->SelectObject(oldPen);
    return rect;
}

void CPaneGame::DrawDisc(CDC* dc, char square, const CRect& rect)
{
    int brush;
    int pen;
    switch (square) {
    case COsBoard::kBlack:
        brush = BLACK_BRUSH;
        pen = WHITE_PEN;
        break;
    case COsBoard::kWhite:
        brush = WHITE_BRUSH;
        pen = BLACK_PEN;
        break;
    case '?':
        brush = GRAY_BRUSH;
        pen = BLACK_PEN;
        break;
    case COsBoard::kEmpty:
        return;
    default:
        ASSERT(false);
        return;
    }
    CGdiObject* oldBrush = dc->SelectStockObject(brush);
    CGdiObject* oldPen = dc->SelectStockObject(pen);
    ASSERT(oldBrush != nullptr && oldPen != nullptr);
    dc->Ellipse(rect);
    CRect ring = rect;
    ring.DeflateRect(rect.Width() / 6, rect.Height() / 6);
    dc->Ellipse(ring);
    const bool restored = dc->SelectObject(oldBrush) != nullptr && dc->SelectObject(oldPen) != nullptr;
    ASSERT(restored);
    (void)restored;
}
