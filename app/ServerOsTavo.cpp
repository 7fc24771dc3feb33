#include "ServerOsTavo.h"

#include "DialogOsGames.h"
#include "DialogOsHistory.h"
#include "DialogOsIncomingRequest.h"
#include "DialogOsStored.h"
#include "DialogOsTop.h"
#include "DialogOsWho.h"
#include "Tavo.h"
#include "TavoDoc.h"
#include "res/Resource.h"

#include <algorithm>

CServerOsTavo::CServerOsTavo(ggsstream* connection) : CServerOs(connection)
{
    SendSetup();
}

CServerOsTavo::~CServerOsTavo()
{
    *m_handle = nullptr;
    for (const auto& pane : panes) {
        ASSERT(pane.second != nullptr);
        if (pane.second)
            pane.second->Detach();
    }
    panes.clear();
    matchesDialog.reset();
    historyDialog.reset();
    storedDialog.reset();
    topDialog.reset();
    ratingsDialog.reset();
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
    const COsGame* game = FindGame(id);
    if (!game)
        return nullptr;
    CTavoApp* app = TavoApp();
    CTavoDoc* doc = app ? app->OpenGameWindow(this, id) : nullptr;
    ASSERT(doc != nullptr);
    if (!doc)
        return nullptr;
    panes[id] = doc;
    doc->OnGameChanged(*game, CTavoDoc::kHintLoaded);
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
    // A game that could not be read gets no window, nor one that the service did not
    // keep (past its bounds).
    const COsGame* game = FindGame(msg.gameId);
    if (!msg.gameRead || !CGameLive::HasBoard(msg.game) || !game)
        return;
    if (CTavoDoc* doc = FindPane(msg.gameId))
        doc->OnGameChanged(*game, CTavoDoc::kHintJoined);
    else
        CreatePane(msg.gameId);
}

void CServerOsTavo::OnLook(const CMsgLook& msg)
{
    lookViews.erase(std::remove(lookViews.begin(), lookViews.end(), nullptr), lookViews.end());
    bool dropped = false;
    for (const COsGame& game : msg.games) {
        if (!CGameLive::HasBoard(game))
            continue;
        if (lookViews.size() >= kMaxLookWindows) {
            dropped = true;
            continue;
        }
        if (CTavoDoc* doc = OpenLookDocument(game); doc && !doc->GetViews().empty())
            lookViews.emplace_back(doc->GetViews().front());
    }
    // Games beyond the bound are shown as the reply's text in the service's window.
    if (dropped)
        OnMessage(msg);
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

// ---------------------------------------------------------------------------------
// List windows

namespace {

// The list window, made and created (hidden) for the service when there is none yet.
template <class D>
D* MadeOnFirstUse(std::unique_ptr<D>& dialog, CServerOsTavo* server)
{
    if (!dialog) {
        try {
            dialog = std::make_unique<D>();
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        dialog->Create(server);
    }
    return dialog.get();
}

// The window, then shown with the reply's records (under the title, when one is given:
// the top list and the rank share a window). The replies to the user's list commands
// come up as the active window; `show` tells otherwise.
template <class D, class T>
void ShowList(D* dialog, const std::vector<T>& items, const QString& title = QString(), int show = SW_SHOW)
{
    if (!dialog)
        return;
    dialog->SetItems(items);
    if (!title.isEmpty())
        dialog->setWindowTitle(title);
    dialog->ShowWindow(show);
}

} // namespace

CDialogOsMatches* CServerOsTavo::GetMatchesDialog()
{
    const bool made = !matchesDialog;
    CDialogOsMatches* dialog = MadeOnFirstUse(matchesDialog, this);
    if (made && dialog)
        dialog->SetItems(FillMatchesDialog());
    return dialog;
}

CDialogOsHistory* CServerOsTavo::GetHistoryDialog()
{
    return MadeOnFirstUse(historyDialog, this);
}

CDialogOsStored* CServerOsTavo::GetStoredDialog()
{
    return MadeOnFirstUse(storedDialog, this);
}

CDialogOsTop* CServerOsTavo::GetTopDialog()
{
    return MadeOnFirstUse(topDialog, this);
}

CDialogOsWho* CServerOsTavo::GetWhoDialog()
{
    return MadeOnFirstUse(ratingsDialog, this);
}

std::vector<CServerOsTavo::CMatch> CServerOsTavo::FillMatchesDialog() const
{
    std::vector<CMatch> list;
    list.reserve(matches.size());
    for (const auto& match : matches)
        list.push_back(match.second);
    return list;
}

void CServerOsTavo::ShowMatchesDialog()
{
    if (CDialogOsMatches* dialog = GetMatchesDialog())
        dialog->ShowWindow(SW_RESTORE);
}

void CServerOsTavo::OnHistory(const CMsgHistory& msg)
{
    ShowList(GetHistoryDialog(), msg.items);
}

// The matches window shows what the service keeps: a match past its bounds (logins too
// long, too many matches) is in the reply but gets no row.
void CServerOsTavo::OnMatch(const CMsgMatch& msg)
{
    ApplyMatchList(msg);
    // The client asks for the list itself at login: the window leaves the keyboard where
    // the user is.
    ShowList(GetMatchesDialog(), FillMatchesDialog(), QString(), SW_SHOWNOACTIVATE);
}

void CServerOsTavo::OnMatchDelta(const CMsgMatchDelta& msg)
{
    ApplyMatchDelta(msg);
    CDialogOsMatches* dialog = GetMatchesDialog();
    if (!dialog)
        return;
    if (!msg.plus)
        dialog->RemoveItem(msg.match);
    else if (const CMatch* kept = FindMatch(msg.match.id))
        dialog->AddItem(*kept);
}

void CServerOsTavo::OnRank(const CMsgGGRank& msg)
{
    ShowList(GetTopDialog(), msg.items, QStringLiteral("Rank"));
}

void CServerOsTavo::OnStored(const CMsgStored& msg)
{
    ShowList(GetStoredDialog(), msg.items);
}

void CServerOsTavo::OnTop(const CMsgGGTop& msg)
{
    ShowList(GetTopDialog(), msg.items, QStringLiteral("Top"));
}

void CServerOsTavo::OnWho(const CMsgGGWho& msg)
{
    ShowList(GetWhoDialog(), msg.items);
}

// ---------------------------------------------------------------------------------
// Notices

void CServerOsTavo::SendToPane(const std::string& id, const std::string& text)
{
    if (CTavoDoc* doc = FindPane(id))
        doc->AddComment(text);
}

void CServerOsTavo::OnAbortRequest(const CMsgGGAbortRequest& msg)
{
    SendToPane(msg.matchId, msg.text);
}

void CServerOsTavo::OnComment(const CMsgGGComment& msg)
{
    SendToPane(msg.matchId, msg.author.login + ": " + msg.comment);
}

void CServerOsTavo::OnFatalTimeout(const CMsgGGFatalTimeout& msg)
{
    SendToPane(msg.matchId, msg.text);
}

void CServerOsTavo::OnRatingUpdate(const CMsgGGRatingUpdate& msg)
{
    SendToPane(msg.matchId, msg.text);
    SendToPane(msg.matchId + ".0", msg.text);
    SendToPane(msg.matchId + ".1", msg.text);
}

void CServerOsTavo::OnTimeout(const CMsgGGTimeout& msg)
{
    SendToPane(msg.matchId, msg.text);
}

void CServerOsTavo::OnTrustViolation(const CMsgGGTrustViolation& msg)
{
    SendToPane(msg.matchId, msg.text);
}

void CServerOsTavo::OnUndoRequest(const CMsgGGUndoRequest& msg)
{
    SendToPane(msg.matchId, msg.text);
}

void CServerOsTavo::OnWatchDelta(const CMsgGGWatchDelta& msg)
{
    const CMatch* match = FindMatch(msg.matchId);
    if (!match)
        return;
    if (match->matchType.kind == 's') {
        SendToPane(msg.matchId + ".0", msg.text);
        SendToPane(msg.matchId + ".1", msg.text);
    } else {
        SendToPane(msg.matchId, msg.text);
    }
}

void CServerOsTavo::OnFinger(const CMsgFinger& msg)
{
    AfxMessageBoxLater(ToQ(msg.text));
}

// ---------------------------------------------------------------------------------
// Requests

void CServerOsTavo::OnRequestDelta(const CMsgRequestDelta& msg)
{
    ApplyRequestDelta(msg);
    // A withdrawn request leaves an open dialog open; one not yet shown is dropped.
    if (!msg.plus || !connection || !msg.ConcernsLogin(*connection))
        return;
    RunModal([this, id = msg.requestId, request = msg.request] { PutRequest(id, request); });
}

void CServerOsTavo::PutRequest(const std::string& id, const CRequest& request)
{
    if (!FindRequest(id))
        return;
    if (request.rated != 'S') {
        CDialogOsIncomingRequest dialog(request, this, id);
        dialog.DoModal();
        return;
    }
    // The continuation of a stored match is answered here, once.
    const QString question = LoadStringResource(IDS_CONTINUE_STORED)
                                 .arg(ToQ(request.players[0].login), ToQ(request.storedId));
    const CServerOsTavoHandle self = m_handle;
    const int answer = AfxMessageBox(question, MB_YESNO, 0);
    if (!*self || !connection)
        return;
    Tell() << (answer == IDYES ? "accept " : "decline ") << id << '\n';
    connection->flush();
}

void CServerOsTavo::RunModal(std::function<void()> run)
{
    AfxRunModalLater([self = m_handle, run = std::move(run)] {
        if (*self)
            run();
    });
}
