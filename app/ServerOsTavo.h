// The client's object for the Reversi service "/os": the stream makes it in place of
// the kit's service object. It sends its own set-up once the user's level is known,
// and it shows the service's games in game windows and its lists in list windows.
#pragma once

#include "Server.h"

#include <map>
#include <string>

class CTavoDoc;

class CServerOsTavo : public CServerOs {
public:
    explicit CServerOsTavo(ggsstream* connection);
    // Every game window still attached is detached and stays open.
    ~CServerOsTavo() override;

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

    void OnJoin(const CMsgJoin& msg) override;
    void OnLook(const CMsgLook& msg) override;
    void OnUpdate(const CMsgUpdate& msg) override;
    void OnEnd(const CMsgGGEnd& msg) override;
    // The match of the game has ended: its window shows the final game and is detached.
    void RemoveGame(const CMsgMatchDelta& msg, const std::string& gameId) override;

    // The window of every live game of this service, own or watched; not owned.
    std::map<std::string, CTavoDoc*> panes;
    bool setupSent = false;
};
