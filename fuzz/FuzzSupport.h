// What the fuzz targets of the game objects share: a check that stops the fuzzer, a quiet
// log stream, and the test of a board's border and squares.
#pragma once

#include <iostream>
#include <sstream>

#include "OsObjects.h"

namespace fuzz {

inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}

// A move on an occupied square prints the board; keeps the fuzzer's output quiet.
inline void QuietClog() {
    static std::ostringstream sink;
    static std::streambuf* quiet = std::clog.rdbuf(sink.rdbuf());
    (void)quiet;
    sink.str("");
}

// A cleared board, or one of its full length with the border intact and only the four
// square characters.
inline void CheckBoard(const COsBoard& board) {
    if (board.squares.empty()) return;
    const COsBoardType& bt = board.bt;
    Check(board.squares.size() == static_cast<size_t>(bt.NBorderedSquares()));
    for (int row = -1; row <= bt.size; row++) {
        for (int col = -1; col <= bt.size; col++) {
            const char c = board.GetSquare(row, col);
            if (row < 0 || col < 0 || row == bt.size || col == bt.size || bt.IsCutCorner(row, col))
                Check(c == 'd');
            else
                Check(c == '*' || c == 'O' || c == '-');
        }
    }
}

}  // namespace fuzz
