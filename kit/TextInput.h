// Small helpers for the kit's readers: character tests that are safe on any byte and on
// end of input, peeks that never turn an end of input into a failure, and readers of
// words and numbers that work on the stream's buffer directly. The stream's own operators
// look the locale up or build a sentry on every call; the messages of a game call these
// for every character that matters, so they are made to do what the operators do with the
// classic locale, and no more.
//
// The records that a busy connection reads most (moves, clocks, players, match types,
// boards, games, matches) have readers written once for two sources: any input stream,
// and a cursor over a text with the state that a stream over it would have. They read the
// kit's own text stream through a cursor: the same characters taken, the same values and
// the same state in the end, without a stream's calls for every character.
#pragma once

#include <cstring>
#include <istream>
#include <string>
#include <string_view>
#include <typeinfo>

#include "KitAssert.h"

namespace textinput {

// The next character, or EOF when the stream is not good (then nothing is changed). At the
// end of the input the end state is set, as by `is.peek()`.
inline int Peek(std::istream& is) {
    if (!is.good()) return std::char_traits<char>::eof();
    const int c = is.rdbuf()->sgetc();
    if (c == std::char_traits<char>::eof()) is.setstate(std::ios::eofbit);
    return c;
}

inline bool IsDigit(int c) { return c >= '0' && c <= '9'; }
// White space as the streams' classic locale has it. Most characters lie above the blank,
// which one comparison tells.
inline bool IsSpace(int c) { return c <= ' ' && (c == ' ' || (c >= '\t' && c <= '\r')); }
inline bool IsAlpha(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsAlnum(int c) { return IsAlpha(c) || IsDigit(c); }
inline char ToUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
inline char ToLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// A reading position in a text, with the state that a stream over the text would have
// there. The text must outlive the reading.
class CCursor {
public:
    CCursor(const char* begin, const char* end, std::ios::iostate state = std::ios::goodbit)
        : p(begin), end(end), state(state) {}

    bool good() const { return state == std::ios::goodbit; }
    bool eof() const { return (state & std::ios::eofbit) != 0; }
    bool fail() const { return (state & (std::ios::failbit | std::ios::badbit)) != 0; }
    bool bad() const { return (state & std::ios::badbit) != 0; }
    explicit operator bool() const { return !fail(); }
    bool operator!() const { return fail(); }
    std::ios::iostate rdstate() const { return state; }
    void setstate(std::ios::iostate bits) { state |= bits; }
    void clear(std::ios::iostate bits = std::ios::goodbit) { state = bits; }
    // As a stream's get(): the next character; at the end, or when the cursor is not good,
    // EOF and the failed state.
    int get() {
        if (!good()) {
            state |= std::ios::failbit;
            return std::char_traits<char>::eof();
        }
        if (p == end) {
            state |= std::ios::eofbit | std::ios::failbit;
            return std::char_traits<char>::eof();
        }
        return static_cast<unsigned char>(*p++);
    }

    const char* p;
    const char* end;
    std::ios::iostate state;
};

// An input stream over a text that it does not copy; the text must outlive the reading.
// Made to be used again: Reset points it at another text and forgets the last reading.
class CTextInput : public std::istream {
public:
    CTextInput() : std::istream(&buffer) {}
    CTextInput(const CTextInput&) = delete;
    CTextInput& operator=(const CTextInput&) = delete;

    void Reset(const std::string& text) { Reset(text.data(), text.data() + text.size()); }
    // The characters from begin to end, which must outlive the reading.
    void Reset(const char* begin, const char* end) {
        buffer.Set(begin, end);
        clear();
        flags(std::ios::skipws | std::ios::dec);
        width(0);
        precision(6);
    }

    // The text not read yet is at hand here: the readers below take a word or a value whole
    // rather than one character at a time when they read one of these streams.
    class Buffer : public std::streambuf {
    public:
        void Set(const char* begin, const char* end) {
            // Never written through: a put-back of another character fails.
            char* const first = const_cast<char*>(begin);
            setg(first, first, first + (end - begin));
        }
        const char* Next() const { return gptr(); }
        const char* End() const { return egptr(); }
        void Take(const char* to) { setg(eback(), const_cast<char*>(to), egptr()); }

    protected:
        // Positions within the text, so that a reader can tell whether it moved on.
        pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode which) override {
            const off_type size = egptr() - eback();
            const off_type from = dir == std::ios::beg ? 0 : dir == std::ios::cur ? gptr() - eback() : size;
            if (!(which & std::ios::in) || off < -from || off > size - from) return pos_type(off_type(-1));
            setg(eback(), eback() + from + off, egptr());
            return pos_type(from + off);
        }
        pos_type seekpos(pos_type pos, std::ios::openmode which) override {
            return seekoff(off_type(pos), std::ios::beg, which);
        }
    };
    Buffer& Text() { return buffer; }
    // The stream's buffer when it is one of these, else null.
    static Buffer* TextOf(std::istream& is) {
        std::streambuf* buffer = is.rdbuf();
        return buffer && typeid(*buffer) == typeid(Buffer) ? static_cast<Buffer*>(buffer) : nullptr;
    }

private:
    Buffer buffer;
};

// Reads from a cursor over the text of the kit's own stream, then leaves the stream
// where the cursor ended and with its state.
template <class Read>
void ReadText(std::istream& is, CTextInput::Buffer& text, Read read) {
    CCursor in(text.Next(), text.End(), is.rdstate());
    read(in);
    text.Take(in.p);
    if (in.state != is.rdstate()) is.clear(in.state);
}

// Runs read(in) on a cursor when the stream is the kit's own text stream, else on the
// stream itself: a reader written for both sources.
template <class Read>
void ThroughCursor(std::istream& is, Read read) {
    if (CTextInput::Buffer* text = CTextInput::TextOf(is))
        ReadText(is, *text, read);
    else
        read(is);
}

// ---------------------------------------------------------------- on a cursor

inline int Peek(CCursor& in) {
    if (!in.good()) return std::char_traits<char>::eof();
    if (in.p == in.end) {
        in.state |= std::ios::eofbit;
        return std::char_traits<char>::eof();
    }
    return static_cast<unsigned char>(*in.p);
}

inline void SkipBlanks(CCursor& in) {
    if (!in.good()) return;
    const char* p = in.p;
    while (p < in.end && IsSpace(*p)) ++p;
    in.p = p;
    if (p == in.end) in.state |= std::ios::eofbit;
}

// Takes one word as ReadWord below does, given as a range of the cursor's text; empty
// when there is none.
inline std::string_view ReadWordView(CCursor& in) {
    if (!in.good()) {
        in.state |= std::ios::failbit;
        return std::string_view();
    }
    const char* p = in.p;
    while (p < in.end && IsSpace(*p)) ++p;
    const char* const begin = p;
    while (p < in.end && !IsSpace(*p)) ++p;
    in.p = p;
    if (p == begin) {
        in.state |= std::ios::eofbit | std::ios::failbit;
        return std::string_view();
    }
    if (p == in.end) in.state |= std::ios::eofbit;
    return std::string_view(begin, static_cast<size_t>(p - begin));
}

inline CCursor& ReadWord(CCursor& in, std::string& word) {
    const std::string_view taken = ReadWordView(in);
    if (!taken.empty()) word.assign(taken);
    return in;
}

// As ReadUntil below, with the text given as a range of the cursor's text; an empty one
// when the cursor is not good.
inline std::string_view ReadUntilView(CCursor& in, char delimiter) {
    if (!in.good()) {
        in.state |= std::ios::failbit;
        return std::string_view();
    }
    const char* const begin = in.p;
    const void* found = std::memchr(begin, delimiter, static_cast<size_t>(in.end - begin));
    const char* const p = found ? static_cast<const char*>(found) : in.end;
    const std::string_view text(begin, static_cast<size_t>(p - begin));
    if (p == in.end) {
        in.p = p;
        in.state |= p == begin ? std::ios::eofbit | std::ios::failbit : std::ios::eofbit;
    } else {
        in.p = p + 1;
    }
    return text;
}

inline CCursor& ReadUntil(CCursor& in, std::string& text, char delimiter) {
    if (!in.good()) {
        in.state |= std::ios::failbit;
        return in;
    }
    text.assign(ReadUntilView(in, delimiter));
    return in;
}

inline CCursor& ReadChar(CCursor& in, char& c) {
    SkipBlanks(in);
    if (in.good())
        c = *in.p++;
    else
        in.state |= std::ios::failbit;
    return in;
}

inline char GetNonBlank(CCursor& in) {
    char c = '\0';
    ReadChar(in, c);
    return c;
}

namespace detail {

// The characters of a number under a cursor, for the readers of numbers, which are written
// once over these and over a stream buffer's characters.
class CNumberCursor {
public:
    explicit CNumberCursor(CCursor& in) : in(in), p(in.p) {}
    int Get() const { return p < in.end ? static_cast<unsigned char>(*p) : std::char_traits<char>::eof(); }
    void Next() { ++p; }
    void Finish() { in.p = p; }
    const char* Position() const { return p; }

private:
    CCursor& in;
    const char* p;
};

// Reads an int as `>>` does from its first character on; returns the state it adds.
template <class Cursor>
std::ios::iostate ReadIntFrom(Cursor& in, int& value) {
    int c = in.Get();
    const bool negative = c == '-';
    if (c == '-' || c == '+') {
        in.Next();
        c = in.Get();
    }
    // A number beyond an int fails and gives the int's limit on its side.
    const unsigned long long most = negative ? 2147483648ULL : 2147483647ULL;
    unsigned long long result = 0;
    bool digits = false;
    bool overflow = false;
    while (IsDigit(c)) {
        digits = true;
        result = result * 10 + static_cast<unsigned>(c - '0');
        if (result > most) {
            overflow = true;
            result = most;
        }
        in.Next();
        c = in.Get();
    }
    in.Finish();
    std::ios::iostate state = c == std::char_traits<char>::eof() ? std::ios::eofbit : std::ios::goodbit;
    if (!digits) {
        value = 0;
        state |= std::ios::failbit;
    } else {
        if (overflow) state |= std::ios::failbit;
        value = negative ? static_cast<int>(-static_cast<long long>(result)) : static_cast<int>(result);
    }
    return state;
}

// Any number from the cursor's next character on, an exponent or many digits included.
void ReadAnyDouble(CCursor& in, double& value);

// The powers of ten that are exact as doubles, for the readers of the usual number: an
// integer of up to 15 digits and one of these, both exact, so that the one rounding of
// their quotient gives the nearest double, as the library's conversion does.
inline constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

}  // namespace detail

inline CCursor& ReadInt(CCursor& in, int& value) {
    SkipBlanks(in);
    if (!in.good()) {
        in.state |= std::ios::failbit;
        return in;
    }
    detail::CNumberCursor number(in);
    in.state |= detail::ReadIntFrom(number, value);
    return in;
}

// The usual number (a sign, up to 15 digits with a decimal point among them, no exponent)
// is read here; any other by the general reader, which takes it as `>>` takes it.
inline CCursor& ReadDouble(CCursor& in, double& value) {
    SkipBlanks(in);
    if (!in.good()) {
        in.state |= std::ios::failbit;
        return in;
    }
    const char* p = in.p;
    const char* const end = in.end;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    // The digits before the point, then those after it.
    unsigned long long digits = 0;
    const char* const whole = p;
    while (p < end && IsDigit(*p)) digits = digits * 10 + static_cast<unsigned>(*p++ - '0');
    long count = p - whole;
    int decimals = 0;
    if (p < end && *p == '.') {
        const char* const fraction = ++p;
        while (p < end && IsDigit(*p)) digits = digits * 10 + static_cast<unsigned>(*p++ - '0');
        decimals = static_cast<int>(p - fraction);
        count += decimals;
    }
    if (count == 0 || count > 15 || (p < end && (*p == 'e' || *p == 'E'))) {
        detail::ReadAnyDouble(in, value);
        return in;
    }
    const double number = static_cast<double>(static_cast<long long>(digits)) / detail::kPowersOfTen[decimals];
    value = negative ? -number : number;
    in.p = p;
    if (p == in.end) in.state |= std::ios::eofbit;
    return in;
}

inline void Expect(CCursor& in, char expected) {
    const char c = GetNonBlank(in);
    KIT_ASSERT(c == expected || !in);
    (void)c;
    (void)expected;
}

inline bool Accept(CCursor& in, char c) {
    if (Peek(in) != static_cast<unsigned char>(c)) return false;
    ++in.p;
    return true;
}

// The standard extractions that the readers use, with what a stream over the text gives.
inline CCursor& operator>>(CCursor& in, int& value) { return ReadInt(in, value); }
inline CCursor& operator>>(CCursor& in, double& value) { return ReadDouble(in, value); }
inline CCursor& operator>>(CCursor& in, std::string& word) { return ReadWord(in, word); }
inline CCursor& operator>>(CCursor& in, char& c) { return ReadChar(in, c); }

// ---------------------------------------------------------------- on a stream

// Skips white space; an end of input sets only the end state.
inline void SkipBlanks(std::istream& is) {
    if (!is.good()) return;
    std::streambuf* buffer = is.rdbuf();
    int c = buffer->sgetc();
    while (c != std::char_traits<char>::eof() && IsSpace(c)) c = buffer->snextc();
    if (c == std::char_traits<char>::eof()) is.setstate(std::ios::eofbit);
}

// Reads one word as `is >> word` does (blanks skipped first, the word left as it was when
// there is none).
inline std::istream& ReadWord(std::istream& is, std::string& word) {
    if (CTextInput::Buffer* text = CTextInput::TextOf(is)) {
        ReadText(is, *text, [&word](CCursor& in) { ReadWord(in, word); });
        if (!is.fail()) is.width(0);
        return is;
    }
    SkipBlanks(is);
    if (!is.good()) {
        is.setstate(std::ios::failbit);
        return is;
    }
    word.clear();
    std::streambuf* buffer = is.rdbuf();
    int c = buffer->sgetc();
    do {
        word += static_cast<char>(c);
        c = buffer->snextc();
    } while (c != std::char_traits<char>::eof() && !IsSpace(c));
    if (c == std::char_traits<char>::eof()) is.setstate(std::ios::eofbit);
    is.width(0);
    return is;
}

// Reads one word as ReadWord does and gives it as a range: in the kit's own text stream
// the range lies in the text, in any other in `storage`; empty when there is none.
inline std::string_view ReadWordView(std::istream& is, std::string& storage) {
    if (CTextInput::Buffer* text = CTextInput::TextOf(is)) {
        std::string_view word;
        ReadText(is, *text, [&word](CCursor& in) { word = ReadWordView(in); });
        return word;
    }
    storage.clear();
    ReadWord(is, storage);
    return storage;
}

// Reads up to the delimiter as `std::getline(is, text, delimiter)` does (the delimiter taken
// and not kept; the text left as it was when the stream is not good).
inline std::istream& ReadUntil(std::istream& is, std::string& text, char delimiter) {
    if (CTextInput::Buffer* input = CTextInput::TextOf(is)) {
        ReadText(is, *input, [&](CCursor& in) { ReadUntil(in, text, delimiter); });
        return is;
    }
    if (!is.good()) {
        is.setstate(std::ios::failbit);
        return is;
    }
    text.clear();
    std::streambuf* buffer = is.rdbuf();
    bool extracted = false;
    int c = buffer->sgetc();
    while (c != std::char_traits<char>::eof() && c != static_cast<unsigned char>(delimiter)) {
        text += static_cast<char>(c);
        extracted = true;
        c = buffer->snextc();
    }
    std::ios::iostate state = std::ios::goodbit;
    if (c == std::char_traits<char>::eof()) {
        state |= std::ios::eofbit;
    } else {
        buffer->sbumpc();
        extracted = true;
    }
    if (!extracted) state |= std::ios::failbit;
    if (state != std::ios::goodbit) is.setstate(state);
    return is;
}

// ReadUntil into `storage`, given as a range; the same for a cursor's reader written for
// both sources.
inline std::string_view ReadUntilView(std::istream& is, char delimiter, std::string& storage) {
    storage.clear();
    ReadUntil(is, storage, delimiter);
    return storage;
}

inline std::string_view ReadUntilView(CCursor& in, char delimiter, std::string&) {
    return ReadUntilView(in, delimiter);
}

inline std::string_view ReadWordView(CCursor& in, std::string&) { return ReadWordView(in); }

// Takes one line as `std::getline(is, line)` does and gives its characters as a range: in
// the kit's own text stream the range lies in the text, in any other in `storage`. False
// when no line could be taken (the stream has failed).
inline bool ReadLine(std::istream& is, const char*& begin, const char*& end, std::string& storage) {
    std::string_view line;
    if (CTextInput::Buffer* input = CTextInput::TextOf(is))
        ReadText(is, *input, [&line](CCursor& in) { line = ReadUntilView(in, '\n'); });
    else
        line = ReadUntilView(is, '\n', storage);
    begin = line.data();
    end = begin + line.size();
    return !is.fail();
}

// The lines from begin to end (a last one without its line end counts), up to most.
inline size_t CountLines(const char* begin, const char* end, size_t most) {
    size_t lines = 0;
    for (const char* p = begin; p < end && lines < most; ++lines) {
        p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        if (!p) return lines + 1;
        ++p;
    }
    return lines;
}

// Reads one non-blank character as `is >> c` does (c left as it was when there is none).
inline std::istream& ReadChar(std::istream& is, char& c) {
    SkipBlanks(is);
    if (is.good())
        c = static_cast<char>(is.rdbuf()->sbumpc());
    else
        is.setstate(std::ios::failbit);
    return is;
}

// Takes the next non-blank character; '\0' when there is none (the stream then fails).
inline char GetNonBlank(std::istream& is) {
    char c = '\0';
    ReadChar(is, c);
    return c;
}

// Read a number as `is >> value` does in decimal (the same characters taken, the same value
// and stream state, the value left alone when only blanks remain).
std::istream& ReadInt(std::istream& is, int& value);
std::istream& ReadDouble(std::istream& is, double& value);

// Takes the next non-blank character, which the text is expected to hold at this place;
// another character is taken all the same.
inline void Expect(std::istream& is, char expected) {
    const char c = GetNonBlank(is);
    KIT_ASSERT(c == expected || !is);
    (void)c;
    (void)expected;
}

// Takes the next character when it is c.
inline bool Accept(std::istream& is, char c) {
    if (Peek(is) != static_cast<unsigned char>(c)) return false;
    is.rdbuf()->sbumpc();
    return true;
}

}  // namespace textinput
