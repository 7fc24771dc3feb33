// Reversi value types: moves, board types, match and rating types, the board with
// its rules, and the Reversi game record.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "GGObjectTemplates.h"

// One move: a pass, or a square named by its 0-based row and column (F5 is row 4, column 5).
class COsMove {
public:
    COsMove() = default;
    COsMove(int row, int col) : fPass(false), row(row), col(col) {}

    void Read(std::istream& is);
    void Read(textinput::CCursor& in);
    void Write(std::ostream& os) const;
    // 10 x (column+1) + (row+1), sign ignored.
    void SetFromSquareNumber(int n);

    bool operator==(const COsMove& b) const;
    bool operator!=(const COsMove& b) const { return !(*this == b); }
    bool operator<(const COsMove& b) const;

    bool fPass = true;
    int row = 0;
    int col = 0;

private:
    template <class In>
    void ReadFrom(In& in);
};

// A board: square boards 4x4 to 14x14, or the octagon (10x10 less three squares per corner).
class COsBoardType {
public:
    void Read(std::istream& is);
    void Read(textinput::CCursor& in);
    void Write(std::ostream& os) const;
    void Clear();

    bool operator==(const COsBoardType& b) const { return fOctagon == b.fOctagon && size == b.size; }
    bool operator!=(const COsBoardType& b) const { return !(*this == b); }

    int NSquares() const;
    double NSquaresAsDouble() const { return NSquares(); }
    int NBorderedSquares() const { return (size + 2) * (size + 2); }
    bool IsCutCorner(int row, int col) const;
    const char* Name() const;

    int size = 0;
    bool fOctagon = false;

private:
    template <class In>
    void ReadFrom(In& in);
};

// The terms of a match: board, colour wish, komi or synchro, random start, anti.
class COsMatchType {
public:
    enum {
        kErrRandColor = 34048,
        kErrTooFewRandDiscs = 34049,
        kErrTooManyRandDiscs = 34050,
    };

    void Read(std::istream& is);
    void Read(textinput::CCursor& in);
    void Write(std::ostream& os) const;
    void Clear();

    std::string Description() const;
    // Compares kind, flags, board type and, for random starts, the disc count; not the komi.
    bool operator==(const COsMatchType& b) const;
    bool operator!=(const COsMatchType& b) const { return !(*this == b); }

    int MaxRandDiscs() const;
    int MinRandDiscs() const { return 4; }
    // 0 when the terms are acceptable, else the number of the message to show.
    int Validate() const;

    COsBoardType bt;
    bool fRand = false;
    bool fAnti = false;
    int nRandDiscs = 0;
    // '?' none, 'b' or 'w' colour wish, 'k' komi game, 's' synchro game.
    char kind = '?';
    bool fKomiGiven = false;
    double komi = 0;

private:
    template <class In>
    void ReadFrom(In& in);
};

// The key of a player's rating: board type, random start, anti.
class COsRatingType {
public:
    void Read(std::istream& is);
    void Write(std::ostream& os) const;

    bool operator==(const COsRatingType& b) const {
        return bt == b.bt && fRand == b.fRand && fAnti == b.fAnti;
    }
    bool operator!=(const COsRatingType& b) const { return !(*this == b); }

    COsBoardType bt;
    bool fRand = false;
    bool fAnti = false;
};

// One Reversi position and the rules. The squares are kept with a one-square border of 'd'
// on every side (cut corners of the octagon are 'd' too), so that a walk across the board
// stops at a 'd' without testing bounds.
class COsBoard {
public:
    enum { kBlack = '*', kWhite = 'O', kEmpty = '-', kDead = 'd' };
    enum { kMove = 0, kMustPass = 1, kOver = 2 };

    void Clear();
    void SetEmpty(const COsBoardType& type);
    void Initialize(const COsBoardType& type);

    // Off-board coordinates read as 'd'; writes off the playable area are ignored.
    char GetSquare(int row, int col) const;
    void Set(int row, int col, char c);
    char SideChar() const { return fBlackMove ? kBlack : kWhite; }

    // Plays a move for the side to move. A square outside the board, or one that is not
    // empty, places and flips nothing; the side to move changes all the same.
    void Update(const COsMove& mv);
    // Update, then GameOver: a game's move, whose end of game is tested at once.
    bool Play(const COsMove& mv);

    int CountFlips(int row, int col, bool black) const;
    int FlipDirection(int row, int col, int dRow, int dCol, char mover, char opponent);
    int CountDirection(int row, int col, int dRow, int dCol, char mover, char opponent) const;

    bool HasLegalMove(bool black) const;
    bool MoverHasLegalMove() const { return HasLegalMove(fBlackMove); }
    int IsLegalSquare(int row, int col) const;
    bool IsLegal(const COsMove& mv) const;
    std::vector<COsMove> LegalMoves(bool forMover = true) const;

    int GameState() const;
    bool GameOver() const;

    void CountDiscs(int& black, int& white, int& empty) const;
    int NetCount() const;
    // Final score from black's view: the empty squares go to the winner; negated for anti.
    int Result(bool anti) const;

    void Write(std::ostream& os) const;
    void WriteColumnLine(std::ostream& os) const;

    // The board as a GGF value: the type, a blank, the playable squares row by row, a
    // blank and the side to move ("8 ---...-O*------*O---...- *").
    void WriteGGF(std::ostream& os) const;
    void ReadGGF(std::istream& is);
    void ReadGGF(textinput::CCursor& in);

    COsBoardType bt;
    std::string squares;
    bool fBlackMove = true;

    // The discs and the empty squares of a board of up to 8x8, one bit per square (bit
    // 8 x row + column).
    struct Masks {
        std::uint64_t black = 0;
        std::uint64_t white = 0;
        std::uint64_t empty = 0;
    };

private:
    template <class In>
    void ReadGGFFrom(In& in);
    bool IsOnBoard(int row, int col) const;
    int Index(int row, int col) const { return (row + 1) * (bt.size + 2) + col + 1; }
    // The kept masks while the squares are still those they were made from, else null.
    const Masks* KeptMasks() const;
    // The masks of the squares: the kept ones while they match, else made anew.
    Masks CurrentMasks() const;
    // The kept masks, made again from the squares when they no longer match them.
    Masks& MasksToPlay();
    // Places the mover's disc and flips, in the squares and in the kept masks.
    void PlaceAndFlip(int row, int col);

    // The masks that the last move left, with a copy of the squares they stand for: the
    // game's next move starts from them when nothing else has changed the squares since.
    Masks kept;
    int keptSize = 0;   // the board size of the kept masks; 0 while none are kept
    char keptSquares[100] = {};
};

// The Reversi game record.
class COsGame : public CGGGame<COsBoard, COsMove, COsMatchType> {
public:
    ~COsGame() override;

    // Older 8x8 game texts, played from the standard start with a pass wherever the side
    // to move has none. Logbook: "+F5-D6+C3 ... : 2 10" ('+' black, '-' white, then the
    // final disc difference). IOS: time stamp, end code, black's and white's login, disc
    // count and clock "(min sec min)", then square numbers (10 x column + row), black
    // positive, ended by 0.
    void ReadLogbook(std::istream& is);
    void ReadIOS(std::istream& is);
    // The date as "%Y-%m-%d %H:%M:%S GMT" of a time in seconds since 1970 (UTC).
    void SetDate(long long seconds);

private:
    void StartStandard();
    void PlayWithPass(const COsMove& mv);
};

std::istream& operator>>(std::istream& is, COsMove& mv);
std::ostream& operator<<(std::ostream& os, const COsMove& mv);
std::istream& operator>>(std::istream& is, COsBoardType& bt);
std::ostream& operator<<(std::ostream& os, const COsBoardType& bt);
std::istream& operator>>(std::istream& is, COsMatchType& mt);
std::ostream& operator<<(std::ostream& os, const COsMatchType& mt);
std::istream& operator>>(std::istream& is, COsRatingType& rt);
std::ostream& operator<<(std::ostream& os, const COsRatingType& rt);
std::istream& operator>>(std::istream& is, COsBoard& board);
std::ostream& operator<<(std::ostream& os, const COsBoard& board);
std::istream& operator>>(std::istream& is, COsGame& game);
std::ostream& operator<<(std::ostream& os, const COsGame& game);
