#pragma once
// A character stream buffer over one blocking TCP socket, copying every byte it
// receives and sends into the traffic log "recv.txt" of the working directory.

#include <atomic>
#include <cstdint>
#include <fstream>
#include <memory>
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
        kErrConnectFailed = 34309,
        kErrConnectionReset = 34310,
        kErrConnectionClosed = 34311,
        kErrNotConnected = 34312,
        kErrAlreadyConnected = 34313,
    };
    static constexpr int kAreaSize = 1024;

    sockbuf();
    ~sockbuf() override;
    sockbuf(const sockbuf&) = delete;
    sockbuf& operator=(const sockbuf&) = delete;

    // 0 on success, else one of the codes above. Only the first address of the host is tried.
    int Connect(const std::string& host, uint16_t port);
    // Shuts the connection down, which also wakes a receive blocked on another thread;
    // the descriptor itself is released by the destructor.
    int Disconnect();
    bool IsConnected() const { return connected; }
    // The sticky receive error (34304, 34310 or 34311), 0 while none happened.
    int GetError() const { return error; }

    // While set, the bytes sent are written to the traffic log as '*' (a password).
    void SetLogMasked(bool masked);

protected:
    int_type underflow() override;
    int_type overflow(int_type c) override;
    int sync() override;

private:
    void LogBlock(int direction, const char* bytes, size_t n);

    std::atomic<bool> connected{false};
    int socket = -1;
    std::unique_ptr<std::ofstream> log;
    // Both threads write the log: the receive path and the send path take this lock
    // around each marker and block so that a marker always stands before its own bytes.
    std::mutex logLock;
    int lastDirection = 0;   // 0 none yet, 1 receive, 2 send
    bool logMasked = false;
    char getArea[kAreaSize];
    char putArea[kAreaSize];
    std::atomic<int> error{0};
};
