#include "OsObjects.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "KitAssert.h"
#include "TextInput.h"

using namespace textinput;

// ---------------------------------------------------------------- COsMove

void COsMove::Read(std::istream& is) {
    ThroughCursor(is, [this](auto& in) { ReadFrom(in); });
}

void COsMove::Read(CCursor& in) {
    // The usual move, a column letter and a row of one or two digits, is taken at once;
    // anything else as the reader takes it.
    SkipBlanks(in);
    const char* p = in.p;
    if (in.good() && in.end - p >= 2 && IsAlpha(p[0]) && ToUpper(p[0]) != 'P' && IsDigit(p[1])) {
        int n = p[1] - '0';
        p += 2;
        if (p < in.end && IsDigit(*p)) n = 10 * n + (*p++ - '0');
        if (p == in.end || !IsDigit(*p)) {
            fPass = false;
            col = static_cast<unsigned char>(ToUpper(in.p[0])) - 'A';
            row = n - 1;
            in.p = p;
            if (p == in.end) in.state |= std::ios::eofbit;
            return;
        }
    }
    ReadFrom(in);
}

template <class In>
void COsMove::ReadFrom(In& is) {
    char c = GetNonBlank(is);
    if (is.fail()) return;
    c = ToUpper(c);
    if (c == 'P') {
        fPass = true;
        while (IsAlpha(Peek(is))) is.get();
        return;
    }
    fPass = false;
    col = static_cast<unsigned char>(c) - 'A';
    int n = 0;
    ReadInt(is, n);
    row = n == INT_MIN ? INT_MIN : n - 1;
}

void COsMove::Write(std::ostream& os) const {
    if (fPass)
        os << "PA";
    else
        os << static_cast<char>('A' + static_cast<long long>(col)) << static_cast<long long>(row) + 1;
}

void COsMove::SetFromSquareNumber(int n) {
    const long long a = std::llabs(static_cast<long long>(n));
    fPass = false;
    row = static_cast<int>(a % 10) - 1;
    col = static_cast<int>(a / 10) - 1;
}

bool COsMove::operator==(const COsMove& b) const {
    if (fPass || b.fPass) return fPass == b.fPass;
    return row == b.row && col == b.col;
}

bool COsMove::operator<(const COsMove& b) const {
    if (fPass != b.fPass) return fPass;
    if (fPass) return false;
    if (row != b.row) return row < b.row;
    return col < b.col;
}

// ---------------------------------------------------------------- COsBoardType

void COsBoardType::Read(std::istream& is) {
    ThroughCursor(is, [this](auto& in) { ReadFrom(in); });
}

void COsBoardType::Read(CCursor& in) { ReadFrom(in); }

template <class In>
void COsBoardType::ReadFrom(In& is) {
    Clear();
    int n = 0;
    ReadInt(is, n);
    if (!is.fail() && (n == 4 || n == 6 || n == 8 || n == 10 || n == 12 || n == 14)) {
        size = n;
    } else if (!is.fail() && n == 88) {
        size = 10;
        fOctagon = true;
    } else {
        size = 8;
        is.setstate(std::ios::failbit);
    }
}

void COsBoardType::Write(std::ostream& os) const {
    if (fOctagon)
        os << "88";
    else
        os << size;
}

void COsBoardType::Clear() {
    size = 0;
    fOctagon = false;
}

int COsBoardType::NSquares() const { return fOctagon ? 88 : size * size; }

bool COsBoardType::IsCutCorner(int row, int col) const {
    if (!fOctagon) return false;
    const int r = std::min(row, size - 1 - row);
    const int c = std::min(col, size - 1 - col);
    return r + c < 2;
}

const char* COsBoardType::Name() const {
    if (fOctagon) return "Octagon";
    switch (size) {
    case 4: return "4x4";
    case 6: return "6x6";
    case 8: return "8x8";
    case 10: return "10x10";
    case 12: return "12x12";
    case 14: return "14x14";
    default: return "Unknown board";
    }
}

// ---------------------------------------------------------------- COsMatchType

void COsMatchType::Clear() {
    bt.Clear();
    fRand = false;
    fAnti = false;
    kind = '?';
}

void COsMatchType::Read(std::istream& is) {
    ThroughCursor(is, [this](auto& in) { ReadFrom(in); });
}

void COsMatchType::Read(CCursor& in) { ReadFrom(in); }

template <class In>
void COsMatchType::ReadFrom(In& is) {
    Clear();
    fKomiGiven = false;
    SkipBlanks(is);
    bool fBoardRead = false;
    for (int c = Peek(is); IsAlnum(c); c = Peek(is)) {
        if (IsDigit(c)) {
            bt.Read(is);
            if (!is.fail()) fBoardRead = true;
            continue;
        }
        is.get();
        switch (ToLower(char(c))) {
        case 'a':
            fAnti = true;
            break;
        case 'b':
        case 's':
        case 'w':
            kind = ToLower(char(c));
            break;
        case 'k': {
            kind = 'k';
            const int n = Peek(is);
            if (IsDigit(n) || n == '+' || n == '-' || n == '.') {
                is >> komi;
                fKomiGiven = true;
            }
            break;
        }
        case 'r':
            fRand = true;
            is >> nRandDiscs;
            break;
        default:
            break;
        }
    }
    // A type text that ends its string is a complete text, not a failed read.
    if (fBoardRead && is.eof() && !is.bad()) is.clear();
}

void COsMatchType::Write(std::ostream& os) const {
    if (kind == 's') os << 's';
    bt.Write(os);
    if (kind == 'k') {
        os << 'k';
        if (fKomiGiven) os << komi;
    }
    if (fAnti) os << 'a';
    if (fRand) os << 'r' << nRandDiscs;
    if (kind == 'b' || kind == 'w') os << kind;
}

std::string COsMatchType::Description() const {
    std::string s = bt.Name();
    switch (kind) {
    case 'b': s += " black"; break;
    case 'w': s += " white"; break;
    case 'k': s += " komi"; break;
    case 's': s += " synch"; break;
    default: break;
    }
    if (fRand) s += " rand(" + std::to_string(nRandDiscs) + ")";
    if (fAnti) s += " anti";
    return s;
}

bool COsMatchType::operator==(const COsMatchType& b) const {
    return kind == b.kind && fRand == b.fRand && fAnti == b.fAnti && bt == b.bt &&
           (!fRand || nRandDiscs == b.nRandDiscs);
}

int COsMatchType::MaxRandDiscs() const { return bt.fOctagon ? 44 : bt.size * bt.size - 16; }

int COsMatchType::Validate() const {
    if (!fRand) return 0;
    if (kind != 's' && kind != 'k') return kErrRandColor;
    if (nRandDiscs > MaxRandDiscs()) return kErrTooManyRandDiscs;
    if (nRandDiscs < MinRandDiscs()) return kErrTooFewRandDiscs;
    return 0;
}

// ---------------------------------------------------------------- COsRatingType

void COsRatingType::Read(std::istream& is) {
    fRand = false;
    fAnti = false;
    SkipBlanks(is);
    for (int c = Peek(is); IsAlnum(c); c = Peek(is)) {
        if (IsDigit(c)) {
            bt.Read(is);
            continue;
        }
        is.get();
        if (c == 'a' || c == 'A') fAnti = true;
        if (c == 'r' || c == 'R') fRand = true;
    }
}

void COsRatingType::Write(std::ostream& os) const {
    bt.Write(os);
    if (fAnti) os << 'a';
    if (fRand) os << 'r';
}

// ---------------------------------------------------------------- COsBoard

void COsBoard::Clear() {
    bt.Clear();
    squares.clear();
    fBlackMove = true;
}

void COsBoard::SetEmpty(const COsBoardType& type) {
    bt = type;
    if (bt.size < 0) bt.size = 0;
    const int n = bt.size;
    const int width = n + 2;
    squares.assign(bt.NBorderedSquares(), kEmpty);
    // The border: the first and the last row, and both ends of every row between them.
    std::fill_n(squares.begin(), width, char(kDead));
    std::fill_n(squares.end() - width, width, char(kDead));
    for (int row = 1; row <= n; row++) {
        squares[row * width] = kDead;
        squares[row * width + n + 1] = kDead;
    }
    if (bt.fOctagon) {
        for (int row = 0; row < n; row++)
            for (int col = 0; col < n; col++)
                if (bt.IsCutCorner(row, col)) squares[Index(row, col)] = kDead;
    }
    fBlackMove = true;
}

void COsBoard::Initialize(const COsBoardType& type) {
    SetEmpty(type);
    const int h = bt.size / 2;
    if (h > 0) {
        Set(h, h - 1, kBlack);
        Set(h - 1, h, kBlack);
        Set(h, h, kWhite);
        Set(h - 1, h - 1, kWhite);
    }
}

bool COsBoard::IsOnBoard(int row, int col) const {
    return row >= 0 && row < bt.size && col >= 0 && col < bt.size &&
           squares.size() == static_cast<size_t>(bt.NBorderedSquares());
}

char COsBoard::GetSquare(int row, int col) const {
    if (row < -1 || row > bt.size || col < -1 || col > bt.size ||
        squares.size() != static_cast<size_t>(bt.NBorderedSquares()))
        return kDead;
    return squares[Index(row, col)];
}

void COsBoard::Set(int row, int col, char c) {
    if (IsOnBoard(row, col) && !bt.IsCutCorner(row, col)) squares[Index(row, col)] = c;
}

// Walks from the square in one direction over the opponent's discs; returns the length
// of the run when the mover's disc closes it, else 0. The border of 'd' ends every walk;
// the index test only guards against a square string changed from outside.
static int RunLength(const std::string& squares, int start, int step, char mover, char opponent) {
    const int len = static_cast<int>(squares.size());
    int i = start + step;
    int n = 0;
    while (i >= 0 && i < len && squares[i] == opponent) {
        i += step;
        n++;
    }
    if (n == 0 || i < 0 || i >= len || squares[i] != mover) return 0;
    return n;
}

// Turns the run that RunLength finds to the mover's colour; returns its length.
static int FlipRun(std::string& squares, int start, int step, char mover, char opponent) {
    const int n = RunLength(squares, start, step, mover, opponent);
    for (int k = 1, i = start + step; k <= n; k++, i += step) squares[i] = mover;
    return n;
}

// One of the eight steps to a neighbouring square.
static bool IsDirection(int dRow, int dCol) {
    return dRow >= -1 && dRow <= 1 && dCol >= -1 && dCol <= 1 && (dRow || dCol);
}

// Boards of up to 8x8 are also worked on as 64-bit masks, one bit per square (bit 8 x row
// + column), so that the search for a legal move and the flips of a move take all squares
// of a line at once instead of walking them square by square: every move the server
// reports is played and followed by a test for the end of the game.
namespace {

using Bits = std::uint64_t;

constexpr Bits kNotFirstColumn = 0xfefefefefefefefeULL;
constexpr Bits kNotLastColumn = 0x7f7f7f7f7f7f7f7fULL;

// Square boards of 4x4 to 8x8: a row's eight bytes read at once stay inside the squares.
bool FitsBits(const COsBoardType& bt) { return bt.size >= 4 && bt.size <= 8 && !bt.fOctagon; }

// The bytes of a row that hold the character, gathered into the row's bits: 0x80 in each
// equal byte, then the eight top bits multiplied into the top byte.
Bits RowBits(Bits line, char c) {
    const Bits low7 = 0x7f7f7f7f7f7f7f7fULL;
    const Bits x = line ^ (0x0101010101010101ULL * static_cast<unsigned char>(c));
    const Bits equal = ~(((x & low7) + low7) | x | low7);
    return ((equal >> 7) * 0x0102040810204080ULL) >> 56;
}

using Masks = COsBoard::Masks;

// The masks of the board, each row's squares compared at once.
Masks Gather(const COsBoard& board) {
    const int size = board.bt.size;
    const char* first = board.squares.data() + size + 3;
    const Bits rowMask = (Bits(1) << size) - 1;
    Masks m;
    auto row = [&](int r) {
        Bits line;
        std::memcpy(&line, first + r * (size + 2), sizeof line);
        m.black |= (RowBits(line, COsBoard::kBlack) & rowMask) << (8 * r);
        m.white |= (RowBits(line, COsBoard::kWhite) & rowMask) << (8 * r);
        m.empty |= (RowBits(line, COsBoard::kEmpty) & rowMask) << (8 * r);
    };
    if (size == 8) {
        for (int r = 0; r < 8; r++) row(r);   // the usual board, unrolled
    } else {
        for (int r = 0; r < size; r++) row(r);
    }
    return m;
}

// One step in a direction: a shift by the step's bit distance, without wrapping from one
// edge column to the other.
template <int Shift, Bits Mask>
Bits Step(Bits b) {
    return (Shift > 0 ? b << Shift : b >> -Shift) & Mask;
}

// The opponent's discs in a line from `from` in one direction (at most six).
template <int Shift, Bits Mask>
Bits Line(Bits from, Bits opponent) {
    Bits line = Step<Shift, Mask>(from) & opponent;
    for (int i = 0; i < 5; i++) line |= Step<Shift, Mask>(line) & opponent;
    return line;
}

// The squares next to a line of the opponent's discs in one direction that ends in one's
// own: those that are empty are legal moves.
template <int Shift, Bits Mask>
Bits Reach(Bits own, Bits other) {
    return Step<Shift, Mask>(Line<Shift, Mask>(own, other));
}

// The squares of a line from each square in one direction to the edge of an 8x8 board:
// first the four directions in which the bit numbers grow, then their opposites.
struct Rays {
    Bits line[8][64];
};

constexpr Rays MakeRays() {
    Rays rays{};
    constexpr int kSteps[8][2] = {{0, 1}, {1, -1}, {1, 0}, {1, 1}, {0, -1}, {-1, 1}, {-1, 0}, {-1, -1}};
    for (int d = 0; d < 8; d++)
        for (int square = 0; square < 64; square++) {
            Bits line = 0;
            int row = square / 8 + kSteps[d][0], col = square % 8 + kSteps[d][1];
            for (; row >= 0 && row < 8 && col >= 0 && col < 8; row += kSteps[d][0], col += kSteps[d][1])
                line |= Bits(1) << (8 * row + col);
            rays.line[d][square] = line;
        }
    return rays;
}

constexpr Rays kRays = MakeRays();

// The opponent's discs that a disc placed on the square flips along a line whose bit
// numbers grow: the first square of the line that holds no opponent's disc is its lowest
// such bit, and when that square holds one's own disc, the line up to it flips.
Bits FlipsUp(Bits line, Bits own, Bits other) {
    const Bits stops = line & ~other;
    const Bits first = stops & (~stops + 1);
    return line & (first - 1) & (Bits(0) - Bits((first & own) != 0));
}

// The same along a line whose bit numbers fall: the first square that stops it is the
// highest such bit. A line of the opponent's discs to the edge has none (the bit taken then,
// square 0, is either off the line or the opponent's, and flips nothing).
Bits FlipsDown(Bits line, Bits own, Bits other) {
    const Bits stops = line & ~other;
    const Bits first = Bits(1) << (63 - __builtin_clzll(stops | 1));
    return line & ~((first << 1) - 1) & (Bits(0) - Bits((first & own & line) != 0));
}

// The square of a mask's lowest bit (the mask is not 0).
unsigned LowestSquare(Bits b) {
    static const unsigned char kIndex[64] = {0,  1,  48, 2,  57, 49, 28, 3,  61, 58, 50, 42, 38, 29, 17, 4,
                                   62, 55, 59, 36, 53, 51, 43, 22, 45, 39, 33, 30, 24, 18, 12, 5,
                                   63, 47, 56, 27, 60, 41, 37, 16, 54, 35, 52, 21, 44, 32, 23, 11,
                                   46, 26, 40, 15, 34, 20, 31, 10, 25, 14, 19, 9,  13, 8,  7,  6};
    return kIndex[((b & (~b + 1)) * 0x03f79d71b4cb0a89ULL) >> 58];
}

// Whether one of the empty squares is a legal move; the directions are tried one by one,
// since one move is enough.
bool AnyMove(Bits own, Bits other, Bits empty) {
    return (Reach<8, ~Bits(0)>(own, other) & empty) || (Reach<-8, ~Bits(0)>(own, other) & empty) ||
           (Reach<1, kNotFirstColumn>(own, other) & empty) || (Reach<-1, kNotLastColumn>(own, other) & empty) ||
           (Reach<9, kNotFirstColumn>(own, other) & empty) || (Reach<-9, kNotLastColumn>(own, other) & empty) ||
           (Reach<7, kNotLastColumn>(own, other) & empty) || (Reach<-7, kNotFirstColumn>(own, other) & empty);
}

bool AnyMove(const Masks& m, bool black) {
    return black ? AnyMove(m.black, m.white, m.empty) : AnyMove(m.white, m.black, m.empty);
}

// Neither side has a move; the side to move is asked first, since it has one far more
// often than not.
bool Ended(const Masks& m, bool blackToMove) { return !AnyMove(m, blackToMove) && !AnyMove(m, !blackToMove); }

} // namespace

const COsBoard::Masks* COsBoard::KeptMasks() const {
    const size_t n = squares.size();
    if (keptSize == 0 || keptSize != bt.size || !FitsBits(bt) || n != static_cast<size_t>(bt.NBorderedSquares()) ||
        std::memcmp(keptSquares, squares.data(), n) != 0)
        return nullptr;
    return &kept;
}

COsBoard::Masks COsBoard::CurrentMasks() const {
    const Masks* m = KeptMasks();
    return m ? *m : Gather(*this);
}

COsBoard::Masks& COsBoard::MasksToPlay() {
    if (!KeptMasks()) {
        kept = Gather(*this);
        keptSize = bt.size;
        std::memcpy(keptSquares, squares.data(), squares.size());
    }
    return kept;
}

// The square is empty and on a board that fits the masks, which are kept.
void COsBoard::PlaceAndFlip(int row, int col) {
    Masks& m = MasksToPlay();
    Bits& own = fBlackMove ? m.black : m.white;
    Bits& other = fBlackMove ? m.white : m.black;
    const int square = 8 * row + col;
    const Bits from = Bits(1) << square;
    const Bits flips = FlipsUp(kRays.line[0][square], own, other) | FlipsUp(kRays.line[1][square], own, other) |
                       FlipsUp(kRays.line[2][square], own, other) | FlipsUp(kRays.line[3][square], own, other) |
                       FlipsDown(kRays.line[4][square], own, other) | FlipsDown(kRays.line[5][square], own, other) |
                       FlipsDown(kRays.line[6][square], own, other) | FlipsDown(kRays.line[7][square], own, other);
    own |= from | flips;
    other &= ~flips;
    m.empty &= ~from;
    // The copy of the squares changes with them.
    const char mover = SideChar();
    const int width = bt.size + 2;
    char* const first = &squares[0] + width + 1;
    char* const keptFirst = keptSquares + width + 1;
    first[row * width + col] = keptFirst[row * width + col] = mover;
    for (Bits each = flips; each; each &= each - 1) {
        const unsigned flipped = LowestSquare(each);
        const int at = static_cast<int>(flipped / 8) * width + static_cast<int>(flipped % 8);
        first[at] = keptFirst[at] = mover;
    }
}

bool COsBoard::Play(const COsMove& mv) {
    if (!FitsBits(bt) || mv.fPass || !IsOnBoard(mv.row, mv.col) || squares[Index(mv.row, mv.col)] != kEmpty) {
        Update(mv);
        return GameOver();
    }
    // The masks serve the move and then the test for the end.
    PlaceAndFlip(mv.row, mv.col);
    fBlackMove = !fBlackMove;
    return Ended(kept, fBlackMove);
}

void COsBoard::Update(const COsMove& mv) {
    // A square off the board places nothing: the position stays valid and the move
    // still takes its turn, like a move on an occupied square.
    KIT_ASSERT(mv.fPass || IsOnBoard(mv.row, mv.col));
    if (!mv.fPass && IsOnBoard(mv.row, mv.col)) {
        const int start = Index(mv.row, mv.col);
        if (squares[start] == kEmpty) {
            const char mover = SideChar();
            const char opponent = fBlackMove ? kWhite : kBlack;
            const int width = bt.size + 2;
            if (FitsBits(bt)) {
                PlaceAndFlip(mv.row, mv.col);
            } else {
                squares[start] = mover;
                for (int dRow = -1; dRow <= 1; dRow++)
                    for (int dCol = -1; dCol <= 1; dCol++) {
                        const int step = dRow * width + dCol;
                        if (step != 0 && squares[start + step] == opponent)
                            FlipRun(squares, start, step, mover, opponent);
                    }
            }
        } else {
            // An occupied square: a move list out of step with its board. Shown for
            // whoever runs the program from a terminal; nothing is placed.
            Write(std::clog);
        }
    }
    fBlackMove = !fBlackMove;
}

int COsBoard::CountDirection(int row, int col, int dRow, int dCol, char mover, char opponent) const {
    if (!IsOnBoard(row, col) || !IsDirection(dRow, dCol)) return 0;
    return RunLength(squares, Index(row, col), dRow * (bt.size + 2) + dCol, mover, opponent);
}

int COsBoard::FlipDirection(int row, int col, int dRow, int dCol, char mover, char opponent) {
    if (!IsOnBoard(row, col) || !IsDirection(dRow, dCol)) return 0;
    return FlipRun(squares, Index(row, col), dRow * (bt.size + 2) + dCol, mover, opponent);
}

int COsBoard::CountFlips(int row, int col, bool black) const {
    if (!IsOnBoard(row, col) || squares[Index(row, col)] != kEmpty) return 0;
    const char mover = black ? kBlack : kWhite;
    const char opponent = black ? kWhite : kBlack;
    const int start = Index(row, col);
    const int width = bt.size + 2;
    int n = 0;
    for (int dRow = -1; dRow <= 1; dRow++)
        for (int dCol = -1; dCol <= 1; dCol++)
            if (dRow || dCol) n += RunLength(squares, start, dRow * width + dCol, mover, opponent);
    return n;
}

bool COsBoard::HasLegalMove(bool black) const {
    // Runs on every move played (the end of the game is tested after each): one flipping
    // direction of one square is enough, so no count is made.
    if (squares.size() != static_cast<size_t>(bt.NBorderedSquares())) return false;
    const char mover = black ? kBlack : kWhite;
    const char opponent = black ? kWhite : kBlack;
    if (FitsBits(bt)) {
        return AnyMove(CurrentMasks(), black);
    }
    const int width = bt.size + 2;
    const int steps[8] = {-width - 1, -width, -width + 1, -1, 1, width - 1, width, width + 1};
    const char* const board = squares.data();
    const int len = static_cast<int>(squares.size());
    for (int row = 0; row < bt.size; row++)
        for (int col = 0; col < bt.size; col++) {
            const int start = Index(row, col);
            if (board[start] != kEmpty) continue;
            for (int step : steps) {
                int i = start + step;
                if (board[i] != opponent) continue;
                do
                    i += step;
                while (i >= 0 && i < len && board[i] == opponent);
                if (i >= 0 && i < len && board[i] == mover) return true;
            }
        }
    return false;
}

int COsBoard::IsLegalSquare(int row, int col) const { return CountFlips(row, col, fBlackMove); }

bool COsBoard::IsLegal(const COsMove& mv) const {
    if (mv.fPass) return !MoverHasLegalMove();
    return IsLegalSquare(mv.row, mv.col) > 0;
}

std::vector<COsMove> COsBoard::LegalMoves(bool forMover) const {
    const bool black = forMover ? fBlackMove : !fBlackMove;
    std::vector<COsMove> moves;
    for (int row = 0; row < bt.size; row++)
        for (int col = 0; col < bt.size; col++)
            if (CountFlips(row, col, black) > 0) moves.emplace_back(row, col);
    return moves;
}

int COsBoard::GameState() const {
    if (HasLegalMove(fBlackMove)) return kMove;
    if (HasLegalMove(!fBlackMove)) return kMustPass;
    return kOver;
}

// The side to move is asked first: it has a move far more often than not.
bool COsBoard::GameOver() const {
    if (FitsBits(bt) && squares.size() == static_cast<size_t>(bt.NBorderedSquares())) {
        return Ended(CurrentMasks(), fBlackMove);
    }
    return !HasLegalMove(fBlackMove) && !HasLegalMove(!fBlackMove);
}

void COsBoard::CountDiscs(int& black, int& white, int& empty) const {
    // The masks of the position, when they are kept, give the counts at once; else the
    // squares are counted without a branch per square, since they follow no pattern.
    if (const Masks* m = KeptMasks()) {
        black = __builtin_popcountll(m->black);
        white = __builtin_popcountll(m->white);
        empty = __builtin_popcountll(m->empty);
        return;
    }
    black = white = empty = 0;
    for (char c : squares) {
        black += c == kBlack;
        white += c == kWhite;
        empty += c == kEmpty;
    }
}

int COsBoard::NetCount() const {
    int black, white, empty;
    CountDiscs(black, white, empty);
    return black - white;
}

int COsBoard::Result(bool anti) const {
    int black, white, empty;
    CountDiscs(black, white, empty);
    int net = black - white;
    if (net < 0)
        net -= empty;
    else if (net > 0)
        net += empty;
    return anti ? -net : net;
}

void COsBoard::WriteColumnLine(std::ostream& os) const {
    os << "  ";
    for (int col = 0; col < bt.size; col++) os << ' ' << char('A' + col);
    os << "  \n";
}

void COsBoard::Write(std::ostream& os) const {
    WriteColumnLine(os);
    for (int row = 0; row < bt.size; row++) {
        const char* pad = row + 1 < 10 ? " " : "";
        os << pad << row + 1;
        for (int col = 0; col < bt.size; col++) os << ' ' << GetSquare(row, col);
        os << pad << row + 1 << '\n';
    }
    WriteColumnLine(os);
    os << (fBlackMove ? "Black" : "White") << " to move\n";
}

void COsBoard::WriteGGF(std::ostream& os) const {
    std::string text;
    text.reserve(squares.size() + 2);
    text += ' ';
    for (char c : squares)
        if (c != kDead) text += c;
    text += ' ';
    text += SideChar();
    bt.Write(os);
    os << text;
}

void COsBoard::ReadGGF(std::istream& is) {
    ThroughCursor(is, [this](auto& in) { ReadGGFFrom(in); });
}

void COsBoard::ReadGGF(CCursor& in) { ReadGGFFrom(in); }

template <class In>
void COsBoard::ReadGGFFrom(In& is) {
    Clear();
    COsBoardType type;
    type.Read(is);
    SetEmpty(type);
    for (char& square : squares) {
        if (square == kDead) continue;
        char c = kEmpty;
        if (!ReadChar(is, c)) break;
        // Only discs and empty squares are stored: the board stays a position the
        // rules know.
        KIT_ASSERT(c == kBlack || c == kWhite || c == kEmpty);
        square = c == kBlack || c == kWhite ? c : char(kEmpty);
    }
    char side = kBlack;
    if (ReadChar(is, side)) fBlackMove = side == kBlack;
}

// ---------------------------------------------------------------- COsGame

COsGame::~COsGame() = default;

void COsGame::StartStandard() {
    Clear();
    matchType.bt.size = 8;
    matchType.bt.fOctagon = false;
    posStart.board.Initialize(matchType.bt);
    posCurrent = posStart;
}

void COsGame::PlayWithPass(const COsMove& mv) {
    Play(Item(mv, 0, 0));
    if (posCurrent.board.GameState() == COsBoard::kMustPass) Play(Item(COsMove(), 0, 0));
}

void COsGame::ReadLogbook(std::istream& is) {
    StartStandard();
    players[0].login = players[1].login = "logtest";
    place = "logbook";
    char c = '\0';
    while (is >> c) {
        if (c != '+' && c != '-') break;
        KIT_ASSERT((c == '+') == posCurrent.board.fBlackMove);
        COsMove mv;
        mv.Read(is);
        if (is.fail()) break;
        PlayWithPass(mv);
    }
    KIT_ASSERT(c == ':' || !is);
    // Without a readable disc difference the result stays as the moves made it.
    int net = 0;
    if (!(is >> net)) return;
    KIT_ASSERT(net == posCurrent.board.NetCount());
    result.Set(net, CGGResult::kScore);
    int ten = 0;
    is >> ten;
    KIT_ASSERT(ten == 10 || !is);
}

void COsGame::ReadIOS(std::istream& is) {
    StartStandard();
    place = "IOS";
    long long stamp = 0;
    if (!(is >> stamp)) return;
    if (stamp != 0) SetDate(stamp);

    int kind = CGGResult::kUnknown;
    switch (GetNonBlank(is)) {
    case 'e': kind = CGGResult::kScore; break;
    case 'r': kind = CGGResult::kResigned; break;
    case 't': kind = CGGResult::kTimeout; break;
    default: break;
    }
    int discs[2] = {0, 0};
    is >> players[1].login >> discs[1];
    posStart.clocks[1].ReadOld(is);
    is >> players[0].login >> discs[0];
    posStart.clocks[0].ReadOld(is);
    posCurrent = posStart;

    int n;
    while (is >> n && n != 0) {
        KIT_ASSERT((n > 0) == posCurrent.board.fBlackMove);
        COsMove mv;
        mv.SetFromSquareNumber(n);
        PlayWithPass(mv);
    }
    result.score = static_cast<double>(discs[1]) - discs[0];
    if (result.kind != CGGResult::kOverOnBoard) result.kind = kind;
    KIT_ASSERT(result.kind != CGGResult::kScore || result.score == posCurrent.board.NetCount());
}

void COsGame::SetDate(long long seconds) {
    // Civil date from a count of days since 1970-01-01 (proleptic Gregorian calendar),
    // valid for every count of seconds a long long holds.
    long long days = seconds / 86400;
    long long rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        days--;
    }
    const long long z = days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2);

    char text[64];
    const int n = std::snprintf(text, sizeof text, "%lld-%02lld-%02lld %02lld:%02lld:%02lld GMT", year, month, day,
                                rest / 3600, rest / 60 % 60, rest % 60);
    // The text has room for 29 characters; a year too far off to fit leaves no date.
    date = n > 0 && n <= 29 ? text : "";
}

// ---------------------------------------------------------------- stream operators

std::istream& operator>>(std::istream& is, COsMove& mv) { mv.Read(is); return is; }
std::ostream& operator<<(std::ostream& os, const COsMove& mv) { mv.Write(os); return os; }
std::istream& operator>>(std::istream& is, COsBoardType& bt) { bt.Read(is); return is; }
std::ostream& operator<<(std::ostream& os, const COsBoardType& bt) { bt.Write(os); return os; }
std::istream& operator>>(std::istream& is, COsMatchType& mt) { mt.Read(is); return is; }
std::ostream& operator<<(std::ostream& os, const COsMatchType& mt) { mt.Write(os); return os; }
std::istream& operator>>(std::istream& is, COsRatingType& rt) { rt.Read(is); return is; }
std::ostream& operator<<(std::ostream& os, const COsRatingType& rt) { rt.Write(os); return os; }
std::istream& operator>>(std::istream& is, COsBoard& board) { board.ReadGGF(is); return is; }
std::ostream& operator<<(std::ostream& os, const COsBoard& board) { board.WriteGGF(os); return os; }
std::istream& operator>>(std::istream& is, COsGame& game) { game.ReadGGF(is); return is; }
std::ostream& operator<<(std::ostream& os, const COsGame& game) { game.WriteGGF(os); return os; }
