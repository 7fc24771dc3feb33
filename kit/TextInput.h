// Small helpers for the kit's readers: character tests that are safe on any byte and on
// end of input, peeks that never turn an end of input into a failure, and readers of
// words and numbers that work on the stream's buffer directly. The stream's own operators
// look the locale up or build a sentry on every call; the messages of a game call these
// for every character that matters, so they are made to do what the operators do with the
// classic locale, and no more.
#pragma once

#include <cstring>
#include <istream>
#include <string>
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
// White space as the streams' classic locale has it.
inline bool IsSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
inline bool IsAlpha(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsAlnum(int c) { return IsAlpha(c) || IsDigit(c); }
inline char ToUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
inline char ToLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

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
    // The stream's buffer when it is one of these, else null.
    static Buffer* TextOf(std::istream& is) {
        std::streambuf* buffer = is.rdbuf();
        return buffer && typeid(*buffer) == typeid(Buffer) ? static_cast<Buffer*>(buffer) : nullptr;
    }

private:
    Buffer buffer;
};

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
    if (CTextInput::Buffer* text = CTextInput::TextOf(is); text && is.good()) {
        const char* p = text->Next();
        const char* const end = text->End();
        while (p < end && IsSpace(*p)) ++p;
        const char* const begin = p;
        while (p < end && !IsSpace(*p)) ++p;
        text->Take(p);
        if (p == begin) {
            is.setstate(std::ios::eofbit | std::ios::failbit);
            return is;
        }
        word.assign(begin, p);
        if (p == end) is.setstate(std::ios::eofbit);
        is.width(0);
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

// Reads up to the delimiter as `std::getline(is, text, delimiter)` does (the delimiter taken
// and not kept; the text left as it was when the stream is not good).
inline std::istream& ReadUntil(std::istream& is, std::string& text, char delimiter) {
    if (!is.good()) {
        is.setstate(std::ios::failbit);
        return is;
    }
    if (CTextInput::Buffer* input = CTextInput::TextOf(is)) {
        const char* const begin = input->Next();
        const char* const end = input->End();
        const char* p = begin;
        while (p < end && *p != delimiter) ++p;
        text.assign(begin, p);
        if (p == end) {
            input->Take(p);
            is.setstate(p == begin ? std::ios::eofbit | std::ios::failbit : std::ios::eofbit);
        } else {
            input->Take(p + 1);
        }
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

// Takes one line as `std::getline(is, line)` does and gives its characters as a range: in
// the kit's own text stream the range lies in the text, in any other in `storage`. False
// when no line could be taken (the stream has failed).
inline bool ReadLine(std::istream& is, const char*& begin, const char*& end, std::string& storage) {
    CTextInput::Buffer* input = CTextInput::TextOf(is);
    if (!input || !is.good()) {
        ReadUntil(is, storage, '\n');
        begin = storage.data();
        end = begin + storage.size();
        return !is.fail();
    }
    begin = input->Next();
    const char* const last = input->End();
    end = static_cast<const char*>(std::memchr(begin, '\n', static_cast<size_t>(last - begin)));
    if (end) {
        input->Take(end + 1);
        return true;
    }
    end = last;
    input->Take(last);
    is.setstate(begin == last ? std::ios::eofbit | std::ios::failbit : std::ios::eofbit);
    return begin != last;
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

// Takes the next word of the characters from p to end, as `>>` into a string takes it from
// a stream of them (blanks skipped first); false, and the word left alone, when only
// blanks remain.
inline bool TakeWord(const char*& p, const char* end, std::string& word) {
    while (p < end && IsSpace(*p)) ++p;
    if (p == end) return false;
    const char* const begin = p;
    while (p < end && !IsSpace(*p)) ++p;
    word.assign(begin, p);
    return true;
}

// Takes the next non-blank character as `>>` into a char does; false when there is none.
inline bool TakeChar(const char*& p, const char* end, char& c) {
    while (p < end && IsSpace(*p)) ++p;
    if (p == end) return false;
    c = *p++;
    return true;
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
