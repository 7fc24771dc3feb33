// Replays the real tournament games of the logbook file and checks every move, the end of
// every game and its score against the logbook line and against the same game in GGF.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "OsObjects.h"
#include "TextForms.h"

namespace {

struct LogbookGame {
    std::vector<std::pair<bool, COsMove>> moves;  // black?, square
    int netCount = 0;
    bool ok = false;
};

// "+F5-D6...: -42 10": '+' black, '-' white, then the disc difference and 10.
LogbookGame ParseLogbook(const std::string& line) {
    LogbookGame game;
    std::istringstream is(line);
    char c;
    while (is >> c && (c == '+' || c == '-')) {
        COsMove mv;
        is >> mv;
        game.moves.emplace_back(c == '+', mv);
    }
    int ten = 0;
    game.ok = c == ':' && (is >> game.netCount >> ten) && ten == 10;
    return game;
}

// The values of RE and of the B and W properties of a GGF game line.
void ParseGgf(const std::string& line, std::string& re, std::vector<std::string>& moves) {
    size_t at = line.find("RE[");
    re = at == std::string::npos ? "" : line.substr(at + 3, line.find(']', at) - at - 3);
    for (size_t i = line.find("BO["); (i = line.find('[', i + 1)) != std::string::npos;) {
        char tag = line[i - 1];
        if ((tag == 'B' || tag == 'W') && line[i - 2] == ']') moves.push_back(line.substr(i + 1, line.find(']', i) - i - 1));
    }
}

}  // namespace

TEST(RealGames, LogbookReplaysLegallyAndScores) {
    std::ifstream logbook(TAVO_GAMES_DIR "/wthor-2001.logbook");
    std::ifstream ggf(TAVO_GAMES_DIR "/wthor-2001.ggf");
    ASSERT_TRUE(logbook.is_open());
    ASSERT_TRUE(ggf.is_open());

    const COsBoardType bt = Type(8);
    int games = 0, passes = 0;
    std::string line, ggfLine;
    while (std::getline(logbook, line)) {
        if (line.empty()) continue;
        SCOPED_TRACE("game " + std::to_string(games + 1) + ": " + line);
        LogbookGame parsed = ParseLogbook(line);
        ASSERT_TRUE(parsed.ok);

        COsGame game;
        game.Clear();
        game.matchType.bt = bt;
        game.posStart.board.Initialize(bt);
        game.UpdatePosition();
        std::vector<std::string> played;
        for (const auto& [black, mv] : parsed.moves) {
            const COsBoard& board = game.posCurrent.board;
            ASSERT_FALSE(game.IsOver());
            if (board.fBlackMove != black) {
                // The logbook writes no passes: the side to move must have none.
                ASSERT_EQ(board.GameState(), COsBoard::kMustPass);
                COsMove pass;
                ASSERT_TRUE(board.IsLegal(pass));
                game.Play(CGGMoveListItem<COsMove>(pass, 0, 0));
                played.push_back("PA");
                passes++;
            }
            ASSERT_TRUE(game.posCurrent.board.IsLegal(mv));
            game.Play(CGGMoveListItem<COsMove>(mv, 0, 0));
            std::ostringstream os;
            os << mv;
            played.push_back(os.str());
        }
        ASSERT_TRUE(game.IsOver());
        EXPECT_EQ(game.result.kind, CGGResult::kOverOnBoard);
        EXPECT_EQ(game.posCurrent.board.NetCount(), parsed.netCount);
        EXPECT_EQ(game.result.score, game.posCurrent.board.Result(false));

        ASSERT_TRUE(std::getline(ggf, ggfLine));
        std::string re;
        std::vector<std::string> ggfMoves;
        ParseGgf(ggfLine, re, ggfMoves);
        EXPECT_EQ(re, std::to_string(game.posCurrent.board.Result(false)));
        EXPECT_EQ(played, ggfMoves);
        games++;
    }
    EXPECT_EQ(games, 5575);
    EXPECT_GT(passes, 0);
}
