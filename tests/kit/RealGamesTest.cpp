// The real tournament games in GGF and in logbook form, read, replayed and written back.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "OsObjects.h"
#include "SameGame.h"
#include "TextForms.h"

// Every logbook line, read by the logbook reader, gives the moves of the GGF line of the
// same game, passes included, and its disc difference is the final board's.
TEST(RealGames, LogbookMatchesGgf) {
    std::ifstream logbook(TAVO_GAMES_DIR "/wthor-2001.logbook");
    std::ifstream ggf(TAVO_GAMES_DIR "/wthor-2001.ggf");
    ASSERT_TRUE(logbook.is_open());
    ASSERT_TRUE(ggf.is_open());

    int games = 0, passes = 0;
    std::string line, ggfLine;
    while (std::getline(logbook, line)) {
        if (line.empty()) continue;
        SCOPED_TRACE("game " + std::to_string(games + 1) + ": " + line);
        ASSERT_TRUE(std::getline(ggf, ggfLine));
        std::istringstream is(line);
        COsGame game;
        game.ReadLogbook(is);
        const COsGame expected = ReadFrom<COsGame>(ggfLine);

        ASSERT_EQ(game.moves.size(), expected.moves.size());
        for (size_t i = 0; i < game.moves.size(); i++) {
            EXPECT_EQ(game.moves[i].move, expected.moves[i].move) << "move " << i;
            passes += game.moves[i].move.fPass;
        }
        EXPECT_TRUE(game.IsOver());
        ExpectSamePosition(game.posCurrent, expected.posCurrent);
        EXPECT_EQ(game.result.kind, CGGResult::kScore);
        EXPECT_EQ(game.result.score, game.posCurrent.board.NetCount());
        games++;
    }
    EXPECT_EQ(games, 5575);
    EXPECT_GT(passes, 0);
}

// Every GGF line reads, its moves are legal, the game is over at its end with RE as its
// score, and the text written back reads to an equal record.
TEST(RealGames, GgfReadsReplaysAndWritesBack) {
    std::ifstream ggf(TAVO_GAMES_DIR "/wthor-2001.ggf");
    ASSERT_TRUE(ggf.is_open());
    int games = 0;
    std::string line;
    while (std::getline(ggf, line)) {
        if (line.empty()) continue;
        SCOPED_TRACE("game " + std::to_string(games + 1) + ": " + line);
        std::istringstream is(line);
        COsGame game;
        is >> game;
        ASSERT_FALSE(is.fail());
        EXPECT_FALSE(game.players[0].login.empty());
        EXPECT_FALSE(game.players[1].login.empty());
        EXPECT_EQ(game.matchType.bt.size, 8);
        EXPECT_EQ(game.posStart.board.squares, ReadFrom<COsBoard>(kStart8).squares);
        // Every move legal, the game over at its end, RE its score.
        COsGame replay = game;
        replay.moves.clear();
        replay.UpdatePosition();
        for (const CGGMoveListItem<COsMove>& item : game.moves) {
            ASSERT_FALSE(replay.IsOver());
            ASSERT_TRUE(replay.posCurrent.board.IsLegal(item.move));
            replay.Play(item);
        }
        ASSERT_TRUE(game.IsOver());
        EXPECT_EQ(game.result.kind, CGGResult::kScore);
        EXPECT_EQ(game.result.score, game.posCurrent.board.Result(false));
        ExpectSamePosition(replay.posCurrent, game.posCurrent);

        const std::string text = Text(game);
        ExpectSameGame(ReadFrom<COsGame>(text), game);
        games++;
    }
    EXPECT_EQ(games, 5575);
}
