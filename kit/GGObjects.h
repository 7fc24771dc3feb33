// Value types of the game service that are not tied to one game: clocks and their
// durations, results, players, ratings, rank and who lines.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace textinput {
class CCursor;
}

// Duration text: up to four numbers separated by ':' or '.', the last one seconds
// (15:00 is 900 seconds); written m:ss below an hour, h:mm:ss from an hour on.
double ReadDuration(std::istream& is);
double ReadDuration(textinput::CCursor& in);
void WriteDuration(std::ostream& os, int seconds);

// One side's clock; all times in seconds.
class CGGClock {
public:
    enum { kRunning = 0, kInExtension = 1, kOutOfTime = 2 };

    CGGClock() = default;
    CGGClock(double timeLeft, double increment, double extension, int state)
        : timeLeft(timeLeft), increment(increment), extension(extension), state(state) {}

    void Read(std::istream& is);
    void Read(textinput::CCursor& in);
    // "(" minutes, seconds, minutes ")": time, increment, extension of old game records.
    void ReadOld(std::istream& is);
    void Write(std::ostream& os) const;
    void Clear();
    // Charges the seconds used; grants the extension once, then runs out of time.
    void Elapse(double seconds, bool addIncrement);

    bool operator==(const CGGClock& b) const;
    bool operator!=(const CGGClock& b) const { return !(*this == b); }
    bool operator<=(const CGGClock& b) const;
    bool operator>=(const CGGClock& b) const;
    bool operator<(const CGGClock& b) const { return *this != b && *this <= b; }
    bool operator>(const CGGClock& b) const { return *this != b && *this >= b; }
    // Same state and the same whole seconds of every time.
    bool EqualSeconds(const CGGClock& b) const;

    double timeLeft = 0;
    double increment = 0;
    double extension = 0;
    int state = kRunning;

private:
    template <class In>
    void ReadFrom(In& in);
};

// The result of a game. The score is always from black's view; the kind doubles as the
// state of a game.
class CGGResult {
public:
    enum {
        kNone = 0,
        kUnknown = 2,  // also: game in progress
        kOverOnBoard = 3,
        kAdjourned = 4,
        kAborted = 5,
        kScore = 6,
        kTimeout = 7,
        kResigned = 8,
        kAgreed = 9,
    };

    void Read(std::istream& is);
    void Read(textinput::CCursor& in);
    void Write(std::ostream& os) const;
    void Set(double score, int kind) { this->score = score; this->kind = kind; }
    void Clear() { Set(0, kUnknown); }
    bool HasScore() const { return kind >= kScore && kind <= kAgreed; }

    double score = 0;
    int kind = kUnknown;

private:
    template <class In>
    void ReadFrom(In& in);
};

// A login with its rating; read as "1834.5 somebody".
class CGGPlayer {
public:
    void Read(std::istream& is);
    void Read(textinput::CCursor& in);
    void Clear();

    std::string login;
    double rating = 0;
};

// A rating value and its deviation, written value@deviation.
class CGGRatingValue {
public:
    void Read(std::istream& is);
    void Write(std::ostream& os) const;
    // The value less 172/35 deviations.
    double Adjusted() const;

    double value = 0;
    double deviation = 0;
};

// A player's rating record with the counts of won, drawn and lost games.
class CGGRating {
public:
    void Read(std::istream& is);

    CGGRatingValue rating;
    // Everything between '=' and '+', blanks included.
    std::string text;
    double extra[2] = {0, 0};
    int won = 0;
    int drawn = 0;
    int lost = 0;
};

// One line of a rank or top list.
class CGGRankData {
public:
    // Takes one whole line; an empty line leaves the record as it was.
    void Read(std::istream& is);
    bool operator<(const CGGRankData& b) const { return rank < b.rank; }
    // A list holds one line per rank number.
    bool operator==(const CGGRankData& b) const { return rank == b.rank; }

    int rank = 0;
    CGGRating rating;
    std::string login;
    // The line ends with "<=".
    bool fMarked = false;
};

// One line of the game service's who list.
class CGGWhoItem {
public:
    // Takes one whole line; an empty line leaves the record as it was.
    void Read(std::istream& is);
    // By adjusted rating, the lower first; equal ratings by login.
    bool operator<(const CGGWhoItem& b) const;
    bool operator==(const CGGWhoItem& b) const { return login == b.login; }

    std::string login;
    CGGRatingValue rating;
    double won = 0;
    double drawn = 0;
    double lost = 0;
    double deviation2 = 0;
    // The line holds only the login and the rating.
    bool fNoStats = false;
};

// The date of a stored or history game as the server writes it: 5 Mar 2001 12:34:56.
class CGGDate {
public:
    void Read(std::istream& is);
    // 2001-Mar-5 12:34:56, the year right-aligned in four places.
    std::string Text() const;

    int day = 0;
    std::string month;
    int year = 0;
    std::string time;
};

// Numbers records in the order they are read; see CGGStoredMatch.
unsigned long long NextArrivalNumber();

// A square by 0-based row and column, written like a move (F5).
class CGGSquare {
public:
    void Read(std::istream& is);
    void Write(std::ostream& os) const;

    std::uint8_t row = 0;
    std::uint8_t col = 0;
};

std::istream& operator>>(std::istream& is, CGGClock& clock);
std::ostream& operator<<(std::ostream& os, const CGGClock& clock);
std::istream& operator>>(std::istream& is, CGGResult& result);
std::ostream& operator<<(std::ostream& os, const CGGResult& result);
std::istream& operator>>(std::istream& is, CGGPlayer& player);
std::istream& operator>>(std::istream& is, CGGRatingValue& rating);
std::ostream& operator<<(std::ostream& os, const CGGRatingValue& rating);
std::istream& operator>>(std::istream& is, CGGRating& rating);
std::istream& operator>>(std::istream& is, CGGRankData& rank);
std::istream& operator>>(std::istream& is, CGGWhoItem& who);
std::istream& operator>>(std::istream& is, CGGDate& date);
std::istream& operator>>(std::istream& is, CGGSquare& square);
std::ostream& operator<<(std::ostream& os, const CGGSquare& square);
