#pragma once
// Builds a service message record the way the service object does.

#include <sstream>
#include <string>

// The stream stands after "/os <keyword> ", at the text given.
template <class T, class... Extra>
T Parse(const std::string& afterKeyword, Extra... extra)
{
    const std::string text = "/os kw " + afterKeyword;
    std::istringstream is(afterKeyword);
    return T(text, "/os", is, extra...);
}
