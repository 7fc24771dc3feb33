// Asks for the login of the player whose information or history is wanted.
#pragma once

#include "mfc/Dialog.h"

class CDialogGetLogin : public CDialog {
public:
    explicit CDialogGetLogin(QWidget* parent = nullptr);
    void DoDataExchange(CDataExchange* dx) override;

    QString m_strLogin;
};
