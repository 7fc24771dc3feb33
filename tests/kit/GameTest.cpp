#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "OsObjects.h"
#include "TextForms.h"

namespace {

using Item = CGGMoveListItem<COsMove>;

Item Entry(const std::string& text) { return ReadFrom<Item>(text); }

// A game on the given board between "white" and "black" with 10-minute clocks.
COsGame NewGame(const std::string& matchType = "8", COsBoardType bt = Type(8)) {
    COsGame game;
    game.Clear();
    game.matchType = ReadFrom<COsMatchType>(matchType);
    game.players[0].login = "white";
    game.players[1].login = "black";
    game.posStart.board.Initialize(bt);
    game.posStart.clocks[0] = game.posStart.clocks[1] = CGGClock(600, 2, 60, CGGClock::kRunning);
    game.UpdatePosition();
    return game;
}

}  // namespace

TEST(GGMoveListItem, TextForms) {
    Item item = Entry("F5");
    EXPECT_EQ(item.move, COsMove(4, 5));
    EXPECT_EQ(item.eval, 0);
    EXPECT_EQ(item.time, 0);
    EXPECT_EQ(Text(item), "F5");
    item = Entry("F5/1.5");
    EXPECT_EQ(item.eval, 1.5);
    EXPECT_EQ(Text(item), "F5/1.50");
    item = Entry("F5//12");
    EXPECT_EQ(item.eval, 0);
    EXPECT_EQ(item.time, 12);
    EXPECT_EQ(Text(item), "F5//12.00");
    item = Entry("f5/-3.25/12.00");
    EXPECT_EQ(Text(item), "F5/-3.25/12.00");
    item = Entry("PASS/0/3");
    EXPECT_TRUE(item.move.fPass);
    EXPECT_EQ(Text(item), "PA//3.00");
    EXPECT_EQ(Text(Entry("pa")), "PA");
    EXPECT_EQ(Text(Entry("F5x/2")), "F5/2.00");

    // The stream's number format is left as it was.
    std::ostringstream os;
    os << Entry("A1/0.126") << ' ' << 0.126;
    EXPECT_EQ(os.str(), "A1/0.13 0.126");

    // An entry followed by more text leaves the stream good; the empty evaluation too.
    std::istringstream is("C4//7.5 D3/1/2");
    is >> item;
    EXPECT_TRUE(is.good());
    EXPECT_EQ(item.time, 7.5);
    is >> item;
    EXPECT_EQ(item.move, COsMove(2, 3));
    EXPECT_EQ(item.eval, 1);
    EXPECT_EQ(item.time, 2);
    EXPECT_FALSE(is.fail());
    std::istringstream end("E6/");
    end >> item;
    EXPECT_FALSE(end.fail());
    std::istringstream empty("");
    empty >> item;
    EXPECT_TRUE(empty.fail());

    // A list grown by resizing holds passes that took no time.
    CGGMoveList<COsMove> list;
    list.push_back(Entry("F5"));
    list.resize(2);
    EXPECT_TRUE(list[1].move.fPass);
    EXPECT_EQ(list[1].time, 0);
}

TEST(GGPosition, ClocksAndMoves) {
    CGGPosition<COsBoard, COsMove> pos;
    pos.board.Initialize(Type(8));
    pos.clocks[0] = CGGClock(100, 5, 0, 0);
    pos.clocks[1] = CGGClock(100, 5, 0, 0);
    pos.Update(Item(COsMove(4, 5), 0, 30));
    EXPECT_EQ(pos.clocks[1].timeLeft, 75);  // black moved: charged, then the increment
    EXPECT_EQ(pos.clocks[0].timeLeft, 100);
    EXPECT_FALSE(pos.board.fBlackMove);
    EXPECT_EQ(pos.board.NetCount(), 3);

    Item komi[2] = {Item(COsMove(), -2, 20), Item(COsMove(), 3, 40)};
    pos.ChargeKomiTime(komi);  // white to move: black, the side not to move, is charged
    EXPECT_EQ(pos.clocks[1].timeLeft, 40);
    EXPECT_EQ(pos.clocks[0].timeLeft, 100);

    CGGMoveList<COsMove> moves;
    moves.push_back(Entry("F5"));
    moves.push_back(Entry("D6"));
    CGGPosition<COsBoard, COsMove> replay;
    replay.board.Initialize(Type(8));
    replay.Replay(moves, 99);
    EXPECT_TRUE(replay.board.fBlackMove);
    EXPECT_EQ(replay.board.NetCount(), 0);
    replay.Clear();
    EXPECT_EQ(replay.board.bt.size, 0);
    EXPECT_EQ(replay.clocks[0], CGGClock(0, 0, 0, 0));
}

TEST(GGGame, PositionsAndKomi) {
    COsGame game = NewGame();
    EXPECT_EQ(game.result.kind, CGGResult::kUnknown);
    game.Play(Item(COsMove(4, 5), 0, 10));  // F5
    game.Play(Item(COsMove(5, 3), 0, 20));  // D6
    game.Play(Item(COsMove(2, 2), 0, 30));  // C3
    EXPECT_EQ(game.moves.size(), 3u);
    EXPECT_EQ(game.posCurrent.clocks[1].timeLeft, 600 - 10 + 2 - 30 + 2);
    EXPECT_EQ(game.posCurrent.clocks[0].timeLeft, 600 - 20 + 2);

    auto p0 = game.GetPosition(0);
    EXPECT_EQ(p0.board.squares, game.posStart.board.squares);
    EXPECT_EQ(p0.clocks[1], game.posStart.clocks[1]);
    auto p1 = game.GetPosition(1);
    EXPECT_FALSE(p1.board.fBlackMove);
    EXPECT_EQ(p1.clocks[1].timeLeft, 592);
    auto pMany = game.GetPosition(1000);
    EXPECT_EQ(pMany.board.squares, game.posCurrent.board.squares);
    EXPECT_EQ(pMany.clocks[0], game.posCurrent.clocks[0]);

    // A komi game: position 0 is untouched, later positions charge the side not to move at
    // the start (white) with its komi bid's time before the first move.
    COsGame komi = NewGame("8k");
    EXPECT_TRUE(komi.NeedsKomi());
    komi.komiMoves[0] = Item(COsMove(), -1.5, 15);
    komi.komiMoves[1] = Item(COsMove(), 2.5, 25);
    komi.Play(Item(COsMove(4, 5), 0, 10));
    EXPECT_FALSE(komi.NeedsKomi());
    auto k0 = komi.GetPosition(0);
    EXPECT_EQ(k0.clocks[0].timeLeft, 600);
    EXPECT_EQ(k0.clocks[1].timeLeft, 600);
    auto k1 = komi.GetPosition(1);
    EXPECT_EQ(k1.clocks[0].timeLeft, 600 - 15 + 2);
    EXPECT_EQ(k1.clocks[1].timeLeft, 600 - 10 + 2);
    komi.UpdatePosition();
    EXPECT_EQ(komi.posCurrent.clocks[0].timeLeft, 587);

    // Undo takes back two moves; with fewer than two nothing happens.
    game.Play(Item(COsMove(3, 2), 0, 0));
    game.Play(Item(COsMove(2, 4), 0, 0));
    EXPECT_EQ(game.moves.size(), 5u);
    game.Undo();
    EXPECT_EQ(game.moves.size(), 3u);
    EXPECT_EQ(game.posCurrent.board.squares, game.GetPosition(3).board.squares);
    COsGame two = NewGame();
    two.Play(Item(COsMove(4, 5), 0, 5));
    two.Play(Item(COsMove(5, 3), 0, 5));
    two.Undo();
    EXPECT_TRUE(two.moves.empty());
    EXPECT_EQ(two.posCurrent.board.squares, two.posStart.board.squares);
    EXPECT_EQ(two.posCurrent.clocks[1], two.posStart.clocks[1]);
    COsGame one = NewGame();
    one.Play(Item(COsMove(4, 5), 0, 0));
    one.Undo();
    EXPECT_EQ(one.moves.size(), 1u);

    // Clear empties the record, the komi moves included.
    komi.Clear();
    EXPECT_TRUE(komi.moves.empty());
    EXPECT_EQ(komi.players[1].login, "");
    EXPECT_EQ(komi.komiMoves[0].time, 0);
    EXPECT_EQ(komi.komiMoves[1].eval, 0);
    EXPECT_EQ(komi.matchType.kind, '?');
    EXPECT_EQ(komi.result.kind, CGGResult::kUnknown);
    EXPECT_TRUE(komi.posStart.board.squares.empty());
}

TEST(GGGame, EndOfGameResultsAndTurns) {
    // On 4x4, the first legal move each time until the end: the last move sets kind 3 and the score.
    for (bool anti : {false, true}) {
        COsGame game = NewGame(anti ? "4a" : "4", Type(4));
        int guard = 0;
        while (!game.IsOver() && guard++ < 100) {
            std::vector<COsMove> legal = game.posCurrent.board.LegalMoves();
            COsMove mv;
            if (!legal.empty()) mv = legal.front();
            EXPECT_EQ(game.result.kind, CGGResult::kUnknown);
            game.Play(Item(mv, 0, 1));
        }
        ASSERT_TRUE(game.IsOver());
        EXPECT_EQ(game.result.kind, CGGResult::kOverOnBoard);
        EXPECT_EQ(game.result.score, game.posCurrent.board.Result(anti));
        int black, white, empty;
        game.posCurrent.board.CountDiscs(black, white, empty);
        int net = black - white;
        int expected = net > 0 ? net + empty : net < 0 ? net - empty : 0;
        EXPECT_EQ(game.result.score, anti ? -expected : expected);
        EXPECT_FALSE(game.IsPlayerToMove("white"));
        EXPECT_FALSE(game.IsPlayerToMove("black"));
    }

    COsGame game = NewGame();
    EXPECT_TRUE(game.IsPlayerToMove("black"));
    EXPECT_FALSE(game.IsPlayerToMove("white"));
    EXPECT_FALSE(game.IsPlayerToMove("someone"));
    game.Play(Item(COsMove(4, 5), 0, 0));
    EXPECT_TRUE(game.IsPlayerToMove("white"));
    EXPECT_FALSE(game.IsPlayerToMove("black"));
    game.result.Set(0, CGGResult::kAdjourned);
    EXPECT_FALSE(game.IsPlayerToMove("white"));
    EXPECT_FALSE(game.IsPlayerToMove("black"));

    // A game over on its board is nobody's turn, even while its result is still unknown
    // (a record that starts from a finished position).
    COsGame full = NewGame();
    for (int row = 0; row < 8; row++)
        for (int col = 0; col < 8; col++)
            full.posStart.board.Set(row, col, row < 4 ? '*' : 'O');
    full.UpdatePosition();
    ASSERT_EQ(full.result.kind, CGGResult::kUnknown);
    EXPECT_FALSE(full.IsPlayerToMove("black"));
    EXPECT_FALSE(full.IsPlayerToMove("white"));

    COsGame komi = NewGame("8k");
    EXPECT_TRUE(komi.IsPlayerToMove("white"));
    EXPECT_TRUE(komi.IsPlayerToMove("black"));
    EXPECT_FALSE(komi.IsPlayerToMove("other"));
    komi.Play(Item(COsMove(4, 5), 0, 0));
    EXPECT_TRUE(komi.IsPlayerToMove("white"));
    EXPECT_FALSE(komi.IsPlayerToMove("black"));

    CGGResult r;
    r.Set(10, CGGResult::kResigned);
    game.SetResult(r, "white");
    EXPECT_EQ(game.result.score, -10);
    EXPECT_EQ(game.result.kind, CGGResult::kResigned);
    game.SetResult(r, "black");
    EXPECT_EQ(game.result.score, 10);
    game.SetResult(r, "nobody");
    EXPECT_EQ(game.result.score, 10);
}

TEST(GGGame, OctagonAndLargeBoards) {
    // Random play to the end on the octagon and on 14x14: the current position always
    // equals the recomputed one.
    for (COsBoardType bt : {Type(10, true), Type(14), Type(6)}) {
        COsGame game = NewGame(bt.fOctagon ? "88" : std::to_string(bt.size), bt);
        unsigned seed = 7;
        while (!game.IsOver()) {
            std::vector<COsMove> legal = game.posCurrent.board.LegalMoves();
            COsMove mv;
            if (!legal.empty()) mv = legal[(seed = seed * 1103515245 + 12345) % legal.size()];
            ASSERT_TRUE(game.posCurrent.board.IsLegal(mv));
            game.Play(Item(mv, 0, 0));
        }
        EXPECT_EQ(game.result.kind, CGGResult::kOverOnBoard) << bt.Name();
        EXPECT_EQ(game.GetPosition(game.moves.size()).board.squares, game.posCurrent.board.squares);
        int black, white, empty;
        game.posCurrent.board.CountDiscs(black, white, empty);
        EXPECT_EQ(black + white + empty, bt.NSquares());
    }
}
