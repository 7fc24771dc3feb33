// Whole games against the stand-in server: the client logged in as alice, its game
// windows played with clicks, and kit clients as the other players.
#include "ServiceLiveSupport.h"

#include "res/Resource.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QPushButton>
#include <fstream>

namespace {

class LiveMatch : public ServiceLive {
protected:
    bool Holds(const CTavoDoc* doc) const
    {
        for (const auto& d : app.pGameTemplate->GetDocuments())
            if (d.get() == doc)
                return true;
        return false;
    }
    // How often alice has sent the text so far.
    int Count(const std::string& text) const
    {
        const std::string bytes = server.GetClientBytes(0);
        int count = 0;
        for (size_t at = bytes.find(text); at != std::string::npos; at = bytes.find(text, at + 1))
            ++count;
        return count;
    }

    // Plays the game on with the moves given (then the first legal move, or a pass), to
    // its end or for `count` moves: alice's by clicks on her window, the other's through
    // the kit client. When `autoplay` is set, alice's moves where she has one or none are
    // left to the window. Returns how many of alice's moves went out without a click.
    int PlayOut(CTavoDoc* doc, CTestClient& other, bool aliceBlack, const std::vector<COsMove>& script = {},
                bool autoplay = false, size_t count = size_t(-1))
    {
        int clicks = 0;
        const size_t start = doc->moves.size();
        while (doc->GetServer() && !doc->IsOver() && doc->moves.size() - start < count &&
               !::testing::Test::HasFailure()) {
            // No move of alice's is on its way.
            EXPECT_TRUE(WaitFor([&] { return doc->CanSendMove() || !doc->GetServer(); }));
            const size_t n = doc->moves.size();
            const COsBoard board = doc->posCurrent.board;
            const std::vector<COsMove> legal = board.LegalMoves();
            const COsMove move = n < script.size() ? script[n] : legal.empty() ? COsMove() : legal.front();
            if (board.fBlackMove == aliceBlack) {
                if (!autoplay || legal.size() > 1) {
                    ClickAt(ViewOf(doc), move.fPass ? QPoint(100, 100) : SquareCentre(move));
                    EXPECT_EQ(doc->moves.size(), n + 1) << Text(move);
                    ++clicks;
                }
                // The echo comes back and lets the next move go.
                EXPECT_TRUE(WaitFor([&] { return doc->moves.size() > n && doc->CanSendMove(); }));
            } else {
                other.Os("play " + doc->GetId() + " " + Text(move));
                EXPECT_TRUE(WaitFor([&] { return doc->moves.size() > n || !doc->GetServer(); }));
            }
        }
        int alicesMoves = 0;
        bool black = doc->posStart.board.fBlackMove;
        for (size_t i = 0; i < doc->moves.size(); ++i, black = !black)
            alicesMoves += i >= start && black == aliceBlack;
        return alicesMoves - clicks;
    }

};

// Where a disc of the square shows in the game window.
QRgb DiscColour(CTavoDoc* doc, int row, int col)
{
    return ViewOf(doc)->grab().toImage().pixel(30 + 40 * col + 20, 30 + 40 * row + 20) | 0xFF000000;
}

} // namespace

TEST_F(LiveMatch, RatedGamePlayedByClicksToItsEnd)
{
    CTestClient& bob = User("bob");
    const std::string id = Match(bob, "8b 10:00//0:00");
    CTavoDoc* doc = WaitForWindow(id);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->players[1].login, "alice");
    EXPECT_TRUE(doc->IsPlaying());
    EXPECT_EQ(ViewOf(doc)->GetParentFrame()->windowTitle().left(14), QStringLiteral("alice vs bob  "));
    EXPECT_TRUE(ViewOf(doc)->GetParentFrame()->isMaximized());

    PlayOut(doc, bob, true);
    ASSERT_FALSE(::testing::Test::HasFailure());

    // The match's end reaches the window: the final result, then detached; the window
    // stays open with the final board.
    ASSERT_TRUE(WaitFor([&] { return doc->GetServer() == nullptr; }));
    EXPECT_TRUE(Holds(doc));
    EXPECT_EQ(Service()->FindPane(id), nullptr);
    EXPECT_EQ(doc->result.kind, CGGResult::kScore);
    EXPECT_EQ(doc->result.score, doc->posCurrent.board.Result(false));
    EXPECT_TRUE(ViewOf(doc)->IsFollowing());
    for (int row = 0; row < 8; ++row)
        for (int col = 0; col < 8; ++col) {
            const char square = doc->posCurrent.board.GetSquare(row, col);
            if (square != COsBoard::kEmpty) {
                EXPECT_EQ(DiscColour(doc, row, col), square == COsBoard::kBlack ? 0xFF000000u : 0xFFFFFFFFu);
            }
        }
    // Every move went out with the time it took.
    EXPECT_TRUE(Sent("t /os play " + id + " F5"));

    // A look at the finished game: a new window, not attached, at its start.
    const size_t windows = app.pGameTemplate->GetDocuments().size();
    Os("look " + id);
    ASSERT_TRUE(WaitFor([&] { return app.pGameTemplate->GetDocuments().size() == windows + 1; }));
    auto* looked = dynamic_cast<CTavoDoc*>(app.pGameTemplate->GetDocuments().back().get());
    EXPECT_EQ(looked->GetServer(), nullptr);
    EXPECT_EQ(looked->moves.size(), doc->moves.size());
    EXPECT_EQ(ViewOf(looked)->GetMoveIndex(), 0);
    // Looked at again: one more window.
    Os("look " + id);
    EXPECT_TRUE(WaitFor([&] { return app.pGameTemplate->GetDocuments().size() == windows + 2; }));
}

TEST_F(LiveMatch, WatchedGame)
{
    CTestClient& bob = User("bob");
    CTestClient& carol = User("carol");
    carol.Os("ask 8b 10:00//0:00 bob");
    bob.Os("accept " + IdOf(bob.Next("/os: + .")));
    const std::string id = IdOf(bob.Next("/os: + match "));

    // The match is listed; picking it asks to watch, and the join opens the window.
    ASSERT_TRUE(WaitFor([&] { return Service()->FindMatch(id) != nullptr; }));
    Service()->Watch(id);
    EXPECT_TRUE(Sent("t /os watch + " + id + "\n"));
    CTavoDoc* doc = WaitForWindow(id);
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(doc->IsPlaying());
    // Picking it again brings up the same window.
    Service()->Watch(id);
    EXPECT_EQ(app.pGameTemplate->GetDocuments().size(), 1u);

    // The players' moves reach the window; clicks of the watcher send nothing.
    carol.Os("play " + id + " F5");
    ASSERT_TRUE(WaitFor([&] { return doc->moves.size() == 1; }));
    ClickAt(ViewOf(doc), SquareCentre(MoveFrom("D6")));
    bob.Os("play " + id + " D6");
    ASSERT_TRUE(WaitFor([&] { return doc->moves.size() == 2; }));
    EXPECT_EQ(ViewOf(doc)->GetMoveIndex(), 2);
    EXPECT_EQ(server.GetClientBytes(0).find("t /os play"), std::string::npos);

    // Closing the window stops watching.
    ViewOf(doc)->GetParentFrame()->close();
    ASSERT_TRUE(WaitFor([&] { return !Holds(doc); }));
    EXPECT_TRUE(Sent("t /os watch - " + id + "\n"));
    EXPECT_EQ(Service()->FindPane(id), nullptr);
    EXPECT_EQ(Service()->FindGame(id), nullptr);
}

TEST_F(LiveMatch, SynchroMatchOpensTwoWindows)
{
    CTestClient& bob = User("bob");
    const std::string id = Match(bob, "s8 10:00//0:00");
    CTavoDoc* first = WaitForWindow(id + ".0");
    CTavoDoc* second = WaitForWindow(id + ".1");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(app.pGameTemplate->GetDocuments().size(), 2u);
    EXPECT_EQ(first->players[1].login, "alice");
    EXPECT_EQ(second->players[1].login, "bob");
    // The titles tell the two games apart.
    EXPECT_NE(first->GetTitle(), second->GetTitle());

    // alice opens the first game; bob the second.
    ClickAt(ViewOf(first), SquareCentre(MoveFrom("F5")));
    EXPECT_TRUE(Sent("t /os play " + id + ".0 F5"));
    bob.Os("play " + id + ".1 F5");
    ASSERT_TRUE(WaitFor([&] { return second->moves.size() == 1 && first->CanSendMove(); }));
    ClickAt(ViewOf(second), SquareCentre(MoveFrom("F6")));
    EXPECT_TRUE(Sent("t /os play " + id + ".1 F6"));

    // A break ends the match: both windows get the end and stay.
    Frame()->MDIArea()->setActiveSubWindow(ViewOf(first)->GetParentFrame());
    Frame()->RouteCommand(ID_GAME_BREAK);
    EXPECT_TRUE(Sent("t /os break " + id + ".0\n"));
    ASSERT_TRUE(WaitFor([&] { return !first->GetServer() && !second->GetServer(); }));
    EXPECT_EQ(first->result.kind, CGGResult::kAdjourned);
    EXPECT_EQ(app.pGameTemplate->GetDocuments().size(), 2u);
}

TEST_F(LiveMatch, KomiMatchThroughTheKomiDialog)
{
    CTestClient& bob = User("bob");
    const std::string id = Match(bob, "8k 10:00//0:00");
    CTavoDoc* doc = WaitForWindow(id);
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(doc->NeedsKomi());
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            QLineEdit* edit = EditOf(d, IDC_KOMI);
            edit->clear();
            TypeText(edit, QStringLiteral("3.5"));
            ClickButton(d, IDOK);
        });
        ClickAt(ViewOf(doc), SquareCentre(MoveFrom("F5")));
        EXPECT_TRUE(driver.Done());
    }
    EXPECT_TRUE(Sent("t /os play " + id + " F5/3.50"));
    EXPECT_TRUE(doc->moves.empty());
    EXPECT_FALSE(doc->CanSendMove());
    // bob bids less: alice keeps black and moves first; the game comes back whole.
    bob.Os("play " + id + " F5/2");
    ASSERT_TRUE(WaitFor([&] { return doc->moves.size() == 1; }));
    EXPECT_TRUE(doc->CanSendMove());
    EXPECT_EQ(doc->komiMoves[1].eval, 3.5);
    EXPECT_EQ(ViewOf(doc)->GetMoveIndex(), 1);
    EXPECT_TRUE(ViewOf(doc)->IsFollowing());
    // bob answers; no dialog for alice's next move.
    bob.Os("play " + id + " D6");
    ASSERT_TRUE(WaitFor([&] { return doc->moves.size() == 2; }));
    ClickAt(ViewOf(doc), SquareCentre(MoveFrom("C3")));
    EXPECT_TRUE(Sent("t /os play " + id + " C3"));
}

TEST_F(LiveMatch, AutopassAndAutoforce)
{
    // A real game in which black must pass: alice plays black's moves, bob white's;
    // passes and forced moves of alice go out by themselves.
    std::ifstream real(TAVO_GAMES_DIR "/wthor-2001.ggf");
    std::string line;
    ASSERT_TRUE(std::getline(real, line));
    std::istringstream text(line);
    COsGame game;
    text >> game;
    std::vector<COsMove> script;
    int passes = 0;
    int forced = 0;
    COsBoard board = game.posStart.board;
    for (const auto& item : game.moves) {
        if (board.fBlackMove) {
            const size_t legal = board.LegalMoves().size();
            passes += legal == 0;
            forced += legal == 1;
        }
        script.push_back(item.move);
        board.Update(item.move);
    }
    ASSERT_GT(passes, 0);
    ASSERT_GT(forced, 0);

    CTestClient& bob = User("bob");
    app.nAutopass = 1; // Notify: a box tells of each pass
    app.nAutoforce = 2; // Instant
    ModalDriver driver;
    for (int i = 0; i < passes; ++i)
        driver.AcceptMessageBox();
    const std::string id = Match(bob, "8b 10:00//0:00");
    CTavoDoc* doc = WaitForWindow(id);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(PlayOut(doc, bob, true, script, true), passes + forced);
    ASSERT_FALSE(::testing::Test::HasFailure());
    EXPECT_TRUE(WaitFor([&] { return driver.Done(); }));
    EXPECT_EQ(int(driver.messageBoxes.size()), passes);
    if (!driver.messageBoxes.empty()) {
        EXPECT_EQ(driver.messageBoxes[0], LoadStringResource(IDS_AUTOPASSED));
    }
    EXPECT_TRUE(Sent("t /os play " + id + " PA"));
    for (size_t i = 0; i < script.size(); ++i)
        EXPECT_EQ(doc->moves[i].move, script[i]) << i;
}

TEST_F(LiveMatch, UndoAbortResignAndBreakWithTheStoredMatch)
{
    CTestClient& bob = User("bob");
    // Undo: alice asks, bob agrees; the game comes back without the last two moves.
    std::string id = Match(bob, "8b 10:00//0:00");
    CTavoDoc* doc = WaitForWindow(id);
    ASSERT_NE(doc, nullptr);
    PlayOut(doc, bob, true, {MoveFrom("F5"), MoveFrom("D6"), MoveFrom("C3"), MoveFrom("D3")}, false, 4);
    ASSERT_EQ(doc->moves.size(), 4u);
    bob.Os("play " + id + " F5"); // not bob's turn: refused
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(Frame()->GetCommandAction(ID_GAME_UNDO)->isEnabled());
    Frame()->GetCommandAction(ID_GAME_UNDO)->trigger();
    EXPECT_TRUE(Sent("t /os undo " + id + "\n"));
    bob.Os("undo " + id);
    ASSERT_TRUE(WaitFor([&] { return doc->moves.size() == 2; }));
    EXPECT_EQ(Service()->FindPane(id), doc);
    EXPECT_EQ(ViewOf(doc)->GetMoveIndex(), 2);
    EXPECT_TRUE(doc->CanSendMove());

    // Abort: both agree; the window gets the end and stays.
    Frame()->GetCommandAction(ID_GAME_ABORT)->trigger();
    EXPECT_TRUE(Sent("t /os abort " + id + "\n"));
    bob.Os("abort " + id);
    ASSERT_TRUE(WaitFor([&] { return !doc->GetServer(); }));
    EXPECT_EQ(doc->result.kind, CGGResult::kAborted);
    Frame()->UpdateCommandUI();
    EXPECT_FALSE(Frame()->GetCommandAction(ID_GAME_ABORT)->isEnabled());

    // Resign.
    id = Match(bob, "8b 10:00//0:00");
    doc = WaitForWindow(id);
    ASSERT_NE(doc, nullptr);
    Frame()->UpdateCommandUI();
    Frame()->GetCommandAction(ID_GAME_RESIGN)->trigger();
    EXPECT_TRUE(Sent("t /os resign " + id + "\n"));
    ASSERT_TRUE(WaitFor([&] { return !doc->GetServer(); }));
    EXPECT_EQ(doc->result.kind, CGGResult::kResigned);
    EXPECT_LT(doc->result.score, 0); // black (alice) lost

    // Break a rated match: it is stored; asked for again, it goes on where it stopped.
    id = Match(bob, "8b 10:00//0:00");
    doc = WaitForWindow(id);
    ASSERT_NE(doc, nullptr);
    PlayOut(doc, bob, true, {MoveFrom("F5"), MoveFrom("F6")}, false, 2);
    ASSERT_EQ(doc->moves.size(), 2u);
    Frame()->UpdateCommandUI();
    Frame()->GetCommandAction(ID_GAME_BREAK)->trigger();
    EXPECT_TRUE(Sent("t /os break " + id + "\n"));
    ASSERT_TRUE(WaitFor([&] { return !doc->GetServer(); }));
    EXPECT_EQ(doc->result.kind, CGGResult::kAdjourned);
    const std::string board = doc->posCurrent.board.squares;
    // alice is asked whether to go on with it, and says yes.
    ModalDriver driver;
    driver.OnMessageBox([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    bob.Os("ask " + id);
    ASSERT_TRUE(WaitFor([&] { return driver.Done(); }));
    // The match goes on under a new id, in a new window.
    ASSERT_TRUE(WaitFor([&] { return Service()->panes.size() == 1; }));
    id = Service()->panes.begin()->first;
    CTavoDoc* resumed = Service()->panes.begin()->second;
    EXPECT_NE(resumed, doc); // a new window; the old one stays
    EXPECT_TRUE(Holds(doc));
    EXPECT_EQ(resumed->moves.size(), 2u);
    EXPECT_EQ(resumed->posCurrent.board.squares, board);
    EXPECT_TRUE(resumed->IsMyTurn());

    // Closing the window of the game in progress breaks it.
    ViewOf(resumed)->GetParentFrame()->close();
    EXPECT_TRUE(WaitFor([&] { return !Holds(resumed); }));
    EXPECT_TRUE(WaitFor([&] { return Count("t /os break " + id + "\n") == 1; }));
}
