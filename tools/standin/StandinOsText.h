#pragma once
// Text helpers of the stand-in's "/os" service: words, ratings, players, the kit's values,
// match and clock texts as the service writes and reads them.

#include "OsObjects.h"

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace standintext {

inline std::vector<std::string> SplitWords(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

inline std::string RatingText(double value, double deviation)
{
    return std::to_string(std::lround(value)) + "@" + std::to_string(std::lround(deviation));
}

inline std::string PlayerText(const CGGPlayer& player)
{
    return std::to_string(std::lround(player.rating)) + " " + player.login;
}

// A value of the kit (result, move, game record...) in the text form the kit writes.
template <class T>
std::string Text(const T& value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

// A whole word as a match type; false for a text that is not one.
inline bool ReadType(const std::string& word, COsMatchType& type)
{
    std::istringstream in(word);
    type.Read(in);
    return !in.fail() && in.peek() == std::char_traits<char>::eof() && type.bt.size != 0;
}

// A whole word as a rating type (a board type, 'a' anti, 'r' random start).
inline bool ReadRatingType(const std::string& word, COsMatchType& type)
{
    if (!ReadType(word, type) || type.kind != '?')
        return false;
    type.nRandDiscs = 0;
    return true;
}

inline std::string RatingKey(const COsMatchType& type)
{
    COsRatingType key;
    key.bt = type.bt;
    key.fAnti = type.fAnti;
    key.fRand = type.fRand;
    return Text(key);
}

inline bool ReadClock(const std::string& word, CGGClock& clock)
{
    std::istringstream in(word);
    clock.Read(in);
    return !in.bad() && (in.eof() || in.peek() == std::char_traits<char>::eof()) && clock.timeLeft > 0;
}

} // namespace standintext
