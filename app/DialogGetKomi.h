// Asks for the komi bid of a komi game.
#pragma once

#include "mfc/Dialog.h"

class CDialogGetKomi : public CDialog {
public:
    explicit CDialogGetKomi(QWidget* parent = nullptr);
    void DoDataExchange(CDataExchange* dx) override;

    double m_dKomi = 0.0;
};
