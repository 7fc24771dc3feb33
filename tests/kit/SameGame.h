// Compares two game records field by field, so that a failing test names the field.
#pragma once

#include <gtest/gtest.h>

#include "OsObjects.h"

inline void ExpectSamePosition(const CGGPosition<COsBoard, COsMove>& a, const CGGPosition<COsBoard, COsMove>& b) {
    EXPECT_EQ(a.board.bt, b.board.bt);
    EXPECT_EQ(a.board.squares, b.board.squares);
    EXPECT_EQ(a.board.fBlackMove, b.board.fBlackMove);
    for (int i = 0; i < 2; i++) EXPECT_EQ(a.clocks[i], b.clocks[i]) << "clock " << i;
}

inline void ExpectSameItem(const CGGMoveListItem<COsMove>& a, const CGGMoveListItem<COsMove>& b) {
    EXPECT_EQ(a.move, b.move);
    EXPECT_EQ(a.eval, b.eval);
    EXPECT_EQ(a.time, b.time);
}

// Every field; the komi moves only when compareKomi (a komi game without moves does not
// carry them in its text).
inline void ExpectSameGame(const COsGame& a, const COsGame& b, bool compareKomi = true) {
    EXPECT_EQ(a.place, b.place);
    EXPECT_EQ(a.date, b.date);
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(a.players[i].login, b.players[i].login) << "player " << i;
        EXPECT_EQ(a.players[i].rating, b.players[i].rating) << "player " << i;
    }
    ExpectSamePosition(a.posStart, b.posStart);
    ExpectSamePosition(a.posCurrent, b.posCurrent);
    ASSERT_EQ(a.moves.size(), b.moves.size());
    for (size_t i = 0; i < a.moves.size(); i++) {
        SCOPED_TRACE("move " + std::to_string(i));
        ExpectSameItem(a.moves[i], b.moves[i]);
    }
    if (compareKomi) {
        ExpectSameItem(a.komiMoves[0], b.komiMoves[0]);
        ExpectSameItem(a.komiMoves[1], b.komiMoves[1]);
    }
    EXPECT_EQ(a.matchType, b.matchType);
    EXPECT_EQ(a.matchType.fKomiGiven, b.matchType.fKomiGiven);
    EXPECT_EQ(a.matchType.komi, b.matchType.komi);
    EXPECT_EQ(a.result.kind, b.result.kind);
    EXPECT_EQ(a.result.score, b.result.score);
}
