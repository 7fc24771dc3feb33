// The user's stored (adjourned) matches; a click on one asks to go on with it.
#pragma once

#include "DialogList.h"
#include "OsObjects.h"

class CServerOsTavo;

class CDialogOsStored : public CDialogList<CGGStoredMatch<COsMatchType>> {
public:
    explicit CDialogOsStored(QWidget* parent = nullptr);
    ~CDialogOsStored() override;

    // Creates the window, hidden, for the service that fills it.
    bool Create(CServerOsTavo* server);
    BOOL OnInitDialog() override;
    std::string GetItemLabel(const CGGStoredMatch<COsMatchType>& item) override;
    void SetSubItems(int row, const CGGStoredMatch<COsMatchType>& item) override;
    void OnItemClick(int row) override;

    CServerOsTavo* m_pServer = nullptr;
};
