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
    std::vector<std::vector<COsMove>> games;
    std::string line;
    while (std::getline(logbook, line)) {
        std::istringstream is(line);
        std::vector<COsMove> moves;
        char c;
        while (is >> c && (c == '+' || c == '-')) {
            COsMove mv;
            is >> mv;
            moves.push_back(mv);
        }
        if (!moves.empty()) games.push_back(moves);
    }

    COsBoardType bt;
    bt.size = 8;
    bt.fOctagon = false;
    const COsMove pass;
    long long nGames = 0, nMoves = 0, nLegal = 0;
    const auto start = std::chrono::steady_clock::now();
    double seconds = 0;
    do {
        for (const std::vector<COsMove>& moves : games) {
            COsGame game;
            game.posStart.board.Initialize(bt);
            game.UpdatePosition();
            for (const COsMove& mv : moves) {
                std::vector<COsMove> legal = game.posCurrent.board.LegalMoves();
                if (legal.empty()) {
                    game.Play(CGGMoveListItem<COsMove>(pass, 0, 0));
                    legal = game.posCurrent.board.LegalMoves();
                    nMoves++;
                }
                nLegal += legal.size();
                game.Play(CGGMoveListItem<COsMove>(mv, 0, 0));
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
