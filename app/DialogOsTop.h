// The top list or the user's rank; a click on a player asks the server about them.
#pragma once

#include "DialogList.h"
#include "OsObjects.h"

class CServerOsTavo;

class CDialogOsTop : public CDialogList<CGGRankData> {
public:
    explicit CDialogOsTop(QWidget* parent = nullptr);
    ~CDialogOsTop() override;

    // Creates the window, hidden, for the service that fills it.
    bool Create(CServerOsTavo* server);
    BOOL OnInitDialog() override;
    std::string GetItemLabel(const CGGRankData& item) override;
    void SetSubItems(int row, const CGGRankData& item) override;
    void OnItemClick(int row) override;

    CServerOsTavo* m_pServer = nullptr;
};
