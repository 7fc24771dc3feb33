// The game record and its parts, over the board, move and match-type classes of a game:
// move-list entries, the move list, a position with both clocks, and the game itself.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <ios>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
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
    void Read(textinput::CCursor& in) { ReadFrom(in); }
    void Write(std::ostream& os) const;

    TMove move;
    double eval = 0;
    double time = 0;

private:
    template <class In>
    void ReadFrom(In& in);
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
    // The first room holds a whole game on the usual board, so that a game read or played
    // move by move is not moved from room to room while it is young.
    void push_back(const Item& item) {
        if (m_items.size() == m_items.capacity() && m_items.size() < kFirstRoom) m_items.reserve(kFirstRoom);
        m_items.push_back(item);
    }
    void resize(std::size_t n) { m_items.resize(n); }
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

private:
    static constexpr std::size_t kFirstRoom = 64;
    std::vector<Item> m_items;
};

// A board with both clocks (index 0 white, index 1 black).
template <class TBoard, class TMove>
class CGGPosition {
public:
    void Clear();
    // Charges the mover's clock with the entry's time, then plays its move.
    void Update(const CGGMoveListItem<TMove>& item);
    // The same, for a game's next move: whether the game is over on the board after it.
    bool Play(const CGGMoveListItem<TMove>& item);
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
    void UpdatePosition() {
        posCurrent = posStart;   // the room of its squares serves again
        PlayMoves(posCurrent, moves.size());
    }
    bool IsOver() const { return posCurrent.board.GameOver(); }
    bool NeedsKomi() const { return matchType.kind == 'k' && moves.empty(); }
    bool IsPlayerToMove(const std::string& login) const;
    // Stores a result given from the view of the named player as one from black's view.
    void SetResult(const CGGResult& result, const std::string& login);

    // The game as one line of GGF text: (;GM[Reversi]PC[..]...B[F5]W[D6]...;)
    void WriteGGF(std::ostream& os) const;
    // Reads one GGF game. A text that does not open with "(;" leaves a cleared record and
    // a failed stream; a bad value spoils only its own field.
    void ReadGGF(std::istream& is);
    void ReadGGF(textinput::CCursor& in) { ReadGGFFrom(in); }

    std::string place;
    std::string date;
    CGGPlayer players[2];
    Position posStart;
    Position posCurrent;
    CGGMoveList<TMove> moves;
    Item komiMoves[2];
    TMatchType matchType;
    CGGResult result;

private:
    template <class In>
    void ReadGGFFrom(In& in);
    // Plays the first n moves, and the komi moves' time, on the start position pos.
    void PlayMoves(Position& pos, std::size_t n) const;
};

// ---------------------------------------------------------------- CGGMoveListItem

template <class TMove>
void CGGMoveListItem<TMove>::Read(std::istream& is) {
    textinput::ThroughCursor(is, [this](auto& in) { ReadFrom(in); });
}

template <class TMove>
template <class In>
void CGGMoveListItem<TMove>::ReadFrom(In& is) {
    move.Read(is);
    while (textinput::IsAlnum(textinput::Peek(is))) is.get();
    eval = 0;
    // "F5//12.50": an empty evaluation is no number and reads as 0.
    if (textinput::Accept(is, '/') && textinput::Peek(is) != '/') {
        if (!textinput::ReadDouble(is, eval)) {
            is.clear(is.rdstate() & ~std::ios::failbit);
            eval = 0;
        }
    }
    time = 0;
    if (textinput::Accept(is, '/')) textinput::ReadDouble(is, time);
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
bool CGGPosition<TBoard, TMove>::Play(const CGGMoveListItem<TMove>& item) {
    clocks[board.fBlackMove ? 1 : 0].Elapse(item.time, true);
    return board.Play(item.move);
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
    const bool over = posCurrent.Play(item);
    moves.push_back(item);
    if (over) result.Set(posCurrent.board.Result(matchType.fAnti), CGGResult::kOverOnBoard);
}

template <class TBoard, class TMove, class TMatchType>
typename CGGGame<TBoard, TMove, TMatchType>::Position CGGGame<TBoard, TMove, TMatchType>::GetPosition(
    std::size_t n) const {
    Position pos = posStart;
    PlayMoves(pos, n);
    return pos;
}

template <class TBoard, class TMove, class TMatchType>
void CGGGame<TBoard, TMove, TMatchType>::PlayMoves(Position& pos, std::size_t n) const {
    n = std::min(n, moves.size());
    if (matchType.kind == 'k' && n > 0) pos.ChargeKomiTime(komiMoves);
    pos.Replay(moves, n);
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

template <class TBoard, class TMove, class TMatchType>
void CGGGame<TBoard, TMove, TMatchType>::WriteGGF(std::ostream& os) const {
    os << "(;GM[Reversi]PC[" << place;
    if (!date.empty()) os << "]DT[" << date;
    os << "]PB[" << players[1].login << "]PW[" << players[0].login << "]RE[";
    result.Write(os);
    if (players[1].rating != 0) os << "]RB[" << players[1].rating;
    if (players[0].rating != 0) os << "]RW[" << players[0].rating;
    if (posStart.clocks[0] == posStart.clocks[1]) {
        os << "]TI[";
        posStart.clocks[0].Write(os);
    } else {
        os << "]TB[";
        posStart.clocks[1].Write(os);
        os << "]TW[";
        posStart.clocks[0].Write(os);
    }
    os << "]TY[";
    matchType.Write(os);
    os << "]BO[";
    posStart.board.WriteGGF(os);
    if (matchType.kind == 'k' && !moves.empty()) {
        os << "]KB[";
        komiMoves[1].Write(os);
        os << "]KW[";
        komiMoves[0].Write(os);
        os << "]KM[" << (komiMoves[0].eval + komiMoves[1].eval) / 2;
    }
    // The first move is the start board's side to move; the colours then alternate,
    // passes included.
    bool black = posStart.board.fBlackMove;
    for (const Item& item : moves) {
        os << (black ? "]B[" : "]W[");
        item.Write(os);
        black = !black;
    }
    os << "];)";
}

template <class TBoard, class TMove, class TMatchType>
void CGGGame<TBoard, TMove, TMatchType>::ReadGGF(std::istream& is) {
    textinput::ThroughCursor(is, [this](auto& in) { ReadGGFFrom(in); });
}

template <class TBoard, class TMove, class TMatchType>
template <class In>
void CGGGame<TBoard, TMove, TMatchType>::ReadGGFFrom(In& is) {
    using namespace textinput;
    Clear();
    if (GetNonBlank(is) != '(' || is.get() != ';') {
        is.setstate(std::ios::failbit);
        return;
    }

    // Every value is parsed from a cursor of its own, so that a bad value never disturbs
    // the game text around it. Tag and value lie in the text when it is at hand.
    std::string tagStorage, valueStorage;
    bool fKomiRead = false;
    double komi = 0;
    for (;;) {
        SkipBlanks(is);
        if (!is.good() || Peek(is) == ';') break;
        const std::string_view t = ReadUntilView(is, '[', tagStorage);
        const std::string_view value = ReadUntilView(is, ']', valueStorage);
        // A value that the text ends inside is not a value: the game is cut short.
        if (!is.good()) break;
        CCursor vs(value.data(), value.data() + value.size());
        if (t == "B" || t == "W") {
            Item item;
            item.Read(vs);
            moves.push_back(item);
        } else if (t == "PC") {
            place = value;
        } else if (t == "DT") {
            date = value;
        } else if (t == "PB") {
            players[1].login = value;
        } else if (t == "PW") {
            players[0].login = value;
        } else if (t == "RE") {
            result.Read(vs);
        } else if (t == "RB") {
            vs >> players[1].rating;
        } else if (t == "RW") {
            vs >> players[0].rating;
        } else if (t == "TI") {
            posStart.clocks[0].Read(vs);
            posStart.clocks[1] = posStart.clocks[0];
        } else if (t == "TB") {
            posStart.clocks[1].Read(vs);
        } else if (t == "TW") {
            posStart.clocks[0].Read(vs);
        } else if (t == "TY") {
            matchType.Read(vs);
        } else if (t == "BO") {
            posStart.board.ReadGGF(vs);
        } else if (t == "KB") {
            komiMoves[1].Read(vs);
        } else if (t == "KW") {
            komiMoves[0].Read(vs);
        } else if (t == "KM") {
            vs >> komi;
            fKomiRead = true;
        } else if (t == "GM") {
            KIT_ASSERT(value == "Reversi" || value == "Othello");
        }
    }
    KIT_ASSERT(!fKomiRead || std::fabs(2 * komi - komiMoves[0].eval - komiMoves[1].eval) < 0.0001);
    (void)fKomiRead;
    if (is.good()) {
        is.get();  // the ';' that stopped the loop
        const int c = Peek(is);
        KIT_ASSERT(c == ')');
        if (c != std::char_traits<char>::eof()) is.get();
    }
    UpdatePosition();
}

// ---------------------------------------------------------------- game-service records
//
// The records of the service's list and delta messages. Each reader stops at the first
// field it cannot read: the fields after it keep what they held and the stream stays
// failed, which is how a list message knows that its list has ended.

// A running match. The text names the second player before the first.
template <class TMatchType>
class CGGMatch {
public:
    // id, second player, first player, match type, rated character, trailing number.
    void Read(std::istream& is);
    // The same without the trailing number, which becomes 0 and stays in the stream.
    void ReadDelta(std::istream& is);

    bool operator==(const CGGMatch& b) const { return id == b.id; }
    bool operator!=(const CGGMatch& b) const { return !(*this == b); }
    bool operator<(const CGGMatch& b) const { return id < b.id; }

    std::string id;
    CGGPlayer players[2];  // first, second
    TMatchType matchType;
    char rated = 0;  // 'U' unrated
    int number = 0;

private:
    template <class In>
    void ReadDeltaFrom(In& in);
};

// A finished game of a player's history.
template <class TMatchType>
class CGGHistoryItem {
public:
    // id, date, first player, second player, result, match type.
    void Read(std::istream& is);

    bool operator==(const CGGHistoryItem& b) const { return id == b.id; }
    bool operator!=(const CGGHistoryItem& b) const { return !(*this == b); }
    bool operator<(const CGGHistoryItem& b) const { return id < b.id; }

    std::string id;
    CGGDate date;
    CGGPlayer players[2];  // first, second
    CGGResult result;
    TMatchType matchType;
};

// A stored (adjourned) match. The records have no key of their own: every read gives the
// record the next arrival number, and records are equal and ordered by it, so a list keeps
// the order in which the server sent the records and no two records read apart are equal.
template <class TMatchType>
class CGGStoredMatch {
public:
    // id, date, first login, second login, match type, and the word ":l".
    void Read(std::istream& is);

    bool operator==(const CGGStoredMatch& b) const { return arrival == b.arrival; }
    bool operator!=(const CGGStoredMatch& b) const { return !(*this == b); }
    bool operator<(const CGGStoredMatch& b) const { return arrival < b.arrival; }

    std::string id;
    std::string logins[2];  // first, second
    TMatchType matchType;
    CGGDate date;
    unsigned long long arrival = 0;
};

// A match request: players, clocks and terms; rated 'U' unrated, 'S' continues the stored
// match storedId, anything else rated.
template <class TMatchType>
class CGGRequest {
public:
    // First player, first clock, match type, rated character, second player, then the
    // stored match id for 'S', else the second clock (the first clock's value when it
    // cannot be read).
    void Read(std::istream& is);

    CGGPlayer players[2];  // first, second
    CGGClock clocks[2];    // first, second
    TMatchType matchType;
    char rated = 0;
    std::string storedId;
};

// One rating line of a finger reply.
template <class TRatingType>
class CGGRatingItem {
public:
    void Read(std::istream& is);

    TRatingType ratingType;
    CGGRating rating;
};

template <class TMatchType>
template <class In>
void CGGMatch<TMatchType>::ReadDeltaFrom(In& is) {
    number = 0;
    if (!textinput::ReadWord(is, id)) return;
    players[1].Read(is);
    if (!is) return;
    players[0].Read(is);
    if (!is) return;
    matchType.Read(is);
    if (!is) return;
    textinput::ReadChar(is, rated);
}

template <class TMatchType>
void CGGMatch<TMatchType>::ReadDelta(std::istream& is) {
    textinput::ThroughCursor(is, [this](auto& in) { ReadDeltaFrom(in); });
}

template <class TMatchType>
void CGGMatch<TMatchType>::Read(std::istream& is) {
    textinput::ThroughCursor(is, [this](auto& in) {
        const int kept = number;
        ReadDeltaFrom(in);
        number = kept;
        if (in) textinput::ReadInt(in, number);
    });
}

template <class TMatchType>
void CGGHistoryItem<TMatchType>::Read(std::istream& is) {
    if (!(is >> id)) return;
    date.Read(is);
    if (!is) return;
    players[0].Read(is);
    if (!is) return;
    players[1].Read(is);
    if (!is) return;
    result.Read(is);
    if (!is) return;
    matchType.Read(is);
}

template <class TMatchType>
void CGGStoredMatch<TMatchType>::Read(std::istream& is) {
    if (!(is >> id)) return;
    arrival = NextArrivalNumber();
    date.Read(is);
    if (!is) return;
    if (!(is >> logins[0] >> logins[1])) return;
    matchType.Read(is);
    if (!is) return;
    std::string adjourned;
    is >> adjourned;
    KIT_ASSERT(adjourned == ":l" || !is);
}

template <class TMatchType>
void CGGRequest<TMatchType>::Read(std::istream& is) {
    players[0].Read(is);
    if (!is) return;
    clocks[0].Read(is);
    if (!is) return;
    matchType.Read(is);
    if (!is) return;
    if (!textinput::ReadChar(is, rated)) return;
    players[1].Read(is);
    if (!is) return;
    if (rated == 'S') {
        textinput::ReadWord(is, storedId);
        return;
    }
    clocks[1].Read(is);
    if (is.fail()) clocks[1] = clocks[0];
}

template <class TRatingType>
void CGGRatingItem<TRatingType>::Read(std::istream& is) {
    ratingType.Read(is);
    if (!is) return;
    rating.Read(is);
}

template <class TMatchType>
std::istream& operator>>(std::istream& is, CGGMatch<TMatchType>& match) {
    match.Read(is);
    return is;
}

template <class TMatchType>
std::istream& operator>>(std::istream& is, CGGHistoryItem<TMatchType>& item) {
    item.Read(is);
    return is;
}

template <class TMatchType>
std::istream& operator>>(std::istream& is, CGGStoredMatch<TMatchType>& match) {
    match.Read(is);
    return is;
}

template <class TMatchType>
std::istream& operator>>(std::istream& is, CGGRequest<TMatchType>& request) {
    request.Read(is);
    return is;
}

template <class TRatingType>
std::istream& operator>>(std::istream& is, CGGRatingItem<TRatingType>& item) {
    item.Read(is);
    return is;
}
