// The records of the game service's lists and deltas: matches, history items, stored
// matches, requests, rating lines and dates.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "OsObjects.h"
#include "TextForms.h"

namespace {

using Match = CGGMatch<COsMatchType>;
using History = CGGHistoryItem<COsMatchType>;
using Stored = CGGStoredMatch<COsMatchType>;
using Request = CGGRequest<COsMatchType>;
using RatingItem = CGGRatingItem<COsRatingType>;

// Reads records one after another into one object, as the list messages do.
template <class T>
std::vector<T> ReadAll(const std::string& text) {
    std::istringstream is(text);
    std::vector<T> items;
    T item;
    while (is >> item) items.push_back(item);
    return items;
}

}  // namespace

TEST(GGDate, ReadAndText) {
    CGGDate date = ReadFrom<CGGDate>("5 Mar 2001 12:34:56");
    EXPECT_EQ(date.day, 5);
    EXPECT_EQ(date.month, "Mar");
    EXPECT_EQ(date.year, 2001);
    EXPECT_EQ(date.time, "12:34:56");
    EXPECT_EQ(date.Text(), "2001-Mar-5 12:34:56");
    date.year = 987;
    EXPECT_EQ(date.Text(), " 987-Mar-5 12:34:56");

    // A field that cannot be read leaves the later ones as they were.
    bool failed = false;
    CGGDate partial;
    partial.time = "kept";
    std::istringstream is("17 Jun x 10:00");
    is >> partial;
    EXPECT_TRUE(is.fail());
    EXPECT_EQ(partial.day, 17);
    EXPECT_EQ(partial.month, "Jun");
    EXPECT_EQ(partial.time, "kept");
    ReadFrom<CGGDate>("", &failed);
    EXPECT_TRUE(failed);
}

TEST(GGMatch, ReadDeltaAndOrder) {
    bool failed = true;
    Match m = ReadFrom<Match>("12 1700 bob 1800 ann s8r20 U 3", &failed);
    EXPECT_FALSE(failed);
    EXPECT_EQ(m.id, "12");
    EXPECT_EQ(m.players[1].login, "bob");  // the text names the second player first
    EXPECT_EQ(m.players[1].rating, 1700);
    EXPECT_EQ(m.players[0].login, "ann");
    EXPECT_EQ(m.players[0].rating, 1800);
    EXPECT_EQ(Text(m.matchType), "s8r20");
    EXPECT_EQ(m.rated, 'U');
    EXPECT_EQ(m.number, 3);

    // The delta form leaves the trailing number in the stream.
    std::istringstream delta("12 1700 bob 1800 ann 8 R 3");
    m.ReadDelta(delta);
    EXPECT_EQ(m.number, 0);
    EXPECT_EQ(m.rated, 'R');
    int rest = 0;
    delta >> rest;
    EXPECT_EQ(rest, 3);

    // A read that fails before the trailing number leaves it as it was.
    m.number = 7;
    std::istringstream cut("13 1700 bob 1800");
    m.Read(cut);
    EXPECT_TRUE(cut.fail());
    EXPECT_EQ(m.id, "13");
    EXPECT_EQ(m.number, 7);

    std::vector<Match> list = ReadAll<Match>("1 1500 a 1600 b 8 R 0\n2 1500 c 1600 d 10k R 0\n3 1500 e x");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].id, "2");
    EXPECT_EQ(Text(list[1].matchType), "10k");

    // Ids compare as text; equal ids are the same match.
    Match a, b, c;
    a.id = "12";
    b.id = "9";
    c.id = "100";
    std::vector<Match> sorted = {a, b, c};
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted[0].id, "100");
    EXPECT_EQ(sorted[1].id, "12");
    EXPECT_EQ(sorted[2].id, "9");
    b.id = "12";
    b.rated = 'x';
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
}

TEST(GGHistoryItem, ReadAndOrder) {
    std::vector<History> list = ReadAll<History>(
        "101 5 Mar 2001 12:34:56 1800 ann 1700 bob -12:r 8\n"
        "102 6 Mar 2001 08:00:00 1810 ann 1690 bob 0 88a\n"
        "103 bad");
    ASSERT_EQ(list.size(), 2u);
    const History& h = list[0];
    EXPECT_EQ(h.id, "101");
    EXPECT_EQ(h.date.Text(), "2001-Mar-5 12:34:56");
    EXPECT_EQ(h.players[0].login, "ann");
    EXPECT_EQ(h.players[1].login, "bob");
    EXPECT_EQ(h.result.score, -12);
    EXPECT_EQ(h.result.kind, CGGResult::kResigned);
    EXPECT_EQ(Text(h.matchType), "8");
    EXPECT_EQ(list[1].result.kind, CGGResult::kScore);
    EXPECT_TRUE(list[1].matchType.bt.fOctagon);
    EXPECT_TRUE(list[1].matchType.fAnti);

    EXPECT_TRUE(list[0] < list[1]);
    EXPECT_FALSE(list[0] == list[1]);
    History copy = list[1];
    copy.players[0].login = "other";
    EXPECT_TRUE(copy == list[1]);
}

TEST(GGStoredMatch, ReadKeepsTheReceivedOrder) {
    std::vector<Stored> list = ReadAll<Stored>(
        "77 5 Mar 2001 12:34:56 ann bob 8k :l\n"
        "12 7 Mar 2001 09:00:00 ann carl s10 :l\n"
        "12 7 Mar 2001 09:00:00 ann carl s10 :l\n");
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].id, "77");
    EXPECT_EQ(list[0].logins[0], "ann");
    EXPECT_EQ(list[0].logins[1], "bob");
    EXPECT_EQ(list[0].matchType.kind, 'k');
    EXPECT_EQ(list[0].date.Text(), "2001-Mar-5 12:34:56");
    EXPECT_EQ(Text(list[1].matchType), "s10");

    // Sorting keeps the order read, whatever the ids; records read apart are distinct
    // even with the same text, and a copy equals its original.
    std::vector<Stored> sorted = {list[2], list[0], list[1]};
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted[0].id, "77");
    EXPECT_TRUE(sorted[1] == list[1]);
    EXPECT_TRUE(sorted[2] == list[2]);
    EXPECT_FALSE(list[1] == list[2]);
    EXPECT_TRUE(list[1] != list[2]);
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));

    // A last word other than ":l" is taken all the same.
    bool failed = true;
    Stored odd = ReadFrom<Stored>("5 1 Jan 2002 00:00:00 a b 8 x", &failed);
    EXPECT_FALSE(failed);
    EXPECT_EQ(odd.logins[1], "b");
}

TEST(GGRequest, ReadClocksAndStoredMatches) {
    Request r = ReadFrom<Request>("1800 ann 15:00//2:00 8 R 1700 bob 5:00/0:05/1:00 more");
    EXPECT_EQ(r.players[0].login, "ann");
    EXPECT_EQ(r.players[1].login, "bob");
    EXPECT_EQ(r.clocks[0].timeLeft, 900);
    EXPECT_EQ(r.clocks[0].extension, 120);
    EXPECT_EQ(r.clocks[1].timeLeft, 300);
    EXPECT_EQ(r.clocks[1].increment, 5);
    EXPECT_EQ(r.rated, 'R');
    EXPECT_EQ(Text(r.matchType), "8");

    // A request text that ends with its second clock keeps that clock as read.
    r = ReadFrom<Request>("1800 ann 15:00//2:00 8 U 1700 bob 5:00//1:00");
    EXPECT_EQ(r.clocks[1].timeLeft, 300);
    EXPECT_EQ(r.clocks[1].extension, 60);
    EXPECT_NE(r.clocks[0], r.clocks[1]);

    // A missing second clock takes the first clock's value.
    bool failed = false;
    r = ReadFrom<Request>("1800 ann 15:00//2:00 s8r20 R 1700 bob", &failed);
    EXPECT_TRUE(failed);
    EXPECT_EQ(r.clocks[1], r.clocks[0]);
    r = ReadFrom<Request>("1800 ann 15:00//2:00 8 R 1700 bob x");
    EXPECT_EQ(r.clocks[1], r.clocks[0]);

    // 'S' continues a stored match: the id is read, the second clock is not.
    std::istringstream is("1800 ann 15:00//2:00 8 S 1700 bob .77 5:00//1:00");
    Request s;
    s.clocks[1] = CGGClock(1, 2, 3, 0);
    is >> s;
    EXPECT_EQ(s.rated, 'S');
    EXPECT_EQ(s.storedId, ".77");
    EXPECT_EQ(s.clocks[1], CGGClock(1, 2, 3, 0));
    std::string rest;
    is >> rest;
    EXPECT_EQ(rest, "5:00//1:00");

    // Reading stops at the first field that fails.
    Request partial;
    partial.rated = 'x';
    ReadFrom<Request>("1800 ann", &failed);
    EXPECT_TRUE(failed);
    std::istringstream bad("1800 ann 15:00//2:00 8");
    bad >> partial;
    EXPECT_TRUE(bad.fail());
    EXPECT_EQ(partial.rated, 'x');
    EXPECT_TRUE(partial.players[1].login.empty());
}

TEST(GGRatingItem, Read) {
    RatingItem item = ReadFrom<RatingItem>("8r 1834@95 = somebody + @ 1.5 2.5 10 2 3");
    EXPECT_TRUE(item.ratingType.fRand);
    EXPECT_FALSE(item.ratingType.fAnti);
    EXPECT_EQ(item.ratingType.bt.size, 8);
    EXPECT_EQ(item.rating.rating.value, 1834);
    EXPECT_EQ(item.rating.rating.deviation, 95);
    EXPECT_EQ(item.rating.won, 10);
    EXPECT_EQ(item.rating.lost, 3);
    RatingItem copy = item;
    EXPECT_EQ(copy.rating.text, item.rating.text);
    EXPECT_EQ(copy.ratingType, item.ratingType);
}
