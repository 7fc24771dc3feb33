#include "ServerOsTavo.h"

#include "Tavo.h"
#include "TavoDoc.h"

CServerOsTavo::CServerOsTavo(ggsstream* connection) : CServerOs(connection)
{
    SendSetup();
}

CServerOsTavo::~CServerOsTavo()
{
    for (const auto& pane : panes) {
        ASSERT(pane.second != nullptr);
        if (pane.second)
            pane.second->Detach();
    }
    panes.clear();
}

void CServerOsTavo::SendSetup()
{
    if (setupSent || !connection)
        return;
    const int level = connection->GetMyLevel();
    if (level < 0)
        return;
    Tell() << (level >= 1 ? "rated +\n" : "open 1\n");
    Tell() << "match\n";
    connection->flush();
    setupSent = true;
}

CTavoDoc* CServerOsTavo::FindPane(const std::string& id) const
{
    const auto found = panes.find(id);
    return found == panes.end() ? nullptr : found->second;
}

CTavoDoc* CServerOsTavo::CreatePane(const std::string& id)
{
    CTavoApp* app = TavoApp();
    CTavoDoc* doc = app ? app->OpenGameWindow(this, id) : nullptr;
    ASSERT(doc != nullptr);
    if (!doc)
        return nullptr;
    panes[id] = doc;
    doc->OnGameChanged(games[id], CTavoDoc::kHintLoaded);
    doc->BringViewToTop();
    return doc;
}

CTavoDoc* CServerOsTavo::OpenLookDocument(const COsGame& game)
{
    CTavoApp* app = TavoApp();
    CTavoDoc* doc = app ? app->OpenGameWindow1(game) : nullptr;
    ASSERT(doc != nullptr);
    if (!doc)
        return nullptr;
    doc->OnGameChanged(game, CTavoDoc::kHintLoaded);
    doc->OnGameChanged(game, CTavoDoc::kHintStart);
    doc->BringViewToTop();
    return doc;
}

void CServerOsTavo::RemovePane(const std::string& id)
{
    const size_t erased = panes.erase(id);
    ASSERT(erased == 1);
    (void)erased;
}

CTavoDoc* CServerOsTavo::ShowGame(const std::string& id)
{
    CTavoDoc* doc = FindPane(id);
    if (!doc)
        doc = CreatePane(id);
    if (doc)
        doc->BringViewToTop();
    return doc;
}

void CServerOsTavo::Watch(const std::string& matchId)
{
    const CMatch* match = FindMatch(matchId);
    ASSERT(match != nullptr);
    if (!match)
        return;
    const bool synchro = match->matchType.kind == 's';
    if (!FindGame(synchro ? matchId + ".0" : matchId)) {
        Tell() << "watch + " << matchId << '\n';
        connection->flush();
    } else if (synchro) {
        ShowGame(matchId + ".0");
        ShowGame(matchId + ".1");
    } else {
        ShowGame(matchId);
    }
}

void CServerOsTavo::OnJoin(const CMsgJoin& msg)
{
    ApplyJoin(msg);
    // A game that could not be read gets no window.
    if (!msg.gameRead || !CGameLive::HasBoard(msg.game))
        return;
    if (CTavoDoc* doc = FindPane(msg.gameId))
        doc->OnGameChanged(games[msg.gameId], CTavoDoc::kHintJoined);
    else
        CreatePane(msg.gameId);
}

void CServerOsTavo::OnLook(const CMsgLook& msg)
{
    for (const COsGame& game : msg.games)
        if (CGameLive::HasBoard(game))
            OpenLookDocument(game);
}

void CServerOsTavo::OnUpdate(const CMsgUpdate& msg)
{
    ApplyUpdate(msg);
    if (!msg.itemRead)
        return;
    CTavoDoc* doc = FindPane(msg.gameId);
    const COsGame* game = FindGame(msg.gameId);
    if (doc && game)
        doc->OnGameChanged(*game, CTavoDoc::kHintMove);
}

void CServerOsTavo::OnEnd(const CMsgGGEnd& msg)
{
    ApplyEnd(msg);
}

void CServerOsTavo::RemoveGame(const CMsgMatchDelta& msg, const std::string& gameId)
{
    CTavoDoc* doc = FindPane(gameId);
    if (doc) {
        const COsGame* game = FindGame(gameId);
        ASSERT(game != nullptr);
        if (game)
            doc->OnGameChanged(*game, CTavoDoc::kHintEnded);
        doc->Detach();
        panes.erase(gameId);
    }
    EraseGame(msg, gameId);
}
