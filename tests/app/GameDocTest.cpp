// The live game, the game document and the service's game windows, fed with the
// service's messages on a connection that records what the client sends.
#include "GameTestSupport.h"

#include "MainFrm.h"
#include "mfc/Frame.h"
#include "res/Resource.h"

#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMessageBox>
#include <QPushButton>
#include <gtest/gtest.h>
#include <thread>

namespace {

// The game's record as a live game sees it.
class ProbeGame : public CGameLive {
public:
    using CGameLive::m_dwTick;
};

// A started application with a connection logged in as alice (level 1), whose game
// windows the service's messages open.
struct GameWindows : ServiceSession<> {
    using ServiceSession::ServiceSession;
    void Update(const std::string& id, const std::string& move) { Feed("/os: update " + id + " " + move); }
    QMdiArea* Area() const { return dynamic_cast<CMainFrame*>(app.GetMainWnd())->MDIArea(); }
    // Listens to a document's hints from now on.
    HintRecorder& Record(CTavoDoc* doc)
    {
        recorders.push_back(std::make_unique<HintRecorder>());
        doc->AddView(recorders.back().get());
        return *recorders.back();
    }
    // Closes a document's window as the user does.
    void Close(CTavoDoc* doc)
    {
        for (auto& recorder : recorders)
            doc->RemoveView(recorder.get());
        ViewOf(doc)->GetParentFrame()->close();
        ProcessEventsUntil([&] { return app.pGameTemplate->GetDocuments().empty() || !Holds(doc); });
    }
    bool Holds(const CTavoDoc* doc) const
    {
        for (const auto& d : app.pGameTemplate->GetDocuments())
            if (d.get() == doc)
                return true;
        return false;
    }

    std::vector<std::unique_ptr<HintRecorder>> recorders;
};

} // namespace

TEST(LiveGame, ClockRunsFromTheLastUpdate)
{
    // The difference of two tick counts across a wrap of the counter.
    EXPECT_DOUBLE_EQ(CGameLive::ElapsedSeconds(0xFFFFFF00u, 0x100u), 0.512);
    EXPECT_DOUBLE_EQ(CGameLive::ElapsedSeconds(1000, 4500), 3.5);

    ProbeGame live;
    COsGame game = MakeGame("alice", "bob", {"F5"}); // white to move
    game.posStart.clocks[0] = game.posStart.clocks[1] = CGGClock(5, 30, 120, CGGClock::kRunning);
    game.UpdatePosition();
    const DWORD beforeUpdate = GetTickCount();
    live.Update(game);
    EXPECT_TRUE(live.IsUpdated());
    // Counted from the update: no longer than the time since just before it.
    const double sinceUpdate = live.ElapsedSeconds();
    EXPECT_LE(sinceUpdate, CGameLive::ElapsedSeconds(beforeUpdate, GetTickCount()));

    // Ten seconds on: white, to move, has run into its extension; black keeps its time
    // (less the one second of its move plus the increment); no increment for white.
    const DWORD tenSecondsOn = GetTickCount();
    live.m_dwTick = tenSecondsOn - 10000;
    CGGClock clocks[2];
    live.GetClocks(clocks);
    const double since = CGameLive::ElapsedSeconds(tenSecondsOn, GetTickCount());
    EXPECT_EQ(clocks[0].state, CGGClock::kInExtension);
    EXPECT_LE(clocks[0].timeLeft, 115);
    EXPECT_GE(clocks[0].timeLeft, 115 - since);
    EXPECT_EQ(clocks[1], live.posCurrent.clocks[1]);
    EXPECT_EQ(live.posCurrent.clocks[0], CGGClock(5, 30, 120, CGGClock::kRunning)); // the record is untouched

    // A game over on the board charges nobody.
    live.Update(GameOnBoard("alice", "bob", {{"C4", '*'}}));
    ASSERT_TRUE(live.IsOver());
    live.m_dwTick = GetTickCount() - 10000;
    live.GetClocks(clocks);
    EXPECT_EQ(clocks[0], live.posCurrent.clocks[0]);
    EXPECT_EQ(clocks[1], live.posCurrent.clocks[1]);
}

TEST(LiveGame, CommandsAndPlayers)
{
    CFakeConnection connection("abc", 1);
    CServerOsTavo* service = connection.Service();
    connection.TakeSent();
    service->games["12"] = MakeGame("abc", "bob");

    CGameLive live;
    // Detached: nothing goes out.
    live.Tell("hello");
    live.Resign();
    live.StopWatching();
    EXPECT_EQ(connection.TakeSent(), "");
    EXPECT_TRUE(live.GetComments().empty());

    live.Attach(service, "12");
    EXPECT_TRUE(live.IsUpdated());
    EXPECT_EQ(live.players[1].login, "abc");
    live.Tell("hello");
    EXPECT_EQ(connection.TakeSent(), "t /os tell 12 hello\n");
    EXPECT_EQ(live.GetComments(), std::vector<std::string>{"abc: hello"});
    live.Resign();
    EXPECT_EQ(connection.TakeSent(), "t /os resign 12\n");

    // Whose turn: black (abc) at the start; the user is black.
    EXPECT_TRUE(live.IsPlaying());
    EXPECT_TRUE(live.IsMyTurn());
    EXPECT_TRUE(live.IsMe(1));
    EXPECT_FALSE(live.IsMe(0));

    // A game from a file is never played, even when the stored login is in it.
    live.Detach();
    EXPECT_TRUE(live.AmIPlaying());
    EXPECT_FALSE(live.IsPlaying());
    EXPECT_FALSE(live.IsMyTurn());
    EXPECT_FALSE(live.IsMe(1));

    // An id the service does not hold loads nothing, and the service holds no more games.
    CGameLive unknown;
    unknown.Attach(service, "99");
    EXPECT_FALSE(unknown.IsUpdated());
    EXPECT_EQ(service->games.count("99"), 0u);
    unknown.Detach();

    // Watching ends with "watch -", and the game leaves the service; a synchro game's
    // watch ends with its match.
    service->games["7.0"] = MakeGame("x", "y", {}, "s8");
    CGameLive synchro;
    synchro.Attach(service, "7.0");
    synchro.StopWatching();
    EXPECT_EQ(connection.TakeSent(), "");
    EXPECT_EQ(service->games.count("7.0"), 1u);
    synchro.Detach();
    service->games["8"] = MakeGame("x", "y");
    CGameLive watched;
    watched.Attach(service, "8");
    EXPECT_FALSE(watched.IsPlaying());
    watched.StopWatching();
    EXPECT_EQ(connection.TakeSent(), "t /os watch - 8\n");
    EXPECT_EQ(service->games.count("8"), 0u);
    watched.Detach();
}

TEST(ServiceWindows, SetupWaitsForTheOwnLevel)
{
    CFakeConnection connection("alice", 1);
    CServerOsTavo* service = connection.Service();
    EXPECT_TRUE(service->setupSent);
    EXPECT_EQ(connection.TakeSent(), "tell /os client +\ntell /os notify + *\nt /os rated +\nt /os match\n");

    // A user whose level the server has not reported yet: nothing until it is.
    CFakeConnection unknown("carol", -1);
    EXPECT_FALSE(unknown.Service()->setupSent);
    unknown.TakeSent();
    unknown.Service()->SendSetup();
    EXPECT_EQ(unknown.TakeSent(), "");
    unknown.Feed(": + carol 0");
    unknown.Service()->SendSetup();
    EXPECT_EQ(unknown.TakeSent(), "t /os open 1\nt /os match\n");
    unknown.Service()->SendSetup();
    EXPECT_EQ(unknown.TakeSent(), "");
}

TEST(ServiceWindows, JoinUpdateAndEndOfAMatch)
{
    GameWindows w;
    CTavoDoc* first = w.Join("5", MakeGame("alice", "bob"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetServer(), w.Service());
    EXPECT_EQ(first->GetTitle(), QStringLiteral("alice vs bob  2026.12.09 07:39:55 GMT"));
    EXPECT_EQ(ViewOf(first)->GetParentFrame()->windowTitle(), first->GetTitle());
    EXPECT_TRUE(first->IsModified() == FALSE); // a new window is not a change
    HintRecorder& hints = w.Record(first);

    // A second join of the same game: the same window, the whole record replaced.
    EXPECT_EQ(w.Join("5", MakeGame("alice", "bob", {"F5", "D6"})), first);
    EXPECT_EQ(first->moves.size(), 2u);
    EXPECT_EQ(hints.hints, std::vector<int>{CTavoDoc::kHintJoined});
    EXPECT_TRUE(first->IsModified());

    // A join of another game opens another window, which comes to the top.
    CTavoDoc* second = w.Join("6", MakeGame("carol", "dave"));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(w.Area()->subWindowList().size(), 2);
    EXPECT_EQ(w.Area()->currentSubWindow(), ViewOf(second)->GetParentFrame());

    // The opponent's move.
    w.Update("5", "C3//2.50");
    EXPECT_EQ(first->moves.size(), 3u);
    EXPECT_EQ(hints.hints.back(), CTavoDoc::kHintMove);

    // The match ends: the final record (result from black's view), then detached; the
    // window stays, and a late update changes it no more.
    w.connection->Feed("/os: + match 5 1600 alice 1500 bob 8 R");
    w.connection->Feed("/os: - match 5 1600 alice 1500 bob 8 R +12");
    EXPECT_EQ(hints.hints, (std::vector<int>{CTavoDoc::kHintJoined, CTavoDoc::kHintMove, CTavoDoc::kHintEnded,
                                             CTavoDoc::kHintDetached}));
    EXPECT_EQ(first->result.kind, CGGResult::kScore);
    EXPECT_EQ(first->result.score, 12);
    EXPECT_EQ(first->GetServer(), nullptr);
    EXPECT_EQ(w.Service()->FindPane("5"), nullptr);
    EXPECT_EQ(w.Service()->games.count("5"), 0u);
    EXPECT_TRUE(w.Holds(first));
    w.Update("5", "B3");
    EXPECT_EQ(first->moves.size(), 3u);
    EXPECT_EQ(hints.hints.size(), 4u);

    // Closing the finished game's window sends nothing.
    w.Close(first);
    EXPECT_FALSE(w.Holds(first));
    EXPECT_EQ(w.Sent(), "");
}

TEST(ServiceWindows, WatchLookAndShow)
{
    GameWindows w;
    // A synchro match not yet held: the service is asked with the match id itself.
    w.connection->Feed("/os: + match 7 1500 x 1500 y s8 U");
    w.Service()->Watch("7");
    EXPECT_EQ(w.Sent(), "t /os watch + 7\n");
    EXPECT_EQ(w.Area()->subWindowList().size(), 0);
    // A match that is not listed: nothing.
    w.Service()->Watch("8");
    EXPECT_EQ(w.Sent(), "");

    // Once its first game is held, that game's window comes up; the second game's comes
    // with its own join (a game the service does not hold has no window).
    w.Join("7.0", MakeGame("x", "y", {}, "s8"));
    w.Service()->Watch("7");
    EXPECT_EQ(w.Sent(), "");
    ASSERT_NE(w.Service()->FindPane("7.0"), nullptr);
    EXPECT_EQ(w.Service()->FindPane("7.1"), nullptr);
    EXPECT_EQ(w.Service()->games.count("7.1"), 0u);
    EXPECT_EQ(w.Area()->subWindowList().size(), 1);
    w.Join("7.1", MakeGame("y", "x", {}, "s8"));
    w.Area()->setActiveSubWindow(ViewOf(w.Service()->FindPane("7.0"))->GetParentFrame());
    w.Service()->Watch("7");
    EXPECT_EQ(w.Area()->subWindowList().size(), 2);
    EXPECT_EQ(w.Area()->currentSubWindow(), ViewOf(w.Service()->FindPane("7.1"))->GetParentFrame());

    // A look: a new, unattached window for each game, showing its start, even for a game
    // that is shown already.
    const COsGame looked = MakeGame("x", "y", {"F5", "D6", "C3"});
    w.connection->Feed("/os: look 2 " + GgfText(looked) + " " + GgfText(MakeGame("x", "y", {}, "s8")));
    EXPECT_EQ(w.Area()->subWindowList().size(), 4);
    int unattached = 0;
    for (const auto& d : w.app.pGameTemplate->GetDocuments()) {
        auto* doc = dynamic_cast<CTavoDoc*>(d.get());
        if (doc->GetServer())
            continue;
        ++unattached;
        EXPECT_TRUE(doc->IsUpdated());
        EXPECT_EQ(ViewOf(doc)->GetMoveIndex(), 0);
        EXPECT_EQ(ViewOf(doc)->IsFollowing(), doc->moves.empty());
    }
    EXPECT_EQ(unattached, 2);
    EXPECT_EQ(w.Service()->panes.size(), 2u);

    // The service goes (its login left): every window is detached and stays.
    CTavoDoc* shown = w.Service()->FindPane("7.0");
    HintRecorder& hints = w.Record(shown);
    w.connection->Feed(": - /os 0");
    EXPECT_EQ(w.connection->Service(), nullptr);
    EXPECT_EQ(shown->GetServer(), nullptr);
    EXPECT_EQ(hints.hints, std::vector<int>{CTavoDoc::kHintDetached});
    EXPECT_EQ(w.Area()->subWindowList().size(), 4);
}

TEST(ServiceWindows, UnreadableOrStrayMessagesOpenNothing)
{
    GameWindows w;
    w.connection->Feed("/os: join 3 (;GM[Reversi]PB[a]");
    w.connection->Feed("/os: join 4 garbage");
    w.connection->Feed("/os: join 4 (;GM[Reversi];)");
    w.connection->Feed("/os: look 1 nonsense");
    w.connection->Feed("/os: look 9");
    w.Update("3", "F5");
    w.Update("12", "F5");
    EXPECT_EQ(w.Area()->subWindowList().size(), 0);
    EXPECT_TRUE(w.Service()->panes.empty());

    // A move from the server on an occupied square, and one that cannot be read.
    CTavoDoc* doc = w.Join("5", MakeGame("alice", "bob", {"F5"}));
    ASSERT_NE(doc, nullptr);
    HintRecorder& hints = w.Record(doc);
    w.Update("5", "F5");
    w.Update("5", "?!");
    EXPECT_EQ(doc->moves.size(), 2u);
    EXPECT_EQ(hints.hints, std::vector<int>{CTavoDoc::kHintMove});
}

TEST(ServiceWindows, GamesPastTheServicesBoundsOpenNothing)
{
    GameWindows w;
    const size_t id = CServerOsTavo::kMaxId;
    COsGame padded = MakeGame("alice", "bob");
    padded.place = std::string(CServerOsTavo::kMaxJoin, 'p');
    COsGame passes = MakeGame("alice", "bob");
    for (size_t i = 0; i <= CServerOsTavo::kMaxGameMoves; ++i)
        passes.Play(COsGame::Item(COsMove(), 0, 0));
    // An id too long, a text too long, too many moves: none is kept, none has a window,
    // and the moves that follow go nowhere.
    const std::string longId = "." + std::string(id, '9');
    w.Join(longId, MakeGame("alice", "bob"));
    w.Join(".2", padded);
    w.Join(".3", passes);
    w.Update(".2", "F5");
    EXPECT_EQ(w.Area()->subWindowList().size(), 0);
    EXPECT_TRUE(w.Service()->panes.empty());
    EXPECT_TRUE(w.Service()->games.empty());
    // Just within the bounds: a window.
    passes.moves.resize(CServerOsTavo::kMaxGameMoves);
    ASSERT_NE(w.Join(longId.substr(0, id), passes), nullptr);
    EXPECT_EQ(w.Service()->FindPane(longId.substr(0, id))->moves.size(), CServerOsTavo::kMaxGameMoves);

    // A game already shown keeps its window and its record when a join of it is refused.
    CTavoDoc* shown = w.Join(".4", MakeGame("alice", "bob", {"F5"}));
    ASSERT_NE(shown, nullptr);
    w.Join(".4", padded);
    EXPECT_EQ(shown->moves.size(), 1u);
    EXPECT_EQ(w.Area()->subWindowList().size(), 2);

    // The service holds as many games as it may: a new one opens no window.
    for (size_t i = w.Service()->games.size(); i < CServerOsTavo::kMaxGames; ++i)
        w.Service()->games["held" + std::to_string(i)] = MakeGame("x", "y");
    EXPECT_EQ(w.Join(".5", MakeGame("alice", "bob")), nullptr);
    EXPECT_EQ(w.Service()->games.size(), CServerOsTavo::kMaxGames);
    EXPECT_EQ(w.Area()->subWindowList().size(), 2);
}

TEST(ServiceWindows, LookedAtWindowsHaveABound)
{
    GameWindows w;
    const size_t most = CServerOsTavo::kMaxLookWindows;
    const std::string game = GgfText(MakeGame("x", "y", {"F5"}));
    for (size_t i = 0; i + 1 < most; ++i)
        w.Feed("/os: look 1 " + game);
    EXPECT_EQ(w.Area()->subWindowList().size(), int(most) - 1);
    EXPECT_TRUE(w.connection->messages.empty());
    // A reply of three games opens one window more; the reply goes to the service's
    // window as text, once.
    w.Feed("/os: look 3 " + game + " " + game + " " + game);
    EXPECT_EQ(w.Area()->subWindowList().size(), int(most));
    EXPECT_EQ(w.connection->messages.size(), 1u);
    w.Feed("/os: look 1 " + game);
    EXPECT_EQ(w.Area()->subWindowList().size(), int(most));
    EXPECT_EQ(w.connection->messages.size(), 2u);
    // A closed one makes room for the next; joined games have a bound of their own.
    w.Close(dynamic_cast<CTavoDoc*>(w.app.pGameTemplate->GetDocuments().front().get()));
    w.Feed("/os: look 1 " + game);
    EXPECT_EQ(w.Area()->subWindowList().size(), int(most));
    EXPECT_EQ(w.connection->messages.size(), 2u);
    ASSERT_NE(w.Join(".9", MakeGame("alice", "bob")), nullptr);
    EXPECT_EQ(w.Area()->subWindowList().size(), int(most) + 1);
}

TEST(GameDocument, OwnMoveItsEchoAndTheOpponentsMove)
{
    GameWindows w;
    CTavoDoc* doc = w.Join("5", MakeGame("alice", "bob"));
    ASSERT_NE(doc, nullptr);
    HintRecorder& hints = w.Record(doc);
    ASSERT_TRUE(doc->CanSendMove());

    doc->SendMove(MoveFrom("F5"), 0.0);
    const std::string sent = w.Sent();
    EXPECT_EQ(sent.rfind("t /os play 5 F5", 0), 0u) << sent;
    EXPECT_EQ(sent.back(), '\n');
    // Played here at once, once.
    EXPECT_EQ(doc->moves.size(), 1u);
    EXPECT_FALSE(doc->CanSendMove());
    EXPECT_EQ(hints.hints, std::vector<int>{CTavoDoc::kHintMove});
    EXPECT_FALSE(doc->IsModified());

    // The server's echo refreshes the game without a second step, and lets the next move go.
    w.Update("5", "F5//3.00");
    EXPECT_EQ(hints.hints.back(), CTavoDoc::kHintEcho);
    EXPECT_TRUE(doc->CanSendMove());
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->moves.size(), 1u);
    EXPECT_EQ(doc->moves[0].time, 3.0);

    // The opponent's move is an ordinary one, and the running clock starts again with it.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_GE(doc->ElapsedSeconds(), 0.3);
    const DWORD beforeUpdate = GetTickCount();
    w.Update("5", "D6");
    const double sinceUpdate = doc->ElapsedSeconds();
    EXPECT_LE(sinceUpdate, CGameLive::ElapsedSeconds(beforeUpdate, GetTickCount()));
    EXPECT_EQ(hints.hints.back(), CTavoDoc::kHintMove);
    EXPECT_EQ(doc->moves.size(), 2u);

    // A move with an evaluation and time goes out in the record's text form.
    doc->SendMove(MoveFrom("C3"), -3.25);
    EXPECT_EQ(w.Sent().rfind("t /os play 5 C3/-3.25", 0), 0u);

    // Detached, nothing goes out and nothing changes.
    doc->Detach();
    EXPECT_EQ(hints.hints.back(), CTavoDoc::kHintDetached);
    doc->SendMove(MoveFrom("B3"), 0.0);
    EXPECT_EQ(w.Sent(), "");
    EXPECT_EQ(doc->moves.size(), 3u);
}

TEST(GameDocument, KomiBidIsNotPlayedHere)
{
    GameWindows w;
    CTavoDoc* doc = w.Join("5", MakeGame("alice", "bob", {}, "8k"));
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->NeedsKomi());
    EXPECT_TRUE(doc->IsMyTurn()); // either player bids
    HintRecorder& hints = w.Record(doc);

    doc->SendMove(MoveFrom("F5"), 3.5);
    EXPECT_EQ(w.Sent().rfind("t /os play 5 F5/3.50", 0), 0u);
    EXPECT_TRUE(doc->moves.empty());
    EXPECT_TRUE(hints.hints.empty());
    EXPECT_FALSE(doc->CanSendMove());

    // Both bids in: the service sends the game back whole, with its first move.
    COsGame started = MakeGame("alice", "bob", {"F5"}, "8k");
    started.komiMoves[1] = COsGame::Item(MoveFrom("F5"), 3.5, 1);
    started.komiMoves[0] = COsGame::Item(MoveFrom("E6"), 2.5, 1);
    w.Join("5", started);
    EXPECT_EQ(hints.hints, std::vector<int>{CTavoDoc::kHintJoined});
    EXPECT_TRUE(doc->CanSendMove());
    EXPECT_EQ(ViewOf(doc)->GetMoveIndex(), 1);
}

TEST(GameDocument, AutoPlay)
{
    GameWindows w;
    // Black to move with exactly one legal move (C4).
    const COsGame forced = GameOnBoard("alice", "bob", {{"D4", 'O'}, {"E4", '*'}});
    ASSERT_EQ(forced.posCurrent.board.LegalMoves().size(), 1u);
    // Black to move with none; white has one.
    const COsGame pass = GameOnBoard("alice", "bob", {{"A1", 'O'}, {"B1", '*'}});
    ASSERT_TRUE(pass.posCurrent.board.LegalMoves().empty());
    ASSERT_FALSE(pass.IsOver());

    // Autoforce Instant: the one move goes out with no box.
    w.app.nAutoforce = 2;
    {
        ModalDriver driver;
        CTavoDoc* doc = w.Join("1", forced);
        ASSERT_NE(doc, nullptr);
        EXPECT_EQ(w.Sent().rfind("t /os play 1 C4", 0), 0u);
        EXPECT_EQ(doc->moves.size(), 1u);
        ProcessPendingEvents();
        EXPECT_TRUE(driver.messageBoxes.empty());
    }
    // With more than one move nothing happens; nor on the opponent's turn.
    w.Join("2", MakeGame("alice", "bob"));
    w.Join("3", GameOnBoard("bob", "alice", {{"D4", 'O'}, {"E4", '*'}}));
    EXPECT_EQ(w.Sent(), "");

    // Autoforce Notify: the move goes out first, then the box tells so.
    w.app.nAutoforce = 1;
    {
        ModalDriver driver;
        std::string sentBeforeBox;
        driver.OnMessageBox([&](QMessageBox* box) {
            sentBeforeBox = w.Sent();
            box->button(QMessageBox::Ok)->click();
        });
        w.Join("4", forced);
        EXPECT_TRUE(ProcessEventsUntil([&] { return driver.Done(); }));
        EXPECT_EQ(sentBeforeBox.rfind("t /os play 4 C4", 0), 0u);
        ASSERT_EQ(driver.messageBoxes.size(), 1u);
        EXPECT_EQ(driver.messageBoxes[0], LoadStringResource(IDS_AUTOFORCED));
    }

    // No move: autopass Off does nothing; Notify passes, then tells so.
    w.app.nAutopass = 0;
    w.Join("5", pass);
    EXPECT_EQ(w.Sent(), "");
    w.app.nAutopass = 1;
    {
        ModalDriver driver;
        driver.AcceptMessageBox();
        CTavoDoc* doc = w.Join("6", pass);
        EXPECT_EQ(w.Sent().rfind("t /os play 6 PA", 0), 0u);
        EXPECT_TRUE(ProcessEventsUntil([&] { return driver.Done(); }));
        ASSERT_EQ(driver.messageBoxes.size(), 1u);
        EXPECT_EQ(driver.messageBoxes[0], LoadStringResource(IDS_AUTOPASSED));
        // The end of a game, or its detachment, never plays.
        w.app.nAutopass = 2;
        doc->OnGameChanged(pass, CTavoDoc::kHintEnded);
        doc->OnGameChanged(pass, CTavoDoc::kHintDetached);
        EXPECT_EQ(w.Sent(), "");
    }

    // A komi game's first move carries the user's bid: never made for them.
    w.app.nAutoforce = 2;
    COsGame komi = forced;
    komi.matchType.kind = 'k';
    w.Join("7", komi);
    EXPECT_EQ(w.Sent(), "");
}

TEST(GameDocument, Titles)
{
    CTavoDoc doc;
    static_cast<COsGame&>(doc) = MakeGame("amy", "bob", {}, "s8");
    doc.SetGameTitle(false);
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("amy vs bob  2026.12.09 07:39:55 GMT 0"));
    std::swap(doc.players[0], doc.players[1]);
    doc.SetGameTitle(false);
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("bob vs amy  2026.12.09 07:39:55 GMT 1"));
    doc.date = "a#b%c";
    doc.SetGameTitle(true);
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("bob_vs_amy__a_b_c_1"));
    doc.date.clear();
    doc.matchType.kind = '?';
    doc.SetGameTitle(false);
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("bob vs amy  "));
    EXPECT_EQ(doc.GetAutosaveDir(), "");
}

TEST(GameDocument, GameCommandsAndTheirEnabling)
{
    GameWindows w;
    CTavoDoc* own = w.Join("5", MakeGame("alice", "bob", {"F5"}));
    ASSERT_NE(own, nullptr);
    auto* frame = dynamic_cast<CMainFrame*>(w.app.GetMainWnd());
    const std::vector<std::pair<UINT, std::string>> commands = {
        {ID_GAME_UNDO, "undo"}, {ID_GAME_BREAK, "break"}, {ID_GAME_RESIGN, "resign"}, {ID_GAME_ABORT, "abort"}};
    for (const auto& command : commands) {
        CCmdUI ui(command.first);
        ASSERT_TRUE(frame->RouteCommand(command.first, &ui));
        EXPECT_TRUE(ui.m_bEnabled);
        frame->RouteCommand(command.first);
        EXPECT_EQ(w.Sent(), "t /os " + command.second + " 5\n");
    }
    // A watched game: every one disabled, and nothing goes out.
    w.Join("6", MakeGame("carol", "dave"));
    for (const auto& command : commands) {
        CCmdUI ui(command.first);
        frame->RouteCommand(command.first, &ui);
        EXPECT_FALSE(ui.m_bEnabled);
        frame->RouteCommand(command.first);
    }
    EXPECT_EQ(w.Sent(), "");
    // The user's game over on the board: disabled too.
    CTavoDoc* over = w.Join("7", GameOnBoard("alice", "bob", {{"C4", '*'}}));
    ASSERT_NE(over, nullptr);
    CCmdUI ui(ID_GAME_BREAK);
    frame->RouteCommand(ID_GAME_BREAK, &ui);
    EXPECT_FALSE(ui.m_bEnabled);
}

TEST(GameDocument, WhatClosingAWindowSends)
{
    GameWindows w;
    CTavoDoc* watched = w.Join("1", MakeGame("carol", "dave"));
    CTavoDoc* synchro = w.Join("2.0", MakeGame("carol", "dave", {}, "s8"));
    CTavoDoc* own = w.Join("3", MakeGame("alice", "bob"));
    COsGame finished = MakeGame("alice", "bob");
    finished.result.Set(10, CGGResult::kResigned);
    CTavoDoc* done = w.Join("4", finished);
    ASSERT_TRUE(watched && synchro && own && done);

    w.Close(watched);
    EXPECT_EQ(w.Sent(), "t /os watch - 1\n");
    EXPECT_EQ(w.Service()->games.count("1"), 0u);
    w.Close(synchro);
    EXPECT_EQ(w.Sent(), "");
    w.Close(own);
    EXPECT_EQ(w.Sent(), "t /os break 3\n");
    w.Close(done);
    EXPECT_EQ(w.Sent(), "");
    EXPECT_TRUE(w.Service()->panes.empty());
    EXPECT_TRUE(w.app.pGameTemplate->GetDocuments().empty());
}

TEST(GameDocument, SaveOnClose)
{
    GameWindows w;
    const QString folder = TestHome() + QStringLiteral("/autosave/");
    QDir().mkpath(folder);

    // Always, with a folder: saved there under the title's file form, with no question.
    w.app.nAutosaveMine = 2;
    w.app.fnAutosave = ToStd(folder);
    CTavoDoc* doc = w.Join("1", MakeGame("alice", "bob"));
    w.Update("1", "F5//1.00");
    ASSERT_TRUE(doc->IsModified());
    const QString expected = folder + QStringLiteral("alice_vs_bob__2026_12_09_07_39_55_GMT.ggf");
    {
        ModalDriver driver;
        w.Close(doc);
        EXPECT_TRUE(driver.messageBoxes.empty());
    }
    EXPECT_EQ(ReadFile(expected), GgfText(MakeGame("alice", "bob", {"F5"})));
    EXPECT_EQ(w.app.fnAutosave, ToStd(folder));
    EXPECT_TRUE(w.app.GetRecentFileList()->Files().isEmpty()); // not a recent file

    // Always, without a folder: the question, then the file dialog offering the title's
    // file form; the folder chosen becomes the autosave folder.
    w.app.fnAutosave.clear();
    const QString chosen = TestHome() + QStringLiteral("/chosen/");
    QDir().mkpath(chosen);
    w.app.fileAnswers = {chosen + QStringLiteral("game.ggf")};
    doc = w.Join("2", MakeGame("alice", "bob"));
    w.Update("2", "F5");
    {
        ModalDriver driver;
        driver.OnMessageBox([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        w.Close(doc);
        EXPECT_TRUE(driver.Done());
        ASSERT_EQ(driver.messageBoxes.size(), 1u);
        EXPECT_TRUE(driver.messageBoxes[0].contains(QStringLiteral("alice_vs_bob__2026_12_09_07_39_55_GMT")));
    }
    ASSERT_EQ(w.app.fileOffers.size(), 1u);
    EXPECT_EQ(w.app.fileOffers[0], QStringLiteral("alice_vs_bob__2026_12_09_07_39_55_GMT.ggf"));
    EXPECT_FALSE(w.Holds(doc));
    EXPECT_EQ(w.app.fnAutosave, ToStd(chosen));
    EXPECT_FALSE(ReadFile(chosen + QStringLiteral("game.ggf")).empty());

    // Ask, and Cancel: the window stays, with its display title. The question is asked
    // in the dialog font.
    w.app.nAutosaveOthers = 1;
    doc = w.Join("3", MakeGame("carol", "dave"));
    w.Update("3", "F5");
    {
        ModalDriver driver;
        driver.OnMessageBox([](QMessageBox* box) {
            EXPECT_TRUE(box->text().startsWith(QStringLiteral("Save changes to "))) << box->text().toStdString();
            ExpectDialogFont(box);
            box->button(QMessageBox::Cancel)->click();
        });
        ViewOf(doc)->GetParentFrame()->close();
        EXPECT_TRUE(driver.Done());
    }
    ProcessPendingEvents();
    EXPECT_TRUE(w.Holds(doc));
    EXPECT_EQ(doc->GetTitle(), QStringLiteral("carol vs dave  2026.12.09 07:39:55 GMT"));
    EXPECT_EQ(doc->GetServer(), w.Service());

    // Always into a folder that has gone: the user is told, then asked rather than
    // stuck, under the game's name; the file dialog offers that name with ".ggf"
    // (cancelled here: the window stays). Declined, the window closes and the folder
    // stays the autosave folder.
    w.app.nAutosaveOthers = 2;
    const std::string gone = ToStd(TestHome() + QStringLiteral("/gone/"));
    w.app.fnAutosave = gone;
    const QString name = QStringLiteral("carol_vs_dave__2026_12_09_07_39_55_GMT");
    for (const QMessageBox::StandardButton answer : {QMessageBox::Yes, QMessageBox::No}) {
        w.app.fileAnswers = {QString()};
        w.app.fileOffers.clear();
        ModalDriver driver;
        driver.AcceptMessageBox();
        driver.OnMessageBox([answer](QMessageBox* box) { box->button(answer)->click(); });
        ViewOf(doc)->GetParentFrame()->close();
        EXPECT_TRUE(driver.Done());
        ProcessPendingEvents();
        ASSERT_EQ(driver.messageBoxes.size(), 2u);
        EXPECT_TRUE(driver.messageBoxes[0].contains(ToQ(gone) + name + QStringLiteral(".ggf")));
        EXPECT_TRUE(driver.messageBoxes[1].contains(name + QLatin1Char('?'))) << driver.messageBoxes[1].toStdString();
        EXPECT_EQ(w.app.fileOffers, answer == QMessageBox::Yes ? std::vector<QString>{name + QStringLiteral(".ggf")}
                                                               : std::vector<QString>{});
        EXPECT_EQ(w.Holds(doc), answer == QMessageBox::Yes);
        EXPECT_EQ(w.app.fnAutosave, gone);
    }

    // Never: closed at once, nothing written.
    w.app.nAutosaveMine = 0;
    doc = w.Join("4", MakeGame("alice", "bob"));
    w.Update("4", "F5");
    w.Close(doc);
    EXPECT_FALSE(w.Holds(doc));
}

TEST(GameDocument, AutosaveNeverReplacesAnotherGame)
{
    GameWindows w;
    const QString folder = TestHome() + QStringLiteral("/same-title/");
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    w.app.nAutosaveMine = 2;
    w.app.fnAutosave = ToStd(folder);
    const QString title = QStringLiteral("alice_vs_bob__2026_12_09_07_39_55_GMT");

    // Two games of one title (a game and its continuation keep the date): saved in turn
    // as the program closes, each gets a file of its own.
    CTavoDoc* finished = w.Join("1", MakeGame("alice", "bob"));
    CTavoDoc* adjourned = w.Join("2", MakeGame("alice", "bob"));
    w.Update("1", "F5//1.00");
    w.Update("2", "D3//1.00");
    ASSERT_TRUE(w.app.SaveAllModified());
    EXPECT_EQ(ReadFile(folder + title + QStringLiteral(".ggf")), GgfText(MakeGame("alice", "bob", {"F5"})));
    EXPECT_EQ(ReadFile(folder + title + QStringLiteral(" (2).ggf")), GgfText(MakeGame("alice", "bob", {"D3"})));

    // Changed again, a game replaces its own file; a third game of the title takes the
    // next free name.
    w.Update("1", "D6//1.00");
    w.Close(finished);
    EXPECT_EQ(ReadFile(folder + title + QStringLiteral(".ggf")), GgfText(MakeGame("alice", "bob", {"F5", "D6"})));
    w.Close(adjourned);
    CTavoDoc* third = w.Join("3", MakeGame("alice", "bob"));
    w.Update("3", "C4//1.00");
    w.Close(third);
    EXPECT_EQ(ReadFile(folder + title + QStringLiteral(" (3).ggf")), GgfText(MakeGame("alice", "bob", {"C4"})));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3);
    EXPECT_EQ(w.app.fnAutosave, ToStd(folder));
}
