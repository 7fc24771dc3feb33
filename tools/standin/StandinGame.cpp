#include "StandinGame.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Seconds as the move-list text carries them, so that the clients' clocks, which replay
// the times of the updates, end where the server's do.
double Hundredths(double seconds)
{
    return std::round(std::max(seconds, 0.0) * 100) / 100;
}

} // namespace

void CStandinGame::Start(const std::string& gameId, const COsMatchType& type, const CGGPlayer players[2],
                         const CGGClock clocks[2], const COsBoard& start, const std::string& place,
                         const std::string& date, double now)
{
    id = gameId;
    COsGame game;
    game.Clear();
    game.place = place;
    game.date = date;
    for (int side = 0; side < 2; ++side) {
        game.players[side] = players[side];
        game.posStart.clocks[side] = clocks[side];
    }
    game.posStart.board = start;
    game.matchType = type;
    Resume(game, now);
}

void CStandinGame::Resume(const COsGame& stored, double now)
{
    record = stored;
    record.result.Clear();
    record.UpdatePosition();
    TurnBegins(now);
    bidIn[0] = bidIn[1] = false;
}

void CStandinGame::TurnBegins(double now)
{
    turnStart = now;
    extensionNoticed[0] = extensionNoticed[1] = false;
}

int CStandinGame::SideOf(const std::string& login) const
{
    if (login == record.players[1].login)
        return 1;
    if (login == record.players[0].login)
        return 0;
    return -1;
}

bool CStandinGame::ClockRuns(int side) const
{
    if (IsOver())
        return false;
    if (InKomiBids())
        return !bidIn[side];
    return side == SideToMove();
}

double CStandinGame::Allowance(int side) const
{
    const CGGClock& clock = record.posCurrent.clocks[side];
    return clock.timeLeft + (clock.state == CGGClock::kRunning ? clock.extension : 0);
}

CStandinGame::Outcome CStandinGame::Play(const std::string& login, Item item, double now, Item& played)
{
    if (IsOver())
        return kFinished;
    const int side = SideOf(login);
    if (side < 0)
        return kNotPlaying;
    const bool bidding = InKomiBids();
    if (bidding ? bidIn[side] : side != SideToMove())
        return kNotYourTurn;
    // During the bids no move is on the record: the current position is the start.
    if (!record.posCurrent.board.IsLegal(item.move))
        return kIllegal;
    const double used = Hundredths(now - turnStart);
    CGGClock clock = record.posCurrent.clocks[side];
    clock.Elapse(used, true);
    if (clock.state == CGGClock::kOutOfTime)
        return kOutOfTime;

    if (!bidding) {
        played = Item(item.move, item.eval, used);
        record.Play(played);
        TurnBegins(now);
        return kPlayed;
    }
    bids[side] = Item(item.move, item.eval, used);
    bidIn[side] = true;
    if (!bidIn[1 - side])
        return kBidTaken;

    // The higher bid takes the side to move at the start and gives the komi; on equal
    // bids that side stays with the player who had it.
    const int first = record.posStart.board.fBlackMove ? 1 : 0;
    if (bids[1 - first].eval > bids[first].eval) {
        std::swap(record.players[0], record.players[1]);
        std::swap(record.posStart.clocks[0], record.posStart.clocks[1]);
        std::swap(bids[0], bids[1]);
    }
    record.komiMoves[0] = bids[0];
    record.komiMoves[1] = bids[1];
    record.Play(bids[first]);
    // Again from the start, with the clocks as swapped and the other bid's time charged.
    record.UpdatePosition();
    played = bids[first];
    TurnBegins(now);
    return kBidsDone;
}

bool CStandinGame::Undo(const std::string& login, double now)
{
    if (IsOver() || InKomiBids() || SideOf(login) < 0)
        return false;
    // The first move of a komi game carries the bids: it stays.
    const size_t keep = record.matchType.kind == 'k' ? 1 : 0;
    int removed = 0;
    while (record.moves.size() > keep && removed < 2) {
        record.moves.resize(record.moves.size() - 1);
        ++removed;
        record.UpdatePosition();
        if (Login(SideToMove()) == login)
            break;
    }
    if (removed == 0)
        return false;
    TurnBegins(now);
    return true;
}

CStandinGame::Alarm CStandinGame::Check(double now, std::string& login)
{
    const double used = now - turnStart;
    for (int side = 0; side < 2; ++side) {
        if (ClockRuns(side) && used > Allowance(side)) {
            login = Login(side);
            return kTimeUp;
        }
    }
    for (int side = 0; side < 2; ++side) {
        const CGGClock& clock = record.posCurrent.clocks[side];
        if (ClockRuns(side) && clock.state == CGGClock::kRunning && clock.extension > 0 &&
            !extensionNoticed[side] && used > clock.timeLeft) {
            extensionNoticed[side] = true;
            login = Login(side);
            return kExtension;
        }
    }
    return kQuiet;
}

double CStandinGame::NextAlarm() const
{
    double next = -1;
    for (int side = 0; side < 2; ++side) {
        if (!ClockRuns(side))
            continue;
        const CGGClock& clock = record.posCurrent.clocks[side];
        const bool noticeDue = clock.state == CGGClock::kRunning && clock.extension > 0 && !extensionNoticed[side];
        const double at = turnStart + (noticeDue ? clock.timeLeft : Allowance(side));
        if (next < 0 || at < next)
            next = at;
    }
    return next;
}

double CStandinGame::Komi() const
{
    if (record.matchType.kind != 'k' || record.moves.empty())
        return 0;
    return (record.komiMoves[0].eval + record.komiMoves[1].eval) / 2;
}

CGGResult CStandinGame::BoardResult() const
{
    double score = record.posCurrent.board.Result(record.matchType.fAnti);
    // The side that moved first gives the komi to the other.
    score += record.posStart.board.fBlackMove ? -Komi() : Komi();
    CGGResult result;
    result.Set(score, CGGResult::kScore);
    return result;
}

CGGResult CStandinGame::LossFor(const std::string& login, int kind) const
{
    const double squares = record.posStart.board.bt.NSquares();
    CGGResult result;
    result.Set(SideOf(login) == 1 ? -squares : squares, kind);
    return result;
}
