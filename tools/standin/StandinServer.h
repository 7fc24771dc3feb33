#pragma once
// A small stand-in for the GGS server on the loopback interface: it runs the login
// exchange and records every byte that each client sends, so that tests can check both
// directions of the conversation. After login it either plays a script of server texts to
// each client (the default), or, once ServeGGS is called, answers as the GGS server with
// its Reversi service "/os" (CStandinGGS), so that clients can play matches.
//
// One thread polls the listening socket and every client; the test thread talks to it
// through the public operations, which are safe to call at any time.
//
// Logins: a login not in the password store is registered with the first password it
// uses; as the GGS server, logins must have 2 to 8 characters, must not begin with '.' or
// '_' and must not hold ',' or '/'. Levels: "admin" is level 2, logins given to SetLevel have that level, every other
// login is level 0 (unregistered); rated matches need level 1 or more.
//
// Script text, one line per entry:
//   any other line      sent as it stands, followed by "\n"; escapes \r \n \a \t \0 \\ \@
//                       and \xHH stand for their bytes (a leading "\@" for a literal '@')
//   @raw TEXT           TEXT sent with the same escapes and no line end
//   @split              what was sent so far leaves in its own write, then a short pause,
//                       so that the client receives the text on both sides in two reads
//   @pause MS           a pause of MS milliseconds
//   @expect TEXT        waits until the client has sent TEXT (escapes apply), searching
//                       from where the previous @expect matched
//   @close              closes the connection once everything before it has been sent
//   @# ...              a comment
// After the script the connection stays open; a "quit" line from the client closes it.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CStandinGGS;

class CStandinServer {
public:
    CStandinServer();
    ~CStandinServer();
    CStandinServer(const CStandinServer&) = delete;
    CStandinServer& operator=(const CStandinServer&) = delete;

    // Listens on 127.0.0.1 (port 0: a free port chosen by the system) and starts the
    // server thread. Returns the port, or 0 when the port cannot be had.
    uint16_t Start(uint16_t port = 0);
    // Closes every connection and ends the server thread; the records stay readable.
    void Stop();
    uint16_t GetPort() const { return port; }

    static const char* const kAdmin;

    // Answer as the GGS server instead of playing the script; call before Start.
    void ServeGGS();
    // The level a login has from its next login on.
    void SetLevel(const std::string& login, int level);
    // Time for the games' clocks: the system clock, unless a test clock is used, which
    // starts at the given time (seconds since 1970) and moves only by AdvanceClock.
    void UseTestClock(double start = 1780000000);
    void AdvanceClock(double seconds);
    double Now() const;

    // The password store: a login not in it is registered with the first password it uses.
    void SetPassword(const std::string& login, const std::string& password);
    // The script played to every client after "READY" (see above). False when the file
    // cannot be read.
    bool LoadScript(const std::string& path);
    void SetScript(const std::string& script);

    // The clients in the order they connected.
    size_t GetClientCount() const;
    // Every byte that a client has sent so far.
    std::string GetClientBytes(size_t client = 0) const;
    // Waits until the client has sent bytes containing the text; false after the time-out.
    bool WaitForClientText(const std::string& text, std::chrono::milliseconds timeout,
                           size_t client = 0) const;
    // Waits until the client's connection has been closed, by either side.
    bool WaitForClientClosed(std::chrono::milliseconds timeout, size_t client = 0) const;

    // Reads a script from its text; exposed for the tests of the format.
    struct Action {
        enum Kind { kSend, kSplit, kPause, kExpect, kClose } kind;
        std::string text;   // kSend: the bytes; kExpect: the text awaited
        int milliseconds = 0;
    };
    static std::vector<Action> ParseScript(const std::string& script);
    static std::string Unescape(const std::string& text);

private:
    struct Client;

    void Loop();
    void Accept();
    void Receive(Client& client);
    void Send(Client& client);
    void Advance(Client& client);
    void OnLine(Client& client, const std::string& line);
    void Close(Client& client);
    void FlushAll();
    void Wake();
    int PollTimeout(int scriptTimeout);

    uint16_t port = 0;
    int listener = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;
    bool stopping = false;   // guarded by lock

    mutable std::mutex lock;   // guards everything below and the clients' records
    mutable std::condition_variable changed;
    std::map<std::string, std::string> passwords;
    std::vector<Action> script;
    std::vector<std::unique_ptr<Client>> clients;
    std::map<std::string, int> levels;
    bool testClock = false;
    double testNow = 0;

    // Touched by the server thread only, once it runs.
    std::unique_ptr<CStandinGGS> ggs;
};
