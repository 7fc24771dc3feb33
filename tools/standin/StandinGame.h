#pragma once
// One game of the stand-in "/os" service: the rules of play, the komi bids, undo, and the
// clocks run by the server's own time (seconds from the server's clock source).

#include "OsObjects.h"

#include <string>

class CStandinGame {
public:
    using Item = CGGMoveListItem<COsMove>;

    enum Outcome {
        kPlayed,        // the move was played
        kBidTaken,      // a komi bid was kept; the other bid is awaited
        kBidsDone,      // both komi bids are in: colours, komi and the first move are set
        kNotPlaying,    // the login plays no side of this game
        kNotYourTurn,
        kIllegal,       // not a legal move here (a pass while a move exists included)
        kOutOfTime,     // the move came after the mover's time and extension ran out
        kFinished,      // the game is over
    };
    enum Alarm { kQuiet, kExtension, kTimeUp };

    // Sets up a game in progress from its start position; players and clocks by side
    // (0 white, 1 black). Both clocks of a komi game start running at once.
    void Start(const std::string& id, const COsMatchType& type, const CGGPlayer players[2],
               const CGGClock clocks[2], const COsBoard& start, const std::string& place,
               const std::string& date, double now);
    // Continues an adjourned game: the side to move starts thinking now.
    void Resume(const COsGame& stored, double now);

    // A move (or a komi bid) by a login; the time used is measured by the server, the
    // evaluation is the sender's. On kPlayed and kBidsDone `played` holds what was played.
    Outcome Play(const std::string& login, Item item, double now, Item& played);
    // Takes back moves so that the login is to move again; false when nothing can go.
    bool Undo(const std::string& login, double now);

    // The login whose clock runs out first among those that must move, and what happens
    // to it at `now`: its extension begins (reported once) or its time is up.
    Alarm Check(double now, std::string& login);
    // The next moment Check can have news; a negative number when no clock runs.
    double NextAlarm() const;

    bool IsOver() const { return record.result.kind != CGGResult::kUnknown; }
    // The score of a game over on the board, from black's view, the komi given to white.
    CGGResult BoardResult() const;
    // Ends the game with a result from black's view.
    void Finish(const CGGResult& result) { record.result = result; }
    // A loss for the login by resignation or on time: the whole board to the other side.
    CGGResult LossFor(const std::string& login, int kind) const;
    int SideOf(const std::string& login) const;
    const std::string& Login(int side) const { return record.players[side].login; }
    double Komi() const;

    std::string id;
    COsGame record;

private:
    bool InKomiBids() const { return record.NeedsKomi(); }
    int SideToMove() const { return record.posCurrent.board.fBlackMove ? 1 : 0; }
    bool ClockRuns(int side) const;
    double Allowance(int side) const;
    // The side to move (during the bids: both sides) begins to think now.
    void TurnBegins(double now);

    double turnStart = 0;          // when the side (or, during the bids, both sides) began
    bool extensionNoticed[2] = {false, false};
    bool bidIn[2] = {false, false};
    Item bids[2];
};
