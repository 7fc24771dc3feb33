// A modeless window whose one control is a report list: the list follows the window's
// size, and a click on a row becomes a call with the row's index.
#pragma once

#include "mfc/Dialog.h"

class CListCtrl;

class CDialogResizableList : public CDialog {
public:
    CDialogResizableList(UINT templateId, QWidget* parent);
    ~CDialogResizableList() override;

    void DoDataExchange(CDataExchange* dx) override;
    void OnSize(UINT type, int cx, int cy) override;
    // A click at a point of the list (its client coordinates).
    void OnClickList(const QPoint& point);
    // A row was clicked.
    virtual void OnItemClick(int row);
    // The row of a list under a point of its client area, -1 for none; always -1
    // where the common controls have no hit test for it.
    static int RowAt(const CListCtrl* list, const QPoint& point);

    int m_cxLast = 0;
    int m_cyLast = 0;
    bool m_bSized = false;
    CListCtrl* m_list = nullptr;
};
