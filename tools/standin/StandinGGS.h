#pragma once
// The stand-in's GGS server itself, behind the network layer: the logged-in users with
// their levels, "+" and "-" user notifications, who, tells to users and channels, finger,
// aliases and quit. Tells to "/os" go to the service, which is present from the start.
// Every message leaves as its lines, a '|' before each continuation line, then "READY".

#include "StandinOs.h"

#include <functional>
#include <map>
#include <set>
#include <string>

class CStandinGGS {
public:
    // Queues bytes for a connection (false when the connection takes no more: it is being
    // ended), and asks for a connection to be closed once its queued bytes are out; neither
    // calls back into this object.
    using Output = std::function<bool(int connection, const std::string& bytes)>;
    using Closer = std::function<void(int connection)>;

    static const char* const kService;
    static constexpr int kServiceLevel = 2;

    CStandinGGS(Output output, Closer closer);

    void Login(int connection, const std::string& login, int level, double now);
    // The connection has ended.
    void Logout(int connection, double now);
    // A command line of the connection. An alias that it names starts running: its commands
    // run one at a time by RunAliases, so that the server serves others between them. The
    // connection's next command waits for its end (given here at once, it ends it first).
    void Command(int connection, const std::string& line, double now);
    bool AliasRunning(int connection) const;
    bool AliasesRunning() const;
    // Runs the next command of every alias that is running.
    void RunAliases(double now);
    void Tick(double now) { os.Tick(now); }
    double NextAlarm() const { return os.NextAlarm(); }

    // The message text as it goes on the wire.
    static std::string Wire(const std::string& from, const std::string& text);

private:
    struct Session {
        std::string login;
        int level = 0;
        double since = 0;
        double lastCommand = 0;
        bool notifyAll = false;
        std::set<std::string> notifyOf;
        std::set<std::string> reported;   // logins this session was told are present
        std::set<std::string> channels;
        bool full = false;   // its connection has refused output: it is being ended
        std::string alias;   // the commands of the alias that is running, and where the
        size_t aliasNext = std::string::npos;   // next begins; npos when none runs
    };

    void Run(Session& session, int connection, const std::string& line, double now, bool expand);
    void RunAliasCommand(Session& session, int connection, double now);
    void ServerMessage(int connection, const std::string& text);
    void Report(int connection, Session& session, const std::string& login);
    void Notify(int connection, Session& session, const std::string& login);
    void Tell(int connection, Session& session, const std::string& to, const std::string& text, double now);
    void Who(int connection, double now);
    void Finger(int connection, const std::string& login, double now);
    void Alias(int connection, Session& session, const std::string& rest);
    int LevelOf(const std::string& login) const;

    std::function<void(int connection, const std::string& bytes)> output;
    Closer closer;
    std::map<int, Session> sessions;
    std::map<std::string, int> connections;   // login -> connection
    std::set<std::string> seen;               // every login that has been here
    std::map<std::string, std::map<std::string, std::string>> aliases;   // login -> name -> commands
    CStandinOs os;
    double started = -1;   // the first login: the service's online time counts from it
};
