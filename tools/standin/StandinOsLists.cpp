// The "/os" service's watching, game comments and list replies.
#include "StandinOs.h"
#include "StandinOsText.h"

#include <algorithm>
#include <cmath>
#include <sstream>

using namespace standintext;

namespace {

constexpr int kTopLength = 10;
constexpr int kRankAround = 5;

} // namespace

// ---------------------------------------------------------------- watching and comments

void CStandinOs::Watch(const std::string& login, const Words& words)
{
    if (words.size() < 3) {
        std::ostringstream text;
        int count = 0;
        std::ostringstream list;
        for (const auto& [id, match] : matches)
            if (match.watchers.count(login)) {
                ++count;
                list << ' ' << id << " (" << match.watchers.size() << ')';
            }
        text << "watch " << count << " :" << list.str();
        Send(login, text.str());
        return;
    }
    const bool plus = words[1] == "+";
    const std::string& id = words[2];
    CStandinGame* game = nullptr;
    Match* match = FindGame(id, game);
    if (!match || (!plus && !match->watchers.count(login))) {
        Send(login, "watch " + words[1] + " " + id + " not found.");
        return;
    }
    const std::string notice = words[1] + " " + login + " watch " + match->id;
    if (plus) {
        match->watchers.insert(login);
        for (const auto& each : match->games)
            Send(login, "join " + each.id + " " + Text(each.record));
        ToMatch(*match, notice);
    } else {
        ToMatch(*match, notice);
        match->watchers.erase(login);
        Send(login, notice);
    }
}

void CStandinOs::Comment(const std::string& login, const std::string& id, const std::string& text)
{
    CStandinGame* game = nullptr;
    Match* match = FindGame(id, game);
    if (!match) {
        SendErr(login, "game " + id + " not found.");
        return;
    }
    const bool player = match->logins[0] == login || match->logins[1] == login;
    const std::string message =
        id + " " + (player ? '>' : '-') + " " + PlayerText(PlayerOf(login, match->type)) + ": " + text;
    std::set<std::string> to = Audience(*match);
    to.erase(login);
    for (const auto& each : to)
        Send(each, message);
}

// ---------------------------------------------------------------- lists

void CStandinOs::ListMatches(const std::string& login)
{
    std::ostringstream text;
    text << "match " << matches.size() << '/' << matches.size();
    for (const auto& [id, match] : matches)
        text << '\n' << MatchText(match) << ' ' << match.watchers.size();
    Send(login, text.str());
}

void CStandinOs::ListStored(const std::string& login)
{
    std::ostringstream text;
    int count = 0;
    std::ostringstream lines;
    for (const auto& entry : stored) {
        if (entry.logins[0] != login && entry.logins[1] != login)
            continue;
        ++count;
        lines << '\n' << entry.id << ' ' << entry.date << ' ' << entry.logins[0] << ' ' << entry.logins[1] << ' '
              << entry.type << " :l";
    }
    text << "stored " << count << ' ' << login << lines.str();
    Send(login, text.str());
}

void CStandinOs::ListHistory(const std::string& login, const std::string& whose)
{
    if (!IsKnown(whose)) {
        Send(login, "history ERR user '" + whose + "' not found.");
        return;
    }
    const auto found = histories.find(whose);
    const size_t count = found == histories.end() ? 0 : found->second.size();
    std::ostringstream text;
    text << "history " << count << ' ' << whose;
    if (found != histories.end())
        for (const auto& item : found->second)
            text << '\n' << item.id << ' ' << item.date << ' ' << PlayerText(item.players[0]) << ' '
                 << PlayerText(item.players[1]) << ' ' << item.result << ' ' << item.type;
    Send(login, text.str());
}

void CStandinOs::ListWho(const std::string& login, const Words& words)
{
    COsMatchType type;
    if (!ReadRatingType(words.size() > 1 ? words[1] : "8", type)) {
        SendErr(login, "board type");
        return;
    }
    std::ostringstream text;
    int count = 0;
    std::ostringstream lines;
    for (const auto& [each, user] : users) {
        if (each[0] == '/')
            continue;
        ++count;
        const Rating* rating = FindRating(each, RatingKey(type));
        lines << '\n' << each << " + ";
        if (rating)
            lines << RatingText(rating->value, rating->deviation) << " -> " << rating->won << ' ' << rating->drawn
                  << ' ' << rating->lost << " @ " << std::lround(rating->deviation);
        else
            lines << RatingText(Rating().value, Rating().deviation);
    }
    text << "who " << count << ' ' << RatingKey(type) << lines.str();
    Send(login, text.str());
}

std::string CStandinOs::RatingRecord(const Rating& rating, const std::string& key)
{
    std::ostringstream text;
    text << RatingText(rating.value, rating.deviation) << " = " << key << " + @ " << std::lround(rating.low) << ' '
         << std::lround(rating.high) << ' ' << rating.won << ' ' << rating.drawn << ' ' << rating.lost;
    return text.str();
}

void CStandinOs::ListRank(const std::string& login, const Words& words, bool top)
{
    COsMatchType type;
    if (!ReadRatingType(words.size() > 1 ? words[1] : "8", type)) {
        SendErr(login, "rank <type> [login]");
        return;
    }
    const std::string whose = !top && words.size() > 2 ? words[2] : login;
    const std::string key = RatingKey(type);
    std::vector<std::pair<std::string, Rating>> ranked;
    for (const auto& [each, byType] : ratings) {
        const auto found = byType.find(key);
        if (found != byType.end())
            ranked.emplace_back(each, found->second);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto& a, const auto& b) { return a.second.value > b.second.value; });
    const auto own = std::find_if(ranked.begin(), ranked.end(), [&](const auto& e) { return e.first == whose; });
    int from = 0;
    int to = std::min<int>(kTopLength, static_cast<int>(ranked.size()));
    if (!top && own != ranked.end()) {
        const int at = static_cast<int>(own - ranked.begin());
        from = std::max(0, at - kRankAround);
        to = std::min<int>(static_cast<int>(ranked.size()), at + kRankAround + 1);
    }
    const Rating head = own != ranked.end() ? own->second : Rating();
    std::ostringstream text;
    text << (top ? "top " : "rank ") << RatingText(head.value, head.deviation) << " of " << ranked.size()
         << " players in " << key << ' ' << (to - from);
    for (int i = from; i < to; ++i)
        text << '\n' << i + 1 << ' ' << ranked[i].first << ' ' << RatingRecord(ranked[i].second, key)
             << (ranked[i].first == whose ? " <=" : "");
    Send(login, text.str());
}

void CStandinOs::Finger(const std::string& login, const std::string& whose)
{
    if (!IsKnown(whose)) {
        SendErr(login, "user '" + whose + "' not found.");
        return;
    }
    std::ostringstream text;
    text << "finger " << whose << "\nlogin: " << whose;
    const auto user = users.find(whose);
    if (user != users.end()) {
        text << "\nlevel: " << user->second.level << "\nrated: " << (user->second.rated ? '+' : '-')
             << "\nopen: " << user->second.open;
    } else {
        text << "\nstate: away";
    }
    int playing = 0;
    for (const auto& [id, match] : matches)
        playing += match.logins[0] == whose || match.logins[1] == whose;
    text << "\nplaying: " << playing << "\nratings";
    const auto found = ratings.find(whose);
    if (found != ratings.end())
        for (const auto& [key, rating] : found->second)
            text << '\n' << key << ' ' << RatingRecord(rating, key);
    Send(login, text.str());
}

void CStandinOs::Look(const std::string& login, const std::string& id)
{
    std::vector<std::string> games;
    CStandinGame* game = nullptr;
    if (Match* match = FindGame(id, game)) {
        for (const auto& each : match->games)
            if (!game || &each == game)
                games.push_back(Text(each.record));
    } else if (finished.count(id)) {
        games.push_back(Text(finished[id]));
    } else {
        for (const char* suffix : {".0", ".1"})
            if (finished.count(id + suffix))
                games.push_back(Text(finished[id + suffix]));
    }
    if (games.empty()) {
        SendErr(login, "game " + id + " not found.");
        return;
    }
    std::string text = "look " + std::to_string(games.size());
    for (const auto& each : games)
        text += "\n" + each;
    Send(login, text);
}
