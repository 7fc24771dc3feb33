// The service's running matches; a click on one watches it.
#pragma once

#include "DialogList.h"
#include "OsObjects.h"

class CServerOsTavo;

class CDialogOsMatches : public CDialogList<CGGMatch<COsMatchType>> {
public:
    explicit CDialogOsMatches(QWidget* parent = nullptr);
    ~CDialogOsMatches() override;

    // Creates the window, hidden, for the service that fills it.
    bool Create(CServerOsTavo* server);
    BOOL OnInitDialog() override;
    std::string GetItemLabel(const CGGMatch<COsMatchType>& item) override;
    void SetSubItems(int row, const CGGMatch<COsMatchType>& item) override;
    void OnItemClick(int row) override;

    CServerOsTavo* m_pServer = nullptr;
};
