#include "StandinGGS.h"

#include <sstream>

const char* const CStandinGGS::kService = "/os";

namespace {

std::string Trim(const std::string& text)
{
    const size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return std::string();
    return text.substr(begin, text.find_last_not_of(" \t") + 1 - begin);
}

// The first word, and the rest after the blanks that follow it.
void SplitFirst(const std::string& text, std::string& word, std::string& rest)
{
    const std::string trimmed = Trim(text);
    const size_t end = trimmed.find_first_of(" \t");
    word = trimmed.substr(0, end);
    rest = end == std::string::npos ? std::string() : Trim(trimmed.substr(end));
}

std::string Duration(double seconds)
{
    std::ostringstream text;
    WriteDuration(text, static_cast<int>(seconds < 0 ? 0 : seconds));
    return text.str();
}

char ClassLetter(const std::string& login, int level)
{
    if (login[0] == '/')
        return 's';
    return level >= 2 ? 'a' : level == 1 ? '+' : '-';
}

} // namespace

CStandinGGS::CStandinGGS(Output out, Closer close)
    : output([this, out = std::move(out)](int connection, const std::string& bytes) {
          if (out(connection, bytes))
              return;
          const auto session = sessions.find(connection);
          if (session != sessions.end())
              session->second.full = true;
      }),
      closer(std::move(close)),
      os([this](const std::string& login, const std::string& message) {
          const auto found = connections.find(login);
          if (found != connections.end())
              output(found->second, Wire(kService, message));
      })
{
}

std::string CStandinGGS::Wire(const std::string& from, const std::string& text)
{
    std::string wire = from + ": ";
    for (char c : text) {
        wire += c;
        if (c == '\n')
            wire += '|';
    }
    return wire + "\nREADY\n";
}

void CStandinGGS::ServerMessage(int connection, const std::string& text)
{
    output(connection, Wire("", text));
}

int CStandinGGS::LevelOf(const std::string& login) const
{
    if (login == kService)
        return kServiceLevel;
    const auto found = connections.find(login);
    return found == connections.end() ? -1 : sessions.at(found->second).level;
}

// ---------------------------------------------------------------- logging in and out

void CStandinGGS::Login(int connection, const std::string& login, int level, double now)
{
    const auto previous = connections.find(login);
    if (previous != connections.end()) {
        const int old = previous->second;
        Logout(old, now);
        closer(old);
    }
    if (started < 0)
        started = now;
    Session& session = sessions[connection];
    session.login = login;
    session.level = level;
    session.since = session.lastCommand = now;
    connections[login] = connection;
    seen.insert(login);
    os.Arrive(login, level);
    for (auto& [other, each] : sessions)
        if (other != connection && (each.notifyAll || each.notifyOf.count(login)))
            Report(other, each, login);
}

void CStandinGGS::Logout(int connection, double now)
{
    const auto found = sessions.find(connection);
    if (found == sessions.end())
        return;
    const std::string login = found->second.login;
    const int level = found->second.level;
    sessions.erase(found);
    connections.erase(login);
    os.Leave(login, now);
    for (auto& [other, each] : sessions)
        if (each.reported.erase(login))
            ServerMessage(other, "- " + login + " " + std::to_string(level));
}

void CStandinGGS::Report(int connection, Session& session, const std::string& login)
{
    const int level = LevelOf(login);
    if (level < 0 || !session.reported.insert(login).second)
        return;
    ServerMessage(connection, "+ " + login + " " + std::to_string(level));
}

// "notify + *", "notify + login", and the same with "-": the present logins asked for that
// were not reported yet are reported at once.
void CStandinGGS::Notify(int connection, Session& session, const std::string& rest)
{
    std::string sign, who;
    SplitFirst(rest, sign, who);
    if ((sign != "+" && sign != "-") || who.empty()) {
        ServerMessage(connection, "ERR notify +|- <login>|*");
        return;
    }
    if (sign == "-") {
        if (who == "*")
            session.notifyAll = false;
        else
            session.notifyOf.erase(who);
        return;
    }
    if (who == "*") {
        session.notifyAll = true;
        Report(connection, session, kService);
        for (const auto& entry : connections)
            Report(connection, session, entry.first);
    } else {
        session.notifyOf.insert(who);
        Report(connection, session, who);
    }
}

// ---------------------------------------------------------------- commands

void CStandinGGS::Command(int connection, const std::string& line, double now)
{
    const auto found = sessions.find(connection);
    if (found == sessions.end())
        return;
    Session& session = found->second;
    while (session.aliasNext != std::string::npos)
        RunAliasCommand(session, connection, now);
    session.lastCommand = now;
    Run(session, connection, line, now, true);
}

bool CStandinGGS::AliasRunning(int connection) const
{
    const auto found = sessions.find(connection);
    return found != sessions.end() && found->second.aliasNext != std::string::npos;
}

bool CStandinGGS::AliasesRunning() const
{
    for (const auto& entry : sessions)
        if (entry.second.aliasNext != std::string::npos)
            return true;
    return false;
}

void CStandinGGS::RunAliases(double now)
{
    for (auto& [connection, session] : sessions)
        if (session.aliasNext != std::string::npos)
            RunAliasCommand(session, connection, now);
}

// An alias's commands stop once the connection takes no more of their output.
void CStandinGGS::RunAliasCommand(Session& session, int connection, double now)
{
    if (!session.full) {
        const size_t begin = session.aliasNext;
        size_t end = session.alias.find(';', begin);
        if (end == std::string::npos)
            end = session.alias.size();
        session.aliasNext = end + 1;
        Run(session, connection, session.alias.substr(begin, end - begin), now, false);
    }
    if (session.full || session.aliasNext > session.alias.size()) {
        session.aliasNext = std::string::npos;
        session.alias = std::string();
    }
}

void CStandinGGS::Run(Session& session, int connection, const std::string& line, double now, bool expand)
{
    std::string word, rest;
    SplitFirst(line, word, rest);
    if (word.empty())
        return;
    const auto& own = aliases[session.login];
    const auto alias = own.find(word);
    if (expand && alias != own.end()) {
        // One level of expansion: an alias names commands, not further aliases. Its text is
        // kept as it is now, for one of its commands may change or delete it.
        session.alias = alias->second;
        session.aliasNext = 0;
        return;
    }
    if (word == "quit") {
        closer(connection);
    } else if (word == "ve") {
        // The client's version acknowledgement needs no answer.
    } else if (word == "notify") {
        Notify(connection, session, rest);
    } else if (word == "who") {
        Who(connection, now);
    } else if (word == "t" || word == "tell") {
        std::string to, text;
        SplitFirst(rest, to, text);
        Tell(connection, session, to, text, now);
    } else if (word == "c") {
        std::string sign, channel;
        SplitFirst(rest, sign, channel);
        if ((sign != "+" && sign != "-") || channel.size() < 2 || channel[0] != '.')
            ServerMessage(connection, "ERR c +|- .<channel>");
        else if (sign == "+")
            session.channels.insert(channel);
        else
            session.channels.erase(channel);
    } else if (word == "f" || word == "finger") {
        Finger(connection, rest.empty() ? session.login : rest.substr(0, rest.find(' ')), now);
    } else if (word == "alias") {
        Alias(connection, session, rest);
    } else {
        ServerMessage(connection, "ERR command '" + word + "' not recognized.");
    }
}

void CStandinGGS::Tell(int connection, Session& session, const std::string& to, const std::string& text,
                       double now)
{
    if (to == kService) {
        os.Command(session.login, text, now);
        return;
    }
    if (!to.empty() && to[0] == '.') {
        for (const auto& [other, each] : sessions)
            if (other != connection && each.channels.count(to))
                output(other, Wire(to + " " + session.login, text));
        return;
    }
    const auto found = connections.find(to);
    if (found == connections.end()) {
        ServerMessage(connection, "ERR user '" + to + "' not found.");
        return;
    }
    output(found->second, Wire(session.login, text));
}

// One line per user: login, class letter, idle and online times, two words not used.
void CStandinGGS::Who(int connection, double now)
{
    std::ostringstream text;
    text << "who " << connections.size() + 1;
    text << '\n' << kService << " s 0:00 " << Duration(now - started) << " - -";
    for (const auto& [login, other] : connections) {
        const Session& each = sessions.at(other);
        text << '\n' << login << ' ' << ClassLetter(login, each.level) << ' ' << Duration(now - each.lastCommand)
             << ' ' << Duration(now - each.since) << " - -";
    }
    ServerMessage(connection, text.str());
}

void CStandinGGS::Finger(int connection, const std::string& login, double now)
{
    if (!seen.count(login) && login != kService) {
        ServerMessage(connection, "ERR user '" + login + "' not found.");
        return;
    }
    std::ostringstream text;
    text << "finger\nlogin: " << login;
    const auto found = connections.find(login);
    if (found == connections.end()) {
        text << (login == kService ? "\nlevel: 2\nstate: present" : "\nstate: away");
    } else {
        const Session& each = sessions.at(found->second);
        text << "\nlevel: " << each.level << "\nstate: present\nonline: " << Duration(now - each.since)
             << "\nidle: " << Duration(now - each.lastCommand) << "\nchannels:";
        for (const auto& channel : each.channels)
            text << ' ' << channel;
    }
    ServerMessage(connection, text.str());
}

// "alias" lists, "alias name" deletes, "alias name commands" defines (commands separated
// by ';').
void CStandinGGS::Alias(int connection, Session& session, const std::string& rest)
{
    auto& own = aliases[session.login];
    std::string name, commands;
    SplitFirst(rest, name, commands);
    if (name.empty()) {
        std::ostringstream text;
        text << "alias " << session.login << ' ' << own.size() << '/' << own.size();
        for (const auto& [each, expansion] : own)
            text << '\n' << each << ' ' << expansion;
        ServerMessage(connection, text.str());
    } else if (commands.empty()) {
        own.erase(name);
    } else {
        own[name] = commands;
    }
}
