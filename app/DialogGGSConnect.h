// The login step of connecting: asks for login and password, keeps them in the
// profile and runs the login exchange, so that a wrong password can be typed again.
#pragma once

#include "mfc/Dialog.h"

class tavostream;

class CDialogGGSConnect : public CDialog {
public:
    explicit CDialogGGSConnect(tavostream* stream);
    void LoadProfile();
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    // The login name rule of the server: 2 to 8 characters, not starting with '.' or
    // '_', holding neither ',' nor '/'.
    static bool IsValidLogin(const QString& login);

    int m_nResult = 0;
    QString m_strLogin;
    QString m_strPassword;
    BOOL m_bSavePassword = TRUE;
    tavostream* m_pStream;
};
