// The game record and its parts, over the board, move and match-type classes of a game:
// move-list entries, the move list, a position with both clocks, and the game itself.
#pragma once

#include <algorithm>
#include <cstddef>
#include <ios>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "GGObjects.h"
#include "TextInput.h"

// One move with the mover's evaluation (for a komi move: the komi bid) and the seconds it
// took. Text: F5, F5/1.50, F5//12.00, F5/-3.25/12.00.
template <class TMove>
class CGGMoveListItem {
public:
    CGGMoveListItem() = default;
    CGGMoveListItem(const TMove& move, double eval, double time) : move(move), eval(eval), time(time) {}

    void Read(std::istream& is);
    void Write(std::ostream& os) const;

    TMove move;
    double eval = 0;
    double time = 0;
};

// The moves of a game in the order played.
template <class TMove>
class CGGMoveList {
public:
    using Item = CGGMoveListItem<TMove>;
    using const_iterator = typename std::vector<Item>::const_iterator;

    std::size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    Item& operator[](std::size_t i) { return m_items[i]; }
    const Item& operator[](std::size_t i) const { return m_items[i]; }
    void clear() { m_items.clear(); }
    void push_back(const Item& item) { m_items.push_back(item); }
    void resize(std::size_t n) { m_items.resize(n); }
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

private:
    std::vector<Item> m_items;
};

// A board with both clocks (index 0 white, index 1 black).
template <class TBoard, class TMove>
class CGGPosition {
public:
    void Clear();
    // Charges the mover's clock with the entry's time, then plays its move.
    void Update(const CGGMoveListItem<TMove>& item);
    void Replay(const CGGMoveList<TMove>& moves, std::size_t n);
    // Charges the side not to move with its komi move's time.
    void ChargeKomiTime(const CGGMoveListItem<TMove> komiMoves[2]);

    TBoard board;
    CGGClock clocks[2];
};

// The record of one game. Players, clocks and komi moves are indexed 0 white, 1 black.
// The current position is always the start position with every move applied; the
// result's kind is also the state of the game (2 while it is played).
template <class TBoard, class TMove, class TMatchType>
class CGGGame {
public:
    using Position = CGGPosition<TBoard, TMove>;
    using Item = CGGMoveListItem<TMove>;

    virtual ~CGGGame() = default;
    // Takes back the last two moves.
    virtual void Undo();

    void Clear();
    // Plays a move at the end of the game; no legality test. A move that ends the game
    // on the board sets the result.
    void Play(const Item& item);
    // The position after the first n moves, recomputed from the start position.
    Position GetPosition(std::size_t n) const;
    void UpdatePosition() { posCurrent = GetPosition(moves.size()); }
    bool IsOver() const { return posCurrent.board.GameOver(); }
    bool NeedsKomi() const { return matchType.kind == 'k' && moves.empty(); }
    bool IsPlayerToMove(const std::string& login) const;
    // Stores a result given from the view of the named player as one from black's view.
    void SetResult(const CGGResult& result, const std::string& login);

    std::string place;
    std::string date;
    CGGPlayer players[2];
    Position posStart;
    Position posCurrent;
    CGGMoveList<TMove> moves;
    Item komiMoves[2];
    TMatchType matchType;
    CGGResult result;
};

// ---------------------------------------------------------------- CGGMoveListItem

template <class TMove>
void CGGMoveListItem<TMove>::Read(std::istream& is) {
    move.Read(is);
    while (textinput::IsAlnum(textinput::Peek(is))) is.get();
    eval = 0;
    if (textinput::Accept(is, '/')) {
        if (!(is >> eval)) {
            is.clear(is.rdstate() & ~std::ios::failbit);
            eval = 0;
        }
    }
    time = 0;
    if (textinput::Accept(is, '/')) is >> time;
}

template <class TMove>
void CGGMoveListItem<TMove>::Write(std::ostream& os) const {
    const std::ios::fmtflags flags = os.flags();
    const std::streamsize precision = os.precision();
    os.setf(std::ios::fixed, std::ios::floatfield);
    os.precision(2);
    move.Write(os);
    if (eval != 0 || time != 0) {
        os << '/';
        if (eval != 0) os << eval;
        if (time != 0) os << '/' << time;
    }
    os.flags(flags);
    os.precision(precision);
}

template <class TMove>
std::istream& operator>>(std::istream& is, CGGMoveListItem<TMove>& item) {
    item.Read(is);
    return is;
}

template <class TMove>
std::ostream& operator<<(std::ostream& os, const CGGMoveListItem<TMove>& item) {
    item.Write(os);
    return os;
}

// ---------------------------------------------------------------- CGGPosition

template <class TBoard, class TMove>
void CGGPosition<TBoard, TMove>::Clear() {
    board.Clear();
    clocks[0].Clear();
    clocks[1].Clear();
}

template <class TBoard, class TMove>
void CGGPosition<TBoard, TMove>::Update(const CGGMoveListItem<TMove>& item) {
    clocks[board.fBlackMove ? 1 : 0].Elapse(item.time, true);
    board.Update(item.move);
}

template <class TBoard, class TMove>
void CGGPosition<TBoard, TMove>::Replay(const CGGMoveList<TMove>& moves, std::size_t n) {
    n = std::min(n, moves.size());
    for (std::size_t i = 0; i < n; i++) Update(moves[i]);
}

template <class TBoard, class TMove>
void CGGPosition<TBoard, TMove>::ChargeKomiTime(const CGGMoveListItem<TMove> komiMoves[2]) {
    const int side = board.fBlackMove ? 0 : 1;
    clocks[side].Elapse(komiMoves[side].time, true);
}

// ---------------------------------------------------------------- CGGGame

template <class TBoard, class TMove, class TMatchType>
void CGGGame<TBoard, TMove, TMatchType>::Clear() {
    result.Clear();
    moves.clear();
    players[0].Clear();
    players[1].Clear();
    posCurrent.Clear();
    posStart.Clear();
    date.clear();
    place.clear();
    matchType.Clear();
    // A record read after this must not keep the komi moves of the game it held before.
    komiMoves[0] = komiMoves[1] = Item();
}

template <class TBoard, class TMove, class TMatchType>
void CGGGame<TBoard, TMove, TMatchType>::Play(const Item& item) {
    posCurrent.Update(item);
    moves.push_back(item);
    if (IsOver()) result.Set(posCurrent.board.Result(matchType.fAnti), CGGResult::kOverOnBoard);
}

template <class TBoard, class TMove, class TMatchType>
typename CGGGame<TBoard, TMove, TMatchType>::Position CGGGame<TBoard, TMove, TMatchType>::GetPosition(
    std::size_t n) const {
    n = std::min(n, moves.size());
    Position pos = posStart;
    if (matchType.kind == 'k' && n > 0) pos.ChargeKomiTime(komiMoves);
    pos.Replay(moves, n);
    return pos;
}

template <class TBoard, class TMove, class TMatchType>
void CGGGame<TBoard, TMove, TMatchType>::Undo() {
    if (moves.size() < 2) return;
    moves.resize(moves.size() - 2);
    UpdatePosition();
}

template <class TBoard, class TMove, class TMatchType>
bool CGGGame<TBoard, TMove, TMatchType>::IsPlayerToMove(const std::string& login) const {
    if (result.kind != CGGResult::kUnknown || IsOver()) return false;
    if (NeedsKomi()) return login == players[0].login || login == players[1].login;
    return login == players[posCurrent.board.fBlackMove ? 1 : 0].login;
}

template <class TBoard, class TMove, class TMatchType>
void CGGGame<TBoard, TMove, TMatchType>::SetResult(const CGGResult& r, const std::string& login) {
    result = r;
    if (login == players[0].login) result.score = -result.score;
}
