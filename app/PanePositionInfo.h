// The line under the board that tells the state of the displayed position: whose turn
// it is or how the game ended, and the numbers of black, white and empty squares.
#pragma once

#include "PaneGame.h"

#include <string>

class CPanePositionInfo : public CPaneGame {
public:
    using CPaneGame::CPaneGame;

    void Draw(CDC* dc) override;
    void Update(LPARAM hint) override;
    // The status's disc ('*' black, 'O' white, '?' grey) and text: the side to move with
    // "to move" or "must pass", or, at the end of a finished game, its result.
    virtual void GetStatus(char& disc, std::string& text) const;

    // Where the counts stand: black, white and the empty-square box.
    static constexpr int kBlackX = 160;
    static constexpr int kWhiteX = kBlackX + 53;
    static constexpr int kEmptyX = kWhiteX + 53;
};
