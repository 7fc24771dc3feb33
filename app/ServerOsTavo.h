// The client's object for the Reversi service "/os": the stream makes it in place of
// the kit's service object. It sends its own set-up once the user's level is known,
// and it shows the service's games in game windows and its lists in list windows.
#pragma once

#include "Server.h"

#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CDialogOsHistory;
class CDialogOsMatches;
class CDialogOsStored;
class CDialogOsTop;
class CDialogOsWho;
class CServerOsTavo;
class CTavoDoc;

// Null once the service object has gone: what a modal dialog that sends through the
// service holds, since the connection may end while the dialog is open.
using CServerOsTavoHandle = std::shared_ptr<CServerOsTavo*>;

class CServerOsTavo : public CServerOs {
public:
    explicit CServerOsTavo(ggsstream* connection);
    // Every game window still attached is detached and stays open; the list windows go.
    ~CServerOsTavo() override;

    CServerOsTavoHandle GetHandle() const { return m_handle; }

    // Sends "rated +" (a registered user) or "open 1" (an unregistered one), then
    // "match", once: nothing while the own level is not known yet.
    void SendSetup();

    // The window of a game id, or null.
    CTavoDoc* FindPane(const std::string& id) const;
    // A new window attached to the game of that id, filed under it and brought to the top.
    CTavoDoc* CreatePane(const std::string& id);
    // A new window for a looked-at game, not attached and not filed.
    CTavoDoc* OpenLookDocument(const COsGame& game);
    // The window of the id has closed.
    void RemovePane(const std::string& id);
    // The window of the game id, made when there is none, brought to the top.
    CTavoDoc* ShowGame(const std::string& id);
    // The user picked a listed match: its windows come up, or the service is asked to
    // let the user watch it (its "join" replies then open the windows).
    virtual void Watch(const std::string& matchId);

    // The list windows, made (hidden) when first asked for; null when one cannot be made.
    CDialogOsMatches* GetMatchesDialog();
    CDialogOsHistory* GetHistoryDialog();
    CDialogOsStored* GetStoredDialog();
    CDialogOsTop* GetTopDialog();
    CDialogOsWho* GetWhoDialog();
    // Every match the service has listed, in the order of their ids.
    std::vector<CMatch> FillMatchesDialog() const;
    void ShowMatchesDialog();

    // The service's list replies fill the list windows.
    void OnHistory(const CMsgHistory& msg) override;
    void OnMatch(const CMsgMatch& msg) override;
    void OnMatchDelta(const CMsgMatchDelta& msg) override;
    void OnRank(const CMsgGGRank& msg) override;
    void OnStored(const CMsgStored& msg) override;
    void OnTop(const CMsgGGTop& msg) override;
    void OnWho(const CMsgGGWho& msg) override;

    void OnJoin(const CMsgJoin& msg) override;
    void OnLook(const CMsgLook& msg) override;
    void OnUpdate(const CMsgUpdate& msg) override;
    void OnEnd(const CMsgGGEnd& msg) override;
    // The match of the game has ended: its window shows the final game and is detached.
    void RemoveGame(const CMsgMatchDelta& msg, const std::string& gameId) override;

    // The service's notices go to the game window of their game id.
    void OnAbortRequest(const CMsgGGAbortRequest& msg) override;
    void OnComment(const CMsgGGComment& msg) override;
    void OnFatalTimeout(const CMsgGGFatalTimeout& msg) override;
    void OnRatingUpdate(const CMsgGGRatingUpdate& msg) override;
    void OnTimeout(const CMsgGGTimeout& msg) override;
    void OnTrustViolation(const CMsgGGTrustViolation& msg) override;
    void OnUndoRequest(const CMsgGGUndoRequest& msg) override;
    void OnWatchDelta(const CMsgGGWatchDelta& msg) override;
    // A finger reply is shown in a message box.
    void OnFinger(const CMsgFinger& msg) override;
    // A request addressed to the user is put to the user: a stored match's continuation
    // as a question, any other in the incoming-request dialog.
    void OnRequestDelta(const CMsgRequestDelta& msg) override;

    // The text goes to the comments of the game window of the id; without one it is
    // dropped.
    void SendToPane(const std::string& id, const std::string& text);
    // Runs a modal box or dialog once the message or click at hand is done (see
    // AfxRunModalLater); those still waiting when the service goes are dropped.
    void RunModal(std::function<void()> run);

    std::unique_ptr<CDialogOsMatches> matchesDialog;
    std::unique_ptr<CDialogOsHistory> historyDialog;
    std::unique_ptr<CDialogOsStored> storedDialog;
    std::unique_ptr<CDialogOsTop> topDialog;
    std::unique_ptr<CDialogOsWho> ratingsDialog;
    // The window of every live game of this service, own or watched; not owned.
    std::map<std::string, CTavoDoc*> panes;
    // The views of the looked-at games' windows, null once closed. A user looks at a
    // few games at a time; a server that answers with game after game opens no more
    // than kMaxLookWindows windows at once (each costs some 0.2 MB and a share of every
    // repaint and idle pass), and the rest of its replies go to the service's window.
    static constexpr size_t kMaxLookWindows = 50;
    std::vector<QPointer<QObject>> lookViews;
    bool setupSent = false;

private:
    // The request of that id, when it is still open: the user answers it.
    void PutRequest(const std::string& id, const CRequest& request);

    CServerOsTavoHandle m_handle = std::make_shared<CServerOsTavo*>(this);
};
