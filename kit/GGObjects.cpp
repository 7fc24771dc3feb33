#include "GGObjects.h"

#include <atomic>
#include <climits>
#include <cmath>
#include <iomanip>
#include <sstream>

#include "KitAssert.h"
#include "TextInput.h"

using namespace textinput;

// ---------------------------------------------------------------- durations

namespace {

template <class In>
double DurationFrom(In& is) {
    static const double kUnit[4] = {1, 60, 3600, 86400};
    int parts[4];
    int n = 0;
    while (n < 4) {
        int value;
        if (!ReadInt(is, value)) break;
        parts[n++] = value;
        const int c = Peek(is);
        if (c != ':' && c != '.') break;
        is.get();
    }
    double seconds = 0;
    for (int i = 0; i < n; i++) seconds += parts[n - 1 - i] * kUnit[i];
    return seconds;
}

} // namespace

double ReadDuration(std::istream& is) {
    double seconds = 0;
    ThroughCursor(is, [&seconds](auto& in) { seconds = DurationFrom(in); });
    return seconds;
}

double ReadDuration(CCursor& in) { return DurationFrom(in); }

void WriteDuration(std::ostream& os, int seconds) {
    os.fill('0');
    const int minutes = seconds / 60;
    if (minutes < 60)
        os << minutes << ':' << std::setw(2) << seconds % 60;
    else
        os << minutes / 60 << ':' << std::setw(2) << minutes % 60 << ':' << std::setw(2) << seconds % 60;
    os.fill(' ');
}

// Whole seconds, truncated toward zero; values beyond an int are held at its limits.
static int WholeSeconds(double seconds) {
    if (std::isnan(seconds)) return 0;
    if (seconds >= INT_MAX) return INT_MAX;
    if (seconds <= INT_MIN) return INT_MIN;
    return static_cast<int>(seconds);
}

// ---------------------------------------------------------------- CGGClock

void CGGClock::Clear() {
    timeLeft = increment = extension = 0;
    state = kRunning;
}

void CGGClock::Read(std::istream& is) {
    ThroughCursor(is, [this](auto& in) { ReadFrom(in); });
}

void CGGClock::Read(CCursor& in) { ReadFrom(in); }

template <class In>
void CGGClock::ReadFrom(In& is) {
    Clear();
    timeLeft = ReadDuration(is);
    if (Accept(is, '/')) {
        if (Peek(is) != '/') increment = ReadDuration(is);
    }
    if (Accept(is, '/')) extension = ReadDuration(is);
}

void CGGClock::ReadOld(std::istream& is) {
    Expect(is, '(');
    double minutes = 0, seconds = 0, extensionMinutes = 0;
    is >> minutes >> seconds >> extensionMinutes;
    timeLeft = minutes * 60;
    increment = seconds;
    extension = extensionMinutes * 60;
    Expect(is, ')');
}

void CGGClock::Write(std::ostream& os) const {
    WriteDuration(os, WholeSeconds(timeLeft));
    os << '/';
    if (increment != 0) WriteDuration(os, WholeSeconds(increment));
    os << '/';
    WriteDuration(os, WholeSeconds(extension));
}

void CGGClock::Elapse(double seconds, bool addIncrement) {
    timeLeft -= seconds;
    if (timeLeft < 0) {
        if (state == kRunning) {
            timeLeft += extension;
            state = kInExtension;
        }
        if (timeLeft < 0) {
            timeLeft = 0;
            state = kOutOfTime;
        }
    }
    if (addIncrement && state < kOutOfTime) timeLeft += increment;
}

bool CGGClock::operator==(const CGGClock& b) const {
    return state == b.state && timeLeft == b.timeLeft && extension == b.extension && increment == b.increment;
}

bool CGGClock::operator<=(const CGGClock& b) const {
    return state <= b.state && timeLeft <= b.timeLeft && extension <= b.extension && increment <= b.increment;
}

bool CGGClock::operator>=(const CGGClock& b) const {
    return state >= b.state && timeLeft >= b.timeLeft && extension >= b.extension && increment >= b.increment;
}

bool CGGClock::EqualSeconds(const CGGClock& b) const {
    return state == b.state && std::trunc(timeLeft) == std::trunc(b.timeLeft) &&
           std::trunc(extension) == std::trunc(b.extension) && std::trunc(increment) == std::trunc(b.increment);
}

// ---------------------------------------------------------------- CGGResult

void CGGResult::Read(std::istream& is) {
    ThroughCursor(is, [this](auto& in) { ReadFrom(in); });
}

void CGGResult::Read(CCursor& in) { ReadFrom(in); }

template <class In>
void CGGResult::ReadFrom(In& is) {
    SkipBlanks(is);
    const int c = Peek(is);
    if (c == '?') {
        Set(0, kUnknown);
        return;
    }
    if (IsAlpha(c)) {
        std::string word;
        is >> word;
        Set(0, word == "aborted" ? kAborted : kAdjourned);
        return;
    }
    is >> score;
    kind = kScore;
    if (Accept(is, ':')) {
        switch (is.get()) {
        case 'l': kind = kAdjourned; break;
        case 'r': kind = kResigned; break;
        case 't': kind = kTimeout; break;
        default: break;
        }
    }
}

void CGGResult::Write(std::ostream& os) const {
    if (kind >= kUnknown && kind <= kAborted) {
        os << '?';
    } else if (HasScore()) {
        os << score;
        if (kind == kTimeout) os << ":t";
        if (kind == kResigned) os << ":r";
    }
}

// ---------------------------------------------------------------- players and ratings

void CGGPlayer::Read(std::istream& is) {
    ThroughCursor(is, [this](auto& in) { ReadWord(ReadDouble(in, rating), login); });
}

void CGGPlayer::Read(CCursor& in) { ReadWord(ReadDouble(in, rating), login); }

void CGGPlayer::Clear() {
    login.clear();
    rating = 0;
}

void CGGRatingValue::Read(std::istream& is) {
    ReadDouble(is, value);
    Expect(is, '@');
    ReadDouble(is, deviation);
}

void CGGRatingValue::Write(std::ostream& os) const {
    const std::ios::fmtflags flags = os.flags();
    const std::streamsize precision = os.precision();
    os << std::fixed << std::setprecision(0) << std::setw(4) << value << '@' << std::setw(3) << deviation;
    os.flags(flags);
    os.precision(precision);
}

double CGGRatingValue::Adjusted() const { return value - deviation * (172.0 / 35.0); }

void CGGRating::Read(std::istream& is) {
    rating.Read(is);
    Expect(is, '=');
    if (!is.good()) return;
    std::getline(is, text, '+');
    Expect(is, '@');
    is >> extra[0] >> extra[1] >> won >> drawn >> lost;
}

void CGGRankData::Read(std::istream& is) {
    std::string line;
    if (!std::getline(is, line) || line.empty()) return;
    std::istringstream ls(line);
    ls >> rank >> login;
    rating.Read(ls);
    if (ls.fail()) {
        is.setstate(std::ios::failbit);
        return;
    }
    std::string word;
    ls >> word;
    fMarked = word == "<=";
}

void CGGWhoItem::Read(std::istream& is) {
    const char* begin = nullptr;
    const char* end = nullptr;
    std::string line;
    if (!ReadLine(is, begin, end, line) || begin == end) return;
    // One stream per thread reads every line: making a stream is dear.
    thread_local CTextInput ls;
    ls.Reset(begin, end);
    ReadWord(ls, login);
    Expect(ls, '+');
    rating.Read(ls);
    if (ls.fail()) {
        is.setstate(std::ios::failbit);
        return;
    }
    std::string arrow;
    if (!ReadWord(ls, arrow)) {
        fNoStats = true;
        return;
    }
    fNoStats = false;
    KIT_ASSERT(arrow == "->");
    ReadDouble(ReadDouble(ReadDouble(ls, won), drawn), lost);
    Expect(ls, '@');
    ReadDouble(ls, deviation2);
    if (ls.fail()) is.setstate(std::ios::failbit);
}

bool CGGWhoItem::operator<(const CGGWhoItem& b) const {
    const double a1 = rating.Adjusted(), a2 = b.rating.Adjusted();
    if (a1 != a2) return a1 < a2;
    return login < b.login;
}

// ---------------------------------------------------------------- CGGDate

void CGGDate::Read(std::istream& is) {
    if (!(is >> day)) return;
    if (!(is >> month)) return;
    if (!(is >> year)) return;
    is >> time;
}

std::string CGGDate::Text() const {
    std::ostringstream os;
    os << std::setw(4) << std::setfill(' ') << year << '-' << month << '-' << day << ' ' << time;
    return os.str();
}

unsigned long long NextArrivalNumber() {
    static std::atomic<unsigned long long> next{0};
    return ++next;
}

// ---------------------------------------------------------------- CGGSquare

void CGGSquare::Read(std::istream& is) {
    char c = 0;
    if (!(is >> c)) return;
    col = static_cast<std::uint8_t>(ToUpper(c) - 'A');
    int n = 0;
    is >> n;
    row = static_cast<std::uint8_t>(static_cast<long long>(n) - 1);
}

void CGGSquare::Write(std::ostream& os) const { os << char('A' + col) << row + 1; }

// ---------------------------------------------------------------- stream operators

std::istream& operator>>(std::istream& is, CGGClock& clock) { clock.Read(is); return is; }
std::ostream& operator<<(std::ostream& os, const CGGClock& clock) { clock.Write(os); return os; }
std::istream& operator>>(std::istream& is, CGGResult& result) { result.Read(is); return is; }
std::ostream& operator<<(std::ostream& os, const CGGResult& result) { result.Write(os); return os; }
std::istream& operator>>(std::istream& is, CGGPlayer& player) { player.Read(is); return is; }
std::istream& operator>>(std::istream& is, CGGRatingValue& rating) { rating.Read(is); return is; }
std::ostream& operator<<(std::ostream& os, const CGGRatingValue& rating) { rating.Write(os); return os; }
std::istream& operator>>(std::istream& is, CGGRating& rating) { rating.Read(is); return is; }
std::istream& operator>>(std::istream& is, CGGRankData& rank) { rank.Read(is); return is; }
std::istream& operator>>(std::istream& is, CGGWhoItem& who) { who.Read(is); return is; }
std::istream& operator>>(std::istream& is, CGGDate& date) { date.Read(is); return is; }
std::istream& operator>>(std::istream& is, CGGSquare& square) { square.Read(is); return is; }
std::ostream& operator<<(std::ostream& os, const CGGSquare& square) { square.Write(os); return os; }
