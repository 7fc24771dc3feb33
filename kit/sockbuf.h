#pragma once
// A character stream buffer over one blocking TCP socket, copying every byte it
// receives and sends into the traffic log "recv.txt" of the working directory.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <streambuf>
#include <string>

class sockbuf : public std::basic_streambuf<char> {
public:
    // Error codes; each is also a string-table id of the application.
    enum : int {
        kErrUnknown = 34304,        // "Unknown socket error"
        kErrStartup = 34305,        // "Can't start up sockets" (no cause on this platform)
        kErrHostUnavailable = 34306,
        kErrNoProtocol = 34307,     // no cause on this platform: TCP is built in
        kErrNoSocket = 34308,
        kErrConnectFailed = 34309,  // also when connecting takes longer than the time limit
        kErrConnectionReset = 34310,
        kErrConnectionClosed = 34311,
        kErrNotConnected = 34312,
        kErrAlreadyConnected = 34313,
        kErrTimedOut = 34314,       // "GGS did not answer in time"
    };
    static constexpr int kAreaSize = 1024;
    // Connecting, each send, and the receives before a deadline wait this long at most.
    static constexpr std::chrono::milliseconds kTimeLimit{20000};
    // Past this size the traffic log starts over; the one before is kept as "recv.txt.1".
    static constexpr size_t kLogLimit = 64 * 1024 * 1024;

    using Clock = std::chrono::steady_clock;

    sockbuf();
    ~sockbuf() override;
    sockbuf(const sockbuf&) = delete;
    sockbuf& operator=(const sockbuf&) = delete;

    // 0 on success, else one of the codes above. Only the first address of the host is
    // tried. Finding the host's address and connecting to it share the time limit.
    int Connect(const std::string& host, uint16_t port);

    // How a host name becomes an IPv4 address (in network order): the system's resolver
    // unless replaced (a test replaces it). It runs on a thread of its own, so that a
    // resolver that does not answer costs the time limit and no more; an address given in
    // digits needs no lookup.
    using HostLookup = bool (*)(const std::string& host, uint32_t* address);
    static void SetHostLookup(HostLookup lookup);
    // Shuts the connection down, which also wakes a receive blocked on another thread;
    // the descriptor itself is released by the destructor.
    int Disconnect();
    bool IsConnected() const { return connected; }
    // The sticky error (34304, 34310, 34311 or 34314), 0 while none happened.
    int GetError() const { return error; }

    // The time limit of connecting and of each send; set it before Connect.
    void SetTimeLimit(std::chrono::milliseconds limit) { timeLimit = limit; }
    // Receives that have not begun by the deadline fail with kErrTimedOut, which sticks;
    // Clock::time_point::max() (the default) lets them wait for ever. Set by the thread
    // that receives.
    void SetReceiveDeadline(Clock::time_point deadline) { receiveDeadline = deadline; }
    void SetLogLimit(size_t bytes);

    // While set, the bytes sent (a password) stay out of the traffic log, which shows
    // kLogMask in their place once, whatever their length. What waits in the put area
    // when masking begins or ends is sent first, on the side of the change it was
    // written on.
    void SetLogMasked(bool masked);
    static constexpr char kLogMask[] = "********";

protected:
    int_type underflow() override;
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool SendAll(const char* bytes, size_t n);
    void SetError(int code);
    void LogBlock(int direction, const char* bytes, size_t n);
    void StartNewLog();

    std::atomic<bool> connected{false};
    int socket = -1;
    std::chrono::milliseconds timeLimit = kTimeLimit;
    Clock::time_point receiveDeadline = Clock::time_point::max();
    // Both threads write the log: the receive path and the send path take this lock
    // around each marker and block so that a marker always stands before its own bytes.
    // A block is logged before it is sent and after it is received, so that an answer
    // never stands before the command that caused it.
    std::mutex logLock;
    int logFolder = -1;   // the working directory when the log was created
    int logFile = -1;     // -1: no log
    size_t logSize = 0;
    size_t logLimit = kLogLimit;
    int lastDirection = 0;   // 0 none yet, 1 receive, 2 send
    bool logMasked = false;
    char getArea[kAreaSize];
    char putArea[kAreaSize];
    std::atomic<int> error{0};
};
