// A player's recent games; a click on one looks at it.
#pragma once

#include "DialogList.h"
#include "OsObjects.h"

class CServerOsTavo;

class CDialogOsHistory : public CDialogList<CGGHistoryItem<COsMatchType>> {
public:
    explicit CDialogOsHistory(QWidget* parent = nullptr);
    ~CDialogOsHistory() override;

    // Creates the window, hidden, for the service that fills it.
    bool Create(CServerOsTavo* server);
    BOOL OnInitDialog() override;
    std::string GetItemLabel(const CGGHistoryItem<COsMatchType>& item) override;
    void SetSubItems(int row, const CGGHistoryItem<COsMatchType>& item) override;
    void OnItemClick(int row) override;

    CServerOsTavo* m_pServer = nullptr;
};
