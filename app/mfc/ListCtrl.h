// A report-view list control: columns with titles, widths and alignment, rows inserted
// at an index with a text per column, and click notifications whose point a hit test
// turns into a row and a column.
#pragma once

#include "Afx.h"

#include <QTreeWidget>
#include <functional>
#include <map>
#include <vector>

class CDataExchange;

// Column formats.
constexpr int LVCFMT_LEFT = 0;
constexpr int LVCFMT_RIGHT = 1;
constexpr int LVCFMT_CENTER = 2;

// Notification codes of a click (left and right button) on the list.
constexpr int NM_CLICK = -2;
constexpr int NM_RCLICK = -5;

// A point in the list's client coordinates, and the row and column found there (-1 for
// none).
struct LVHITTESTINFO {
    QPoint pt;
    int iItem = -1;
    int iSubItem = -1;
};

class CListCtrl : public QTreeWidget {
public:
    explicit CListCtrl(QWidget* parent = nullptr);

    // Columns are added in order: `column` is the number of columns so far. A width
    // too small for the title is widened to show it whole.
    int InsertColumn(int column, const QString& heading, int format = LVCFMT_LEFT, int width = -1);
    // How much wider than asked for the columns are, all together.
    int GetTitleWidening() const { return m_nTitleWidening; }
    BOOL SetColumnWidth(int column, int width);
    // Inserts a row at `item` (at the end when past it) with the text of column 0;
    // returns its index.
    int InsertItem(int item, const QString& text);
    BOOL SetItemText(int item, int subItem, const QString& text);
    QString GetItemText(int item, int subItem) const;
    BOOL DeleteItem(int item);
    BOOL DeleteAllItems();
    int GetItemCount() const;
    BOOL EnsureVisible(int item, BOOL partialOK);
    // Fills in the row and column at the point; returns the row, -1 when there is none.
    int SubItemHitTest(LVHITTESTINFO* info) const;
    // The rectangle of a cell in the list's client coordinates; empty when there is none.
    QRect GetSubItemRect(int item, int subItem) const;

    void SetTextColor(COLORREF colour);
    void SetTextBkColor(COLORREF colour);
    void SetBkColor(COLORREF colour);

    // The handler of a click notification, called with the click point in the list's
    // client coordinates. A double click notifies its first click only.
    void SetNotify(int code, std::function<void(const QPoint&)> handler);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    // Set from the second press of a double click to its release.
    bool m_bDoubleClick = false;
    std::vector<int> m_formats;
    int m_nTitleWidening = 0;
    std::map<int, std::function<void(const QPoint&)>> m_notify;
};

// Binds the list control of `id` when the exchange first meets it.
void DDX_Control(CDataExchange* dx, int id, CListCtrl*& list);
