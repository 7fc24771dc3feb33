// The game service's message records: what each reads from its text.

#include "GGMessage.h"
#include "ServiceRecordParse.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// An item whose reader takes nothing and never fails.
struct CIdleItem {
};
std::istream& operator>>(std::istream& is, CIdleItem&)
{
    return is;
}

int ErrCode(const std::string& line)
{
    return Parse<CMsgGGErr>(line).code;
}

} // namespace

TEST(ServiceMessages, ErrTable)
{
    EXPECT_EQ(ErrCode("your request doesn't fit the opponent's formula."), 33537);
    EXPECT_EQ(ErrCode("your request doesn't fit the opponent's formula. "), 33536);
    EXPECT_EQ(ErrCode("board type"), 33538);
    EXPECT_EQ(ErrCode("board type 9"), 33536);
    EXPECT_EQ(ErrCode("rank <type> [login]"), 33539);
    EXPECT_EQ(ErrCode("it is a corrupt move here"), 33540);
    EXPECT_EQ(ErrCode("Your open value is too low for new matches."), 33541);
    EXPECT_EQ(ErrCode("rated variable mismatch."), 33542);
    EXPECT_EQ(ErrCode("Rated/unrated mismatch"), 33542);
    EXPECT_EQ(ErrCode("you are not registered."), 33543);
    EXPECT_EQ(ErrCode("F9 is an illegal move"), 33544);
    EXPECT_EQ(ErrCode("user xyz not found"), 33545);
    EXPECT_EQ(ErrCode("Player is not accepting new matches."), 33546);
    EXPECT_EQ(ErrCode("only one color preference allowed"), 33547);
    EXPECT_EQ(ErrCode("something new"), 33536);
    EXPECT_EQ(ErrCode(""), 33536);
    // Case matters, and "contains" rows are tested in table order.
    EXPECT_EQ(ErrCode("Board type"), 33536);
    EXPECT_EQ(ErrCode("illegal move: game not found"), 33544);
    EXPECT_EQ(ErrCode("corrupt move, illegal move"), 33540);
    // Only the first line counts.
    EXPECT_EQ(ErrCode("board type\nnot found"), 33538);
    EXPECT_EQ(ErrCode("what\nnot found"), 33536);
    // The replies to watch requests keep their sign in the text.
    EXPECT_EQ(ErrCode("+ .12 not found"), 33545);
    EXPECT_EQ(ErrCode("- board type"), 33536);
}

TEST(ServiceMessages, PerMatchNotices)
{
    const auto abort = Parse<CMsgGGAbortRequest>(".7 bob is asking");
    EXPECT_EQ(abort.matchId, ".7");
    EXPECT_EQ(abort.word2, "bob");
    EXPECT_EQ(abort.text, "/os kw .7 bob is asking");
    EXPECT_EQ(abort.from, "/os");

    const auto undo = Parse<CMsgGGUndoRequest>(".8 ann is asking");
    EXPECT_EQ(undo.matchId, ".8");
    EXPECT_EQ(undo.word2, "ann");

    const auto timeout = Parse<CMsgGGTimeout>(".9 ann\n");
    EXPECT_EQ(timeout.matchId, ".9");
    EXPECT_EQ(timeout.word2, "ann");
    const auto fatal = Parse<CMsgGGFatalTimeout>(".10 bob");
    EXPECT_EQ(fatal.matchId, ".10");
    EXPECT_EQ(fatal.word2, "bob");

    const auto td = Parse<CMsgGGTDStart>("td1 s8r20");
    EXPECT_EQ(td.word1, "td1");
    EXPECT_EQ(td.word2, "s8r20");

    const auto wd = Parse<CMsgGGWatchDelta>(".12", true, std::string("carol"));
    EXPECT_TRUE(wd.plus);
    EXPECT_EQ(wd.login, "carol");
    EXPECT_EQ(wd.matchId, ".12");

    const auto empty = Parse<CMsgGGAbortRequest>("");
    EXPECT_EQ(empty.matchId, "");
    EXPECT_EQ(empty.word2, "");
}

TEST(ServiceMessages, Comment)
{
    const auto c = Parse<CMsgGGComment>("- 1834.5 bob: well played: really", std::string(".12"));
    EXPECT_EQ(c.matchId, ".12");
    EXPECT_EQ(c.marker, '-');
    EXPECT_EQ(c.author.login, "bob");
    EXPECT_DOUBLE_EQ(c.author.rating, 1834.5);
    EXPECT_EQ(c.comment, "well played: really");

    const auto spaced = Parse<CMsgGGComment>("+ 1500 ann :   hi\nsecond line", std::string(".3"));
    EXPECT_EQ(spaced.author.login, "ann");
    EXPECT_EQ(spaced.comment, "hi");

    const auto bare = Parse<CMsgGGComment>("no colon at all", std::string(".3"));
    EXPECT_EQ(bare.comment, "");
}

TEST(ServiceMessages, End)
{
    const auto e = Parse<CMsgGGEnd>(".5.1 ( ann vs. bob ) 12");
    EXPECT_EQ(e.matchId, ".5.1");
    EXPECT_EQ(e.logins[0], "ann");
    EXPECT_EQ(e.logins[1], "bob");
    EXPECT_EQ(e.result.kind, 6);
    EXPECT_DOUBLE_EQ(e.result.score, 12);

    // Without the blank before ')' the login keeps it and the ')' check takes the
    // first character of the result.
    const auto tight = Parse<CMsgGGEnd>(".5.0 (ann vs. bob) -20");
    EXPECT_EQ(tight.logins[0], "ann");
    EXPECT_EQ(tight.logins[1], "bob)");
    EXPECT_DOUBLE_EQ(tight.result.score, 20);
}

TEST(ServiceMessages, RatingUpdateAndTrustViolation)
{
    const auto r = Parse<CMsgGGRatingUpdate>(".4 ann 1800@50 12.5 -> 1812.5@49\nbob 1700@60 -12.5 -> 1687.5@59");
    EXPECT_EQ(r.matchId, ".4");
    EXPECT_EQ(r.logins[0], "ann");
    EXPECT_EQ(r.logins[1], "bob");
    EXPECT_DOUBLE_EQ(r.oldRatings[0].value, 1800);
    EXPECT_DOUBLE_EQ(r.oldRatings[0].deviation, 50);
    EXPECT_DOUBLE_EQ(r.changes[0], 12.5);
    EXPECT_DOUBLE_EQ(r.newRatings[0].value, 1812.5);
    EXPECT_DOUBLE_EQ(r.changes[1], -12.5);
    EXPECT_DOUBLE_EQ(r.newRatings[1].deviation, 59);

    const auto t = Parse<CMsgGGTrustViolation>(".6 ann ( * ) delta= 3.5/4.25 secs");
    EXPECT_EQ(t.matchId, ".6");
    EXPECT_EQ(t.word2, "ann");
    EXPECT_EQ(t.marker, '*');
    EXPECT_DOUBLE_EQ(t.numbers[0], 3.5);
    EXPECT_DOUBLE_EQ(t.numbers[1], 4.25);
}

TEST(ServiceMessages, WatchList)
{
    const auto w = Parse<CMsgGGWatch>("2 : .12 (3) .7 ( 1 )");
    EXPECT_EQ(w.count, 2);
    ASSERT_EQ(w.matches.size(), 2u);
    EXPECT_EQ(w.matches.at(".12"), 3);
    EXPECT_EQ(w.matches.at(".7"), 1);

    const auto cut = Parse<CMsgGGWatch>("3 : .12 (3) .7 (1) .9 (");
    EXPECT_EQ(cut.count, 3);
    EXPECT_EQ(cut.matches.size(), 2u);
    EXPECT_EQ(cut.matches.count(".9"), 0u);

    const auto repeated = Parse<CMsgGGWatch>("2: .1 (3) .1 (5)");
    ASSERT_EQ(repeated.matches.size(), 1u);
    EXPECT_EQ(repeated.matches.at(".1"), 5);

    EXPECT_TRUE(Parse<CMsgGGWatch>("0:").matches.empty());
}

TEST(ServiceMessages, RankTopAndWho)
{
    const auto rank = Parse<CMsgGGRank>("1834@95 a b c d e 3\n"
                                        "1 ann 2000@50 = x + @ 1 2 3 4 5\n"
                                        "2 bob 1900@50 = x + @ 1 2 3 4 5 <=\n"
                                        "zzz\n"
                                        "4 dan 1700@50 = x + @ 1 2 3 4 5");
    EXPECT_DOUBLE_EQ(rank.rating.value, 1834);
    EXPECT_EQ(rank.count, 3);
    ASSERT_EQ(rank.items.size(), 2u);
    EXPECT_EQ(rank.items[0].login, "ann");
    EXPECT_EQ(rank.items[1].login, "bob");

    const auto top = Parse<CMsgGGTop>("1834@95 a b c d e 1\n1 ann 2000@50 = x + @ 1 2 3 4 5");
    EXPECT_EQ(top.count, 1);
    ASSERT_EQ(top.items.size(), 1u);
    EXPECT_EQ(top.items[0].rank, 1);

    const auto who = Parse<CMsgGGWho>("2 rest of the head line\nann + 1834@95\nbob + 1700@80 -> 12 3 4 @ 80");
    EXPECT_EQ(who.count, 2);
    ASSERT_EQ(who.items.size(), 2u);
    EXPECT_EQ(who.items[0].login, "ann");
    EXPECT_EQ(who.items[1].login, "bob");

    EXPECT_TRUE(Parse<CMsgGGWho>("").items.empty());
}

TEST(ServiceMessages, Unknown)
{
    const auto u = Parse<CMsgGGUnknown>("first line\nsecond line", std::string("novelty"));
    EXPECT_EQ(u.keyword, "novelty");
    EXPECT_EQ(u.rest, "first line\nsecond line");
}

TEST(ServiceMessages, ListReaderAlwaysConsumesOrStops)
{
    std::istringstream text("some text");
    std::vector<CIdleItem> idle;
    ReadGGList(text, idle);
    EXPECT_EQ(idle.size(), 1u);
    // So on the kit's own text stream, which the reader loop routes with.
    const std::string some = "some text";
    textinput::CTextInput kit;
    kit.Reset(some);
    idle.clear();
    ReadGGList(kit, idle);
    EXPECT_EQ(idle.size(), 1u);

    // A list whose last item ends the text keeps it; an empty text gives no item.
    std::istringstream numbers("1 2 3");
    std::vector<int> read;
    ReadGGList(numbers, read);
    EXPECT_EQ(read, (std::vector<int>{1, 2, 3}));
    std::istringstream empty("");
    read.clear();
    ReadGGList(empty, read);
    EXPECT_TRUE(read.empty());
}
