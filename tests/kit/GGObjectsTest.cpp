#include <gtest/gtest.h>

#include <algorithm>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "GGObjects.h"
#include "TextForms.h"

namespace {

std::string Duration(int seconds) {
    std::ostringstream os;
    WriteDuration(os, seconds);
    return os.str();
}

double Seconds(const std::string& text, bool* failed = nullptr) {
    std::istringstream is(text);
    double s = ReadDuration(is);
    if (failed) *failed = is.fail();
    return s;
}

}  // namespace

TEST(GGDuration, ReadAndWrite) {
    EXPECT_EQ(Seconds("15:00"), 900);
    EXPECT_EQ(Seconds("2:00"), 120);
    EXPECT_EQ(Seconds("1:30:00"), 5400);
    EXPECT_EQ(Seconds("1:0:0:0"), 86400);
    EXPECT_EQ(Seconds("5"), 5);
    EXPECT_EQ(Seconds("1.5"), 65);
    bool failed = false;
    EXPECT_EQ(Seconds("15:", &failed), 15);  // the last number read counts as seconds
    EXPECT_TRUE(failed);
    EXPECT_EQ(Seconds("", &failed), 0);
    EXPECT_TRUE(failed);
    // A separator after the fourth number is taken and ends the reading.
    std::istringstream is("1:2:3:4:5");
    EXPECT_EQ(ReadDuration(is), 86400 + 2 * 3600 + 3 * 60 + 4);
    EXPECT_EQ(is.peek(), '5');
    // Numbers beyond an int fail without harm.
    EXPECT_EQ(Seconds("99999999999999", &failed), 0);
    EXPECT_TRUE(failed);

    EXPECT_EQ(Duration(900), "15:00");
    EXPECT_EQ(Duration(5), "0:05");
    EXPECT_EQ(Duration(3599), "59:59");
    EXPECT_EQ(Duration(3600), "1:00:00");
    EXPECT_EQ(Duration(7509), "2:05:09");
    EXPECT_EQ(Duration(86400), "24:00:00");
    std::ostringstream os;
    WriteDuration(os, 65);
    os << std::setw(3) << 7;
    EXPECT_EQ(os.str(), "1:05  7");  // the fill is a blank again afterwards
}

TEST(GGClock, TextForms) {
    bool failed = true;
    CGGClock clock = ReadFrom<CGGClock>("15:00//2:00", &failed);
    EXPECT_FALSE(failed);
    EXPECT_EQ(clock.timeLeft, 900);
    EXPECT_EQ(clock.increment, 0);
    EXPECT_EQ(clock.extension, 120);
    EXPECT_EQ(clock.state, CGGClock::kRunning);
    EXPECT_EQ(Text(clock), "15:00//2:00");
    EXPECT_EQ(Text(ReadFrom<CGGClock>("1:00:00//0:00")), "1:00:00//0:00");
    clock = ReadFrom<CGGClock>("15:00/0:05/0:00");
    EXPECT_EQ(clock.increment, 5);
    EXPECT_EQ(Text(clock), "15:00/0:05/0:00");
    clock = ReadFrom<CGGClock>("10:00");
    EXPECT_EQ(clock.timeLeft, 600);
    EXPECT_EQ(Text(clock), "10:00//0:00");
    clock = ReadFrom<CGGClock>("5:00/10");
    EXPECT_EQ(clock.increment, 10);
    EXPECT_EQ(clock.extension, 0);

    // What follows a clock stays in the stream; the state is reset by reading.
    std::istringstream is("1:00//0:30 next");
    clock.state = CGGClock::kOutOfTime;
    is >> clock;
    EXPECT_EQ(clock.state, CGGClock::kRunning);
    std::string rest;
    is >> rest;
    EXPECT_EQ(rest, "next");

    clock = CGGClock(3599.9, 0, 0, 0);
    EXPECT_EQ(Text(clock), "59:59//0:00");
    clock.timeLeft = 3600;
    EXPECT_EQ(Text(clock), "1:00:00//0:00");
    clock.timeLeft = 86400;
    EXPECT_EQ(Text(clock), "24:00:00//0:00");
    clock.timeLeft = 1e300;  // held at the largest number of seconds, no overflow
    EXPECT_FALSE(Text(clock).empty());

    CGGClock old(1, 2, 3, CGGClock::kInExtension);
    std::istringstream oldText(" ( 15 5 2 )x");
    old.ReadOld(oldText);
    EXPECT_EQ(old.timeLeft, 900);
    EXPECT_EQ(old.increment, 5);
    EXPECT_EQ(old.extension, 120);
    EXPECT_EQ(old.state, CGGClock::kInExtension);
    EXPECT_EQ(oldText.get(), 'x');
    // A record cut short keeps the numbers it holds; the missing ones are 0.
    std::istringstream shortText("(20 7");
    old.ReadOld(shortText);
    EXPECT_TRUE(shortText.fail());
    EXPECT_EQ(old.timeLeft, 1200);
    EXPECT_EQ(old.increment, 7);
    EXPECT_EQ(old.extension, 0);
}

TEST(GGClock, ElapseAndCompare) {
    CGGClock clock(60, 0, 120, CGGClock::kRunning);
    clock.Elapse(100, false);
    EXPECT_EQ(clock.timeLeft, 80);
    EXPECT_EQ(clock.state, CGGClock::kInExtension);
    clock.Elapse(100, false);
    EXPECT_EQ(clock.timeLeft, 0);
    EXPECT_EQ(clock.state, CGGClock::kOutOfTime);

    clock = CGGClock(60, 5, 120, CGGClock::kRunning);
    clock.Elapse(100, true);
    EXPECT_EQ(clock.timeLeft, 85);
    clock.Elapse(100, true);
    EXPECT_EQ(clock.timeLeft, 0);
    EXPECT_EQ(clock.state, CGGClock::kOutOfTime);
    clock.Elapse(0, true);  // no increment once out of time
    EXPECT_EQ(clock.timeLeft, 0);

    clock = CGGClock(10, 2, 0, CGGClock::kRunning);
    clock.Elapse(3, true);
    EXPECT_EQ(clock.timeLeft, 9);
    EXPECT_EQ(clock.state, CGGClock::kRunning);
    clock.Elapse(20, false);  // no extension: straight out of time
    EXPECT_EQ(clock.state, CGGClock::kOutOfTime);

    CGGClock a(100, 5, 60, 0), b = a;
    EXPECT_TRUE(a == b);
    EXPECT_FALSE(a != b);
    EXPECT_TRUE(a <= b);
    EXPECT_FALSE(a < b);
    b.timeLeft = 100.5;
    EXPECT_TRUE(a != b);
    EXPECT_TRUE(a < b);
    EXPECT_TRUE(b > a);
    EXPECT_TRUE(a.EqualSeconds(b));
    b.increment = 4;  // fields that disagree: neither below nor above
    EXPECT_FALSE(a < b);
    EXPECT_FALSE(a > b);
    b = a;
    b.state = CGGClock::kInExtension;
    EXPECT_FALSE(a.EqualSeconds(b));
    EXPECT_NE(a, b);
    b = a;
    b.extension = 61;
    EXPECT_FALSE(a.EqualSeconds(b));
    b = a;
    b.increment = 6;
    EXPECT_NE(a, b);
    EXPECT_FALSE(a.EqualSeconds(b));

    // The state orders clocks like the times do: a clock in its extension is not at or
    // below a running one with the same times.
    b = a;
    b.state = CGGClock::kInExtension;
    EXPECT_TRUE(b >= a);
    EXPECT_FALSE(a >= b);
    EXPECT_TRUE(a <= b);
    EXPECT_FALSE(b <= a);
}

TEST(GGResult, TextForms) {
    std::istringstream q(" ?x");
    CGGResult r;
    r.Set(5, CGGResult::kScore);
    q >> r;
    EXPECT_EQ(r.kind, CGGResult::kUnknown);
    EXPECT_EQ(r.score, 0);
    EXPECT_EQ(q.get(), '?');

    EXPECT_EQ(ReadFrom<CGGResult>("aborted").kind, CGGResult::kAborted);
    EXPECT_EQ(ReadFrom<CGGResult>("adjourned").kind, CGGResult::kAdjourned);
    r = ReadFrom<CGGResult>("-12:r");
    EXPECT_EQ(r.score, -12);
    EXPECT_EQ(r.kind, CGGResult::kResigned);
    EXPECT_EQ(Text(r), "-12:r");
    r = ReadFrom<CGGResult>("64:t");
    EXPECT_EQ(r.kind, CGGResult::kTimeout);
    EXPECT_EQ(Text(r), "64:t");
    r = ReadFrom<CGGResult>("10:l");
    EXPECT_EQ(r.kind, CGGResult::kAdjourned);
    EXPECT_EQ(r.score, 10);
    EXPECT_EQ(Text(r), "?");
    r = ReadFrom<CGGResult>("3.5:x");
    EXPECT_EQ(r.kind, CGGResult::kScore);
    EXPECT_EQ(Text(r), "3.5");
    r = ReadFrom<CGGResult>("12");
    EXPECT_EQ(Text(r), "12");
    EXPECT_TRUE(r.HasScore());

    r.Set(12, CGGResult::kAgreed);
    EXPECT_EQ(Text(r), "12");
    for (int kind : {2, 3, 4, 5}) {
        r.Set(7, kind);
        EXPECT_EQ(Text(r), "?");
        EXPECT_FALSE(r.HasScore());
    }
    for (int kind : {0, 1, 10}) {
        r.Set(7, kind);
        EXPECT_EQ(Text(r), "");
    }
    r.Clear();
    EXPECT_EQ(r.kind, CGGResult::kUnknown);
    EXPECT_EQ(r.score, 0);

    bool failed = false;
    ReadFrom<CGGResult>("", &failed);
    EXPECT_TRUE(failed);
    ReadFrom<CGGResult>("7:", &failed);
    EXPECT_TRUE(failed);
}

TEST(GGPlayerAndRatings, TextForms) {
    CGGPlayer player = ReadFrom<CGGPlayer>("1834.5 somebody rest");
    EXPECT_EQ(player.login, "somebody");
    EXPECT_EQ(player.rating, 1834.5);
    player.Clear();
    EXPECT_EQ(player.login, "");
    EXPECT_EQ(player.rating, 0);

    CGGRatingValue value = ReadFrom<CGGRatingValue>("1834@95");
    EXPECT_EQ(value.value, 1834);
    EXPECT_EQ(value.deviation, 95);
    EXPECT_DOUBLE_EQ(value.Adjusted(), 1834 - 95 * 4.914285714285715);
    value.value = 1834.6;
    std::ostringstream os;
    os << value << ' ' << 1.25;
    EXPECT_EQ(os.str(), "1835@ 95 1.25");  // number format restored afterwards
    value.value = 987;
    value.deviation = 100;
    EXPECT_EQ(Text(value), " 987@100");

    CGGRating rating = ReadFrom<CGGRating>("1834@95 = some text + @ 1.5 2.5 12 3 4");
    EXPECT_EQ(rating.rating.value, 1834);
    EXPECT_EQ(rating.text, " some text ");
    EXPECT_EQ(rating.extra[0], 1.5);
    EXPECT_EQ(rating.extra[1], 2.5);
    EXPECT_EQ(rating.won, 12);
    EXPECT_EQ(rating.drawn, 3);
    EXPECT_EQ(rating.lost, 4);
    rating = ReadFrom<CGGRating>("1700@50");  // ends before the '=': nothing more read
    EXPECT_EQ(rating.rating.value, 1700);
    EXPECT_EQ(rating.won, 0);
}

TEST(GGRankAndWho, Lines) {
    std::istringstream is(
        "1 ann 2100@40 = x + @ 0 0 10 1 2 <=\n"
        "\n"
        "2 bob 2000@60 = y + @ 0 0 5 0 0\n"
        "three is not a rank\n"
        "4 dan 1900@70 = z + @ 0 0 1 1 1\n");
    CGGRankData rank;
    is >> rank;
    EXPECT_TRUE(is.good());
    EXPECT_EQ(rank.rank, 1);
    EXPECT_EQ(rank.login, "ann");
    EXPECT_EQ(rank.rating.rating.value, 2100);
    EXPECT_EQ(rank.rating.won, 10);
    EXPECT_TRUE(rank.fMarked);
    is >> rank;  // an empty line changes nothing
    EXPECT_TRUE(is.good());
    EXPECT_EQ(rank.login, "ann");
    EXPECT_TRUE(rank.fMarked);
    is >> rank;
    EXPECT_EQ(rank.login, "bob");
    EXPECT_FALSE(rank.fMarked);
    is >> rank;  // an unreadable line fails the stream, which ends a list
    EXPECT_TRUE(is.fail());
    CGGRankData a, b;
    a.rank = 3;
    b.rank = 10;
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);

    std::istringstream who(
        "somebody + 1834@95\n"
        "other + 1834@95 -> 12 3 4 @ 80\n"
        "\n"
        "broken + x\n");
    CGGWhoItem item;
    who >> item;
    EXPECT_EQ(item.login, "somebody");
    EXPECT_EQ(item.rating.deviation, 95);
    EXPECT_TRUE(item.fNoStats);
    who >> item;
    EXPECT_FALSE(item.fNoStats);
    EXPECT_EQ(item.login, "other");
    EXPECT_EQ(item.won, 12);
    EXPECT_EQ(item.drawn, 3);
    EXPECT_EQ(item.lost, 4);
    EXPECT_EQ(item.deviation2, 80);
    CGGWhoItem before = item;
    who >> item;
    EXPECT_TRUE(who.good());
    EXPECT_EQ(item.login, before.login);
    who >> item;
    EXPECT_TRUE(who.fail());
    std::istringstream badStats("x + 1500@50 -> 1 2\n");
    badStats >> item;
    EXPECT_TRUE(badStats.fail());

    std::vector<CGGWhoItem> items(4);
    items[0] = ReadFrom<CGGWhoItem>("zed + 1800@50");
    items[1] = ReadFrom<CGGWhoItem>("amy + 1800@50");
    items[2] = ReadFrom<CGGWhoItem>("low + 1900@100");  // adjusted 1408.6
    items[3] = ReadFrom<CGGWhoItem>("Zed + 1800@50");
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items[0].login, "low");
    EXPECT_EQ(items[1].login, "Zed");
    EXPECT_EQ(items[2].login, "amy");
    EXPECT_EQ(items[3].login, "zed");
    EXPECT_TRUE(items[3] == ReadFrom<CGGWhoItem>("zed + 1000@10"));
}

TEST(GGSquare, TextForms) {
    CGGSquare sq = ReadFrom<CGGSquare>("f5");
    EXPECT_EQ(sq.row, 4);
    EXPECT_EQ(sq.col, 5);
    EXPECT_EQ(Text(sq), "F5");
    sq = ReadFrom<CGGSquare>("N14");
    EXPECT_EQ(Text(sq), "N14");
    bool failed = false;
    ReadFrom<CGGSquare>("!-2147483648", &failed);
    EXPECT_FALSE(failed);
}
