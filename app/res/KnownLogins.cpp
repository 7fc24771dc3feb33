#include "KnownLogins.h"


namespace {

// The server's own helper logins (they sort last in the who list).
const char* const helpers[] = {
    "_admin", "_bugs", "_daemon", "_ggs", "_guest", "_help", "_log", "_mail",
    "_news", "_op", "_ratings", "_relay", "_robot", "_root", "_stats", "_tourney",
};

// Well-known programs.
const char* const programs[] = {
    "aldebara", "bill", "brutus", "cyrano", "eclipse", "edax", "hannibal", "herakles", "iago",
    "keyano", "kitty", "logistel", "ntest", "porky", "saio", "thor", "zebra",
};

// Well-known players.
const char* const players[] = {
    "brightwe", "caspard", "cerf", "feinstei", "inoue", "lazard", "maruoka", "murakami", "nagano",
    "nakajima", "nobukawa", "okamoto", "ralle", "rose", "seeley", "shaman", "sinigagl", "suekuni",
    "takahash", "takanash", "takizawa", "tamenori", "tanida", "taniguch", "tastet", "tominaga",
};

} // namespace

const std::map<std::string, char>& BuiltInKnownLogins()
{
    static const std::map<std::string, char> table = [] {
        std::map<std::string, char> logins;
        for (const char* login : helpers)
            logins.emplace(login, '.');
        for (const char* login : programs)
            logins.emplace(login, 'p');
        for (const char* login : players)
            logins.emplace(login, 'h');
        return logins;
    }();
    return table;
}
