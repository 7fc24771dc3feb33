// Chooses how passes and forced moves are played for the user.
#pragma once

#include "mfc/Dialog.h"

class CDialogReversiAutopass : public CDialog {
public:
    explicit CDialogReversiAutopass(QWidget* parent = nullptr);
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    int m_nAutoforce = -1;
    int m_nAutopass = -1;
};
