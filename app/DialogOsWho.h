// The ratings of the players present; a click on one challenges them.
#pragma once

#include "DialogList.h"
#include "OsObjects.h"

class CServerOsTavo;

class CDialogOsWho : public CDialogList<CGGWhoItem> {
public:
    explicit CDialogOsWho(QWidget* parent = nullptr);
    ~CDialogOsWho() override;

    // Creates the window, hidden, for the service that fills it.
    bool Create(CServerOsTavo* server);
    BOOL OnInitDialog() override;
    std::string GetItemLabel(const CGGWhoItem& item) override;
    void SetSubItems(int row, const CGGWhoItem& item) override;
    void OnItemClick(int row) override;

    CServerOsTavo* m_pServer = nullptr;
};
