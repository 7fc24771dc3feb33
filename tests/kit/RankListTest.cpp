// A rank or top list keeps one line per rank number: the lines of one reply stand in rank
// order, and a later line of the same rank stands for the earlier one.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "GGObjects.h"
#include "TextForms.h"

TEST(GGRankList, OneLinePerRank) {
    const CGGRankData ann = ReadFrom<CGGRankData>("3 ann 2100@40 = x + @ 0 0 10 1 2 <=\n");
    const CGGRankData bob = ReadFrom<CGGRankData>("3 bob 1900@80 = x + @ 0 0 1 0 0\n");
    const CGGRankData annLower = ReadFrom<CGGRankData>("12 ann 2100@40 = x + @ 0 0 10 1 2\n");
    // The rank number alone decides, whoever holds it and whatever the rest says.
    EXPECT_TRUE(ann == bob);
    EXPECT_FALSE(ann == annLower);
    EXPECT_FALSE(ann < bob || bob < ann);

    std::vector<CGGRankData> lines = {annLower, bob, ann};
    std::stable_sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].login, "bob");
    EXPECT_EQ(lines[1].rank, 12);
}
