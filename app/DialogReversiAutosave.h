// Chooses when games played and games watched are saved.
#pragma once

#include "mfc/Dialog.h"

class CDialogReversiAutosave : public CDialog {
public:
    explicit CDialogReversiAutosave(QWidget* parent = nullptr);
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    int m_nAutosaveMine = -1;
    int m_nAutosaveOthers = -1;
};
