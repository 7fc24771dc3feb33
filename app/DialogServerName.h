// Sets the host name of the GGS server that the next connection uses.
#pragma once

#include "mfc/Dialog.h"

class CDialogServerName : public CDialog {
public:
    explicit CDialogServerName(QWidget* parent = nullptr);
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnDefault();

    QString m_strServer;
};
