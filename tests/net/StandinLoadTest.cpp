// The stand-in under the load that a new user's first tries put on it: many clients at
// once, clients that send without end or never read, clients that come and go, and a
// system that runs out of descriptors.

#include "NetSupport.h"
#include "StandinGGS.h"

#include <cerrno>
#include <functional>
#include <map>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/resource.h>

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr size_t kMiB = 1 << 20;

// A raw client socket to the stand-in; connecting completes later when not blocking.
// Small buffers keep what the system holds between the two ends small.
int ConnectTo(uint16_t port, bool blocking = true, int buffers = 0)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
    if (fd < 0)
        return -1;
    if (buffers > 0) {
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffers, sizeof buffers);
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffers, sizeof buffers);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 && errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends the text while reading what comes back, until the reply holds `until`, the
// connection ends or the time is up.
bool Exchange(int fd, std::string text, const std::string& until, std::string& got)
{
    const auto deadline = steady_clock::now() + kNetTimeout;
    char buffer[1 << 16];
    while (got.find(until) == std::string::npos && steady_clock::now() < deadline) {
        pollfd polled{fd, short(POLLIN | (text.empty() ? 0 : POLLOUT)), 0};
        if (::poll(&polled, 1, 100) <= 0)
            continue;
        if (!text.empty() && (polled.revents & POLLOUT)) {
            const ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0)
                text.erase(0, static_cast<size_t>(n));
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
            break;
        if (n > 0)
            got.append(buffer, static_cast<size_t>(n));
    }
    return got.find(until) != std::string::npos;
}

bool ReadUntil(int fd, const std::string& until, std::string& got)
{
    return Exchange(fd, std::string(), until, got);
}

// A connected client that has logged in; -1 when that failed.
int LoggedIn(uint16_t port, const std::string& login, int buffers = 0)
{
    const int fd = ConnectTo(port, true, buffers);
    const std::string lines = login + "\npw\n";
    std::string got;
    if (fd < 0 || ::send(fd, lines.data(), lines.size(), MSG_NOSIGNAL) != ssize_t(lines.size()) ||
        !ReadUntil(fd, "\nREADY\n", got)) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

// Sends the text again and again without reading, until at least `total` bytes are out,
// the server has taken nothing for `patience`, or `stop` says so. Returns the bytes sent;
// the last text is incomplete only when the server took no more.
template <typename Stop>
size_t Flood(int fd, const std::string& text, size_t total, milliseconds patience, Stop stop)
{
    std::string chunk;
    while (chunk.size() < (64u << 10))
        chunk += text;
    size_t sent = 0;
    auto progress = steady_clock::now();
    while ((sent < total || sent % text.size() != 0) && !stop()) {
        const size_t from = sent % chunk.size();
        const ssize_t n = ::send(fd, chunk.data() + from, chunk.size() - from, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            progress = steady_clock::now();
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            break;
        if (steady_clock::now() - progress > patience)
            break;
        pollfd polled{fd, POLLOUT, 0};
        ::poll(&polled, 1, 50);
    }
    return sent;
}

size_t Flood(int fd, const std::string& text, size_t total, milliseconds patience = kNetTimeout)
{
    return Flood(fd, text, total, patience, [] { return false; });
}

// How long a client waits before it takes a server that takes nothing for one that has
// stopped reading it.
constexpr milliseconds kStopped{500};

// What completes the text that Flood left incomplete.
std::string Rest(const std::string& text, size_t sent)
{
    return sent % text.size() ? text.substr(sent % text.size()) : std::string();
}

// Reads until the server ends the connection or the time is up; `clean` tells whether the
// end was an orderly end of input rather than a reset.
std::string ReadToEnd(int fd, bool& clean)
{
    std::string got;
    clean = false;
    const auto deadline = steady_clock::now() + kNetTimeout;
    char buffer[1 << 16];
    while (steady_clock::now() < deadline) {
        pollfd polled{fd, POLLIN, 0};
        if (::poll(&polled, 1, 100) <= 0)
            continue;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            got.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            clean = n == 0;
            break;
        }
    }
    return got;
}

bool WaitForOpenClients(const CStandinServer& server, size_t count)
{
    const auto deadline = steady_clock::now() + kNetTimeout;
    while (server.GetOpenClientCount() != count && steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(5));
    return server.GetOpenClientCount() == count;
}

// Defines and runs an alias of as many "who" commands as a line holds, `last` after them.
std::string LongAlias(const std::string& last = std::string())
{
    std::string commands = "alias a who";
    while (commands.size() < 60000)
        commands += ";who";
    return commands + (last.empty() ? "" : ";" + last) + "\na\n";
}

// A stand-in that answers as GGS, or plays a script, with or without records.
class StandinLoad : public ::testing::Test {
protected:
    uint16_t Start(bool records = true, const char* script = nullptr)
    {
        server = std::make_unique<CStandinServer>();
        server->KeepRecords(records);
        if (script)
            server->SetScript(script);
        else
            server->ServeGGS();
        return server->Start();
    }

    std::unique_ptr<CStandinServer> server;
};

} // namespace

// Clients that connect all at once, while the server is busy with another's long command,
// are all taken, none of them after a resent connection request (a second's wait each, and
// for many the end of their patience).
TEST_F(StandinLoad, ManyClientsLogInAtOnce)
{
    const uint16_t port = Start();
    ASSERT_NE(port, 0);
    const int busy = LoggedIn(port, "busy");
    ASSERT_GE(busy, 0);
    const std::string commands = LongAlias();
    ASSERT_EQ(::send(busy, commands.data(), commands.size(), MSG_NOSIGNAL), ssize_t(commands.size()));
    constexpr int kClients = 200;
    struct Peer {
        int fd = -1;
        bool sent = false;
        bool ready = false;
        std::string got;
    };
    std::vector<Peer> peers(kClients);
    for (auto& peer : peers) {
        peer.fd = ConnectTo(port, false);
        ASSERT_GE(peer.fd, 0);
    }
    const auto deadline = steady_clock::now() + kNetTimeout;
    int ready = 0;
    while (ready < kClients && steady_clock::now() < deadline) {
        std::vector<pollfd> polled;
        std::vector<Peer*> owners;
        for (auto& peer : peers) {
            if (!peer.ready && peer.fd >= 0) {
                polled.push_back({peer.fd, short(peer.sent ? POLLIN : POLLOUT), 0});
                owners.push_back(&peer);
            }
        }
        ASSERT_GE(::poll(polled.data(), polled.size(), 100), 0);
        for (size_t i = 0; i < polled.size(); ++i) {
            Peer& peer = *owners[i];
            if (polled[i].revents == 0)
                continue;
            if (!peer.sent) {
                const std::string lines = "u" + std::to_string(&peer - peers.data()) + "\npw\n";
                ASSERT_EQ(::send(peer.fd, lines.data(), lines.size(), MSG_NOSIGNAL), ssize_t(lines.size()));
                peer.sent = true;
                continue;
            }
            char buffer[512];
            const ssize_t n = ::recv(peer.fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                ::close(peer.fd);
                peer.fd = -1;
                continue;
            }
            peer.got.append(buffer, size_t(n));
            if (peer.got.find("Enter your password.\nREADY\n") != std::string::npos) {
                peer.ready = true;
                ++ready;
            }
        }
    }
    EXPECT_EQ(ready, kClients);
    unsigned resent = 0;
    for (auto& peer : peers) {
        if (peer.fd < 0)
            continue;
        tcp_info info{};
        socklen_t length = sizeof info;
        ASSERT_EQ(::getsockopt(peer.fd, IPPROTO_TCP, TCP_INFO, &info, &length), 0);
        resent += info.tcpi_total_retrans;
        ::close(peer.fd);
    }
    EXPECT_EQ(resent, 0u);
    ::close(busy);
    EXPECT_EQ(server->GetClientCount(), size_t(kClients + 1));
    EXPECT_TRUE(WaitForOpenClients(*server, 0));
}

// An alias whose commands give more output than a connection may hold ends that
// connection, and the commands after that point are not run: the server does not go on
// with work whose output nobody takes. The client takes none of it until its connection
// has ended, which a watcher learns from the server; then it gets everything queued.
TEST_F(StandinLoad, AliasStopsWhenItsOutputIsRefused)
{
    constexpr size_t kBound = kMiB;
    server = std::make_unique<CStandinServer>();
    server->KeepRecords(false);
    server->ServeGGS();
    server->SetOutputBound(kBound);
    const uint16_t port = server->Start();
    ASSERT_NE(port, 0);
    std::vector<int> crowd;   // who lists long enough that the alias overruns the bound
    for (int i = 0; i < 40; ++i) {
        crowd.push_back(LoggedIn(port, "c" + std::to_string(i)));
        ASSERT_GE(crowd.back(), 0);
    }
    const int watcher = LoggedIn(port, "watcher");
    ASSERT_GE(watcher, 0);
    std::string watched;
    ASSERT_TRUE(Exchange(watcher, "notify + busy\nt watcher set\n", "watcher: set\n", watched));
    const int busy = LoggedIn(port, "busy", 16 << 10);
    ASSERT_GE(busy, 0);
    ASSERT_TRUE(ReadUntil(watcher, ": + busy 0\n", watched));
    const std::string commands = LongAlias("t watcher after the alias");
    ASSERT_EQ(::send(busy, commands.data(), commands.size(), MSG_NOSIGNAL), ssize_t(commands.size()));
    EXPECT_TRUE(ReadUntil(watcher, ": - busy 0\n", watched));

    bool clean = false;
    const std::string output = ReadToEnd(busy, clean);
    EXPECT_TRUE(clean);
    EXPECT_GT(output.size(), kBound - (64u << 10));
    EXPECT_TRUE(server->WaitForClientClosed(kNetTimeout, crowd.size() + 1));

    // What the watcher gets next comes after anything the alias could have sent it.
    EXPECT_TRUE(Exchange(watcher, "t watcher marker\n", "marker", watched));
    EXPECT_EQ(watched.find("after the alias"), std::string::npos) << watched;
    for (const int fd : crowd)
        ::close(fd);
    ::close(watcher);
    ::close(busy);
}

// An alias's commands run one at a time, and the server's loop serves the others between
// them; the next command of the alias's own connection comes after its last.
TEST(StandinAlias, CommandsRunInTurnsWithTheOthers)
{
    std::map<int, std::string> received;
    std::map<int, bool> refuses;
    CStandinGGS ggs(
        [&](int connection, const std::string& bytes) {
            if (refuses[connection])
                return false;
            received[connection] += bytes;
            return true;
        },
        [](int) {});
    ggs.Login(0, "ann", 0, 0);
    ggs.Login(1, "bob", 0, 0);
    ggs.Command(0, "alias a t bob 1;t bob 2;t bob 3", 0);
    ggs.Command(0, "a", 0);
    EXPECT_TRUE(ggs.AliasRunning(0));
    EXPECT_FALSE(ggs.AliasRunning(1));
    EXPECT_EQ(received[1], "");
    EXPECT_TRUE(ggs.AliasesRunning());
    ggs.RunAliases(0);
    ggs.Command(1, "t ann between", 0);
    ggs.RunAliases(0);
    EXPECT_TRUE(ggs.AliasesRunning());
    ggs.RunAliases(0);
    EXPECT_FALSE(ggs.AliasRunning(0));
    EXPECT_FALSE(ggs.AliasesRunning());
    EXPECT_EQ(received[0], CStandinGGS::Wire("bob", "between"));
    EXPECT_EQ(received[1], CStandinGGS::Wire("ann", "1") + CStandinGGS::Wire("ann", "2") + CStandinGGS::Wire("ann", "3"));

    // Given at once, the connection's next command ends the alias first.
    received.clear();
    ggs.Command(0, "a", 0);
    ggs.Command(0, "t bob 4", 0);
    EXPECT_FALSE(ggs.AliasRunning(0));
    EXPECT_EQ(received[1], CStandinGGS::Wire("ann", "1") + CStandinGGS::Wire("ann", "2") +
                               CStandinGGS::Wire("ann", "3") + CStandinGGS::Wire("ann", "4"));

    // An alias of a connection that has ended runs no further.
    received.clear();
    ggs.Command(0, "a", 0);
    ggs.Logout(0, 0);
    EXPECT_FALSE(ggs.AliasesRunning());
    ggs.RunAliases(0);
    EXPECT_EQ(received[1], "");

    // Once its connection refuses output, the alias stops: here output from another.
    ggs.Login(0, "ann", 0, 0);
    ggs.Command(0, "alias b t bob 5;t bob 6", 0);
    ggs.Command(0, "b", 0);
    refuses[0] = true;
    ggs.Command(1, "t ann more", 0);
    ggs.RunAliases(0);
    EXPECT_FALSE(ggs.AliasesRunning());
    EXPECT_EQ(received[1], "");
    // And by its own output.
    refuses[0] = false;
    ggs.Login(0, "ann", 0, 0);
    ggs.Command(0, "alias c who;t bob 7", 0);
    ggs.Command(0, "c", 0);
    refuses[0] = true;
    ggs.RunAliases(0);
    EXPECT_FALSE(ggs.AliasesRunning());
    EXPECT_EQ(received[1], "");
}

// Over the network: the alias's own connection's next line is taken once the alias has
// run its last command.
TEST_F(StandinLoad, LinesAfterAnAliasWaitForItsEnd)
{
    const uint16_t port = Start(false);
    ASSERT_NE(port, 0);
    const int busy = LoggedIn(port, "busy");
    ASSERT_GE(busy, 0);
    const std::string commands = LongAlias("t busy alias done") + "t busy next\n";
    const std::string again = "alias b t busy b\nb\nb\nt busy last\n";
    ASSERT_EQ(::send(busy, commands.data(), commands.size(), MSG_NOSIGNAL), ssize_t(commands.size()));
    std::string got;
    EXPECT_TRUE(ReadUntil(busy, "busy: next\n", got));
    const size_t done = got.find("busy: alias done\n");
    ASSERT_NE(done, std::string::npos);
    EXPECT_EQ(got.find("busy: next\n"), done + CStandinGGS::Wire("busy", "alias done").size());
    // Every command of the alias ran before.
    size_t whos = 0;
    for (size_t at = commands.find("who"); at < commands.find('\n'); at = commands.find("who", at + 1))
        ++whos;
    size_t answers = 0;
    for (size_t at = got.find(": who 2\n"); at < done; at = got.find(": who 2\n", at + 1))
        ++answers;
    EXPECT_EQ(answers, whos);

    // An alias that comes after another's end runs too.
    ASSERT_EQ(::send(busy, again.data(), again.size(), MSG_NOSIGNAL), ssize_t(again.size()));
    got.clear();
    EXPECT_TRUE(ReadUntil(busy, "busy: last\n", got));
    EXPECT_EQ(got, CStandinGGS::Wire("busy", "b") + CStandinGGS::Wire("busy", "b") + CStandinGGS::Wire("busy", "last"));
    ::close(busy);
}

// A client that sends a lot, in lines or in one line without end, costs the server no more
// than a line and the kept record, with or without a script waiting for its text.
TEST_F(StandinLoad, InputHeldIsBounded)
{
    const std::string line = std::string(999, 'x') + "\n";
    for (const bool records : {true, false}) {
        SCOPED_TRACE(records ? "records kept" : "no records");
        const uint16_t port = Start(records, "@expect never sent\n: too late\n");
        ASSERT_NE(port, 0);
        CStandinServer& server = *this->server;
        const int fd = LoggedIn(port, "flood");
        ASSERT_GE(fd, 0);
        EXPECT_GE(Flood(fd, line, 48 * kMiB), 48 * kMiB);
        // The script still finds its text after all that.
        const std::string awaited = "never sent\n";
        std::string got;
        EXPECT_TRUE(Exchange(fd, awaited, ": too late\n", got));
        if (records) {
            EXPECT_LE(server.GetHeldPeak(), 6 * kMiB);
            const std::string record = server.GetClientBytes();
            ASSERT_GE(record.size(), kMiB);
            EXPECT_EQ(record.substr(record.size() - line.size() - awaited.size()), line + awaited);
        } else {
            EXPECT_LE(server.GetHeldPeak(), 512u << 10);
            EXPECT_EQ(server.GetClientBytes(), "");
        }

        // A line without end is ended with the connection once it passes 64 KiB.
        const int endless = LoggedIn(port, "endless");
        ASSERT_GE(endless, 0);
        Flood(endless, std::string(4096, 'y'), 16 * kMiB, kNetTimeout,
              [&] { return server.WaitForClientClosed(milliseconds(0), 1); });
        EXPECT_TRUE(server.WaitForClientClosed(kNetTimeout, 1));
        EXPECT_LE(server.GetHeldPeak(), records ? 6 * kMiB : 512u << 10);
        ::close(endless);
        ::close(fd);
    }
}

// A client that sends commands and never reads the replies is read no further once a
// little output waits for it, even when one short command has a long reply; once it reads,
// it gets every reply, for the lines held back are handled in their turn.
TEST_F(StandinLoad, ClientThatDoesNotReadIsReadNoFurther)
{
    const uint16_t port = Start();
    ASSERT_NE(port, 0);
    const int asker = LoggedIn(port, "asker", 16 << 10);
    ASSERT_GE(asker, 0);
    const std::string who = "who\n";
    const size_t sent = Flood(asker, who, 16 * kMiB, kStopped);
    EXPECT_LT(sent, 16 * kMiB);
    EXPECT_LE(server->GetHeldPeak(), 2 * kMiB);
    std::string got;
    ASSERT_TRUE(Exchange(asker, Rest(who, sent) + "t asker done\n", "asker: done\n", got));
    size_t replies = 0;
    for (size_t at = got.find(": who 2\n"); at != std::string::npos; at = got.find(": who 2\n", at + 1))
        ++replies;
    EXPECT_EQ(replies, (sent + who.size() - 1) / who.size());

    // Each "alias" lists a 16 KB alias: one read of such commands would queue 40 MB.
    const int lister = LoggedIn(port, "lister", 16 << 10);
    ASSERT_GE(lister, 0);
    const std::string define = "alias big " + std::string(16000, 'a') + "\n";
    ASSERT_EQ(::send(lister, define.data(), define.size(), MSG_NOSIGNAL), ssize_t(define.size()));
    const std::string alias = "alias\n";
    const size_t listed = Flood(lister, alias, 16 * kMiB, kStopped);
    EXPECT_LT(listed, 16 * kMiB);
    EXPECT_FALSE(server->WaitForClientClosed(milliseconds(0), 1));
    EXPECT_LE(server->GetHeldPeak(), 2 * kMiB);
    ::close(lister);
    ::close(asker);
}

// Output for a client that reads slowly but steadily keeps only what it has not taken.
TEST_F(StandinLoad, SlowReaderHoldsOnlyWhatItHasNotTaken)
{
    const uint16_t port = Start();
    ASSERT_NE(port, 0);
    const int reader = LoggedIn(port, "reader", 16 << 10);
    ASSERT_GE(reader, 0);
    const int talker = LoggedIn(port, "talker");
    ASSERT_GE(talker, 0);
    const std::string text(1000, 'z');
    const size_t reply = CStandinGGS::Wire("talker", text).size();
    std::string tells;
    for (int i = 0; i < 1024; ++i)
        tells += "t reader " + text + "\n";
    auto tell = [&] { return ::send(talker, tells.data(), tells.size(), MSG_NOSIGNAL) == ssize_t(tells.size()); };
    // More waits than the system holds between the two ends; then the reader takes as
    // much as is told, round after round, so that the queue never runs empty.
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(tell());
    std::vector<char> buffer(1024 * reply);
    for (int round = 0; round < 64; ++round) {
        ASSERT_TRUE(tell());
        size_t taken = 0;
        while (taken < buffer.size()) {
            const ssize_t n = ::recv(reader, buffer.data() + taken, buffer.size() - taken, 0);
            ASSERT_GT(n, 0);
            taken += static_cast<size_t>(n);
        }
    }
    EXPECT_FALSE(server->WaitForClientClosed(milliseconds(0), 0));
    EXPECT_LE(server->GetHeldPeak(), 32 * kMiB);
    ::close(talker);
    ::close(reader);
}

// A client that others' messages pile up for and that never reads is let go.
TEST_F(StandinLoad, ClientThatNeverReadsIsLetGo)
{
    const uint16_t port = Start();
    ASSERT_NE(port, 0);
    const int sleeper = LoggedIn(port, "sleeper");
    ASSERT_GE(sleeper, 0);
    const int talker = LoggedIn(port, "talker");
    ASSERT_GE(talker, 0);
    Flood(talker, "t sleeper " + std::string(1000, 'z') + "\n", 256 * kMiB, kNetTimeout,
          [&] { return server->WaitForClientClosed(milliseconds(0), 0); });
    EXPECT_TRUE(server->WaitForClientClosed(kNetTimeout, 0));
    EXPECT_FALSE(server->WaitForClientClosed(milliseconds(0), 1));
    EXPECT_LE(server->GetHeldPeak(), 40 * kMiB);
    ::close(talker);
    ::close(sleeper);
}

// Closed clients are freed, however they went; with no records kept nothing of them stays.
TEST_F(StandinLoad, ClosedClientsAreFreed)
{
    for (const bool records : {true, false}) {
        SCOPED_TRACE(records ? "records kept" : "no records");
        const uint16_t port = Start(records);
        ASSERT_NE(port, 0);
        CStandinServer& server = *this->server;
        constexpr size_t kClients = 30;
        std::vector<int> fds;
        for (size_t i = 0; i < kClients; ++i) {
            fds.push_back(LoggedIn(port, "c" + std::to_string(i)));
            ASSERT_GE(fds.back(), 0);
        }
        EXPECT_EQ(server.GetOpenClientCount(), kClients);
        for (size_t i = 0; i < kClients; ++i) {
            if (i % 3 == 0) {
                ASSERT_EQ(::send(fds[i], "quit\n", 5, MSG_NOSIGNAL), 5);
            } else if (i % 3 == 1) {
                linger hard{1, 0};
                ::setsockopt(fds[i], SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
            }
            if (i % 3 != 0)
                ::close(fds[i]);
        }
        EXPECT_TRUE(WaitForOpenClients(server, 0));
        for (size_t i = 0; i < kClients; i += 3)
            ::close(fds[i]);
        EXPECT_EQ(server.GetClientCount(), kClients);
        EXPECT_TRUE(server.WaitForClientClosed(milliseconds(0), kClients - 1));
        EXPECT_EQ(server.GetClientBytes(4), records ? "c4\npw\n" : "");

        // A login in use again ends the connection that had it, which is freed too.
        const int first = LoggedIn(port, "again");
        const int second = LoggedIn(port, "again");
        ASSERT_GE(first, 0);
        ASSERT_GE(second, 0);
        EXPECT_TRUE(WaitForOpenClients(server, 1));
        ::close(first);
        ::close(second);
    }
}

// Out of descriptors, the server waits for one to come free instead of spinning on the
// connection it cannot take, then serves it.
TEST_F(StandinLoad, WaitsWhenOutOfDescriptors)
{
    const uint16_t port = Start();
    ASSERT_NE(port, 0);
    CStandinServer& server = *this->server;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    // No descriptor above the lowest free one may be had.
    const int lowest = ::dup(fd);
    ASSERT_GE(lowest, 0);
    ::close(lowest);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &previous), 0);
    rlimit low = previous;
    low.rlim_cur = static_cast<rlim_t>(lowest);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    struct Restore {
        rlimit limit;
        ~Restore() { ::setrlimit(RLIMIT_NOFILE, &limit); }
    } restore{previous};

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    auto cpu = [] {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
               (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    };
    const double before = cpu();
    std::this_thread::sleep_for(milliseconds(500));
    EXPECT_LT(cpu() - before, 100.0);
    EXPECT_EQ(server.GetClientCount(), 0u);

    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &previous), 0);
    std::string got;
    EXPECT_TRUE(ReadUntil(fd, "Enter login", got));
    EXPECT_EQ(server.GetClientCount(), 1u);
    ::close(fd);
}

// However the server ends a connection, the client receives everything sent before the
// end and then an orderly end of input, even with commands of its own that the server
// never read: closing on unread input sends a reset, which drops what the system still
// holds for the client.
TEST_F(StandinLoad, EveryEndDeliversWhatWasSentBeforeIt)
{
    std::string output;
    for (int i = 0; output.size() < 8 * kMiB; ++i)
        output += ": line " + std::to_string(i) + " " + std::string(100, 'x') + "\n";
    const std::string unread = "ve -ack\nnotify + /os\n";
    // Logs in with small buffers, sends commands while the output waits, then reads to the end.
    auto receiveAll = [&](uint16_t port, const std::function<void()>& ending) {
        const int fd = ConnectTo(port, true, 16 << 10);
        std::string got;
        EXPECT_TRUE(Exchange(fd, "reader\npw\n", "READY\n", got));
        EXPECT_EQ(::send(fd, unread.data(), unread.size(), MSG_NOSIGNAL), ssize_t(unread.size()));
        std::thread end(ending);
        bool clean = false;
        got += ReadToEnd(fd, clean);
        end.join();
        ::close(fd);
        EXPECT_TRUE(clean);
        const size_t ready = got.find("READY\n") + 6;
        EXPECT_EQ(got.size() - ready, output.size());
        EXPECT_TRUE(got.compare(ready, std::string::npos, output) == 0);
    };
    {
        SCOPED_TRACE("@close");
        receiveAll(Start(false, (output + "@close\n").c_str()), [] {});
    }
    {
        SCOPED_TRACE("the server stops");
        const uint16_t port = Start(false, output.c_str());
        receiveAll(port, [&] {
            ASSERT_TRUE(WaitForOpenClients(*server, 1));
            server->Stop();
        });
    }
    {
        // Replaced by a new login while commands wait unread: the replies taken on end whole.
        SCOPED_TRACE("the login is used again");
        const uint16_t port = Start(false);
        const int fd = LoggedIn(port, "twice", 16 << 10);
        ASSERT_GE(fd, 0);
        Flood(fd, "who\n", 16 * kMiB, kStopped);
        const int again = LoggedIn(port, "twice");
        ASSERT_GE(again, 0);
        bool clean = false;
        const std::string got = ReadToEnd(fd, clean);
        EXPECT_TRUE(clean);
        ASSERT_GE(got.size(), 7u);
        EXPECT_NE(got.find(": who 2\n"), std::string::npos);
        EXPECT_EQ(got.substr(got.size() - 7), "\nREADY\n");
        ::close(again);
        ::close(fd);
    }
}
