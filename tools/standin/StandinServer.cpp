#include "StandinServer.h"

#include "StandinGGS.h"

#include <algorithm>
#include <cmath>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sstream>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

const char kBanner[] = "Welcome to the GGS stand-in.\n";
const char kLoginPrompt[] = "Enter login (yours, or one you'd like to use).\n";
const char kPasswordPrompt[] = "Enter your password.\n";
const char kRefusal[] = ": Wrong password.\n";
const char kIllegalLogin[] = ": Illegal login.\n";
const char kReady[] = "READY\n";
constexpr int kSplitPause = 30;   // ms: long enough for the client to take the first part alone
constexpr size_t kMaxLine = 1 << 16;   // a longer line from a client ends its connection
constexpr size_t kReadSize = 1 << 14;
// No more of a client's input is read or handled while this much output waits for it;
// output from others beyond the output bound (maxOutput) ends the connection instead.
constexpr size_t kOutputPause = 1 << 18;
constexpr size_t kRecordLimit = 1 << 20;   // the last bytes of a client's record that are kept
constexpr auto kAcceptPause = std::chrono::milliseconds(100);
// A connection that ends gets its output whole unless the client takes none of it for
// kLingerIdle, or the end lasts kLingerMost in all; what the client sends meanwhile is read
// and dropped, up to kLingerBytes (more than the system holds for one connection).
constexpr auto kLingerIdle = std::chrono::seconds(2);
constexpr auto kLingerMost = std::chrono::seconds(30);
constexpr size_t kLingerBytes = size_t(1) << 25;
constexpr int kLingerTick = 10;   // ms between looks at what the client has acknowledged

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Logins of 2 to 8 printable characters, not beginning with '.' or '_' (channels), without
// ',' or '/' (so that no user can take the name of a service).
bool IsValidLogin(const std::string& login)
{
    if (login.size() < 2 || login.size() > 8 || login[0] == '.' || login[0] == '_')
        return false;
    return std::all_of(login.begin(), login.end(),
                       [](char c) { return c > ' ' && c < 127 && c != ',' && c != '/'; });
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

} // namespace

const char* const CStandinServer::kAdmin = "admin";

struct CStandinServer::Client {
    enum State { kLogin, kPassword, kReady };

    size_t id = 0;             // the client's place in the order of connecting
    int fd = -1;
    State state = kLogin;
    std::string login;
    std::string input;         // received, not yet handled: the line being read, or lines
                               // held back while the client's output waits
    bool linesWaiting = false; // `input` holds a complete line
    std::string out;           // queued for sending
    size_t outSent = 0;
    bool overflowed = false;   // too much output waited: the connection ends
    std::vector<Action> script;
    size_t next = 0;           // the script's next action
    std::string unmatched;     // input after the last @expect's match, that the next may find
    Clock::time_point resumeAt{};   // the end of the pause the script is in; none when zero
    bool quitting = false;     // to be ended by the loop

    // Ending: the output queued goes out, then the end of the server's side; the input is
    // read and dropped until the client ends its side or has acknowledged everything.
    bool ending = false;
    bool writeShut = false;    // the end of the server's side has been sent
    bool peerEnded = false;    // the client has ended its side
    size_t dropped = 0;        // bytes read and dropped while ending
    int unacknowledged = 0;    // sent, not yet acknowledged by the client, at the last look
    Clock::time_point idleUntil{};
    Clock::time_point endUntil{};

    size_t Waiting() const { return out.size() - outSent; }
    bool Reading() const
    {
        return ending ? !peerEnded : !linesWaiting && Waiting() <= kOutputPause;
    }
};

CStandinServer::CStandinServer() = default;

CStandinServer::~CStandinServer()
{
    Stop();
}

uint16_t CStandinServer::Start(uint16_t wanted)
{
    if (thread.joinable())
        return port;
    listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listener < 0)
        return 0;
    int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(wanted);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int pipeEnds[2];
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, SOMAXCONN) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(listener);
        listener = -1;
        return 0;
    }
    wakeRead = pipeEnds[0];
    wakeWrite = pipeEnds[1];
    port = ntohs(address.sin_port);
    stopping = false;
    thread = std::thread(&CStandinServer::Loop, this);
    return port;
}

void CStandinServer::Stop()
{
    if (!thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    Wake();
    thread.join();
    ggs.reset();
    for (auto& entry : clients)
        Close(*entry.second);
    {
        std::lock_guard<std::mutex> guard(lock);
        clients.clear();
    }
    changed.notify_all();
    ::close(listener);
    ::close(wakeRead);
    ::close(wakeWrite);
    listener = wakeRead = wakeWrite = -1;
}

void CStandinServer::Wake()
{
    const char byte = 0;
    [[maybe_unused]] ssize_t written = ::write(wakeWrite, &byte, 1);
}

void CStandinServer::SetOutputBound(size_t bytes)
{
    if (!thread.joinable())
        maxOutput = bytes;
}

void CStandinServer::ServeGGS()
{
    if (thread.joinable() || ggs)
        return;
    ggs = std::make_unique<CStandinGGS>(
        [this](int id, const std::string& bytes) {
            const auto found = clients.find(static_cast<size_t>(id));
            if (found == clients.end())
                return false;
            Client& client = *found->second;
            if (client.fd < 0 || client.overflowed || client.ending)
                return false;
            if (client.Waiting() + bytes.size() > maxOutput) {
                client.overflowed = true;   // closed by the loop, outside the server's calls
                return false;
            }
            client.out += bytes;
            return true;
        },
        [this](int id) {
            const auto found = clients.find(static_cast<size_t>(id));
            if (found != clients.end())
                found->second->quitting = true;
        });
}

void CStandinServer::KeepRecords(bool keep)
{
    std::lock_guard<std::mutex> guard(lock);
    if (!thread.joinable())
        keepRecords = keep;
}

void CStandinServer::SetLevel(const std::string& login, int level)
{
    std::lock_guard<std::mutex> guard(lock);
    levels[login] = level;
}

void CStandinServer::UseTestClock(double start)
{
    std::lock_guard<std::mutex> guard(lock);
    testClock = true;
    testNow = start;
}

void CStandinServer::AdvanceClock(double seconds)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        testNow += seconds;
    }
    Wake();
}

double CStandinServer::Now() const
{
    {
        std::lock_guard<std::mutex> guard(lock);
        if (testClock)
            return testNow;
    }
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

void CStandinServer::SetPassword(const std::string& login, const std::string& password)
{
    std::lock_guard<std::mutex> guard(lock);
    passwords[login] = password;
}

bool CStandinServer::LoadScript(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    SetScript(text.str());
    return true;
}

void CStandinServer::SetScript(const std::string& text)
{
    std::vector<Action> actions = ParseScript(text);
    std::lock_guard<std::mutex> guard(lock);
    script = std::move(actions);
}

size_t CStandinServer::GetClientCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return accepted;
}

size_t CStandinServer::GetOpenClientCount() const
{
    std::lock_guard<std::mutex> guard(lock);
    return clients.size();
}

std::string CStandinServer::GetClientBytes(size_t client) const
{
    std::lock_guard<std::mutex> guard(lock);
    return client < records.size() ? records[client] : std::string();
}

size_t CStandinServer::GetHeldPeak() const
{
    std::lock_guard<std::mutex> guard(lock);
    return heldPeak;
}

bool CStandinServer::WaitForClientText(const std::string& text, std::chrono::milliseconds timeout,
                                       size_t client) const
{
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, timeout, [&] {
        return client < records.size() && records[client].find(text) != std::string::npos;
    });
}

bool CStandinServer::WaitForClientClosed(std::chrono::milliseconds timeout, size_t client) const
{
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, timeout, [&] { return client < accepted && !clients.count(client); });
}

std::string CStandinServer::Unescape(const std::string& text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        const char c = text[++i];
        switch (c) {
        case 'r': bytes += '\r'; break;
        case 'n': bytes += '\n'; break;
        case 'a': bytes += '\a'; break;
        case 't': bytes += '\t'; break;
        case '0': bytes += '\0'; break;
        case '\\': bytes += '\\'; break;
        case '@': bytes += '@'; break;
        case 'x':
            if (i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
                bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
                i += 2;
                break;
            }
            [[fallthrough]];
        default:
            bytes += '\\';
            bytes += c;
            break;
        }
    }
    return bytes;
}

std::vector<CStandinServer::Action> CStandinServer::ParseScript(const std::string& text)
{
    std::vector<Action> actions;
    auto send = [&](const std::string& bytes) {
        if (!actions.empty() && actions.back().kind == Action::kSend)
            actions.back().text += bytes;
        else
            actions.push_back({Action::kSend, bytes, 0});
    };
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        if (line.empty() || line[0] != '@') {
            send(Unescape(line) + "\n");
        } else if (StartsWith(line, "@raw ")) {
            send(Unescape(line.substr(5)));
        } else if (line == "@split") {
            actions.push_back({Action::kSplit, std::string(), kSplitPause});
        } else if (StartsWith(line, "@pause ")) {
            actions.push_back({Action::kPause, std::string(), std::atoi(line.c_str() + 7)});
        } else if (StartsWith(line, "@expect ")) {
            actions.push_back({Action::kExpect, Unescape(line.substr(8)), 0});
        } else if (line == "@close") {
            actions.push_back({Action::kClose, std::string(), 0});
        }
        // "@#" comments and unknown directives send nothing.
    }
    return actions;
}

void CStandinServer::Loop()
{
    std::vector<pollfd> polled;
    std::vector<Client*> polledClients;   // the client of each entry after the first two
    for (;;) {
        bool stop;
        {
            std::lock_guard<std::mutex> guard(lock);
            stop = stopping;
        }
        if (stop) {   // every connection ends as any other, and then the loop
            for (auto& entry : clients)
                End(*entry.second);
            Sweep();
            if (clients.empty())
                return;
        }
        const Clock::time_point now = Clock::now();
        const bool accepting = !stop && now >= acceptAfter;
        polled.clear();
        polledClients.clear();
        polled.push_back({wakeRead, POLLIN, 0});
        polled.push_back({accepting ? listener : -1, POLLIN, 0});
        int timeout = -1;
        auto wakeAt = [&](Clock::time_point at) {
            // A moment already past wakes at once (a negative timeout would wait for ever).
            const auto wait = std::max<long long>(
                0, std::chrono::duration_cast<std::chrono::milliseconds>(at - now).count() + 1);
            timeout = timeout < 0 ? static_cast<int>(wait) : std::min(timeout, static_cast<int>(wait));
        };
        if (!accepting)
            wakeAt(acceptAfter);
        for (auto& entry : clients) {
            Client& client = *entry.second;
            if (client.fd < 0)
                continue;
            const short events = (client.Reading() ? POLLIN : 0) | (client.Waiting() > 0 ? POLLOUT : 0);
            polled.push_back({client.fd, events, 0});
            polledClients.push_back(&client);
            // A script in a pause goes on at its end, even one that has passed since.
            if (client.resumeAt != Clock::time_point())
                wakeAt(client.resumeAt);
            if (client.ending)
                wakeAt(client.writeShut ? now + std::chrono::milliseconds(kLingerTick)
                                        : std::min(client.idleUntil, client.endUntil));
        }
        if (ggs && ggs->AliasesRunning())   // their next commands run once the others are served
            timeout = 0;
        if (::poll(polled.data(), polled.size(), PollTimeout(timeout)) < 0 && errno != EINTR)
            return;
        if (polled[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead, drain, sizeof drain) > 0) {
            }
        }
        if (polled[1].revents & POLLIN)
            Accept();
        for (size_t i = 2; i < polled.size(); ++i) {
            Client& client = *polledClients[i - 2];
            const short events = polled[i].revents;
            if (client.fd >= 0 && (events & (POLLIN | POLLHUP | POLLERR)) && client.Reading())
                Receive(client);
            if (client.fd >= 0 && (events & (POLLOUT | POLLHUP | POLLERR)) && client.Waiting() > 0)
                Send(client);
        }
        for (auto& entry : clients)
            Advance(*entry.second);
        if (ggs) {
            ggs->RunAliases(Now());
            ggs->Tick(Now());
        }
        FlushAll();
        Sweep();
    }
}

bool CStandinServer::AliasRunning(const Client& client) const
{
    return ggs && ggs->AliasRunning(static_cast<int>(client.id));
}

// The loop's own wait (for scripts and accepting), shortened to the next moment a game
// clock has news; with the test clock, time moves only by AdvanceClock, which wakes the loop.
int CStandinServer::PollTimeout(int ownWait)
{
    bool manual;
    {
        std::lock_guard<std::mutex> guard(lock);
        manual = testClock;
    }
    if (!ggs || manual)
        return ownWait;
    const double alarm = ggs->NextAlarm();
    if (alarm < 0)
        return ownWait;
    const double wait = std::max(0.0, std::ceil((alarm - Now()) * 1000)) + 1;
    const int milliseconds = static_cast<int>(std::min(wait, 3600000.0));
    return ownWait < 0 ? milliseconds : std::min(ownWait, milliseconds);
}

// Also handles the lines held back for a client whose output has gone out, until its output
// waits again or no line is left: a client with lines held back is then polled for sending.
void CStandinServer::FlushAll()
{
    for (auto& entry : clients) {
        Client& client = *entry.second;
        if (client.fd >= 0 && client.Waiting() > 0)
            Send(client);
        while (client.fd >= 0 && client.linesWaiting && client.Waiting() <= kOutputPause && !AliasRunning(client)) {
            TakeLines(client);
            Send(client);
        }
    }
}

void CStandinServer::Sweep()
{
    const Clock::time_point now = Clock::now();
    for (auto& entry : clients) {
        Client& client = *entry.second;
        if (client.overflowed || client.quitting)
            End(client);
        if (client.fd >= 0 && client.ending)
            Linger(client, now);
    }
    bool freed = false;
    {
        std::lock_guard<std::mutex> guard(lock);
        for (auto at = clients.begin(); at != clients.end();) {
            const Client& client = *at->second;
            if (client.fd < 0) {
                at = clients.erase(at);
                freed = true;
                continue;
            }
            size_t held = client.input.capacity() + client.unmatched.capacity() + client.out.capacity();
            if (client.id < records.size())
                held += records[client.id].capacity();
            heldPeak = std::max(heldPeak, held);
            ++at;
        }
    }
    if (freed)
        changed.notify_all();
}

void CStandinServer::Accept()
{
    for (;;) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            // Out of descriptors or memory, the waiting connection stays queued and the
            // listener stays readable: wait a moment rather than spin.
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                acceptAfter = Clock::now() + kAcceptPause;
            return;
        }
        int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->out = std::string(kBanner) + kLoginPrompt;
        Client& added = *client;
        {
            std::lock_guard<std::mutex> guard(lock);
            const size_t id = accepted++;
            client->id = id;
            if (keepRecords)
                records.emplace_back();
            clients.emplace(id, std::move(client));
        }
        changed.notify_all();
        Send(added);
    }
}

bool CStandinServer::Receive(Client& client)
{
    char bytes[kReadSize];
    const ssize_t n = ::recv(client.fd, bytes, sizeof bytes, 0);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return false;
    if (n < 0) {
        Close(client);
        return false;
    }
    if (n == 0) {   // the client has ended its side; it may still read the output queued
        client.peerEnded = true;
        if (client.writeShut)
            Close(client);
        else
            End(client);
        return false;
    }
    const size_t size = static_cast<size_t>(n);
    {
        std::lock_guard<std::mutex> guard(lock);
        if (client.id < records.size()) {
            std::string& record = records[client.id];
            record.append(bytes, size);
            if (record.size() > 2 * kRecordLimit)
                record.erase(0, record.size() - kRecordLimit);
        }
    }
    changed.notify_all();
    if (client.ending) {
        client.dropped += size;
        return true;
    }
    // A script that may still wait for input searches what came since its last match.
    if (!ggs && (client.state != Client::kReady || client.next < client.script.size())) {
        client.unmatched.append(bytes, size);
        if (client.unmatched.size() > 2 * kMaxLine)
            client.unmatched.erase(0, client.unmatched.size() - kMaxLine);
    }
    client.input.append(bytes, size);
    TakeLines(client);
    return true;
}

void CStandinServer::TakeLines(Client& client)
{
    size_t begin = 0;
    client.linesWaiting = false;
    for (;;) {
        const size_t end = client.input.find('\n', begin);
        if (end == std::string::npos)
            break;
        if (client.Waiting() > kOutputPause || AliasRunning(client)) {
            client.linesWaiting = true;
            break;
        }
        std::string line = client.input.substr(begin, end - begin);
        begin = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        OnLine(client, line);
        if (client.fd < 0 || client.ending)
            return;
    }
    client.input.erase(0, begin);
    if (client.input.size() > kMaxLine && !client.linesWaiting)
        End(client);
}

void CStandinServer::OnLine(Client& client, const std::string& line)
{
    switch (client.state) {
    case Client::kLogin:
        client.login = line;
        client.out += kPasswordPrompt;
        client.state = Client::kPassword;
        break;
    case Client::kPassword: {
        bool accepted = false;
        int level = 0;
        if (ggs && !IsValidLogin(client.login)) {
            client.out += std::string(kIllegalLogin) + kLoginPrompt;
            client.state = Client::kLogin;
            break;
        }
        {
            std::lock_guard<std::mutex> guard(lock);
            auto found = passwords.find(client.login);
            if (found == passwords.end())
                found = passwords.emplace(client.login, line).first;
            accepted = found->second == line;
            const auto given = levels.find(client.login);
            level = given != levels.end() ? given->second : client.login == kAdmin ? 2 : 0;
            if (accepted && !ggs)
                client.script = script;
        }
        if (accepted) {
            client.out += kReady;
            client.state = Client::kReady;
            if (ggs)
                ggs->Login(static_cast<int>(client.id), client.login, level, Now());
        } else {
            client.out += std::string(kRefusal) + kLoginPrompt;
            client.state = Client::kLogin;
        }
        break;
    }
    case Client::kReady:
        if (ggs)
            ggs->Command(static_cast<int>(client.id), line, Now());
        else if (line == "quit")
            client.quitting = true;
        break;
    }
    Send(client);
}

void CStandinServer::Send(Client& client)
{
    const size_t before = client.outSent;
    while (client.fd >= 0 && client.outSent < client.out.size()) {
        const ssize_t n = ::send(client.fd, client.out.data() + client.outSent,
                                 client.out.size() - client.outSent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n <= 0) {
            Close(client);
            return;
        }
        client.outSent += static_cast<size_t>(n);
    }
    if (client.fd < 0)
        return;
    if (client.ending && client.outSent > before)
        client.idleUntil = Clock::now() + kLingerIdle;
    if (client.outSent < client.out.size()) {
        // The client is slow: drop what it has taken once that is most of the queue.
        if (client.outSent > client.out.size() / 2) {
            client.out.erase(0, client.outSent);
            client.outSent = 0;
        }
        return;
    }
    client.out.clear();
    client.outSent = 0;
    if (client.ending && !client.writeShut) {
        // The system sends what it holds, then the end; a close now, with input unread,
        // would send a reset instead and drop it.
        ::shutdown(client.fd, SHUT_WR);
        client.writeShut = true;
        if (client.peerEnded)
            Close(client);
    }
}

// Plays the script on as far as it can go now: up to an @expect whose text has not
// arrived, a pause that has not run out, or a split or close whose text is still queued.
void CStandinServer::Advance(Client& client)
{
    if (client.fd < 0 || client.state != Client::kReady || client.quitting || client.ending)
        return;
    while (client.next < client.script.size()) {
        if (client.resumeAt != Clock::time_point()) {
            if (Clock::now() < client.resumeAt)
                break;
            client.resumeAt = Clock::time_point();   // the pause is over
        }
        const Action& action = client.script[client.next];
        const bool sending = client.outSent < client.out.size();
        if (action.kind == Action::kSend) {
            client.out += action.text;
        } else if (action.kind == Action::kSplit || action.kind == Action::kPause) {
            if (sending)
                break;
            client.resumeAt = Clock::now() + std::chrono::milliseconds(action.milliseconds);
        } else if (action.kind == Action::kExpect) {
            const size_t at = client.unmatched.find(action.text);
            if (at == std::string::npos)
                break;
            client.unmatched.erase(0, at + action.text.size());
        } else if (action.kind == Action::kClose) {
            if (sending)
                break;
            End(client);
            return;
        }
        ++client.next;
        if (action.kind == Action::kSend)
            Send(client);
        if (client.fd < 0)
            return;
    }
    if (client.next == client.script.size()) {   // nothing more to wait for
        client.unmatched.clear();
        client.unmatched.shrink_to_fit();
    }
}

void CStandinServer::End(Client& client)
{
    if (client.fd < 0 || client.ending)
        return;
    client.ending = true;
    const Clock::time_point now = Clock::now();
    client.idleUntil = now + kLingerIdle;
    client.endUntil = now + kLingerMost;
    client.input.clear();
    client.linesWaiting = false;
    client.unmatched.clear();
    if (ggs && client.state == Client::kReady)
        ggs->Logout(static_cast<int>(client.id), Now());
    Send(client);
}

// Once the client has acknowledged everything, the end included, nothing of the output can
// be lost any more: what it sent meanwhile is read, and the connection is closed.
void CStandinServer::Linger(Client& client, Clock::time_point now)
{
    if (client.writeShut) {
        int unacknowledged = 0;
        if (::ioctl(client.fd, SIOCOUTQ, &unacknowledged) != 0)
            unacknowledged = 0;
        if (unacknowledged == 0) {
            while (client.fd >= 0 && client.dropped <= kLingerBytes && Receive(client)) {
            }
            Close(client);
            return;
        }
        if (unacknowledged < client.unacknowledged)
            client.idleUntil = now + kLingerIdle;
        client.unacknowledged = unacknowledged;
    }
    if (now >= client.idleUntil || now >= client.endUntil || client.dropped > kLingerBytes)
        Close(client);
}

void CStandinServer::Close(Client& client)
{
    if (client.fd < 0)
        return;
    ::close(client.fd);
    client.fd = -1;   // freed by the loop's sweep
    if (ggs && client.state == Client::kReady && !client.ending)
        ggs->Logout(static_cast<int>(client.id), Now());
}
