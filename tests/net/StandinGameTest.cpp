#include "StandinGame.h"
#include "../kit/TextForms.h"

#include <gtest/gtest.h>

namespace {

using Item = CStandinGame::Item;

COsMove Move(const char* text) { return ReadFrom<COsMove>(text); }

Item At(const char* text, double eval = 0) { return Item(Move(text), eval, 0); }

CGGClock Clock(double time, double increment, double extension)
{
    return CGGClock(time, increment, extension, CGGClock::kRunning);
}

// White "w", black "b", both with the clock given, from the usual start at time 1000.
CStandinGame NewGame(const char* type, const CGGClock& clock = Clock(600, 0, 0))
{
    CGGPlayer players[2];
    players[0].login = "w";
    players[1].login = "b";
    const CGGClock clocks[2] = {clock, clock};
    const COsMatchType matchType = ReadFrom<COsMatchType>(type);
    COsBoard start;
    start.Initialize(matchType.bt);
    CStandinGame game;
    game.Start("g", matchType, players, clocks, start, "here", "today", 1000);
    return game;
}

} // namespace

TEST(StandinGame, MovesNeedTheirTurnAndTheRules)
{
    CStandinGame game = NewGame("8");
    Item played;
    EXPECT_EQ(game.Play("nobody", At("F5"), 1001, played), CStandinGame::kNotPlaying);
    EXPECT_EQ(game.Play("w", At("F5"), 1001, played), CStandinGame::kNotYourTurn);
    EXPECT_EQ(game.Play("b", At("A1"), 1001, played), CStandinGame::kIllegal);
    EXPECT_EQ(game.Play("b", At("PA"), 1001, played), CStandinGame::kIllegal);   // a move exists
    EXPECT_TRUE(game.record.moves.empty());

    // The time is the server's, in hundredths; the evaluation is the sender's.
    Item item = At("F5", 1.5);
    item.time = 99;
    ASSERT_EQ(game.Play("b", item, 1003.456, played), CStandinGame::kPlayed);
    EXPECT_EQ(played.move, Move("F5"));
    EXPECT_DOUBLE_EQ(played.eval, 1.5);
    EXPECT_DOUBLE_EQ(played.time, 3.46);
    ASSERT_EQ(game.record.moves.size(), 1u);
    EXPECT_DOUBLE_EQ(game.record.posCurrent.clocks[1].timeLeft, 600 - 3.46);
    EXPECT_FALSE(game.record.posCurrent.board.fBlackMove);
    EXPECT_EQ(game.Play("b", At("F4"), 1004, played), CStandinGame::kNotYourTurn);
    EXPECT_EQ(game.Play("w", At("F4"), 1004, played), CStandinGame::kPlayed);
    EXPECT_FALSE(game.IsOver());

    // Over on the board: scored from black's view, empty squares to the winner.
    CStandinGame small = NewGame("4");
    int moves = 0;
    while (!small.IsOver() && moves < 40) {
        const COsBoard& board = small.record.posCurrent.board;
        const std::vector<COsMove> legal = board.LegalMoves();
        Item next;
        next.move = legal.empty() ? COsMove() : legal.front();
        ASSERT_EQ(small.Play(small.Login(board.fBlackMove ? 1 : 0), next, 1000, played), CStandinGame::kPlayed);
        ++moves;
    }
    ASSERT_TRUE(small.IsOver());
    EXPECT_EQ(small.record.result.kind, CGGResult::kOverOnBoard);
    EXPECT_EQ(small.BoardResult().score, small.record.posCurrent.board.Result(false));
    EXPECT_EQ(small.BoardResult().kind, CGGResult::kScore);
    EXPECT_EQ(small.Play("b", At("PA"), 1000, played), CStandinGame::kFinished);

    EXPECT_EQ(game.LossFor("b", CGGResult::kResigned).score, -64);
    EXPECT_EQ(game.LossFor("w", CGGResult::kTimeout).score, 64);
    EXPECT_EQ(game.LossFor("w", CGGResult::kTimeout).kind, CGGResult::kTimeout);
}

TEST(StandinGame, ClocksRunIntoTheExtensionThenOut)
{
    // 60 seconds, 5 seconds increment, 30 seconds extension.
    CStandinGame game = NewGame("8", Clock(60, 5, 30));
    std::string login;
    EXPECT_DOUBLE_EQ(game.NextAlarm(), 1060);
    EXPECT_EQ(game.Check(1060, login), CStandinGame::kQuiet);
    EXPECT_EQ(game.Check(1060.5, login), CStandinGame::kExtension);
    EXPECT_EQ(login, "b");
    EXPECT_EQ(game.Check(1061, login), CStandinGame::kQuiet);   // reported once
    EXPECT_DOUBLE_EQ(game.NextAlarm(), 1090);

    // A move within the extension: the clock is in extension from then on, with the
    // increment added; the other side's clock starts.
    Item played;
    ASSERT_EQ(game.Play("b", At("F5"), 1070, played), CStandinGame::kPlayed);
    const CGGClock& black = game.record.posCurrent.clocks[1];
    EXPECT_EQ(black.state, CGGClock::kInExtension);
    EXPECT_DOUBLE_EQ(black.timeLeft, 20 + 5);
    EXPECT_DOUBLE_EQ(game.NextAlarm(), 1130);
    ASSERT_EQ(game.Play("w", At("F4"), 1071, played), CStandinGame::kPlayed);
    EXPECT_DOUBLE_EQ(game.NextAlarm(), 1071 + 25);
    EXPECT_EQ(game.Check(1096.01, login), CStandinGame::kTimeUp);
    EXPECT_EQ(login, "b");
    // A move after the time ran out is refused.
    EXPECT_EQ(game.Play("b", At("E3"), 1097, played), CStandinGame::kOutOfTime);

    // Without an extension there is no notice, only the end.
    CStandinGame plain = NewGame("8", Clock(10, 0, 0));
    EXPECT_DOUBLE_EQ(plain.NextAlarm(), 1010);
    EXPECT_EQ(plain.Check(1010.01, login), CStandinGame::kTimeUp);

    // A finished game runs no clock.
    plain.Finish(plain.LossFor("b", CGGResult::kTimeout));
    EXPECT_LT(plain.NextAlarm(), 0);
    EXPECT_EQ(plain.Check(5000, login), CStandinGame::kQuiet);
}

TEST(StandinGame, KomiBidsDecideColoursAndTheKomi)
{
    CStandinGame game = NewGame("8k", Clock(100, 0, 0));
    Item played;
    // Both clocks run until each has bid.
    EXPECT_DOUBLE_EQ(game.NextAlarm(), 1100);
    EXPECT_EQ(game.Play("b", At("A1", 1), 1001, played), CStandinGame::kIllegal);
    EXPECT_EQ(game.Play("b", At("F5", 2), 1002, played), CStandinGame::kBidTaken);
    EXPECT_EQ(game.Play("b", At("F5", 9), 1003, played), CStandinGame::kNotYourTurn);
    std::string login;
    EXPECT_EQ(game.Check(1100.5, login), CStandinGame::kTimeUp);
    EXPECT_EQ(login, "w");
    EXPECT_EQ(game.Play("w", At("D3", 5), 1010, played), CStandinGame::kBidsDone);

    // The higher bidder ("w") is black now, and its bid is the first move.
    EXPECT_EQ(game.Login(1), "w");
    EXPECT_EQ(game.Login(0), "b");
    EXPECT_EQ(played.move, Move("D3"));
    EXPECT_DOUBLE_EQ(played.time, 10);
    ASSERT_EQ(game.record.moves.size(), 1u);
    EXPECT_DOUBLE_EQ(game.record.komiMoves[1].eval, 5);
    EXPECT_DOUBLE_EQ(game.record.komiMoves[0].eval, 2);
    EXPECT_DOUBLE_EQ(game.Komi(), 3.5);
    // Each bid's time is charged to its bidder.
    EXPECT_DOUBLE_EQ(game.record.posCurrent.clocks[1].timeLeft, 90);
    EXPECT_DOUBLE_EQ(game.record.posCurrent.clocks[0].timeLeft, 98);
    EXPECT_FALSE(game.record.posCurrent.board.fBlackMove);
    EXPECT_EQ(game.Play("b", At("C3"), 1011, played), CStandinGame::kPlayed);
    // The komi goes to white: 3 discs to 2 for black now, so white leads by a half.
    EXPECT_DOUBLE_EQ(game.BoardResult().score, game.record.posCurrent.board.Result(false) - 3.5);

    // The komi moves are in the text, the first move too.
    const std::string text = Text(game.record);
    EXPECT_NE(text.find("]KB[D3/5.00/10.00]KW[F5/2.00/2.00]KM[3.5]B[D3/5.00/10.00]W[C3/"), std::string::npos)
        << text;

    // Equal bids: the player who had black keeps it.
    CStandinGame even = NewGame("8k");
    EXPECT_EQ(even.Play("w", At("F5", 1), 1001, played), CStandinGame::kBidTaken);
    EXPECT_EQ(even.Play("b", At("E6", 1), 1002, played), CStandinGame::kBidsDone);
    EXPECT_EQ(even.Login(1), "b");
    EXPECT_EQ(played.move, Move("E6"));
}

TEST(StandinGame, UndoGivesTheAskerTheMoveAgain)
{
    CStandinGame game = NewGame("8");
    Item played;
    EXPECT_FALSE(game.Undo("b", 1000));
    ASSERT_EQ(game.Play("b", At("F5"), 1000, played), CStandinGame::kPlayed);
    ASSERT_EQ(game.Play("w", At("F4"), 1000, played), CStandinGame::kPlayed);
    ASSERT_EQ(game.Play("b", At("E3"), 1000, played), CStandinGame::kPlayed);
    // White to move asks: black's last move and white's go.
    EXPECT_TRUE(game.Undo("w", 1000));
    EXPECT_EQ(game.record.moves.size(), 1u);
    EXPECT_FALSE(game.record.posCurrent.board.fBlackMove);
    // Black asks while white is to move: only black's own last move goes.
    EXPECT_TRUE(game.Undo("b", 1000));
    EXPECT_TRUE(game.record.moves.empty());
    EXPECT_TRUE(game.record.posCurrent.board.fBlackMove);
    EXPECT_FALSE(game.Undo("x", 1000));

    // A komi game keeps its first move, which carries the bids.
    CStandinGame komi = NewGame("8k");
    ASSERT_EQ(komi.Play("w", At("F5", 1), 1001, played), CStandinGame::kBidTaken);
    ASSERT_EQ(komi.Play("b", At("F5", 2), 1002, played), CStandinGame::kBidsDone);
    EXPECT_FALSE(komi.Undo("b", 1003));
    EXPECT_EQ(komi.record.moves.size(), 1u);
}
