// Asks for the name of someone to talk to.
#pragma once

#include "mfc/Dialog.h"

class CDialogTalkTo : public CDialog {
public:
    explicit CDialogTalkTo(QWidget* parent = nullptr);
    void DoDataExchange(CDataExchange* dx) override;

    QString m_strLogin;
};
