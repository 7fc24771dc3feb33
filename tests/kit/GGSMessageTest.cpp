#include "GGSMessage.h"
#include "TextInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

namespace {

// The stream a record reads from: the text after the first word and the keyword.
std::istringstream After(const std::string& text, int words)
{
    std::istringstream is(text);
    std::string word;
    for (int i = 0; i < words; ++i)
        is >> word;
    is >> std::ws;
    return is;
}

// A record of the server's own messages (": keyword ...") built from its whole text.
template <class T, class... Extra>
T ServerMessage(const std::string& text, Extra... extra)
{
    auto is = After(text, 2);
    return T(text, "", is, extra...);
}

} // namespace

TEST(GGSMessage, ErrClassifiesTheFirstLine)
{
    {
        const std::string text = ": ERR command 'xyz' not recognized";
        const auto msg = ServerMessage<CMsgGGSErr>(text);
        EXPECT_EQ(msg.id, kErrGGSNotRecognized);
        EXPECT_EQ(msg.text, text);
        EXPECT_EQ(msg.from, "");
    }
    {
        const std::string text = ": ERR user 'bob' not found.";
        const auto msg = ServerMessage<CMsgGGSErr>(text);
        EXPECT_EQ(msg.id, kErrGGSUserNotFound);
        EXPECT_EQ(msg.user, "bob");
    }
    {
        // Without apostrophes the user stays empty.
        const std::string text = ": ERR user bob not found";
        const auto msg = ServerMessage<CMsgGGSErr>(text);
        EXPECT_EQ(msg.id, kErrGGSUserNotFound);
        EXPECT_EQ(msg.user, "");
    }
    {
        // One apostrophe only.
        const std::string text = ": ERR user 'bob not found";
        const auto msg = ServerMessage<CMsgGGSErr>(text);
        EXPECT_EQ(msg.id, kErrGGSUserNotFound);
        EXPECT_EQ(msg.user, "");
    }
    {
        // Only the first line counts.
        const std::string text = ": ERR something else\nuser 'x' not found";
        const auto msg = ServerMessage<CMsgGGSErr>(text);
        EXPECT_EQ(msg.id, kErrGGSUnknown);
    }
    {
        const std::string text = ": ERR";
        const auto msg = ServerMessage<CMsgGGSErr>(text);
        EXPECT_EQ(msg.id, kErrGGSUnknown);
    }
}

TEST(GGSMessage, FingerJoinsRepeatedKeysAndStopsAtALineWithoutColon)
{
    const std::string text =
        ": finger\n  login   : joe\nname:  Joe Smith\nemail: a@b\nemail:c@d\nno colon here\nlate: x";
    auto msg = ServerMessage<CMsgGGSFinger>(text);
    ASSERT_EQ(msg.entries.size(), 3u);
    EXPECT_EQ(msg.entries["login"], "joe");
    EXPECT_EQ(msg.entries["name"], "Joe Smith");
    EXPECT_EQ(msg.entries["email"], "a@b\nc@d");
    EXPECT_EQ(msg.entries.count("late"), 0u);

    // A value may itself hold colons; only the first one splits.
    const std::string timed = ": finger\nlast: 12:30:00";
    auto msg2 = ServerMessage<CMsgGGSFinger>(timed);
    EXPECT_EQ(msg2.entries["last"], "12:30:00");
}

TEST(GGSMessage, WhoReadsUsersUntilALineFails)
{
    const std::string text =
        ": who 4\njoe + 1:00 2:00 a b\n/os s 0 9:00:00 - -\n\nann p 1 2 3 4";
    const auto msg = ServerMessage<CMsgGGSWho>(text);
    EXPECT_EQ(msg.count, 4);   // the server's number, whatever was read
    ASSERT_EQ(msg.users.size(), 2u);
    EXPECT_EQ(msg.users[0].login, "joe");
    EXPECT_EQ(msg.users[0].status, '+');
    EXPECT_EQ(msg.users[0].word1, "1:00");
    EXPECT_EQ(msg.users[0].word2, "2:00");
    EXPECT_EQ(msg.users[0].word4, "b");
    EXPECT_EQ(msg.users[1].login, "/os");
    EXPECT_EQ(msg.users[1].status, 's');

    // Short lines keep the words they have.
    const std::string shortText = ": who 1\nbob h";
    const auto msg2 = ServerMessage<CMsgGGSWho>(shortText);
    ASSERT_EQ(msg2.users.size(), 1u);
    EXPECT_EQ(msg2.users[0].status, 'h');
    EXPECT_EQ(msg2.users[0].word1, "");

    const std::string bad = ": who many";
    const auto msg3 = ServerMessage<CMsgGGSWho>(bad);
    EXPECT_TRUE(msg3.users.empty());
}

TEST(GGSMessage, UsersSortByClassThenLogin)
{
    auto user = [](const std::string& login, char status) {
        CGGSUser u;
        u.login = login;
        u.status = status;
        return u;
    };
    std::vector<CGGSUser> users = {user("p1", 'p'), user("s1", 's'), user("plus", '+'),
                                   user("a1", 'a'), user("dot", '.'), user("h1", 'h'),
                                   user("minus", '-'), user("Plus", '+')};
    std::sort(users.begin(), users.end());
    std::vector<std::string> order;
    for (const auto& u : users)
        order.push_back(u.login);
    EXPECT_EQ(order, (std::vector<std::string>{"s1", "a1", "h1", "Plus", "minus", "plus", "p1", "dot"}));
    EXPECT_EQ(user("x", 'z').GetStatusRank(), 3);
    EXPECT_EQ(user("x", 0).GetStatusRank(), 3);
    EXPECT_FALSE(user("b", 'a') < user("b", 'a'));
}

TEST(GGSMessage, AliasCountsOnlyWhenTheLineStartsWithADigit)
{
    {
        const std::string text = ": alias 2/2\nhi tell everybody hi\nbye   quit";
        const auto msg = ServerMessage<CMsgGGSAlias>(text);
        EXPECT_EQ(msg.login, "");
        EXPECT_EQ(msg.count, 2);
        EXPECT_EQ(msg.total, 2);
        ASSERT_EQ(msg.items.size(), 2u);
        EXPECT_EQ(msg.items[0].name, "hi");
        EXPECT_EQ(msg.items[0].expansion, "tell everybody hi");
        EXPECT_EQ(msg.items[1].name, "bye");
        EXPECT_EQ(msg.items[1].expansion, "quit");
    }
    {
        const std::string text = ": alias joe 3/5\nx y";
        const auto msg = ServerMessage<CMsgGGSAlias>(text);
        EXPECT_EQ(msg.login, "joe");
        EXPECT_EQ(msg.count, 0);
        EXPECT_EQ(msg.total, 0);
        ASSERT_EQ(msg.items.size(), 1u);
        EXPECT_EQ(msg.items[0].expansion, "y");
    }
    {
        // An alias without expansion does not swallow the next line.
        const std::string text = ": alias 4/4\nempty\nfull a b\nlast\nblank   ";
        const auto msg = ServerMessage<CMsgGGSAlias>(text);
        ASSERT_EQ(msg.items.size(), 4u);
        EXPECT_EQ(msg.items[0].name, "empty");
        EXPECT_EQ(msg.items[0].expansion, "");
        EXPECT_EQ(msg.items[1].name, "full");
        EXPECT_EQ(msg.items[1].expansion, "a b");
        EXPECT_EQ(msg.items[2].name, "last");
        EXPECT_EQ(msg.items[3].name, "blank");
        EXPECT_EQ(msg.items[3].expansion, "");
    }
    {
        const std::string text = ": alias 7";
        const auto msg = ServerMessage<CMsgGGSAlias>(text);
        EXPECT_EQ(msg.count, 7);
        EXPECT_TRUE(msg.items.empty());
    }
}

TEST(GGSMessage, RestOfTextRecordsAndUserDelta)
{
    {
        const std::string text = "joe: hello there\nsecond line\n";
        auto is = After(text, 1);
        CMsgGGSTell msg(text, "joe", is);
        EXPECT_EQ(msg.from, "joe");
        EXPECT_EQ(msg.rest, "hello there\nsecond line\n");
    }
    {
        const std::string text = ": help\ncommands:\n  who";
        const auto msg = ServerMessage<CMsgGGSHelp>(text);
        EXPECT_EQ(msg.rest, "commands:\n  who");
    }
    {
        const std::string text = ": news x y";
        const auto msg = ServerMessage<CMsgGGSUnknown>(text, "news");
        EXPECT_EQ(msg.keyword, "news");
        EXPECT_EQ(msg.rest, "x y");
    }
    {
        const std::string text = ": + joe 1";
        const auto msg = ServerMessage<CMsgGGSUserDelta>(text, true);
        EXPECT_TRUE(msg.plus);
        EXPECT_EQ(msg.login, "joe");
        EXPECT_EQ(msg.level, 1);
    }
    {
        const std::string text = ": - joe";
        const auto msg = ServerMessage<CMsgGGSUserDelta>(text, false);
        EXPECT_FALSE(msg.plus);
        EXPECT_EQ(msg.login, "joe");
        EXPECT_EQ(msg.level, 0);
    }
}

TEST(GGSMessage, ListsKeepAtMostTheBound)
{
    // One line more than a list keeps, of each list of the server's own replies.
    auto lines = [](const std::string& prefix, const std::string& rest) {
        std::string text;
        for (size_t i = 0; i <= kMaxListItems; ++i)
            text += "\n" + prefix + std::to_string(i) + rest;
        return text;
    };
    EXPECT_EQ(ServerMessage<CMsgGGSWho>(": who 1" + lines("u", " - 0 0 - -")).users.size(), kMaxListItems);
    EXPECT_EQ(ServerMessage<CMsgGGSAlias>(": alias me" + lines("a", " x")).items.size(), kMaxListItems);
    EXPECT_EQ(ServerMessage<CMsgGGSFinger>(": finger" + lines("key", ": v")).entries.size(), kMaxListItems);
}

// The records read the kit's own text stream (which the reader loop routes with) in place,
// and any other stream through its buffer: both must give the same record.
TEST(GGSMessage, RecordsReadTheSameFromEveryStream)
{
    auto both = [](const std::string& text, auto check) {
        auto is = After(text, 2);
        textinput::CTextInput kit;
        kit.Reset(text);
        std::string word;
        textinput::ReadWord(kit, word);
        textinput::ReadWord(kit, word);
        textinput::SkipBlanks(kit);
        check(is, kit);
    };
    auto same = [&](const std::string& text) {
        SCOPED_TRACE(text);
        both(text, [&](std::istream& a, std::istream& b) {
            const CMsgGGSWho x(text, "", a), y(text, "", b);
            EXPECT_EQ(x.count, y.count);
            EXPECT_EQ(x.users, y.users);
        });
        both(text, [&](std::istream& a, std::istream& b) {
            EXPECT_EQ(CMsgGGSTell(text, "", a).rest, CMsgGGSTell(text, "", b).rest);
        });
        both(text, [&](std::istream& a, std::istream& b) {
            const CMsgGGSUserDelta x(text, "", a, true), y(text, "", b, true);
            EXPECT_EQ(x.login, y.login);
            EXPECT_EQ(x.level, y.level);
        });
    };
    for (const char* text : {": who 3\njoe + 1:00 2:00 a b\n\t/os\ts 0\n", ": who 2\n \nann p", ": who\nx",
                             ": who 1\n\xe9t\xe9 . \x01 2 3 4 5 6\r", ": + joe 1x", ": - \n", ": who 9\nbob h\n"})
        same(text);
    // Lines of words, blanks and line ends, at random.
    std::mt19937 random(11);
    const std::string alphabet = "ab+-:. \t\r\n19\xff";
    for (int i = 0; i < 3000 && !::testing::Test::HasFailure(); ++i) {
        std::string text = ": who ";
        for (size_t n = random() % 40; n > 0; --n)
            text += alphabet[random() % alphabet.size()];
        same(text);
    }
}
