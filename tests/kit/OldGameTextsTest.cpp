// The logbook and IOS game readers and the date of a time stamp.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

#include "OsObjects.h"
#include "TextForms.h"

namespace {

const char kGame[] =
    "+F5-D6+C5-F4+E3-C6+D3-F6+E6-D7+G3-C4+G5-C3+F7-D2+E7-F2+C8-F3+C7-H3+E2-F1+D1-E1+G1-G4+C1-H6+H4-H5+B5-H2+G6-C2+B1"
    "-A6+B3-B4+A3-F8+A5-A4+G2-D8+E8-B8+A7-H1+B7-A1-A2+B2-B6-A8-G7+H7-H8+G8: -42 10";

COsGame Logbook(const std::string& text) {
    COsGame game;
    std::istringstream is(text);
    game.ReadLogbook(is);
    return game;
}

COsGame Ios(const std::string& text) {
    COsGame game;
    std::istringstream is(text);
    game.ReadIOS(is);
    return game;
}

std::string Moves(const COsGame& game) {
    std::string text;
    for (const CGGMoveListItem<COsMove>& item : game.moves) text += Text(item.move) + " ";
    return text;
}

}  // namespace

TEST(Logbook, ReadsMovesWithPasses) {
    // A tournament game in which black runs out of moves three times: the passes are
    // inserted.
    COsGame game = Logbook(kGame);
    EXPECT_EQ(game.place, "logbook");
    EXPECT_EQ(game.players[0].login, "logtest");
    EXPECT_EQ(game.players[1].login, "logtest");
    EXPECT_EQ(Text(game.matchType), "8");
    EXPECT_EQ(game.posStart.board.NetCount(), 0);
    EXPECT_TRUE(game.posStart.board.fBlackMove);
    EXPECT_EQ(game.posStart.clocks[0], CGGClock(0, 0, 0, 0));
    const std::string moves = Moves(game);
    EXPECT_NE(moves.find("A1 PA A2 B2 B6 PA A8 PA G7"), std::string::npos) << moves;
    const std::string ggf = Text(game);
    EXPECT_NE(ggf.find("W[A1]B[PA]W[A2]B[B2]W[B6]B[PA]W[A8]B[PA]W[G7]B[H7]W[H8]B[G8];)"), std::string::npos) << ggf;
    EXPECT_TRUE(game.IsOver());
    EXPECT_EQ(game.result.kind, CGGResult::kScore);
    EXPECT_EQ(game.result.score, -42);
}

TEST(Logbook, ResultsAndBadText) {
    // The disc difference read becomes the score, kind 6.
    COsGame game = Logbook("+F5-D6+C3-D3+C4: 3 10");
    EXPECT_EQ(game.moves.size(), 5u);
    EXPECT_EQ(game.result.kind, CGGResult::kScore);
    EXPECT_EQ(game.result.score, 3);
    // Blanks between the tokens are allowed.
    game = Logbook("  + F5 - d6 +C3\n-D3 :\n 1 10");
    EXPECT_EQ(Moves(game), "F5 D6 C3 D3 ");
    EXPECT_EQ(game.result.score, 1);

    // Without a disc difference the result is what the moves made: in progress here.
    game = Logbook("+F5-D6+C3");
    EXPECT_EQ(game.moves.size(), 3u);
    EXPECT_EQ(game.result.kind, CGGResult::kUnknown);
    EXPECT_EQ(game.result.score, 0);
    game = Logbook("+F5-D6: x");
    EXPECT_EQ(game.result.kind, CGGResult::kUnknown);

    // A game that ends on the board keeps kind 3 until a difference is read.
    game = Logbook(std::string(kGame).substr(0, std::string(kGame).find(':')));
    ASSERT_TRUE(game.IsOver());
    EXPECT_EQ(game.result.kind, CGGResult::kOverOnBoard);

    // Moves off the board, on occupied squares, a sign with no move: no harm done.
    std::ostringstream quiet;
    std::streambuf* old = std::clog.rdbuf(quiet.rdbuf());
    game = Logbook("+Z9-D5+F5-A0+");
    std::clog.rdbuf(old);
    EXPECT_EQ(game.posCurrent.board.squares.size(), 100u);
    EXPECT_EQ(game.moves.size(), 4u);
    game = Logbook("");
    EXPECT_TRUE(game.moves.empty());
    EXPECT_EQ(game.posCurrent.board.NetCount(), 0);
}

TEST(Ios, ReadsRecords) {
    COsGame game = Ios("86400 e blackie 34 (15 0 2) whitey 30 (10 5 1) 65 -46 0 trailing");
    EXPECT_EQ(game.place, "IOS");
    EXPECT_EQ(game.date, "1970-01-02 00:00:00 GMT");
    EXPECT_EQ(game.players[1].login, "blackie");
    EXPECT_EQ(game.players[0].login, "whitey");
    EXPECT_EQ(game.posStart.clocks[1], CGGClock(900, 0, 120, 0));
    EXPECT_EQ(game.posStart.clocks[0], CGGClock(600, 5, 60, 0));
    EXPECT_EQ(Moves(game), "F5 D6 ");
    EXPECT_EQ(game.result.score, 4);
    EXPECT_EQ(game.result.kind, CGGResult::kScore);
    // The current position carries the clocks charged with the moves' time (none).
    EXPECT_EQ(game.posCurrent.clocks[1].timeLeft, 900);
    EXPECT_EQ(game.posCurrent.clocks[0].timeLeft, 605);

    // Square numbers: 56 is E6; a negative number is a white move (-34 on C4).
    COsMove mv;
    mv.SetFromSquareNumber(56);
    EXPECT_EQ(mv, COsMove(5, 4));
    game = Ios("0 r b 2 (1 0 0) w 3 (1 0 0) 56 -34");
    EXPECT_TRUE(game.date.empty());
    EXPECT_EQ(Moves(game), "E6 C4 ");
    EXPECT_EQ(game.posCurrent.board.GetSquare(3, 2), 'O');
    EXPECT_EQ(game.result.kind, CGGResult::kResigned);
    EXPECT_EQ(game.result.score, -1);
    EXPECT_EQ(Ios("5 t b 2 (1 0 0) w 3 (1 0 0) 0").result.kind, CGGResult::kTimeout);
    EXPECT_EQ(Ios("5 x b 2 (1 0 0) w 3 (1 0 0) 0").result.kind, CGGResult::kUnknown);

    // The tournament game as square numbers, without its passes: they are inserted, the
    // game ends on the board and keeps kind 3; the score is the disc counts' difference.
    const COsGame logbook = Logbook(kGame);
    std::string ios = "1 e b 11 (1 0 0) w 53 (1 0 0)";
    bool black = true;
    for (const CGGMoveListItem<COsMove>& item : logbook.moves) {
        if (!item.move.fPass)
            ios += " " + std::to_string((black ? 1 : -1) * (10 * (item.move.col + 1) + item.move.row + 1));
        black = !black;
    }
    game = Ios(ios + " 0");
    EXPECT_EQ(Moves(game), Moves(logbook));
    EXPECT_EQ(game.result.kind, CGGResult::kOverOnBoard);
    EXPECT_EQ(game.result.score, -42);

    // Bad text: no time stamp, nonsense squares, huge numbers.
    game = Ios("x");
    EXPECT_TRUE(game.moves.empty());
    EXPECT_EQ(game.place, "IOS");
    EXPECT_EQ(game.posCurrent.board.NetCount(), 0);
    std::ostringstream quiet;
    std::streambuf* old = std::clog.rdbuf(quiet.rdbuf());
    game = Ios("99999999999999999999 e b 1 (1 0 0) w 1 (1 0 0) 99 -11 2147483647 -2147483648 45 0");
    std::clog.rdbuf(old);
    EXPECT_EQ(game.posCurrent.board.squares.size(), 100u);
}

TEST(Ios, SetDate) {
    COsGame game;
    game.SetDate(0);
    EXPECT_EQ(game.date, "1970-01-01 00:00:00 GMT");
    game.SetDate(86400);
    EXPECT_EQ(game.date, "1970-01-02 00:00:00 GMT");
    game.SetDate(951782400 + 86399);  // 2000 is a leap year
    EXPECT_EQ(game.date, "2000-02-29 23:59:59 GMT");
    game.SetDate(1000000000);
    EXPECT_EQ(game.date, "2001-09-09 01:46:40 GMT");
    game.SetDate(-1);
    EXPECT_EQ(game.date, "1969-12-31 23:59:59 GMT");
    game.SetDate(4102444800LL);
    EXPECT_EQ(game.date, "2100-01-01 00:00:00 GMT");
    game.SetDate(LLONG_MAX);
    EXPECT_TRUE(game.date.empty());
    game.SetDate(LLONG_MIN);
    EXPECT_TRUE(game.date.empty());
}
