#include "sockbuf.h"

#include "KitAssert.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kReceive = 1;
constexpr int kSend = 2;
const char kLogName[] = "recv.txt";

// The log holds the connection's traffic, the user's own commands included, so it is
// created readable by its owner only; an older log keeps its place but loses wider rights.
void CreatePrivateFile(const char* name)
{
    int fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd >= 0) {
        ::fchmod(fd, 0600);
        ::close(fd);
    }
}

// Sends all n bytes unless the connection fails; a signal does not end the send, and a
// closed peer yields an error instead of killing the process with SIGPIPE.
bool SendAll(int fd, const char* bytes, size_t n)
{
    while (n > 0) {
        ssize_t sent = ::send(fd, bytes, n, MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return false;
        bytes += sent;
        n -= static_cast<size_t>(sent);
    }
    return true;
}

} // namespace

sockbuf::sockbuf()
{
    setg(getArea, getArea + kAreaSize, getArea + kAreaSize);
    setp(putArea, putArea + kAreaSize);
    CreatePrivateFile(kLogName);
    log = std::make_unique<std::ofstream>(kLogName, std::ios::out | std::ios::trunc);
    if (!log->is_open())
        log.reset();
}

sockbuf::~sockbuf()
{
    if (connected)
        Disconnect();
    if (socket >= 0)
        ::close(socket);
    if (log)
        log->close();
}

int sockbuf::Connect(const std::string& host, uint16_t port)
{
    if (error != 0)
        return error;
    if (connected) {
        KIT_ASSERT(!connected);
        return kErrAlreadyConnected;
    }

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr)
        return kErrHostUnavailable;
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof address);
    ::freeaddrinfo(found);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);

    if (socket >= 0)
        ::close(socket);
    socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    if (socket < 0)
        return kErrNoSocket;
    int result;
    do {
        result = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
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

void sockbuf::SetLogMasked(bool masked)
{
    std::lock_guard<std::mutex> guard(logLock);
    logMasked = masked;
}

void sockbuf::LogBlock(int direction, const char* bytes, size_t n)
{
    std::lock_guard<std::mutex> guard(logLock);
    if (!log)
        return;
    if (lastDirection != direction) {
        lastDirection = direction;
        log->write(direction == kReceive ? "[recv]" : "[send]", 6);
    }
    if (direction == kSend && logMasked) {
        for (size_t i = 0; i < n; ++i)
            log->put('*');
    } else {
        log->write(bytes, static_cast<std::streamsize>(n));
    }
    log->flush();
}

sockbuf::int_type sockbuf::underflow()
{
    if (!connected || error != 0 || eback() == nullptr)
        return traits_type::eof();
    ssize_t n;
    do {
        n = ::recv(socket, getArea, kAreaSize, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        error = errno == ECONNRESET ? kErrConnectionReset : kErrUnknown;
        return traits_type::eof();
    }
    if (n == 0) {
        error = kErrConnectionClosed;
        return traits_type::eof();
    }
    setg(getArea, getArea, getArea + n);
    LogBlock(kReceive, getArea, static_cast<size_t>(n));
    return traits_type::to_int_type(getArea[0]);
}

sockbuf::int_type sockbuf::overflow(int_type c)
{
    if (!connected || error != 0)
        return traits_type::eof();
    const size_t n = static_cast<size_t>(pptr() - pbase());
    bool ok = SendAll(socket, pbase(), n);
    KIT_ASSERT(ok);
    if (n > 0)
        LogBlock(kSend, pbase(), n);
    if (ok && !traits_type::eq_int_type(c, traits_type::eof())) {
        const char byte = traits_type::to_char_type(c);
        ok = SendAll(socket, &byte, 1);
        LogBlock(kSend, &byte, 1);
    }
    setp(putArea, putArea + kAreaSize);
    return ok ? 0 : traits_type::eof();
}

int sockbuf::sync()
{
    return traits_type::eq_int_type(overflow(traits_type::eof()), traits_type::eof()) ? -1 : 0;
}
