#include "DialogResizableList.h"

#include "Tavo.h"
#include "mfc/ListCtrl.h"
#include "res/Resource.h"

CDialogResizableList::CDialogResizableList(UINT templateId, QWidget* parent) : CDialog(templateId, parent)
{
}

CDialogResizableList::~CDialogResizableList() = default;

void CDialogResizableList::DoDataExchange(CDataExchange* dx)
{
    CDialog::DoDataExchange(dx);
    if (m_list)
        return;
    DDX_Control(dx, IDC_OS_LIST, m_list);
    if (m_list)
        m_list->SetNotify(NM_CLICK, [this](const QPoint& point) { OnClickList(point); });
}

void CDialogResizableList::OnSize(UINT type, int cx, int cy)
{
    CDialog::OnSize(type, cx, cy);
    if (type != SIZE_RESTORED && type != SIZE_MAXIMIZED)
        return;
    if (m_bSized)
        MoveWindowEdges(m_list, 0, 0, cx - m_cxLast, cy - m_cyLast);
    m_bSized = true;
    m_cxLast = cx;
    m_cyLast = cy;
}

int CDialogResizableList::RowAt(const CListCtrl* list, const QPoint& point)
{
    CTavoApp* app = TavoApp();
    if (!list || !app || !app->fComCtl471)
        return -1;
    LVHITTESTINFO hit;
    hit.pt = point;
    return list->SubItemHitTest(&hit);
}

void CDialogResizableList::OnClickList(const QPoint& point)
{
    const int row = RowAt(m_list, point);
    if (row != -1)
        OnItemClick(row);
}

void CDialogResizableList::OnItemClick(int row)
{
    (void)row;
}
