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
// What a client costs stays bounded, however much it sends: the server keeps its input
// only up to the end of the line being read (a longer line than 64 KiB ends the
// connection), reads no more while too much output waits for the client, and ends a
// connection whose waiting output passes its bound (16 MiB unless set). An alias's commands
// run one at a time, in turns with the other clients' work.
//
// Every end of a connection, for whatever reason, is orderly: the output queued still goes
// out, then the end of the server's side, and the client's input is read and dropped until
// the client has acknowledged all of it (closing with input unread would reset the
// connection, and the reset drops what the system still holds). A client that takes none
// of its output for two seconds, whose end lasts half a minute, or that sends 32 MiB more
// meanwhile, is closed all the same.
// A closed client is freed at once; only its record (below) stays, and the program keeps none.
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
//                       from where the previous @expect matched (within the last 64 KiB)
//   @close              ends the connection once everything before it has been sent; the
//                       client receives all of it, then the end of input
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
    // Ends every connection, as above, and then the server thread; the records stay readable.
    void Stop();
    uint16_t GetPort() const { return port; }

    static const char* const kAdmin;

    // Answer as the GGS server instead of playing the script; call before Start.
    void ServeGGS();
    // The output that may wait for a client before its connection ends; call before Start.
    void SetOutputBound(size_t bytes);
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

    // Records of what each client sent, which the accessors below read: kept by default,
    // also once the client has gone; the program keeps none. Call before Start.
    void KeepRecords(bool keep);

    // The clients are numbered in the order they connected: how many have connected so
    // far, and how many of them are connected now.
    size_t GetClientCount() const;
    size_t GetOpenClientCount() const;
    // Every byte that a client has sent so far, or at least the last MiB of it; empty
    // without records.
    std::string GetClientBytes(size_t client = 0) const;
    // The most bytes that the server has held at once for any one client: its input, its
    // record and the output waiting for it.
    size_t GetHeldPeak() const;
    // Waits until the client has sent bytes containing the text; false after the time-out.
    bool WaitForClientText(const std::string& text, std::chrono::milliseconds timeout,
                           size_t client = 0) const;
    // Waits until the client's connection has been closed, by either side, and freed.
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
    // Takes what the client sent, if anything; false when nothing was there.
    bool Receive(Client& client);
    // Handles the complete lines received, as far as the client's waiting output allows.
    void TakeLines(Client& client);
    void Send(Client& client);
    void Advance(Client& client);
    void OnLine(Client& client, const std::string& line);
    // Ends the connection in order: what is queued goes out and reaches the client whole.
    void End(Client& client);
    void Linger(Client& client, std::chrono::steady_clock::time_point now);
    // Closes at once.
    void Close(Client& client);
    void FlushAll();
    // Ends the clients whose output overflowed or that quit, closes the ended ones whose
    // output has arrived, frees the closed ones and notes what the open ones hold.
    void Sweep();
    void Wake();
    int PollTimeout(int ownWait);
    // The client's further lines wait for its alias to end.
    bool AliasRunning(const Client& client) const;

    uint16_t port = 0;
    int listener = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;
    bool stopping = false;   // guarded by lock

    // Accepting is paused for a moment when the system has no descriptor left.
    std::chrono::steady_clock::time_point acceptAfter{};

    mutable std::mutex lock;   // guards everything below; the server thread changes
                               // `clients` under it and reads it without
    mutable std::condition_variable changed;
    std::map<std::string, std::string> passwords;
    std::vector<Action> script;
    std::map<size_t, std::unique_ptr<Client>> clients;   // the open connections by number
    size_t accepted = 0;
    bool keepRecords = true;
    std::vector<std::string> records;   // by client number, when kept
    size_t heldPeak = 0;
    std::map<std::string, int> levels;
    bool testClock = false;
    double testNow = 0;

    // Touched by the server thread only, once it runs.
    std::unique_ptr<CStandinGGS> ggs;
    size_t maxOutput = size_t(1) << 24;
};
