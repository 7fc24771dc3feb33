// GGF game text: the writer's exact form, round trips of records, the reader's freedom
// of order and its handling of bad text.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "OsObjects.h"
#include "SameGame.h"
#include "TextForms.h"

namespace {

using Item = CGGMoveListItem<COsMove>;

COsGame Game(const std::string& ggf, bool* failed = nullptr) { return ReadFrom<COsGame>(ggf, failed); }

COsGame ReadBack(const COsGame& game) { return Game(Text(game)); }

// A game between "white" and "black" on the given type from its start position.
COsGame NewGame(const std::string& matchType, const std::string& moves = "") {
    COsGame game;
    game.Clear();
    game.matchType = ReadFrom<COsMatchType>(matchType);
    game.players[0] = {"white", 1650.5};
    game.players[1] = {"black", 1720};
    game.place = "GGS/os";
    game.posStart.board.Initialize(game.matchType.bt);
    game.posStart.clocks[0] = game.posStart.clocks[1] = CGGClock(900, 0, 120, CGGClock::kRunning);
    game.UpdatePosition();
    std::istringstream is(moves);
    Item item;
    while (is >> item) game.Play(item);
    return game;
}

}  // namespace

TEST(Ggf, WritesTheTagsInOrder) {
    COsGame game = NewGame("8", "F5/1.5/3 D6//2 C3");
    game.date = "2001.03.05";
    EXPECT_EQ(Text(game), "(;GM[Reversi]PC[GGS/os]DT[2001.03.05]PB[black]PW[white]RE[?]RB[1720]RW[1650.5]"
                          "TI[15:00//2:00]TY[8]BO[" + kStart8 + "]B[F5/1.50/3.00]W[D6//2.00]B[C3];)");
    EXPECT_EQ(Text(game.posStart.board), kStart8);

    // No date, no ratings, different clocks, a result with a score.
    game.date.clear();
    game.players[0].rating = game.players[1].rating = 0;
    game.posStart.clocks[1].timeLeft = 600;
    game.result.Set(-12, CGGResult::kResigned);
    EXPECT_EQ(Text(game), "(;GM[Reversi]PC[GGS/os]PB[black]PW[white]RE[-12:r]TB[10:00//2:00]TW[15:00//2:00]"
                          "TY[8]BO[" + kStart8 + "]B[F5/1.50/3.00]W[D6//2.00]B[C3];)");

    // The first move's colour is the start board's side to move; passes take their turn.
    game = NewGame("8");
    game.posStart.board.fBlackMove = false;
    game.UpdatePosition();
    game.Play(Item(COsMove(3, 2), 0, 0));
    game.Play(Item(COsMove(), 0, 0));
    game.Play(Item(COsMove(2, 2), 0, 0));
    const std::string text = Text(game);
    EXPECT_NE(text.find("O]W[C4]B[PA]W[C3];)"), std::string::npos) << text;

    // Komi games carry the komi moves and their mean only once there are moves.
    game = NewGame("8k");
    game.komiMoves[1] = Item(COsMove(), 3, 10);
    game.komiMoves[0] = Item(COsMove(), -2, 5);
    EXPECT_EQ(Text(game).find("]K"), std::string::npos);
    game.Play(Item(COsMove(4, 5), 0, 0));
    EXPECT_NE(Text(game).find("]TY[8k]BO[" + kStart8 + "]KB[PA/3.00/10.00]KW[PA/-2.00/5.00]KM[0.5]B[F5];)"),
              std::string::npos)
        << Text(game);
}

TEST(Ggf, RoundTrips) {
    // Every field the text carries comes back.
    COsGame game = NewGame("8", "F5/1.5/3 D6//2 C3/-0.25");
    game.date = "today";
    game.result.Set(24, CGGResult::kScore);
    game.posStart.clocks[0] = CGGClock(300, 5, 0, 0);
    game.UpdatePosition();
    ExpectSameGame(ReadBack(game), game);
    // Clocks that differ only in their increment are both written.
    game.posStart.clocks[0] = game.posStart.clocks[1];
    game.posStart.clocks[0].increment = 5;
    game.UpdatePosition();
    ExpectSameGame(ReadBack(game), game);

    // Komi games with moves carry the komi moves; the komi of the type too.
    game = NewGame("8k3.5", "F5 D6");
    game.komiMoves[1] = Item(COsMove(), 3, 10);
    game.komiMoves[0] = Item(COsMove(), -2, 5.5);
    game.UpdatePosition();
    ExpectSameGame(ReadBack(game), game);
    // Without moves they are not written, so a reading gives cleared komi moves.
    game = NewGame("8k");
    game.komiMoves[1] = Item(COsMove(), 3, 10);
    COsGame back = ReadBack(game);
    ExpectSameGame(back, game, false);
    EXPECT_EQ(back.komiMoves[1].eval, 0);

    // Results written "?" come back as in progress; one by agreement as a plain score.
    for (int kind : {CGGResult::kOverOnBoard, CGGResult::kAdjourned, CGGResult::kAborted}) {
        game = NewGame("8");
        game.result.Set(5, kind);
        EXPECT_EQ(ReadBack(game).result.kind, CGGResult::kUnknown) << kind;
    }
    game.result.Set(5, CGGResult::kAgreed);
    EXPECT_EQ(ReadBack(game).result.kind, CGGResult::kScore);
    EXPECT_EQ(ReadBack(game).result.score, 5);
    game.result.Set(-3.5, CGGResult::kTimeout);
    EXPECT_EQ(ReadBack(game).result.kind, CGGResult::kTimeout);
    EXPECT_EQ(ReadBack(game).result.score, -3.5);

    // Every board type, a start board with white to move, random starts and anti.
    for (const char* type : {"4", "6", "s10r20", "12a", "14", "88", "s88ar30"}) {
        SCOPED_TRACE(type);
        game = NewGame(type);
        game.posStart.board.fBlackMove = false;
        game.UpdatePosition();
        const std::vector<COsMove> legal = game.posCurrent.board.LegalMoves();
        ASSERT_FALSE(legal.empty());
        game.Play(Item(legal.back(), 0.5, 1));
        game.Play(Item(game.posCurrent.board.LegalMoves().front(), 0, 0));
        back = ReadBack(game);
        ExpectSameGame(back, game);
        EXPECT_EQ(Text(back), Text(game));
    }
}

TEST(Ggf, ReadsInAnyOrder) {
    const std::string moves = "B[F5]W[D6]";
    COsGame a = Game("(;GM[Reversi]PC[here]DT[then]PB[b]PW[w]RE[?]TI[5:00]TY[8k]BO[" + kStart8 +
                     "]KB[PA/4]KW[PA/2]KM[3]" + moves + ";)");
    COsGame b = Game(" \n(;GM[Othello]TY[8k]KM[3]RE[?]KW[PA/2]BO[" + kStart8 + "]PW[w]\n  KB[PA/4]PB[b]TI[5:00]DT[then]CO[any]" +
                     "PC[here]XX[unknown]" + moves + "  ;)");
    ExpectSameGame(a, b);
    EXPECT_EQ(a.date, "then");
    EXPECT_EQ(a.komiMoves[1].eval, 4);
    EXPECT_EQ(a.posStart.clocks[1].timeLeft, 300);
    EXPECT_EQ(a.posStart.clocks[0], a.posStart.clocks[1]);
    EXPECT_EQ(a.moves.size(), 2u);
    // Place, date and logins are kept as they stand, blanks included.
    EXPECT_EQ(Game("(;PC[ the club ]PB[a b];)").place, " the club ");
    EXPECT_EQ(Game("(;PC[ the club ]PB[a b];)").players[1].login, "a b");

    // A board text may have blanks and line ends between its squares.
    std::string rows;
    for (size_t i = 2; i < kStart8.size() - 2; i += 8) rows += kStart8.substr(i, 8) + "\n ";
    COsBoard board = ReadFrom<COsBoard>("8\n" + rows + "*");
    EXPECT_EQ(Text(board), kStart8);
    board = ReadFrom<COsBoard>("88 " + std::string(88, '-') + " O");
    EXPECT_TRUE(board.bt.fOctagon);
    EXPECT_FALSE(board.fBlackMove);
    EXPECT_EQ(board.GetSquare(0, 0), 'd');
    EXPECT_EQ(Text(board), "88 " + std::string(88, '-') + " O");

    // B and W are not compared with the side to move: the side comes from the replay.
    COsGame c = Game("(;BO[" + kStart8 + "]W[F5]W[D6];)");
    EXPECT_EQ(c.moves.size(), 2u);
    EXPECT_EQ(c.posCurrent.board.GetSquare(4, 5), '*');
    EXPECT_EQ(c.posCurrent.board.GetSquare(5, 3), 'O');

    // Games one after another in one stream, as a look reply holds them.
    std::istringstream two(Text(a) + "\n" + Text(c) + " rest");
    COsGame first, second;
    two >> first >> second;
    EXPECT_FALSE(two.fail());
    ExpectSameGame(first, a);
    EXPECT_EQ(second.moves.size(), 2u);
    std::string rest;
    two >> rest;
    EXPECT_EQ(rest, "rest");
}

TEST(Ggf, BadText) {
    COsGame game = NewGame("8", "F5 D6");
    // Not a game: a cleared record and a failed stream.
    for (const char* text : {"", "   ", "x(;", "(x", "(", ";)", "[(;]", "( ;)"}) {
        SCOPED_TRACE(text);
        game = NewGame("8", "F5 D6");
        std::istringstream is(text);
        is >> game;
        EXPECT_TRUE(is.fail());
        EXPECT_TRUE(game.moves.empty());
        EXPECT_TRUE(game.players[0].login.empty());
        EXPECT_EQ(game.posStart.board.bt.size, 0);
    }

    // A bad value spoils only its own field.
    game = Game("(;PB[b]RB[high]TI[x]TY[9]BO[" + kStart8 + "]RE[nonsense]B[F5]W[]B[Z99]W[F]B[C3];)");
    EXPECT_EQ(game.players[1].login, "b");
    EXPECT_EQ(game.players[1].rating, 0);
    EXPECT_EQ(game.matchType.bt.size, 8);
    EXPECT_EQ(game.result.kind, CGGResult::kAdjourned);
    ASSERT_EQ(game.moves.size(), 5u);
    EXPECT_TRUE(game.moves[1].move.fPass);
    EXPECT_EQ(game.posCurrent.board.squares.size(), 100u);

    // Cut short: what was read stays; the value the text ends inside is dropped.
    bool failed = false;
    for (const char* tail : {"B[F5]W[D", "B[F5]W[", "B[F5]W", "B[F5]", "B[F5];", "B[F5]W[D6];"}) {
        SCOPED_TRACE(tail);
        game = Game("(;PB[b]BO[" + kStart8 + "]" + tail, &failed);
        EXPECT_EQ(game.moves.size(), std::string(tail).find("W[D6]") == std::string::npos ? 1u : 2u);
        EXPECT_EQ(game.players[1].login, "b");
        EXPECT_EQ(game.posCurrent.board.GetSquare(4, 5), '*');
    }
    // A game without a board has an empty board; its moves place nothing.
    game = Game("(;B[F5]W[D6];)");
    EXPECT_EQ(game.moves.size(), 2u);
    EXPECT_TRUE(game.posCurrent.board.squares.empty());

    // Boards: an unknown size reads as an empty 8x8 board; too few squares leave the rest
    // empty; characters outside the table are stored as empty squares.
    COsBoard board = ReadFrom<COsBoard>("9 ***", &failed);
    EXPECT_TRUE(failed);
    EXPECT_EQ(board.bt.size, 8);
    EXPECT_EQ(board.squares.size(), 100u);
    EXPECT_EQ(board.NetCount(), 0);
    EXPECT_TRUE(board.fBlackMove);
    board = ReadFrom<COsBoard>("4 *O*x", &failed);
    EXPECT_TRUE(failed);
    EXPECT_EQ(Text(board), "4 *O*------------- *");
    board = ReadFrom<COsBoard>("4 dddd------------ O");
    EXPECT_EQ(Text(board), "4 ---------------- O");
    EXPECT_EQ(board.GetSquare(0, 0), '-');
    board = ReadFrom<COsBoard>("99999999999999999999 *");
    EXPECT_EQ(board.bt.size, 8);

    // Moves on occupied squares and off the board take their turn and change nothing.
    std::ostringstream quiet;
    std::streambuf* old = std::clog.rdbuf(quiet.rdbuf());
    game = Game("(;BO[" + kStart8 + "]B[D4]W[A0]B[Q5]W[F5]B[F5/1e400/1e400]W[A99999999999];)");
    std::clog.rdbuf(old);
    // Only W[F5] places a disc: one that flips nothing.
    EXPECT_EQ(game.moves.size(), 6u);
    EXPECT_EQ(game.posCurrent.board.NetCount(), -1);
    EXPECT_EQ(game.posCurrent.board.squares.size(), 100u);
    EXPECT_TRUE(game.posCurrent.board.fBlackMove);
}
