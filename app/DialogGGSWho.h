// The server who window: the users logged in to the server with their class letters
// and idle and online times, kept up to date by the user notifications. From it the
// user talks to someone or asks the server or the game service about them.
#pragma once

#include "GGSMessage.h"
#include "mfc/Dialog.h"

#include <string>
#include <vector>

class CListCtrl;
class tavostream;

class CDialogGGSWho : public CDialog {
public:
    explicit CDialogGGSWho(QWidget* parent = nullptr);
    ~CDialogGGSWho() override;

    // Creates the window, hidden, owned by the main window.
    bool Create(tavostream* stream);
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    // A full who reply.
    void SetUsers(const std::vector<CGGSUser>& users);
    // The notifications "+" and "-" for one login.
    void AddUser(const std::string& login);
    void RemoveUser(const std::string& login);

    void OnRefresh();
    void OnSize(UINT type, int cx, int cy) override;
    void OnGetMinMaxInfo(MINMAXINFO* info) override;
    // Clicks on the list, at a point in its client coordinates.
    void OnRClickList(const QPoint& point);
    void OnClickList(const QPoint& point);
    void OnChallenge();
    void OnInfo();
    void OnReversiInfo();
    void OnChat();
    void OnHistory();
    void OnChatButton();
    void OnShowServers();
    void OnRatings();

    std::vector<CGGSUser> m_allUsers;
    std::vector<CGGSUser> m_shownUsers;
    std::string m_sSelected;
    // Null once the connection has ended.
    tavostream* m_pStream = nullptr;
    int m_cxLast = 0;
    int m_cyLast = 0;
    bool m_bSized = false;
    CListCtrl* m_list = nullptr;
    BOOL m_bShowServers;

private:
    // The shown row under a click point, -1 for none.
    int RowAt(const QPoint& point) const;
    // Writes a line to the server.
    void Send(const std::string& line);
};
