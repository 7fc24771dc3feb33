// The kit's own readers of words, characters and numbers must take exactly what the
// stream's operators take and leave the stream as they do: every message reader relies on
// the operators' behaviour, and the readers stand in for them.
#include "TextInput.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "OsObjects.h"

namespace {

using namespace textinput;

const std::string kStartBoard =
    "8 " + std::string(27, '-') + "O*" + std::string(6, '-') + "*O" + std::string(27, '-') + " *";
const std::string kSentinelGame = "(;GM[Reversi]PC[here]DT[then]PB[b]PW[w]RE[-2]RB[1500]TB[1:00//0:30]TW[2:00/1/0]"
                                  "TY[8k]BO[" + kStartBoard + "]KB[F5/1]KW[PA/3]B[F5/1.5/2]W[F6];)";

// What a read did: the value as text, the stream state, and what is left unread.
struct Outcome {
    std::string value;
    std::ios::iostate state;
    std::string rest;
    bool operator==(const Outcome& o) const { return value == o.value && state == o.state && rest == o.rest; }
};

std::ostream& operator<<(std::ostream& os, const Outcome& o)
{
    return os << "value [" << o.value << "] state " << o.state << " rest [" << o.rest << "]";
}

std::string Rest(std::istream& is)
{
    is.clear();
    std::ostringstream rest;
    rest << is.rdbuf();
    return rest.str();
}

std::string Bits(double d)
{
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return std::to_string(bits);
}

std::string Rest(CCursor& in)
{
    return std::string(in.p, in.end);
}

// Two reads in a row into values that start as the sentinel: what they read, the states
// after each and what is left.
template <class T, class In, class Read, class Show>
Outcome ReadTwice(In& is, const T& sentinel, Read read, Show show)
{
    T first = sentinel, second = sentinel;
    read(is, first);
    const std::ios::iostate afterFirst = is.rdstate();
    read(is, second);
    const std::ios::iostate state = is.rdstate();
    return Outcome{show(first) + "|" + std::to_string(afterFirst) + "|" + show(second), state, Rest(is)};
}

// Reads twice in a row with the operator and with the kit's reader, on a standard string
// stream, on the kit's own text stream and on a cursor, from values that start as
// sentinels.
template <class T, class Standard, class Kit, class Show>
void ExpectSameReads(const std::string& text, T sentinel, Standard standard, Kit kit, Show show)
{
    auto run = [&](auto& is, auto read) { return ReadTwice(is, sentinel, read, show); };
    std::istringstream a(text);
    const Outcome expected = run(a, standard);
    std::istringstream b(text);
    EXPECT_EQ(run(b, kit), expected) << "[" << text << "] on a string stream";
    CTextInput c;
    c.Reset(text);
    EXPECT_EQ(run(c, kit), expected) << "[" << text << "] on the kit's stream";
    CCursor d(text.data(), text.data() + text.size());
    EXPECT_EQ(run(d, kit), expected) << "[" << text << "] on a cursor";
}

void ExpectSameAsOperators(const std::string& text)
{
    ExpectSameReads<int>(
        text, -7, [](std::istream& is, int& v) { is >> v; }, [](auto& is, int& v) { ReadInt(is, v); },
        [](int v) { return std::to_string(v); });
    ExpectSameReads<double>(
        text, -7.5, [](std::istream& is, double& v) { is >> v; }, [](auto& is, double& v) { ReadDouble(is, v); },
        Bits);
    ExpectSameReads<std::string>(
        text, "sentinel", [](std::istream& is, std::string& v) { is >> v; },
        [](auto& is, std::string& v) { ReadWord(is, v); }, [](const std::string& v) { return v; });
    ExpectSameReads<std::string>(
        text, "sentinel", [](std::istream& is, std::string& v) { is >> v; },
        [](auto& is, std::string& v) {
            std::string storage;
            const std::string_view word = ReadWordView(is, storage);
            if (!word.empty())
                v = word;
        },
        [](const std::string& v) { return v; });
    ExpectSameReads<char>(
        text, '#', [](std::istream& is, char& v) { is >> v; }, [](auto& is, char& v) { ReadChar(is, v); },
        [](char v) { return std::string(1, v); });
    for (char delimiter : {'\n', ']'}) {
        ExpectSameReads<std::string>(
            text, "sentinel", [&](std::istream& is, std::string& v) { std::getline(is, v, delimiter); },
            [&](auto& is, std::string& v) { ReadUntil(is, v, delimiter); }, [](const std::string& v) { return v; });
        ExpectSameReads<std::string>(
            text, "sentinel",
            [&](std::istream& is, std::string& v) {
                v.clear();
                std::getline(is, v, delimiter);
            },
            [&](auto& is, std::string& v) {
                std::string storage;
                v = ReadUntilView(is, delimiter, storage);
            },
            [](const std::string& v) { return v; });
    }
    ExpectSameReads<int>(
        text, 0,
        [](std::istream& is, int& v) {
            if (is.good())
                is >> std::ws;
            v = is.good() ? is.peek() : -1;
        },
        [](auto& is, int& v) {
            SkipBlanks(is);
            v = Peek(is);
        },
        [](int v) { return std::to_string(v); });
    ExpectSameReads<int>(
        text, 0, [](std::istream& is, int& v) { v = is.get(); }, [](auto& is, int& v) { v = is.get(); },
        [](int v) { return std::to_string(v); });
    for (char c : {'/', '.'})
        ExpectSameReads<int>(
            text, 0,
            [&](std::istream& is, int& v) {
                v = is.good() && is.peek() == c;
                if (v)
                    is.get();
            },
            [&](auto& is, int& v) { v = Accept(is, c); }, [](int v) { return std::to_string(v); });
}

} // namespace

TEST(TextInput, ReadersTakeWhatTheOperatorsTake)
{
    const std::vector<std::string> texts = {
        "", "   ", "\n", "42", "  42 ", "\n\t7x", "-0", "+5", "-", "+", "+-1", "00012", "0x1A", "12abc",
        "2147483647", "2147483648", "-2147483648", "-2147483649", "9223372036854775807", "9223372036854775808",
        "-9223372036854775808", "-9223372036854775809", "99999999999999999999999", "1.", ".5", ".", "-.", "+.5",
        "-.5e3", "1e", "1e+", "1e-", "1e-5", "1E5x", "1e5e5", "1.2.3", "3.14159265358979323846", "0.1", "0.30000000000000004",
        "123456789012345", "1234567890123456", "12345678901234567890.5", "1e308", "1e309", "-1e309", "1e-320",
        "1e-400", "-1e-400", "4.9e-324", "2.2250738585072014e-308", "12.25", "//12.25", "F5//3.50", "1500@80",
        "a b", "word\nnext", "\x01\x02 3", "B[F5]W[D6]", "]]", "PC[GGS/os]", "\xff]",
    };
    for (const std::string& text : texts)
        ExpectSameAsOperators(text);

    // Short texts of the characters that matter to numbers and words, at random.
    std::mt19937 random(2024);
    const std::string alphabet = " \t\n\r\f+-.eE0123456789xa@/]";
    for (int i = 0; i < 20000; ++i) {
        std::string text(random() % 12, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        ExpectSameAsOperators(text);
        if (::testing::Test::HasFailure())
            break;
    }
}

TEST(TextInput, TextStreamPositionsAndPutBack)
{
    const std::string text = "one two three";
    CTextInput in;
    in.Reset(text);
    std::string word;
    ReadWord(in, word);
    EXPECT_EQ(in.tellg(), std::streampos(3));
    in.seekg(8);
    ReadWord(in, word);
    EXPECT_EQ(word, "three");
    EXPECT_EQ(in.tellg(), std::streampos(-1));   // at the end the stream is no longer good
    in.clear();
    EXPECT_EQ(in.tellg(), std::streampos(13));
    in.seekg(-5, std::ios::end);
    EXPECT_EQ(in.get(), 't');
    in.seekg(20);
    EXPECT_TRUE(in.fail());

    // The text is never written: a put-back of another character fails, of the same one works.
    in.Reset(text);
    EXPECT_EQ(in.get(), 'o');
    EXPECT_TRUE(in.putback('o').good());
    EXPECT_EQ(in.get(), 'o');
    EXPECT_TRUE(in.putback('x').fail());
    EXPECT_EQ(text, "one two three");

    // Reset forgets the state and the format of the last reading.
    in.Reset("ff");
    in >> std::hex;
    int value = 0;
    in >> value;
    EXPECT_EQ(value, 255);
    in.Reset("10");
    in >> value;
    EXPECT_EQ(value, 10);
    EXPECT_TRUE(in.eof());
}

namespace {

// A record read twice in a row from a standard string stream, which its reader reads as
// any stream, and from the kit's own text stream, which it reads through a cursor: the
// same fields, the same state and the same rest.
template <class T, class Read, class Show>
void ExpectSameRecordReads(const std::string& text, const T& sentinel, Read read, Show show)
{
    auto run = [&](std::istream& is) { return ReadTwice(is, sentinel, read, show); };
    std::istringstream a(text);
    const Outcome expected = run(a);
    CTextInput b;
    b.Reset(text);
    EXPECT_EQ(run(b), expected) << "[" << text << "]";
}

std::string Show(const COsMove& m)
{
    return m.fPass ? "PA" : std::to_string(m.row) + "," + std::to_string(m.col);
}

std::string Show(const CGGMoveListItem<COsMove>& item)
{
    return Show(item.move) + "/" + Bits(item.eval) + "/" + Bits(item.time);
}

std::string Show(const CGGClock& c)
{
    return Bits(c.timeLeft) + "/" + Bits(c.increment) + "/" + Bits(c.extension) + "/" + std::to_string(c.state);
}

std::string Show(const CGGResult& r) { return Bits(r.score) + ":" + std::to_string(r.kind); }

std::string Show(const CGGPlayer& p) { return p.login + "@" + Bits(p.rating); }

std::string Show(const COsBoardType& bt) { return std::to_string(bt.size) + (bt.fOctagon ? "o" : ""); }

std::string Show(const COsMatchType& mt)
{
    return Show(mt.bt) + " " + std::to_string(mt.fRand) + std::to_string(mt.fAnti) + " " +
           std::to_string(mt.nRandDiscs) + " " + mt.kind + " " + std::to_string(mt.fKomiGiven) + Bits(mt.komi);
}

std::string Show(const COsBoard& b) { return Show(b.bt) + " " + b.squares + " " + std::to_string(b.fBlackMove); }

std::string Show(const CGGPosition<COsBoard, COsMove>& p)
{
    return Show(p.board) + " " + Show(p.clocks[0]) + " " + Show(p.clocks[1]);
}

std::string Show(const COsGame& g)
{
    std::string text = g.place + "|" + g.date + "|" + Show(g.players[0]) + "|" + Show(g.players[1]) + "|" +
                       Show(g.posStart) + "|" + Show(g.posCurrent) + "|" + Show(g.komiMoves[0]) + "|" +
                       Show(g.komiMoves[1]) + "|" + Show(g.matchType) + "|" + Show(g.result) + "|";
    for (const auto& item : g.moves)
        text += Show(item) + " ";
    return text;
}

std::string Show(const CGGMatch<COsMatchType>& m)
{
    return m.id + " " + Show(m.players[0]) + " " + Show(m.players[1]) + " " + Show(m.matchType) + " " + m.rated +
           " " + std::to_string(m.number);
}

template <class T>
T Sentinel(const std::string& text)
{
    T value;
    std::istringstream is(text);
    is >> value;
    return value;
}

// Every record that reads through a cursor, on one text.
void ExpectSameRecords(const std::string& text)
{
    auto read = [](std::istream& is, auto& value) { is >> value; };
    auto show = [](const auto& value) { return Show(value); };
    ExpectSameRecordReads(text, COsMove(3, 4), read, show);
    ExpectSameRecordReads(text, CGGMoveListItem<COsMove>(COsMove(1, 2), 7.5, 3.25), read, show);
    ExpectSameRecordReads(text, CGGClock(61, 2, 3, CGGClock::kInExtension), read, show);
    ExpectSameRecordReads(text, Sentinel<CGGResult>("-12:r"), read, show);
    ExpectSameRecordReads(text, Sentinel<CGGPlayer>("1234.5 someone"), read, show);
    ExpectSameRecordReads(text, Sentinel<COsBoardType>("12"), read, show);
    ExpectSameRecordReads(text, Sentinel<COsMatchType>("s10k2.5ar20"), read, show);
    ExpectSameRecordReads(text, Sentinel<COsBoard>(kStartBoard), read, show);
    ExpectSameRecordReads(text, Sentinel<COsGame>(kSentinelGame), read, show);
    ExpectSameRecordReads(text, Sentinel<CGGMatch<COsMatchType>>(".9 1 a 2 b 8 R 4"), read, show);
    ExpectSameRecordReads(
        text, Sentinel<CGGMatch<COsMatchType>>(".9 1 a 2 b 8 R 4"),
        [](std::istream& is, CGGMatch<COsMatchType>& m) { m.ReadDelta(is); }, show);
    ExpectSameRecordReads(
        text, -1.0, [](std::istream& is, double& seconds) { seconds = ReadDuration(is); },
        [](double seconds) { return Bits(seconds); });
}

} // namespace

TEST(TextInput, RecordsReadTheSameThroughACursor)
{
    for (const std::string& text : std::vector<std::string>{
             "", " ", "F5", "f5", " F5//12.25", "F5/1.5/3", "F5/-3.25/12.00", "F5//", "F5/", "F5/x/3", "PA", "pass",
          "Pa/2", "P", "F", "F-", "F+5", "F 5", "F99999999999", "B[F5]W[D6]", "A1 B2", "F5\nD6", "F5//1e2",
          "F5//1e", "F5/.5/.25", "F5//12.25.5", "15:00//2:00", "1:2:3:4:5", "15:00/1/", "/", "//", "1.5", ":",
          "0:-1", "12:t", "-3.5:l", "?", "aborted", "adjourned x", "+4:", "1700 bob", "1700", "-1e3 x", "8", "88",
          "9", "s8", "s8r20", "8k", "8k-2.5a", "10bw", "14r", "8Kx", "4a4", "8 " + std::string(64, '-') + " O",
          "6 ------------ *", "8 ---", "(;GM[Reversi]PB[b]PW[w]TY[8]BO[" + kStartBoard + "]B[F5]W[D6];)",
          "(;GM[Othello]TI[5:00//2:00]KB[F5/1]KW[PA/3]KM[2]TY[8k]BO[8 " + std::string(64, '-') + " *];)", "(;",
          "(;PB[x", "(;PB[x]", "(;;)", "(; ;)", "(x", ";)", ".12 1700 ann 1800 bob s8r20 R 3",
          ".12 1700 ann 1800 bob 8", ".12", ".12 x", ".1 1 a 2 b 8 U", ".1 1 a 2 b 8 U x", "\xff\x01 3"})
        ExpectSameRecords(text);

    // Short texts of the characters that the records' readers look for, at random.
    std::mt19937 random(19);
    const std::string alphabet = " \t\n+-.:/@eE0123456789aAbBfFkKpPrRsSwWx?[];(O*dG";
    for (int i = 0; i < 3000 && !::testing::Test::HasFailure(); ++i) {
        std::string text(random() % 14, ' ');
        for (char& c : text)
            c = alphabet[random() % alphabet.size()];
        ExpectSameRecords(text);
    }
}

// Real tournament games, whole and with characters taken out, put in or changed: each
// reads to the same record through a cursor as from any stream.
TEST(TextInput, RealGamesReadTheSameThroughACursor)
{
    std::ifstream file(TAVO_GAMES_DIR "/wthor-2001.ggf");
    ASSERT_TRUE(file.is_open());
    std::mt19937 random(7);
    const std::string alphabet = " \n]/[;(:.-0123456789BWFOPA*";
    // A changed game may play a move on an occupied square, which the board reports.
    std::ostringstream reports;
    std::streambuf* const clog = std::clog.rdbuf(reports.rdbuf());
    const COsGame sentinel = Sentinel<COsGame>(kSentinelGame);
    auto show = [](const COsGame& game) { return Show(game); };
    auto read = [](std::istream& is, COsGame& game) { is >> game; };
    std::string line;
    for (int n = 0; n < 400 && std::getline(file, line) && !::testing::Test::HasFailure(); ++n) {
        ExpectSameRecordReads(line, sentinel, read, show);
        ExpectSameRecordReads(line + line, sentinel, read, show);
        std::string changed = line;
        for (int k = 0; k < 3; ++k) {
            const size_t at = random() % changed.size();
            switch (random() % 3) {
            case 0: changed.erase(at, 1 + random() % 4); break;
            case 1: changed.insert(at, 1, alphabet[random() % alphabet.size()]); break;
            default: changed[at] = alphabet[random() % alphabet.size()]; break;
            }
            if (changed.empty())
                changed = ";";
        }
        ExpectSameRecordReads(changed, sentinel, read, show);
    }
    std::clog.rdbuf(clog);
}
