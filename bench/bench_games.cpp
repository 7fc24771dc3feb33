// Replays every real tournament game of the logbook file: the legal moves are listed
// before each move, then the move is played (with a pass where the side to move has
// none). Prints games and moves per second.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "OsObjects.h"

int main() {
    std::ifstream logbook(TAVO_GAMES_DIR "/wthor-2001.logbook");
    if (!logbook) {
        std::fprintf(stderr, "cannot open %s\n", TAVO_GAMES_DIR "/wthor-2001.logbook");
        return 1;
    }
    // The logbook reader supplies the moves with their passes.
    std::vector<CGGMoveList<COsMove>> games;
    std::string line;
    while (std::getline(logbook, line)) {
        std::istringstream is(line);
        COsGame game;
        game.ReadLogbook(is);
        if (!game.moves.empty()) games.push_back(game.moves);
    }

    COsBoardType bt;
    bt.size = 8;
    bt.fOctagon = false;
    long long nGames = 0, nMoves = 0, nLegal = 0;
    const auto start = std::chrono::steady_clock::now();
    double seconds = 0;
    do {
        for (const CGGMoveList<COsMove>& moves : games) {
            COsGame game;
            game.posStart.board.Initialize(bt);
            game.UpdatePosition();
            for (const CGGMoveListItem<COsMove>& item : moves) {
                nLegal += game.posCurrent.board.LegalMoves().size();
                game.Play(item);
                nMoves++;
            }
            nGames += game.IsOver();
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    } while (seconds < 2.0);

    std::printf("%lld games, %lld moves (passes included), %lld legal moves listed in %.2f s\n", nGames, nMoves,
                nLegal, seconds);
    std::printf("%.0f games/s, %.0f moves/s\n", nGames / seconds, nMoves / seconds);
    return 0;
}
