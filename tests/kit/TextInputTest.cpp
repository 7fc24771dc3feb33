// The kit's own readers of words, characters and numbers must take exactly what the
// stream's operators take and leave the stream as they do: every message reader relies on
// the operators' behaviour, and the readers stand in for them.
#include "TextInput.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace textinput;

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

// Reads twice in a row with the operator and with the kit's reader, each on a standard
// string stream and on the kit's own text stream, from values that start as sentinels.
template <class T, class Standard, class Kit, class Show>
void ExpectSameReads(const std::string& text, T sentinel, Standard standard, Kit kit, Show show)
{
    auto run = [&](std::istream& is, auto read) {
        T first = sentinel, second = sentinel;
        read(is, first);
        const std::ios::iostate afterFirst = is.rdstate();
        read(is, second);
        const std::ios::iostate state = is.rdstate();
        return Outcome{show(first) + "|" + std::to_string(afterFirst) + "|" + show(second), state, Rest(is)};
    };
    std::istringstream a(text);
    const Outcome expected = run(a, standard);
    std::istringstream b(text);
    EXPECT_EQ(run(b, kit), expected) << "[" << text << "] on a string stream";
    CTextInput c;
    c.Reset(text);
    EXPECT_EQ(run(c, kit), expected) << "[" << text << "] on the kit's stream";
}

void ExpectSameAsOperators(const std::string& text)
{
    ExpectSameReads<int>(
        text, -7, [](std::istream& is, int& v) { is >> v; }, [](std::istream& is, int& v) { ReadInt(is, v); },
        [](int v) { return std::to_string(v); });
    ExpectSameReads<double>(
        text, -7.5, [](std::istream& is, double& v) { is >> v; },
        [](std::istream& is, double& v) { ReadDouble(is, v); }, Bits);
    ExpectSameReads<std::string>(
        text, "sentinel", [](std::istream& is, std::string& v) { is >> v; },
        [](std::istream& is, std::string& v) { ReadWord(is, v); }, [](const std::string& v) { return v; });
    ExpectSameReads<char>(
        text, '#', [](std::istream& is, char& v) { is >> v; }, [](std::istream& is, char& v) { ReadChar(is, v); },
        [](char v) { return std::string(1, v); });
    for (char delimiter : {'\n', ']'})
        ExpectSameReads<std::string>(
            text, "sentinel", [&](std::istream& is, std::string& v) { std::getline(is, v, delimiter); },
            [&](std::istream& is, std::string& v) { ReadUntil(is, v, delimiter); },
            [](const std::string& v) { return v; });
    ExpectSameReads<int>(
        text, 0,
        [](std::istream& is, int& v) {
            if (is.good())
                is >> std::ws;
            v = is.good() ? is.peek() : -1;
        },
        [](std::istream& is, int& v) {
            SkipBlanks(is);
            v = Peek(is);
        },
        [](int v) { return std::to_string(v); });
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
