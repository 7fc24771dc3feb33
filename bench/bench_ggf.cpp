// Reads every real tournament game of the GGF file (read plus replay to the current
// position), then writes every game back, and compares both with a plain scan of the same
// bytes that only counts ']' (the floor). Prints games and megabytes per second.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "OsObjects.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs one pass of the work until at least the given seconds have gone by; returns the
// seconds per pass.
template <class Work>
double SecondsPerPass(Work work, double atLeast = 1.5) {
    const auto start = Clock::now();
    int passes = 0;
    double seconds = 0;
    do {
        work();
        passes++;
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    } while (seconds < atLeast);
    return seconds / passes;
}

}  // namespace

int main() {
    std::ifstream file(TAVO_GAMES_DIR "/wthor-2001.ggf");
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", TAVO_GAMES_DIR "/wthor-2001.ggf");
        return 1;
    }
    std::vector<std::string> lines;
    size_t bytesIn = 0;
    for (std::string line; std::getline(file, line);) {
        if (line.empty()) continue;
        bytesIn += line.size();
        lines.push_back(line);
    }
    const double nGames = lines.size();

    long long brackets = 0;
    const double scan = SecondsPerPass([&] {
        long long n = 0;
        for (const std::string& line : lines)
            for (char c : line) n += c == ']';
        brackets = n;
    });

    std::vector<COsGame> games(lines.size());
    long long moves = 0;
    const double read = SecondsPerPass([&] {
        moves = 0;
        for (size_t i = 0; i < lines.size(); i++) {
            std::istringstream is(lines[i]);
            is >> games[i];
            moves += games[i].moves.size();
        }
    });

    // The replay alone, to tell the rules' share of the reading from the text's.
    const double replay = SecondsPerPass([&] {
        for (COsGame& game : games) game.UpdatePosition();
    });

    size_t bytesOut = 0;
    const double write = SecondsPerPass([&] {
        bytesOut = 0;
        for (const COsGame& game : games) {
            std::ostringstream os;
            os << game;
            bytesOut += os.str().size();
        }
    });

    const double mb = 1e6;
    std::printf("%.0f games, %lld moves, %zu bytes read, %zu bytes written, %lld ']'\n", nGames, moves, bytesIn,
                bytesOut, brackets);
    std::printf("scan  (floor): %8.3f ms  %10.0f games/s  %8.1f MB/s\n", scan * 1e3, nGames / scan,
                bytesIn / mb / scan);
    std::printf("read + replay: %8.3f ms  %10.0f games/s  %8.1f MB/s  %6.0fx the scan\n", read * 1e3,
                nGames / read, bytesIn / mb / read, read / scan);
    std::printf("  of it replay: %8.3f ms\n", replay * 1e3);
    std::printf("write        : %8.3f ms  %10.0f games/s  %8.1f MB/s  %6.0fx the scan\n", write * 1e3,
                nGames / write, bytesOut / mb / write, write / scan);
    return 0;
}
