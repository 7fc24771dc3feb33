// The logins that the who window classes by name rather than by level.
#pragma once

#include <map>
#include <string>

// Login to class letter: '.' the server's own helper logins, 'p' programs, 'h' human
// players.
const std::map<std::string, char>& BuiltInKnownLogins();
