#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "OsObjects.h"
#include "TextForms.h"

namespace {

COsMove Sq(const char* text) { return ReadFrom<COsMove>(text); }

}  // namespace

TEST(OsMove, TextForms) {
    for (const char* pass : {"pa", "PA", "Pass", "p"}) {
        std::istringstream is(std::string(pass) + " F5");
        COsMove mv;
        is >> mv;
        EXPECT_TRUE(mv.fPass) << pass;
        is >> mv;
        EXPECT_FALSE(mv.fPass) << pass;
        EXPECT_EQ(mv.row, 4);
    }
    COsMove f5 = Sq(" f5");
    EXPECT_FALSE(f5.fPass);
    EXPECT_EQ(f5.row, 4);
    EXPECT_EQ(f5.col, 5);
    EXPECT_EQ(Text(f5), "F5");
    EXPECT_EQ(Text(COsMove(9, 0)), "A10");
    COsMove pass;
    pass.fPass = true;
    EXPECT_EQ(Text(pass), "PA");
    // Squares far off the board are written without overflow: one character for the
    // column, then the row number.
    EXPECT_EQ(Text(COsMove(2147483647, 0)), "A2147483648");
    EXPECT_EQ(Text(COsMove(0, 2147483647)).substr(1), "1");

    // A pass at the very end of the text is still a good read.
    std::istringstream end("PASS");
    end >> pass;
    EXPECT_TRUE(pass.fPass);
    EXPECT_FALSE(end.fail());

    // A square without a number fails the stream; no range test is made.
    std::istringstream bad("Fx");
    COsMove mv;
    bad >> mv;
    EXPECT_TRUE(bad.fail());
    std::istringstream extreme("A-2147483648 Z99999999999");
    extreme >> mv;
    EXPECT_FALSE(mv.fPass);
    extreme >> mv;
    EXPECT_TRUE(extreme.fail());
    std::istringstream empty("   ");
    empty >> mv;
    EXPECT_TRUE(empty.fail());
}

TEST(OsMove, SquareNumbersAndOrder) {
    COsMove mv;
    mv.SetFromSquareNumber(-65);
    EXPECT_FALSE(mv.fPass);
    EXPECT_EQ(mv.row, 4);
    EXPECT_EQ(mv.col, 5);
    mv.SetFromSquareNumber(56);
    EXPECT_EQ(Text(mv), "E6");
    mv.SetFromSquareNumber(-34);
    EXPECT_EQ(Text(mv), "C4");
    mv.SetFromSquareNumber(-2147483647 - 1);  // no overflow on the most negative number
    EXPECT_FALSE(mv.fPass);

    COsMove pass1, pass2;
    pass1.fPass = pass2.fPass = true;
    pass2.row = 3;
    EXPECT_EQ(pass1, pass2);
    EXPECT_FALSE(pass1 < pass2);
    EXPECT_NE(pass1, COsMove(0, 0));
    EXPECT_TRUE(pass1 < COsMove(0, 0));
    EXPECT_FALSE(COsMove(0, 0) < pass1);
    EXPECT_TRUE(Sq("H1") < Sq("A2"));
    EXPECT_TRUE(Sq("A2") < Sq("B2"));
    EXPECT_EQ(Sq("c3"), COsMove(2, 2));
}

TEST(OsBoardType, TextAndGeometry) {
    for (int size : {4, 6, 8, 10, 12, 14}) {
        COsBoardType bt = ReadFrom<COsBoardType>(std::to_string(size));
        EXPECT_EQ(bt.size, size);
        EXPECT_FALSE(bt.fOctagon);
        EXPECT_EQ(bt.NSquares(), size * size);
        EXPECT_EQ(Text(bt), std::to_string(size));
        EXPECT_FALSE(bt.IsCutCorner(0, 0));
    }
    EXPECT_STREQ(Type(4).Name(), "4x4");
    EXPECT_STREQ(Type(14).Name(), "14x14");
    EXPECT_STREQ(Type(9).Name(), "Unknown board");

    bool failed = false;
    COsBoardType oct = ReadFrom<COsBoardType>("88", &failed);
    EXPECT_FALSE(failed);
    EXPECT_TRUE(oct.fOctagon);
    EXPECT_EQ(oct.size, 10);
    EXPECT_EQ(oct.NSquares(), 88);
    EXPECT_DOUBLE_EQ(oct.NSquaresAsDouble(), 88.0);
    EXPECT_EQ(Text(oct), "88");
    EXPECT_STREQ(oct.Name(), "Octagon");
    EXPECT_EQ(oct, Type(10, true));
    EXPECT_NE(oct, Type(10));
    int cut = 0;
    for (int row = 0; row < 10; row++)
        for (int col = 0; col < 10; col++) cut += oct.IsCutCorner(row, col);
    EXPECT_EQ(cut, 12);
    EXPECT_TRUE(oct.IsCutCorner(0, 1));
    EXPECT_TRUE(oct.IsCutCorner(9, 8));
    EXPECT_FALSE(oct.IsCutCorner(1, 1));

    for (const char* bad : {"9", "0", "-8", "x", ""}) {
        COsBoardType bt = ReadFrom<COsBoardType>(bad, &failed);
        EXPECT_TRUE(failed) << bad;
        EXPECT_EQ(bt.size, 8) << bad;
        EXPECT_FALSE(bt.fOctagon) << bad;
    }
}

TEST(OsMatchType, TextForms) {
    bool failed = false;
    COsMatchType mt = ReadFrom<COsMatchType>("s8r20", &failed);
    EXPECT_FALSE(failed);
    EXPECT_EQ(mt.kind, 's');
    EXPECT_EQ(mt.bt, Type(8));
    EXPECT_TRUE(mt.fRand);
    EXPECT_EQ(mt.nRandDiscs, 20);
    EXPECT_FALSE(mt.fAnti);
    EXPECT_EQ(Text(mt), "s8r20");
    EXPECT_EQ(ReadFrom<COsMatchType>("S8R20"), mt);

    mt = ReadFrom<COsMatchType>("8k");
    EXPECT_EQ(mt.kind, 'k');
    EXPECT_FALSE(mt.fKomiGiven);
    EXPECT_EQ(Text(mt), "8k");
    mt = ReadFrom<COsMatchType>("8k3.5");
    EXPECT_TRUE(mt.fKomiGiven);
    EXPECT_DOUBLE_EQ(mt.komi, 3.5);
    EXPECT_EQ(Text(mt), "8k3.5");
    EXPECT_EQ(Text(ReadFrom<COsMatchType>("8k-2")), "8k-2");
    EXPECT_EQ(Text(ReadFrom<COsMatchType>("8K0")), "8k0");

    for (const char* same : {"8", "88a", "10w", "12b", "s14ar30", "4", "6a"})
        EXPECT_EQ(Text(ReadFrom<COsMatchType>(same)), same);
    mt = ReadFrom<COsMatchType>("88a");
    EXPECT_TRUE(mt.bt.fOctagon);
    EXPECT_TRUE(mt.fAnti);
    EXPECT_EQ(Text(ReadFrom<COsMatchType>("8x")), "8");
    EXPECT_EQ(Text(ReadFrom<COsMatchType>("w8b")), "8b");  // the later kind letter wins
    EXPECT_EQ(Text(ReadFrom<COsMatchType>("8ks")), "s8");

    // A text that ends its string reads as a success; one followed by a blank leaves it.
    std::istringstream is("8 rest");
    is >> mt;
    EXPECT_TRUE(is.good());
    EXPECT_EQ(is.peek(), ' ');
    std::istringstream whole("s10r12");
    whole >> mt;
    EXPECT_TRUE(whole.good());

    // An unknown board size or a text without a board fails.
    ReadFrom<COsMatchType>("9", &failed);
    EXPECT_TRUE(failed);
    ReadFrom<COsMatchType>("s9r20 ", &failed);
    EXPECT_TRUE(failed);
    mt = ReadFrom<COsMatchType>("", &failed);
    EXPECT_EQ(mt.kind, '?');
    EXPECT_EQ(mt.bt.size, 0);

    // Clear keeps the random-disc count and the komi.
    mt = ReadFrom<COsMatchType>("8k1.5r12");
    mt.Clear();
    EXPECT_EQ(mt.nRandDiscs, 12);
    EXPECT_DOUBLE_EQ(mt.komi, 1.5);
    EXPECT_FALSE(mt.fRand);
    EXPECT_EQ(mt.kind, '?');
}

TEST(OsMatchType, ValidateDescribeCompare) {
    EXPECT_EQ(ReadFrom<COsMatchType>("8").Validate(), 0);
    EXPECT_EQ(ReadFrom<COsMatchType>("8r20").Validate(), 34048);
    EXPECT_EQ(ReadFrom<COsMatchType>("8r20b").Validate(), 34048);
    EXPECT_EQ(ReadFrom<COsMatchType>("s4r4").Validate(), 34050);
    EXPECT_EQ(ReadFrom<COsMatchType>("s88r45").Validate(), 34050);
    EXPECT_EQ(ReadFrom<COsMatchType>("s88r44").Validate(), 0);
    EXPECT_EQ(ReadFrom<COsMatchType>("s8r3").Validate(), 34049);
    // 4x4 has room for no random disc at all: two are too many before they are too few.
    EXPECT_EQ(ReadFrom<COsMatchType>("s4r2").Validate(), 34050);
    EXPECT_EQ(ReadFrom<COsMatchType>("8kr48").Validate(), 0);
    EXPECT_EQ(ReadFrom<COsMatchType>("8kr49").Validate(), 34050);
    EXPECT_EQ(ReadFrom<COsMatchType>("14").MaxRandDiscs(), 180);

    EXPECT_EQ(ReadFrom<COsMatchType>("s8ar20").Description(), "8x8 synch rand(20) anti");
    EXPECT_EQ(ReadFrom<COsMatchType>("88k2").Description(), "Octagon komi");
    EXPECT_EQ(ReadFrom<COsMatchType>("10b").Description(), "10x10 black");
    EXPECT_EQ(ReadFrom<COsMatchType>("6w").Description(), "6x6 white");
    EXPECT_EQ(ReadFrom<COsMatchType>("12").Description(), "12x12");

    EXPECT_EQ(ReadFrom<COsMatchType>("8k1"), ReadFrom<COsMatchType>("8k5"));
    EXPECT_NE(ReadFrom<COsMatchType>("s8r20"), ReadFrom<COsMatchType>("s8r21"));
    COsMatchType a = ReadFrom<COsMatchType>("8"), b = a;
    b.nRandDiscs = 99;  // the count matters only for random starts
    EXPECT_EQ(a, b);
    EXPECT_NE(ReadFrom<COsMatchType>("8"), ReadFrom<COsMatchType>("8a"));
    EXPECT_NE(ReadFrom<COsMatchType>("8"), ReadFrom<COsMatchType>("88"));
}

TEST(OsRatingType, TextForms) {
    COsRatingType rt = ReadFrom<COsRatingType>("88ar");
    EXPECT_TRUE(rt.bt.fOctagon);
    EXPECT_TRUE(rt.fAnti);
    EXPECT_TRUE(rt.fRand);
    EXPECT_EQ(Text(rt), "88ar");
    EXPECT_EQ(Text(ReadFrom<COsRatingType>("8R")), "8r");
    EXPECT_EQ(Text(ReadFrom<COsRatingType>("RA10")), "10ar");
    EXPECT_EQ(Text(ReadFrom<COsRatingType>(" 8 r")), "8");

    // Without digits the board type stays as it was; the end state is not cleared.
    rt.bt = Type(12);
    std::istringstream is("ax");
    is >> rt;
    EXPECT_EQ(rt.bt, Type(12));
    EXPECT_TRUE(rt.fAnti);
    EXPECT_FALSE(rt.fRand);
    EXPECT_TRUE(is.eof());
    EXPECT_FALSE(is.fail());
}

TEST(OsBoard, StartPositions) {
    COsBoard board;
    board.Initialize(Type(8));
    int black, white, empty;
    board.CountDiscs(black, white, empty);
    EXPECT_EQ(black + white + empty, 64);
    EXPECT_EQ(black, 2);
    EXPECT_EQ(white, 2);
    EXPECT_TRUE(board.fBlackMove);
    EXPECT_EQ(board.squares.size(), 100u);
    EXPECT_EQ(board.GetSquare(4, 3), '*');  // D5
    EXPECT_EQ(board.GetSquare(3, 4), '*');  // E4
    EXPECT_EQ(board.GetSquare(3, 3), 'O');  // D4
    EXPECT_EQ(board.GetSquare(4, 4), 'O');  // E5
    EXPECT_EQ(board.GetSquare(-1, 0), 'd');
    EXPECT_EQ(board.GetSquare(8, 8), 'd');
    EXPECT_EQ(board.GetSquare(100, -100), 'd');
    std::vector<COsMove> expected = {Sq("D3"), Sq("C4"), Sq("F5"), Sq("E6")};
    EXPECT_EQ(board.LegalMoves(), expected);
    EXPECT_EQ(board.LegalMoves(false), (std::vector<COsMove>{Sq("E3"), Sq("F4"), Sq("C5"), Sq("D6")}));
    EXPECT_EQ(board.GameState(), COsBoard::kMove);
    EXPECT_EQ(board.SideChar(), '*');

    COsBoard oct;
    oct.Initialize(Type(10, true));
    for (const char* cut : {"A1", "B1", "A2", "J1", "I1", "J2", "A10", "A9", "B10", "J10", "J9", "I10"}) {
        COsMove mv = Sq(cut);
        EXPECT_EQ(oct.GetSquare(mv.row, mv.col), 'd') << cut;
        EXPECT_FALSE(oct.IsLegal(mv)) << cut;
    }
    oct.CountDiscs(black, white, empty);
    EXPECT_EQ(empty, 84);
    EXPECT_EQ(black, 2);
    EXPECT_EQ(oct.GetSquare(5, 4), '*');  // E6
    EXPECT_EQ(oct.GetSquare(4, 5), '*');  // F5
    EXPECT_EQ(oct.GetSquare(4, 4), 'O');  // E5

    // Every board type starts with four legal moves and plays out to a finished game.
    for (COsBoardType bt : {Type(4), Type(6), Type(8), Type(10), Type(12), Type(14), Type(10, true)}) {
        COsBoard b;
        b.Initialize(bt);
        EXPECT_EQ(b.LegalMoves().size(), 4u) << bt.Name();
        int moves = 0;
        while (!b.GameOver() && moves < 400) {
            std::vector<COsMove> legal = b.LegalMoves();
            COsMove mv;
            mv.fPass = legal.empty();
            if (!legal.empty()) mv = legal[moves % legal.size()];
            EXPECT_TRUE(b.IsLegal(mv));
            int before = 0, after = 0, e;
            b.CountDiscs(before, e, e);
            int flips = mv.fPass ? 0 : b.CountFlips(mv.row, mv.col, b.fBlackMove);
            bool black = b.fBlackMove;
            b.Update(mv);
            b.CountDiscs(after, e, e);
            if (!mv.fPass) {
                EXPECT_EQ(after - before, black ? flips + 1 : -flips);
            }
            moves++;
        }
        EXPECT_TRUE(b.GameOver()) << bt.Name();
        EXPECT_EQ(b.GameState(), COsBoard::kOver);
        for (int row = -1; row <= bt.size; row++)
            for (int col = -1; col <= bt.size; col++)
                if (row < 0 || col < 0 || row == bt.size || col == bt.size || bt.IsCutCorner(row, col)) {
                    EXPECT_EQ(b.GetSquare(row, col), 'd');
                }
    }

    board.Clear();
    EXPECT_EQ(board.bt.size, 0);
    EXPECT_TRUE(board.squares.empty());
    EXPECT_TRUE(board.LegalMoves().empty());
    EXPECT_TRUE(board.GameOver());
}

TEST(OsBoard, FlipsInEveryDirection) {
    // Black on D4 closes runs in seven directions; the run toward F2 ends at an empty
    // square and flips nothing.
    COsBoard b;
    b.SetEmpty(Type(8));
    auto put = [&](const char* sq, char c) { COsMove m = Sq(sq); b.Set(m.row, m.col, c); };
    for (const char* w : {"D3", "D2", "E4", "C4", "C3", "E5", "C5", "E3", "D5"}) put(w, 'O');
    for (const char* k : {"D1", "F4", "B4", "B2", "F6", "B6", "D6"}) put(k, '*');
    COsMove d4 = Sq("D4");
    EXPECT_EQ(b.CountFlips(d4.row, d4.col, true), 8);
    EXPECT_EQ(b.CountDirection(d4.row, d4.col, -1, 0, '*', 'O'), 2);
    EXPECT_EQ(b.CountDirection(d4.row, d4.col, -1, 1, '*', 'O'), 0);
    EXPECT_EQ(b.CountDirection(d4.row, d4.col, 0, 0, '*', 'O'), 0);
    EXPECT_EQ(b.CountDirection(d4.row, d4.col, 2, 0, '*', 'O'), 0);
    // One direction alone: the run up to D1 turns black, nothing else changes.
    COsBoard one = b;
    EXPECT_EQ(one.FlipDirection(d4.row, d4.col, -1, 0, '*', 'O'), 2);
    EXPECT_EQ(one.GetSquare(2, 3), '*');
    EXPECT_EQ(one.GetSquare(1, 3), '*');
    EXPECT_EQ(one.GetSquare(d4.row, d4.col), '-');
    EXPECT_EQ(one.NetCount(), b.NetCount() + 4);
    EXPECT_EQ(one.FlipDirection(d4.row, d4.col, -1, 1, '*', 'O'), 0);
    EXPECT_EQ(one.FlipDirection(d4.row, d4.col, 0, 0, '*', 'O'), 0);
    EXPECT_EQ(one.NetCount(), b.NetCount() + 4);
    b.Update(d4);
    int black, white, empty;
    b.CountDiscs(black, white, empty);
    EXPECT_EQ(black, 7 + 1 + 8);
    EXPECT_EQ(white, 1);  // only E3 keeps its colour
    EXPECT_EQ(b.GetSquare(2, 4), 'O');
    EXPECT_FALSE(b.fBlackMove);

    // A run that reaches the border flips nothing.
    COsBoard edge;
    edge.SetEmpty(Type(4));
    edge.Set(0, 1, 'O');
    edge.Set(0, 0, '-');
    EXPECT_EQ(edge.CountFlips(0, 2, true), 0);
    EXPECT_EQ(edge.CountFlips(0, 0, true), 0);
    edge.Set(0, 2, '*');
    EXPECT_EQ(edge.CountFlips(0, 0, true), 1);
    EXPECT_EQ(edge.CountFlips(0, 0, false), 0);
    EXPECT_EQ(edge.CountFlips(0, 1, true), 0);  // occupied
    // Border and cut squares cannot be written.
    edge.Set(-1, 0, '*');
    edge.Set(4, 4, '*');
    EXPECT_EQ(edge.squares.find('*'), edge.squares.rfind('*'));
}

// The rules work on whole lines at once on boards up to 8x8; on every position, however
// unlikely (a stray character included), they must agree with the square-by-square count.
TEST(OsBoard, LineRulesAgreeWithTheSquareCount) {
    std::mt19937 random(7);
    const char kinds[] = {'*', 'O', '*', 'O', 'x'};
    for (int size : {4, 6, 8}) {
        for (int i = 0; i < 3000; i++) {
            // From nearly full to nearly empty, so that a move often hangs on one line.
            COsBoard b;
            b.SetEmpty(Type(size));
            const unsigned emptyShare = i % 10;
            for (int row = 0; row < size; row++)
                for (int col = 0; col < size; col++)
                    if (random() % 10 >= emptyShare) b.Set(row, col, kinds[random() % (i % 3 ? 4 : 5)]);
            b.fBlackMove = random() % 2;
            for (bool black : {true, false})
                ASSERT_EQ(b.HasLegalMove(black), !b.LegalMoves(black == b.fBlackMove).empty()) << i;
            const char mover = b.SideChar();
            const char opponent = b.fBlackMove ? 'O' : '*';
            for (int row = 0; row < size; row++)
                for (int col = 0; col < size; col++) {
                    if (b.GetSquare(row, col) != '-') continue;
                    COsBoard expected = b;
                    expected.Set(row, col, mover);
                    for (int dRow = -1; dRow <= 1; dRow++)
                        for (int dCol = -1; dCol <= 1; dCol++)
                            expected.FlipDirection(row, col, dRow, dCol, mover, opponent);
                    COsBoard played = b;
                    played.Update(COsMove(row, col));
                    ASSERT_EQ(played.squares, expected.squares) << i << " " << Text(COsMove(row, col));
                    ASSERT_NE(played.fBlackMove, b.fBlackMove);
                    // A game's move tests for the end on the board it leaves.
                    COsBoard next = b;
                    const bool over = next.Play(COsMove(row, col));
                    ASSERT_EQ(next.squares, expected.squares) << i << " " << Text(COsMove(row, col));
                    ASSERT_EQ(next.fBlackMove, played.fBlackMove);
                    ASSERT_EQ(over, played.LegalMoves(true).empty() && played.LegalMoves(false).empty()) << i;
                }
        }
    }
}

// A board remembers what its last move found out about its squares, for the next move; a
// square changed in between, or a copy changed before it plays, must not be played from
// stale knowledge.
TEST(OsBoard, MovesInARowAgreeWithTheSquareCount) {
    std::mt19937 random(3);
    auto expectAfter = [](const COsBoard& b, const COsMove& mv) {
        COsBoard expected = b;
        const char mover = b.SideChar();
        expected.Set(mv.row, mv.col, mover);
        for (int dRow = -1; dRow <= 1; dRow++)
            for (int dCol = -1; dCol <= 1; dCol++)
                expected.FlipDirection(mv.row, mv.col, dRow, dCol, mover, b.fBlackMove ? 'O' : '*');
        return expected.squares;
    };
    for (int size : {4, 6, 8}) {
        for (int game = 0; game < 200; game++) {
            COsBoard b;
            b.Initialize(Type(size));
            for (int ply = 0; ply < size * size; ply++) {
                if (random() % 8 == 0) {   // a square changed from outside, or a copy that plays
                    const int row = random() % size, col = random() % size;
                    const char kinds[] = {'*', 'O', '-'};
                    if (random() % 2)
                        b.Set(row, col, kinds[random() % 3]);
                    else
                        b = COsBoard(b);
                }
                const std::vector<COsMove> moves = b.LegalMoves();
                if (moves.empty()) {
                    b.fBlackMove = !b.fBlackMove;
                    if (b.LegalMoves().empty()) break;
                    continue;
                }
                const COsMove mv = moves[random() % moves.size()];
                const std::string expected = expectAfter(b, mv);
                COsBoard copy = b;
                const bool over = random() % 2 ? b.Play(mv) : (b.Update(mv), b.GameOver());
                ASSERT_EQ(b.squares, expected) << size << " " << game << " " << ply;
                ASSERT_EQ(over, b.LegalMoves(true).empty() && b.LegalMoves(false).empty());
                // The copy made before the move plays from its own squares.
                const COsMove other = moves[random() % moves.size()];
                const std::string fromCopy = expectAfter(copy, other);
                copy.Play(other);
                ASSERT_EQ(copy.squares, fromCopy);
            }
        }
    }
}

TEST(OsBoard, UpdateFailures) {
    COsBoard b;
    b.Initialize(Type(8));
    const COsBoard start = b;

    // A pass changes only the side to move.
    COsMove pass;
    pass.fPass = true;
    EXPECT_FALSE(b.IsLegal(pass));
    b.Update(pass);
    EXPECT_EQ(b.squares, start.squares);
    EXPECT_FALSE(b.fBlackMove);
    b.Update(pass);
    EXPECT_TRUE(b.fBlackMove);

    // Squares outside the board leave every square as it was and change the side.
    for (COsMove off : {COsMove(-1, 3), COsMove(8, 0), COsMove(0, 8), COsMove(3, -1), COsMove(-1000000, 5),
                        COsMove(2147483647, 2147483647), COsMove(-2147483647 - 1, 0)}) {
        b = start;
        EXPECT_FALSE(b.IsLegal(off));
        b.Update(off);
        EXPECT_EQ(b.squares, start.squares);
        EXPECT_FALSE(b.fBlackMove);
        EXPECT_EQ(b.LegalMoves().size(), 4u);
    }
    // So do moves on a board without squares.
    COsBoard none;
    none.Clear();
    none.Update(Sq("A1"));
    EXPECT_TRUE(none.squares.empty());
    EXPECT_FALSE(none.fBlackMove);
    COsBoard octagon;
    octagon.Initialize(Type(10, true));
    const std::string octagonSquares = octagon.squares;
    std::ostringstream discard;
    std::streambuf* old = std::clog.rdbuf(discard.rdbuf());
    octagon.Update(Sq("A1"));  // a cut corner
    // An occupied square: nothing placed, the side changes.
    b = start;
    b.Update(Sq("D4"));
    std::clog.rdbuf(old);
    EXPECT_EQ(octagon.squares, octagonSquares);
    EXPECT_EQ(b.squares, start.squares);
    EXPECT_FALSE(b.fBlackMove);
    EXPECT_NE(discard.str().find("Black to move"), std::string::npos);

    // A square that flips nothing keeps the mover's disc.
    b = start;
    b.Update(Sq("A1"));
    EXPECT_EQ(b.GetSquare(0, 0), '*');
    EXPECT_EQ(b.NetCount(), 1);
    EXPECT_FALSE(b.fBlackMove);
}

TEST(OsBoard, StatesAndScores) {
    COsBoard b;
    b.SetEmpty(Type(8));
    auto fill = [&](int black, int white) {
        b.SetEmpty(Type(8));
        int n = 0;
        for (int row = 0; row < 8; row++)
            for (int col = 0; col < 8; col++, n++)
                b.Set(row, col, n < black ? '*' : n < black + white ? 'O' : '-');
    };
    fill(40, 20);
    EXPECT_EQ(b.NetCount(), 20);
    EXPECT_EQ(b.Result(false), 24);
    EXPECT_EQ(b.Result(true), -24);
    fill(20, 40);
    EXPECT_EQ(b.Result(false), -24);
    EXPECT_EQ(b.Result(true), 24);
    fill(30, 30);
    EXPECT_EQ(b.Result(false), 0);
    EXPECT_EQ(b.Result(true), 0);
    fill(33, 31);
    EXPECT_EQ(b.GameState(), COsBoard::kOver);
    EXPECT_TRUE(b.GameOver());
    EXPECT_EQ(b.Result(false), 2);

    // Only the side not to move has a move: black to move must pass.
    b.SetEmpty(Type(8));
    b.Set(0, 0, 'O');
    b.Set(0, 1, '*');
    EXPECT_EQ(b.GameState(), COsBoard::kMustPass);
    EXPECT_FALSE(b.MoverHasLegalMove());
    COsMove pass;
    pass.fPass = true;
    EXPECT_TRUE(b.IsLegal(pass));
    EXPECT_TRUE(b.LegalMoves().empty());
    EXPECT_EQ(b.LegalMoves(false), std::vector<COsMove>{COsMove(0, 2)});
    b.fBlackMove = false;
    EXPECT_EQ(b.GameState(), COsBoard::kMove);

    // Characters other than the four are counted for nobody.
    b.squares[12] = 'x';
    int black, white, empty;
    b.CountDiscs(black, white, empty);
    EXPECT_EQ(black + white + empty, 63);
}

TEST(OsBoard, Picture) {
    COsBoard b;
    b.Initialize(Type(4));
    std::ostringstream os;
    b.Write(os);
    EXPECT_EQ(os.str(),
              "   A B C D  \n"
              " 1 - - - - 1\n"
              " 2 - O * - 2\n"
              " 3 - * O - 3\n"
              " 4 - - - - 4\n"
              "   A B C D  \n"
              "Black to move\n");
    b.Initialize(Type(10, true));
    b.fBlackMove = false;
    os.str("");
    b.Write(os);
    EXPECT_NE(os.str().find(" 1 d d - - - - - - d d 1\n"), std::string::npos);
    EXPECT_NE(os.str().find(" 2 d - - - - - - - - d 2\n"), std::string::npos);
    EXPECT_NE(os.str().find("10 d d - - - - - - d d10\n"), std::string::npos);
    EXPECT_NE(os.str().find("White to move\n"), std::string::npos);
}
