// The game service's list and game messages: what each reads from its text.

#include "GGMessageTemplates.h"
#include "OsObjects.h"
#include "ServiceRecordParse.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

TEST(ServiceGameMessages, Finger)
{
    const auto f = Parse<CMsgGGFinger<COsRatingType>>("ann\n"
                                                      "name   :  Ann Example\n"
                                                      "url: http://x.y:80/z\n"
                                                      "name: again\n"
                                                      "ratings\n"
                                                      "8 1834@95 = x + @ 1 2 3 4 5\n"
                                                      "nonsense\n"
                                                      "10r 1500@80 = y + @ 1 2 3 4 5");
    EXPECT_EQ(f.login, "ann");
    ASSERT_EQ(f.facts.size(), 2u);
    EXPECT_EQ(f.facts.at("name"), "again");
    EXPECT_EQ(f.facts.at("url"), "http://x.y:80/z");
    EXPECT_EQ(f.ratings.size(), 3u); // an unreadable line is appended all the same

    const auto noFacts = Parse<CMsgGGFinger<COsRatingType>>("bob\nno colon here\n8 1834@95 = x + @ 1 2 3 4 5");
    EXPECT_TRUE(noFacts.facts.empty());
    EXPECT_EQ(noFacts.ratings.size(), 1u);

    const auto onlyFacts = Parse<CMsgGGFinger<COsRatingType>>("bob\nkey:\tvalue");
    EXPECT_EQ(onlyFacts.facts.at("key"), "value");
    EXPECT_TRUE(onlyFacts.ratings.empty());
}

TEST(ServiceGameMessages, MatchListAndDeltas)
{
    const auto m = Parse<CMsgGGMatch<COsMatchType>>("5 / 3\n"
                                                    ".1 1700 bob 1800 ann 8 R 0\n"
                                                    ".2 1600 carl 1500 dan s8r20 U 1\n"
                                                    ".3 garbage");
    EXPECT_EQ(m.first, 5);
    EXPECT_EQ(m.count, 3);
    ASSERT_EQ(m.matches.size(), 2u);
    EXPECT_EQ(m.matches[0].id, ".1");
    EXPECT_EQ(m.matches[0].players[0].login, "ann");
    EXPECT_EQ(m.matches[0].players[1].login, "bob");
    EXPECT_EQ(m.matches[1].matchType.kind, 's');

    const auto plus = Parse<CMsgGGMatchDelta<COsMatchType>>(".9 1700 bob 1800 ann 8 R 12", true);
    EXPECT_TRUE(plus.plus);
    EXPECT_EQ(plus.match.id, ".9");
    EXPECT_EQ(plus.match.players[1].login, "bob");

    const auto minus = Parse<CMsgGGMatchDelta<COsMatchType>>(".9 1700 bob 1800 ann 8 R -12", false);
    EXPECT_FALSE(minus.plus);
    EXPECT_EQ(minus.result.kind, 6);
    EXPECT_DOUBLE_EQ(minus.result.score, -12);
}

TEST(ServiceGameMessages, RequestDelta)
{
    const auto r = Parse<CMsgGGRequestDelta<COsMatchType>>(".r1 1800 ann 5:00//2:00 8 R 1700 bob 5:00//2:00", true);
    EXPECT_TRUE(r.plus);
    EXPECT_EQ(r.requestId, ".r1");
    EXPECT_EQ(r.request.players[0].login, "ann");
    EXPECT_EQ(r.request.players[1].login, "bob");

    const auto s = Parse<CMsgGGRequestDelta<COsMatchType>>(".r2 1800 ann 5:00//2:00 8 S 1700 bob .77", false);
    EXPECT_FALSE(s.plus);
    EXPECT_EQ(s.request.rated, 'S');
    EXPECT_EQ(s.request.storedId, ".77");
}

TEST(ServiceGameMessages, LookCountNeverSizesTheRead)
{
    const std::string game = "(;GM[Othello]PC[GGS/os]PB[ann]PW[bob]RE[?]TY[8];)";
    EXPECT_EQ(Parse<CMsgGGLook<COsGame>>("1 " + game).games.size(), 1u);
    EXPECT_EQ(Parse<CMsgGGLook<COsGame>>("2 " + game + "\n" + game).games.size(), 2u);
    EXPECT_EQ(Parse<CMsgGGLook<COsGame>>("2 " + game).games.size(), 2u); // missing second still appended
    EXPECT_EQ(Parse<CMsgGGLook<COsGame>>("2000000000 " + game).games.size(), 2u);
    EXPECT_EQ(Parse<CMsgGGLook<COsGame>>("-5 " + game).games.size(), 0u);
    EXPECT_EQ(Parse<CMsgGGLook<COsGame>>("").games.size(), 0u);
}

TEST(ServiceGameMessages, HistoryAndStoredLists)
{
    const auto history = Parse<CMsgGGHistory<COsMatchType>>("3 ann\n"
                                                            ".7 5 Mar 2001 12:34:56 1800 ann 1700 bob 12 8\n"
                                                            ".9 6 Mar 2001 01:02:03 1810 ann 1690 carl -4:r s8r20\n"
                                                            ".10 broken");
    EXPECT_EQ(history.count, 3);
    EXPECT_EQ(history.word2, "ann");
    ASSERT_EQ(history.items.size(), 2u);
    EXPECT_EQ(history.items[0].id, ".7");
    EXPECT_EQ(history.items[0].players[1].login, "bob");
    EXPECT_EQ(history.items[1].result.kind, CGGResult::kResigned);
    EXPECT_EQ(history.items[1].matchType.kind, 's');

    const auto stored = Parse<CMsgGGStored<COsMatchType>>("2 ann\n"
                                                          ".5 5 Mar 2001 12:34:56 ann bob 8 :l\n"
                                                          ".6 7 Apr 2002 10:00:00 carl ann 10k :l");
    EXPECT_EQ(stored.count, 2);
    ASSERT_EQ(stored.items.size(), 2u);
    EXPECT_EQ(stored.items[0].logins[1], "bob");
    EXPECT_EQ(stored.items[1].id, ".6");
    EXPECT_EQ(stored.items[1].matchType.kind, 'k');
}

TEST(ServiceGameMessages, ListsKeepAtMostTheBound)
{
    // One line (or group) more than a list keeps, of each list of the service's replies.
    auto many = [](const std::string& before, const std::string& after) {
        std::string text;
        for (size_t i = 0; i <= kMaxListItems; ++i)
            text += before + std::to_string(i) + after;
        return text;
    };
    EXPECT_EQ(Parse<CMsgGGMatch<COsMatchType>>("0 / 1" + many("\n.", " 1 a 2 b 8 R 0")).matches.size(),
              kMaxListItems);
    EXPECT_EQ(Parse<CMsgGGWatch>("1 :" + many(" .", " (1)")).matches.size(), kMaxListItems);
    const auto facts = Parse<CMsgGGFinger<COsRatingType>>("ann" + many("\nkey", ": v"));
    EXPECT_EQ(facts.facts.size(), kMaxListItems);
    const auto ratings =
        Parse<CMsgGGFinger<COsRatingType>>("ann\nkey: v\n-" + many("\n8 ", "@95 = x + @ 1 2 3 4 5"));
    EXPECT_EQ(ratings.ratings.size(), kMaxListItems);
}
