// Helpers of the kit tests: read a value from a text, write a value to a text.
#pragma once

#include <sstream>
#include <string>

#include "OsObjects.h"

template <class T>
T ReadFrom(const std::string& text, bool* failed = nullptr) {
    T value;
    std::istringstream is(text);
    is >> value;
    if (failed) *failed = is.fail();
    return value;
}

template <class T>
std::string Text(const T& value) {
    std::ostringstream os;
    os << value;
    return os.str();
}

// The standard 8x8 start position as a GGF board value.
const std::string kStart8 =
    "8 " + std::string(27, '-') + "O*" + std::string(6, '-') + "*O" + std::string(27, '-') + " *";

inline COsBoardType Type(int size, bool octagon = false) {
    COsBoardType bt;
    bt.size = size;
    bt.fOctagon = octagon;
    return bt;
}
