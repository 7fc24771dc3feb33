#include "sockbuf.h"

#include "KitAssert.h"

#include <arpa/inet.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kReceive = 1;
constexpr int kSend = 2;
const char kLogName[] = "recv.txt";
const char kOldLogName[] = "recv.txt.1";

// The log holds the connection's traffic, the user's own commands included, so a new one
// is created readable by its owner only, and an older one loses any wider rights. Only a
// plain file of its own is reused: a symbolic link, a file with other names (a hard link)
// or anything else under the log's name is refused, and the session goes unlogged.
int OpenLog(int folder)
{
    const int fd = ::openat(folder, kLogName, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 || ::fchmod(fd, 0600) != 0 ||
        ::ftruncate(fd, 0) != 0 || ::fcntl(fd, F_SETFL, 0) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void WriteAll(int fd, const char* bytes, size_t n)
{
    while (n > 0) {
        const ssize_t written = ::write(fd, bytes, n);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        bytes += written;
        n -= static_cast<size_t>(written);
    }
}

// Waits until the socket is ready for the events or the deadline has passed: false when
// it has passed. A failed or closed socket counts as ready, so that the call after this
// one reports what happened.
bool WaitUntilReady(int fd, short events, sockbuf::Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - sockbuf::Clock::now());
        if (left.count() < 0)
            return false;
        pollfd entry{fd, events, 0};
        // Rounded up, so that a wake-up just before the deadline does not spin.
        const int result = ::poll(&entry, 1, static_cast<int>(std::min<long long>(left.count() + 1, INT_MAX)));
        if (result > 0)
            return true;
        if (result < 0 && errno != EINTR)
            return true;
    }
}

bool SystemHostLookup(const std::string& host, uint32_t* address)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    sockaddr_in first{};
    std::memcpy(&first, found->ai_addr, sizeof first);
    ::freeaddrinfo(found);
    *address = first.sin_addr.s_addr;
    return true;
}

std::atomic<sockbuf::HostLookup> hostLookup{SystemHostLookup};

// The answer of one lookup, shared by the thread that asks the resolver and the one
// that waits for it; whichever lets go last frees it.
struct LookupAnswer {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    bool found = false;
    uint32_t address = 0;
};

// The host's address, unless it cannot be found by the deadline. A lookup that is
// given up goes on by itself and ends unseen.
bool FindHost(const std::string& host, sockbuf::Clock::time_point deadline, uint32_t* address)
{
    in_addr digits{};
    if (::inet_pton(AF_INET, host.c_str(), &digits) == 1) {
        *address = digits.s_addr;
        return true;
    }
    auto answer = std::make_shared<LookupAnswer>();
    try {
        std::thread([answer, host, lookup = hostLookup.load()] {
            uint32_t found = 0;
            const bool ok = lookup(host, &found);
            std::lock_guard<std::mutex> guard(answer->lock);
            answer->finished = true;
            answer->found = ok;
            answer->address = found;
            answer->done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    std::unique_lock<std::mutex> lock(answer->lock);
    if (!answer->done.wait_until(lock, deadline, [&] { return answer->finished; }) || !answer->found)
        return false;
    *address = answer->address;
    return true;
}

} // namespace

void sockbuf::SetHostLookup(HostLookup lookup)
{
    hostLookup = lookup ? lookup : SystemHostLookup;
}

sockbuf::sockbuf()
{
    setg(getArea, getArea + kAreaSize, getArea + kAreaSize);
    setp(putArea, putArea + kAreaSize);
    logFolder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (logFolder >= 0)
        logFile = OpenLog(logFolder);
}

sockbuf::~sockbuf()
{
    if (connected)
        Disconnect();
    if (socket >= 0)
        ::close(socket);
    if (logFile >= 0)
        ::close(logFile);
    if (logFolder >= 0)
        ::close(logFolder);
}

int sockbuf::Connect(const std::string& host, uint16_t port)
{
    if (error != 0)
        return error;
    if (connected) {
        KIT_ASSERT(!connected);
        return kErrAlreadyConnected;
    }

    const Clock::time_point deadline = Clock::now() + timeLimit;
    sockaddr_in address{};
    if (!FindHost(host, deadline, &address.sin_addr.s_addr))
        return kErrHostUnavailable;
    address.sin_family = AF_INET;
    address.sin_port = htons(port);

    if (socket >= 0)
        ::close(socket);
    // Connected without blocking, so that a host that never answers costs the time limit
    // and no more; the socket blocks again once connected.
    socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_TCP);
    if (socket < 0)
        return kErrNoSocket;
    bool ok = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (!ok && (errno == EINPROGRESS || errno == EINTR) &&
        WaitUntilReady(socket, POLLOUT, deadline)) {
        int result = -1;
        socklen_t length = sizeof result;
        ok = ::getsockopt(socket, SOL_SOCKET, SO_ERROR, &result, &length) == 0 && result == 0;
    }
    if (ok) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeLimit);
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(timeLimit - seconds);
        const timeval sendLimit{static_cast<time_t>(seconds.count()), static_cast<suseconds_t>(micros.count())};
        ok = ::fcntl(socket, F_SETFL, 0) == 0 &&
             ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &sendLimit, sizeof sendLimit) == 0;
    }
    if (!ok) {
        ::close(socket);
        socket = -1;
        return kErrConnectFailed;
    }
    connected = true;
    return 0;
}

int sockbuf::Disconnect()
{
    if (!connected)
        return kErrNotConnected;
    connected = false;
    ::shutdown(socket, SHUT_RDWR);
    return 0;
}

void sockbuf::SetError(int code)
{
    // The first error is the one that counts: a receive that fails because a send gave
    // up does not replace the reason.
    int none = 0;
    error.compare_exchange_strong(none, code);
}

void sockbuf::SetLogLimit(size_t bytes)
{
    std::lock_guard<std::mutex> guard(logLock);
    logLimit = bytes;
}

void sockbuf::SetLogMasked(bool masked)
{
    // Only the sending thread changes the flag.
    if (masked == logMasked)
        return;
    sync();
    if (masked)
        LogBlock(kSend, kLogMask, sizeof kLogMask - 1);
    std::lock_guard<std::mutex> guard(logLock);
    logMasked = masked;
}

// Keeps the log that is full as the previous one and opens a new, empty one. Both are
// named in the folder where the first was created, whatever the working directory is now.
void sockbuf::StartNewLog()
{
    ::close(logFile);
    ::renameat(logFolder, kLogName, logFolder, kOldLogName);
    logFile = OpenLog(logFolder);
    logSize = 0;
    lastDirection = 0;
}

void sockbuf::LogBlock(int direction, const char* bytes, size_t n)
{
    std::lock_guard<std::mutex> guard(logLock);
    if (logFile < 0 || (direction == kSend && logMasked))
        return;
    const size_t marker = lastDirection != direction ? 6 : 0;
    if (logSize > 0 && logSize + marker + n > logLimit) {
        StartNewLog();
        if (logFile < 0)
            return;
    }
    if (lastDirection != direction) {
        lastDirection = direction;
        WriteAll(logFile, direction == kReceive ? "[recv]" : "[send]", 6);
        logSize += 6;
    }
    WriteAll(logFile, bytes, n);
    logSize += n;
}

sockbuf::int_type sockbuf::underflow()
{
    if (!connected || error != 0 || eback() == nullptr)
        return traits_type::eof();
    if (receiveDeadline != Clock::time_point::max() && !WaitUntilReady(socket, POLLIN, receiveDeadline)) {
        SetError(kErrTimedOut);
        return traits_type::eof();
    }
    ssize_t n;
    do {
        n = ::recv(socket, getArea, kAreaSize, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        SetError(errno == ECONNRESET ? kErrConnectionReset : kErrUnknown);
        return traits_type::eof();
    }
    if (n == 0) {
        SetError(kErrConnectionClosed);
        return traits_type::eof();
    }
    setg(getArea, getArea, getArea + n);
    LogBlock(kReceive, getArea, static_cast<size_t>(n));
    return traits_type::to_int_type(getArea[0]);
}

// Sends all n bytes unless the connection fails; a signal does not end the send, and a
// closed peer yields an error instead of killing the process with SIGPIPE. A peer that
// takes nothing for the whole time limit ends the connection: a command cut in the middle
// would leave the conversation out of step, and the reader loop then sees the end.
bool sockbuf::SendAll(const char* bytes, size_t n)
{
    while (n > 0) {
        const ssize_t sent = ::send(socket, bytes, n, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            SetError(kErrTimedOut);
            ::shutdown(socket, SHUT_RDWR);
            return false;
        }
        if (sent <= 0)
            return false;
        bytes += sent;
        n -= static_cast<size_t>(sent);
    }
    return true;
}

sockbuf::int_type sockbuf::overflow(int_type c)
{
    if (!connected || error != 0)
        return traits_type::eof();
    const size_t n = static_cast<size_t>(pptr() - pbase());
    if (n > 0)
        LogBlock(kSend, pbase(), n);
    bool ok = SendAll(pbase(), n);
    KIT_ASSERT(ok);
    if (ok && !traits_type::eq_int_type(c, traits_type::eof())) {
        const char byte = traits_type::to_char_type(c);
        LogBlock(kSend, &byte, 1);
        ok = SendAll(&byte, 1);
    }
    setp(putArea, putArea + kAreaSize);
    return ok ? 0 : traits_type::eof();
}

int sockbuf::sync()
{
    return traits_type::eq_int_type(overflow(traits_type::eof()), traits_type::eof()) ? -1 : 0;
}
