#include "ListCtrl.h"

#include "Dialog.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>
#include <utility>

namespace {

Qt::Alignment AlignmentOf(int format)
{
    switch (format) {
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QColor ColourOf(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

} // namespace

CListCtrl::CListCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    // Columns are as wide as they are set, however narrow.
    header()->setMinimumSectionSize(1);
    header()->setSectionsMovable(false);
}

int CListCtrl::InsertColumn(int column, const QString& heading, int format, int width)
{
    ASSERT(column == columnCount());
    column = columnCount();
    setColumnCount(column + 1);
    headerItem()->setText(column, heading);
    headerItem()->setTextAlignment(column, AlignmentOf(format));
    m_formats.push_back(format);
    // A column is never narrower than its title, which thus shows whole; one of no
    // width stays hidden.
    if (width > 0) {
        const int wide = std::max(width, header()->sectionSizeHint(column));
        m_nTitleWidening += wide - width;
        setColumnWidth(column, wide);
    } else if (width == 0) {
        setColumnWidth(column, 0);
    }
    return column;
}

BOOL CListCtrl::SetColumnWidth(int column, int width)
{
    if (column < 0 || column >= columnCount())
        return FALSE;
    setColumnWidth(column, width);
    return TRUE;
}

int CListCtrl::InsertItem(int item, const QString& text)
{
    const int count = topLevelItemCount();
    if (item < 0)
        return -1;
    if (item > count)
        item = count;
    auto* row = new QTreeWidgetItem;
    for (int column = 0; column < int(m_formats.size()); ++column)
        row->setTextAlignment(column, AlignmentOf(m_formats[size_t(column)]));
    row->setText(0, text);
    insertTopLevelItem(item, row);
    return item;
}

BOOL CListCtrl::SetItemText(int item, int subItem, const QString& text)
{
    QTreeWidgetItem* row = topLevelItem(item);
    if (!row || subItem < 0 || subItem >= columnCount())
        return FALSE;
    row->setText(subItem, text);
    return TRUE;
}

QString CListCtrl::GetItemText(int item, int subItem) const
{
    const QTreeWidgetItem* row = topLevelItem(item);
    return row ? row->text(subItem) : QString();
}

BOOL CListCtrl::DeleteItem(int item)
{
    QTreeWidgetItem* row = item >= 0 ? takeTopLevelItem(item) : nullptr;
    delete row;
    return row != nullptr;
}

BOOL CListCtrl::DeleteAllItems()
{
    clear();
    return TRUE;
}

int CListCtrl::GetItemCount() const
{
    return topLevelItemCount();
}

BOOL CListCtrl::EnsureVisible(int item, BOOL partialOK)
{
    (void)partialOK;
    QTreeWidgetItem* row = topLevelItem(item);
    if (!row)
        return FALSE;
    scrollToItem(row);
    return TRUE;
}

int CListCtrl::SubItemHitTest(LVHITTESTINFO* info) const
{
    info->iItem = -1;
    info->iSubItem = -1;
    QTreeWidgetItem* row = itemAt(info->pt);
    const int column = columnAt(info->pt.x());
    if (row && column >= 0) {
        info->iItem = indexOfTopLevelItem(row);
        info->iSubItem = column;
    }
    return info->iItem;
}

QRect CListCtrl::GetSubItemRect(int item, int subItem) const
{
    const QTreeWidgetItem* row = topLevelItem(item);
    if (!row || subItem < 0 || subItem >= columnCount())
        return QRect();
    return visualRect(indexFromItem(row, subItem));
}

void CListCtrl::SetTextColor(COLORREF colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, ColourOf(colour));
    setPalette(p);
}

// The rows are drawn on the list's own background: both colours are the one behind
// the texts.
void CListCtrl::SetTextBkColor(COLORREF colour)
{
    SetBkColor(colour);
}

void CListCtrl::SetBkColor(COLORREF colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, ColourOf(colour));
    setPalette(p);
}

void CListCtrl::SetNotify(int code, std::function<void(const QPoint&)> handler)
{
    m_notify[code] = std::move(handler);
}

void CListCtrl::mousePressEvent(QMouseEvent* e)
{
    // A release that never came (a window opened between) leaves no double click behind.
    m_bDoubleClick = false;
    QTreeWidget::mousePressEvent(e);
}

void CListCtrl::mouseDoubleClickEvent(QMouseEvent* e)
{
    QTreeWidget::mouseDoubleClickEvent(e);
    m_bDoubleClick = true;
}

void CListCtrl::mouseReleaseEvent(QMouseEvent* e)
{
    QTreeWidget::mouseReleaseEvent(e);
    if (std::exchange(m_bDoubleClick, false))
        return;
    const int code = e->button() == Qt::LeftButton ? NM_CLICK : e->button() == Qt::RightButton ? NM_RCLICK : 0;
    const auto handler = m_notify.find(code);
    if (code != 0 && handler != m_notify.end())
        handler->second(e->position().toPoint());
}

void DDX_Control(CDataExchange* dx, int id, CListCtrl*& list)
{
    if (!list)
        list = dynamic_cast<CListCtrl*>(dx->m_pDlgWnd->GetDlgItem(id));
}
