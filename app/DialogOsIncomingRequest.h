// A match request that another player addressed to the user, shown from the user's side
// and answered with "accept" or "decline".
#pragma once

#include "ServerOsTavo.h"
#include "mfc/Dialog.h"

#include <string>

class CDialogOsIncomingRequest : public CDialog {
public:
    CDialogOsIncomingRequest(const CGGRequest<COsMatchType>& request, CServerOsTavo* server,
                             const std::string& requestId, QWidget* parent = nullptr);

    void DoDataExchange(CDataExchange* dx) override;
    // Accept; Decline is Cancel, also Esc and the close box.
    void OnOK() override;
    void OnCancel() override;
    void OnHelp();

    CGGRequest<COsMatchType> m_request;
    BOOL m_bAnti = 0;
    QString m_strMyTime;
    QString m_strOpponent;
    QString m_strOppTime;
    BOOL m_bRand = 0;
    int m_nDiscs = 0;
    QString m_strBoard;
    QString m_strColor;
    BOOL m_bRated = 0;
    CServerOsTavoHandle m_pServer;
    std::string m_strRequestId;

private:
    // "accept" or "decline" with the request's id; nothing once the service has gone.
    void Answer(const char* command);
};
