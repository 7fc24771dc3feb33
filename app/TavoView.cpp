#include "TavoView.h"

#include "Bitmap2.h"
#include "PaneMain.h"
#include "Tavo.h"
#include "TavoDoc.h"
#include "mfc/Frame.h"
#include "res/Resource.h"

#include <QMouseEvent>
#include <new>

CTavoView::CTavoView()
{
    // The replay commands go to this view only, never to the document's other views.
    OnCommand(ID_VIEW_BACK, [this] {
        if (m_nMoveIndex >= 1)
            OnUpdate(nullptr, CTavoDoc::kHintBack, nullptr);
    });
    OnUpdateCommandUI(ID_VIEW_BACK, [this](CCmdUI* ui) { ui->Enable(m_nMoveIndex >= 1); });
    OnCommand(ID_VIEW_FORWARD, [this] {
        if (!IsAtEnd())
            OnUpdate(nullptr, CTavoDoc::kHintForward, nullptr);
    });
    OnUpdateCommandUI(ID_VIEW_FORWARD, [this](CCmdUI* ui) { ui->Enable(!IsAtEnd()); });
    OnCommand(ID_VIEW_CURRENT, [this] { OnUpdate(nullptr, CTavoDoc::kHintCurrent, nullptr); });
    OnCommand(ID_VIEW_START, [this] { OnUpdate(nullptr, CTavoDoc::kHintStart, nullptr); });
    OnCommand(ID_FILE_PRINT, [this] { OnFilePrint(FALSE); });
    OnCommand(ID_FILE_PRINT_DIRECT, [this] { OnFilePrint(TRUE); });
    OnCommand(ID_FILE_PRINT_PREVIEW, [this] { OnFilePrintPreview(); });
}

CTavoView::~CTavoView() = default;

BOOL CTavoView::Create(CDocument* document)
{
    // The root covers every point of the window.
    m_pRoot.reset(new (std::nothrow) CPaneMain(this, nullptr, 0, 0, 10000, 10000));
    if (!m_pRoot)
        return FALSE;
    auto* doc = dynamic_cast<CTavoDoc*>(document);
    ASSERT(doc != nullptr);
    if (!CView::Create(document))
        return FALSE;
    if (doc)
        m_position = doc->posStart;
    return TRUE;
}

CTavoDoc* CTavoView::GetDocument() const
{
    auto* doc = dynamic_cast<CTavoDoc*>(CView::GetDocument());
    ASSERT(doc != nullptr || CView::GetDocument() == nullptr);
    return doc;
}

bool CTavoView::IsAtEnd() const
{
    const CTavoDoc* doc = GetDocument();
    return !doc || m_nMoveIndex == int(doc->moves.size());
}

void CTavoView::OnUpdate(CView* sender, LPARAM hint, void* hintObject)
{
    (void)sender;
    (void)hintObject;
    UpdatePanes(hint);
}

void CTavoView::UpdatePanes(LPARAM hint)
{
    if (!GetDocument())
        return;
    ApplyHint(hint);
    m_pRoot->UpdateAll(hint);
}

void CTavoView::ApplyHint(LPARAM hint)
{
    const CTavoDoc& game = *GetDocument();
    const int n = int(game.moves.size());
    switch (hint) {
    case CTavoDoc::kHintIdle:
    case CTavoDoc::kHintEnded:
    case CTavoDoc::kHintComments:
    case CTavoDoc::kHintOptions:
    case CTavoDoc::kHintDetached:
        break;
    case CTavoDoc::kHintLoaded:
    case CTavoDoc::kHintJoined:
    case CTavoDoc::kHintCurrent:
        m_fFollowing = true;
        m_nMoveIndex = n;
        m_position = game.posCurrent;
        break;
    case CTavoDoc::kHintMove:
    case CTavoDoc::kHintEcho:
        // A following view shows the live end: every move of the game, even one that
        // came without a step of its own (a komi game's first move).
        if (!m_fFollowing)
            break;
        ASSERT(hint == CTavoDoc::kHintEcho || m_nMoveIndex < n);
        m_nMoveIndex = n;
        m_position = game.posCurrent;
        break;
    case CTavoDoc::kHintStyle:
        update();
        break;
    case CTavoDoc::kHintStart:
        m_fFollowing = n == 0;
        m_nMoveIndex = 0;
        m_position = game.posStart;
        break;
    case CTavoDoc::kHintBack:
        ASSERT(m_nMoveIndex >= 1);
        if (m_nMoveIndex < 1)
            break;
        --m_nMoveIndex;
        m_fFollowing = false;
        m_position = game.GetPosition(size_t(m_nMoveIndex));
        break;
    case CTavoDoc::kHintForward:
        ASSERT(m_nMoveIndex < n);
        if (m_nMoveIndex >= n)
            break;
        if (game.matchType.kind == 'k' && m_nMoveIndex == 0)
            m_position.ChargeKomiTime(game.komiMoves);
        m_position.Update(game.moves[size_t(m_nMoveIndex)]);
        ++m_nMoveIndex;
        m_fFollowing = m_nMoveIndex == n;
        break;
    default:
        ASSERT(false);
        break;
    }
}

CRect CTavoView::GetDrawRect(const CDC* dc) const
{
    return CRect(dc->IsPrinting() ? QRect(QPoint(0, 0), sizeHint()) : rect());
}

BOOL CTavoView::OnPreparePrinting(CPrintInfo* info)
{
    return DoPreparePrinting(info);
}

void CTavoView::OnDraw(CDC* dc)
{
    const CRect client = GetDrawRect(dc);
    CDC memDC;
    CBitmap buffer;
    if (dc->IsPrinting() || !memDC.CreateCompatibleDC(dc)
        || !buffer.CreateCompatibleBitmap(dc, client.Width(), client.Height())) {
        DrawBackground(dc);
        return;
    }
    CBitmap* old = memDC.SelectObject(&buffer);
    ASSERT(old != nullptr);
    memDC.SetViewportOrg(0, 0);
    memDC.IntersectClipRect(CRect(0, 0, client.Width(), client.Height()));
    DrawBackground(&memDC);
    memDC.SetViewportOrg(0, 0);
    dc->SetViewportOrg(0, 0);
    dc->BitBlt(client.left, client.top, client.Width(), client.Height(), &memDC, 0, 0, SRCCOPY);
    const bool deselected = memDC.SelectObject(old) != nullptr;
    ASSERT(deselected);
    (void)deselected;
}

void CTavoView::DrawBackground(CDC* dc)
{
    ASSERT(GetDocument() != nullptr);
    CBoardStyle* style = TavoApp()->GetBoardStyle();
    dc->SetBkColor(style->crBackground);
    const CPoint oldOrigin = dc->SetViewportOrg(0, 0);
    DrawRect(dc, GetDrawRect(dc), style->crBackground, true);

    CPen pen(PS_SOLID, 1, style->crFrame);
    CPen* oldPen = dc->SelectObject(&pen);
    ASSERT(oldPen != nullptr);
    const COLORREF oldText = dc->SetTextColor(style->crText);
    dc->SetBkMode(style->GetBitmap() ? TRANSPARENT : OPAQUE);

    m_pRoot->DrawAll(dc);

    if (oldPen)
        dc->SelectObject(oldPen);
    dc->SetTextColor(oldText);
    dc->SetViewportOrg(oldOrigin);
}

void CTavoView::DrawRect(CDC* dc, const CRect& rect, COLORREF colour, bool useBitmap)
{
    const COLORREF background = dc->GetBkColor();
    dc->FillSolidRect(rect, colour);
    dc->SetBkColor(background);
    CBitmap2* bitmap = useBitmap ? TavoApp()->GetBoardStyle()->GetBitmap() : nullptr;
    if (!bitmap)
        return;
    CDC memDC;
    if (!memDC.CreateCompatibleDC(dc))
        return;
    CBitmap* old = memDC.SelectObject(bitmap);
    ASSERT(old != nullptr);
    dc->BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), &memDC, rect.left, rect.top, SRCCOPY);
    if (old)
        memDC.SelectObject(old);
}

QSize CTavoView::sizeHint() const
{
    return QSize(605, 440);
}

void CTavoView::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        OnLButtonDown(e);
}

void CTavoView::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton)
        OnLButtonDown(e);
}

void CTavoView::OnLButtonDown(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    ASSERT(m_pRoot->Contains(at.x(), at.y()));
    if (m_pRoot->Contains(at.x(), at.y()))
        m_pRoot->OnClick(0, at.x(), at.y());
}
