// The line under the position that shows both players: disc, clock and login. While the
// view follows a live game the clock of the side to move runs down on screen; the pane
// repaints itself only when a clock's whole seconds or its state changed.
#pragma once

#include "PaneGame.h"

#include <string>

class CPanePlayerInfo : public CPaneGame {
public:
    using CPaneGame::CPaneGame;

    void Draw(CDC* dc) override;
    void Update(LPARAM hint) override;
    // Repaints the pane when a clock to show differs from the one last noted in its
    // state or its whole seconds.
    virtual void RefreshClocks();
    // The clocks to show, index 0 white, 1 black: the live ones while the view follows a
    // game attached to the service, else those stored with the displayed position.
    void GetClocks(CGGClock clocks[2]) const;

    // A clock's time left as minutes:seconds, each at least two digits (905.7 s is
    // "15:05", 6000 s "100:00").
    static std::string FormatClock(double seconds);

    // The text colour of a clock in its extension or out of time.
    static constexpr COLORREF kFlaggedText = 0x000000FF;

private:
    CGGClock m_clocks[2];
    // The clocks above have been noted once.
    bool m_fNoted = false;
};
