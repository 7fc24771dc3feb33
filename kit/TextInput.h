// Small helpers for the kit's readers: character tests that are safe on any byte and on
// end of input, and peeks that never turn an end of input into a failure.
#pragma once

#include <cctype>
#include <istream>
#include <string>

#include "KitAssert.h"

namespace textinput {

// The next character, or EOF when the stream is not good (then nothing is changed).
inline int Peek(std::istream& is) { return is.good() ? is.peek() : std::char_traits<char>::eof(); }

inline bool IsDigit(int c) { return c >= '0' && c <= '9'; }
inline bool IsAlpha(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool IsAlnum(int c) { return IsAlpha(c) || IsDigit(c); }
inline char ToUpper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }
inline char ToLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Skips white space; an end of input sets only the end state.
inline void SkipBlanks(std::istream& is) {
    if (is.good()) is >> std::ws;
}

// Takes the next non-blank character; '\0' when there is none (the stream then fails).
inline char GetNonBlank(std::istream& is) {
    char c = '\0';
    is >> c;
    return c;
}

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
    is.get();
    return true;
}

}  // namespace textinput
