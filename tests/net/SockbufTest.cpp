#include "NetSupport.h"

#include "sockbuf.h"

#include <arpa/inet.h>
#include <atomic>
#include <dlfcn.h>
#include <functional>
#include <sys/stat.h>
#include <thread>

namespace {

// Reads n characters through the buffer's get side.
std::string Take(sockbuf& buffer, size_t n)
{
    std::string bytes;
    while (bytes.size() < n) {
        const auto c = buffer.sbumpc();
        if (c == std::char_traits<char>::eof())
            break;
        bytes += static_cast<char>(c);
    }
    return bytes;
}

} // namespace

TEST(Sockbuf, LogsBothDirectionsWithOneMarkerPerChange)
{
    CScratchDir scratch;
    CRawPeer peer;
    {
        sockbuf buffer;
        ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
        EXPECT_TRUE(buffer.IsConnected());
        peer.Accept();

        // A block that begins with 0xFF is data, not the end of input.
        peer.Send("\xff" "ab");
        EXPECT_EQ(buffer.sgetc(), 0xff);
        EXPECT_EQ(Take(buffer, 3), "\xff" "ab");
        peer.Send("cd");
        EXPECT_EQ(Take(buffer, 2), "cd");

        EXPECT_EQ(buffer.sputn("xy", 2), 2);
        EXPECT_EQ(buffer.pubsync(), 0);
        EXPECT_EQ(peer.Receive(2), "xy");
        EXPECT_EQ(buffer.pubsync(), 0);   // nothing to send: no marker either

        peer.Send("z");
        EXPECT_EQ(Take(buffer, 1), "z");

        // A full put area and one more character: two sends, one marker.
        const std::string big(sockbuf::kAreaSize, 'q');
        EXPECT_EQ(buffer.sputn(big.data(), static_cast<std::streamsize>(big.size())), std::streamsize(big.size()));
        EXPECT_NE(buffer.sputc('!'), std::char_traits<char>::eof());
        EXPECT_EQ(buffer.pubsync(), 0);
        EXPECT_EQ(peer.Receive(big.size() + 1), big + "!");

        EXPECT_EQ(ReadFile("recv.txt"), "[recv]\xff" "abcd[send]xy[recv]z[send]" + big + "!");
    }
    // The log is its owner's alone.
    struct stat info {};
    ASSERT_EQ(::stat("recv.txt", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(Sockbuf, ReplacesTheOldLogAndNarrowsItsRights)
{
    CScratchDir scratch;
    {
        std::ofstream old("recv.txt");
        old << "an earlier session";
    }
    ::chmod("recv.txt", 0644);
    sockbuf buffer;
    EXPECT_EQ(ReadFile("recv.txt"), "");
    struct stat info {};
    ASSERT_EQ(::stat("recv.txt", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(Sockbuf, PeerCloseIsStickyAndRefusesWork)
{
    CScratchDir scratch;
    CRawPeer peer;
    sockbuf buffer;
    ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    peer.Send("last");
    peer.Close();
    EXPECT_EQ(Take(buffer, 10), "last");
    EXPECT_EQ(buffer.GetError(), sockbuf::kErrConnectionClosed);
    EXPECT_EQ(buffer.sgetc(), std::char_traits<char>::eof());

    // Sends are refused once the error is set, and Connect hands the error back.
    buffer.sputc('x');
    EXPECT_EQ(buffer.pubsync(), -1);
    EXPECT_EQ(buffer.Connect("127.0.0.1", peer.port), sockbuf::kErrConnectionClosed);
    EXPECT_EQ(ReadFile("recv.txt"), "[recv]last");
}

TEST(Sockbuf, ResetByPeer)
{
    CScratchDir scratch;
    CRawPeer peer;
    sockbuf buffer;
    ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    peer.Reset();
    EXPECT_EQ(buffer.sgetc(), std::char_traits<char>::eof());
    EXPECT_EQ(buffer.GetError(), sockbuf::kErrConnectionReset);
}

TEST(Sockbuf, ConnectAndDisconnectCodes)
{
    CScratchDir scratch;
    {
        sockbuf buffer;
        EXPECT_EQ(buffer.Disconnect(), sockbuf::kErrNotConnected);
        EXPECT_EQ(buffer.Connect("", 5000), sockbuf::kErrHostUnavailable);
        // A port that nobody listens on: take one and let it go again.
        uint16_t unused;
        {
            CRawPeer gone;
            unused = gone.port;
        }
        EXPECT_EQ(buffer.Connect("127.0.0.1", unused), sockbuf::kErrConnectFailed);
        EXPECT_FALSE(buffer.IsConnected());
        EXPECT_EQ(buffer.GetError(), 0);   // connect failures are only returned
        // Without a connection the buffer neither reads nor sends.
        EXPECT_EQ(buffer.sgetc(), std::char_traits<char>::eof());
        buffer.sputc('x');
        EXPECT_EQ(buffer.pubsync(), -1);
    }
    CRawPeer peer;
    sockbuf buffer;
    ASSERT_EQ(buffer.Connect("localhost", peer.port), 0);
    EXPECT_EQ(buffer.Connect("127.0.0.1", peer.port), sockbuf::kErrAlreadyConnected);
    EXPECT_EQ(buffer.Disconnect(), 0);
    EXPECT_FALSE(buffer.IsConnected());
    EXPECT_EQ(buffer.Disconnect(), sockbuf::kErrNotConnected);
    EXPECT_EQ(buffer.sgetc(), std::char_traits<char>::eof());
    EXPECT_EQ(buffer.GetError(), 0);
}

TEST(Sockbuf, DisconnectWakesABlockedReceive)
{
    CScratchDir scratch;
    CRawPeer peer;
    sockbuf buffer;
    ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    std::thread reader([&] { EXPECT_EQ(buffer.sgetc(), std::char_traits<char>::eof()); });
    // Whether the reader is already blocked or not, it must come back.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(buffer.Disconnect(), 0);
    reader.join();
}

TEST(Sockbuf, TrafficLogRefusesLinks)
{
    CScratchDir scratch;
    {
        std::ofstream("victim.txt") << "precious";
        std::ofstream("other.txt") << "also precious";
    }
    // A symbolic link under the log's name, then a second name of another file: neither
    // file is truncated or written, and the session goes unlogged.
    for (bool symbolic : {true, false}) {
        SCOPED_TRACE(symbolic ? "symbolic link" : "hard link");
        ::unlink("recv.txt");
        ASSERT_EQ(symbolic ? ::symlink("victim.txt", "recv.txt") : ::link("other.txt", "recv.txt"), 0);
        CRawPeer peer;
        sockbuf buffer;
        ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
        peer.Accept();
        peer.Send("news");
        EXPECT_EQ(Take(buffer, 4), "news");
        EXPECT_EQ(buffer.sputn("who\n", 4), 4);
        EXPECT_EQ(buffer.pubsync(), 0);
        EXPECT_EQ(peer.Receive(4), "who\n");
    }
    EXPECT_EQ(ReadFile("victim.txt"), "precious");
    EXPECT_EQ(ReadFile("other.txt"), "also precious");
    struct stat info {};
    ASSERT_EQ(::stat("other.txt", &info), 0);
    EXPECT_EQ(info.st_nlink, 2u);
}

TEST(Sockbuf, TrafficLogStartsOverPastItsLimit)
{
    CScratchDir scratch;
    CRawPeer peer;
    sockbuf buffer;
    buffer.SetLogLimit(100);
    ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    // The logs stay in the folder where the first was created.
    std::filesystem::create_directory("elsewhere");
    std::filesystem::current_path("elsewhere");

    peer.Send(std::string(60, 'a'));
    EXPECT_EQ(Take(buffer, 60), std::string(60, 'a'));
    EXPECT_EQ(buffer.sputn("sent\n", 5), 5);
    EXPECT_EQ(buffer.pubsync(), 0);
    // 77 bytes so far: this block would pass 100, so it opens a new log with its marker.
    peer.Send(std::string(30, 'b'));
    EXPECT_EQ(Take(buffer, 30), std::string(30, 'b'));
    peer.Send(std::string(60, 'c'));
    EXPECT_EQ(Take(buffer, 60), std::string(60, 'c'));

    const std::string older = (scratch.path / "recv.txt.1").string();
    const std::string newer = (scratch.path / "recv.txt").string();
    EXPECT_EQ(ReadFile(older), "[recv]" + std::string(60, 'a') + "[send]sent\n");
    EXPECT_EQ(ReadFile(newer), "[recv]" + std::string(30, 'b') + std::string(60, 'c'));
    for (const std::string& path : {older, newer}) {
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u) << path;
    }
    EXPECT_TRUE(std::filesystem::is_empty("."));
}

namespace {

// A resolver that answers only when the test lets it, and one that knows one name.
std::atomic<bool> lookupMayAnswer{false};
bool StuckLookup(const std::string& host, uint32_t* address)
{
    (void)host;
    while (!lookupMayAnswer)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    *address = htonl(INADDR_LOOPBACK);
    return true;
}
bool LoopbackLookup(const std::string& host, uint32_t* address)
{
    *address = htonl(INADDR_LOOPBACK);
    return host == "standin.test";
}

} // namespace

TEST(Sockbuf, FindingTheHostSharesTheTimeLimit)
{
    CScratchDir scratch;
    CRawPeer peer;
    {
        // A resolver that does not answer ends the connect at the time limit.
        lookupMayAnswer = false;
        sockbuf::SetHostLookup(StuckLookup);
        sockbuf buffer;
        buffer.SetTimeLimit(std::chrono::milliseconds(200));
        EXPECT_EQ(buffer.Connect("standin.test", peer.port), sockbuf::kErrHostUnavailable);
        EXPECT_FALSE(buffer.IsConnected());
        lookupMayAnswer = true;
    }
    {
        // The name the resolver gives, and an address in digits without it.
        sockbuf::SetHostLookup(LoopbackLookup);
        sockbuf named;
        EXPECT_EQ(named.Connect("standin.test", peer.port), 0);
        sockbuf unknown;
        EXPECT_EQ(unknown.Connect("nowhere.test", peer.port), sockbuf::kErrHostUnavailable);
        sockbuf digits;
        EXPECT_EQ(digits.Connect("127.0.0.1", peer.port), 0);
    }
    sockbuf::SetHostLookup(nullptr);
}

TEST(Sockbuf, SendGivesUpOnAPeerThatTakesNothing)
{
    CScratchDir scratch;
    CRawPeer peer;
    sockbuf buffer;
    buffer.SetTimeLimit(std::chrono::milliseconds(200));
    ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    // The peer reads nothing: once the system's buffers are full a send waits out the
    // time limit, fails, and ends the connection, which the reader then sees.
    const std::string block(sockbuf::kAreaSize, 'x');
    const int most = 256 * 1024;   // far more than the system buffers
    int sent = 0;
    while (sent < most && buffer.sputn(block.data(), std::streamsize(block.size())) == std::streamsize(block.size()) &&
           buffer.pubsync() == 0)
        ++sent;
    EXPECT_LT(sent, most);
    EXPECT_EQ(buffer.GetError(), sockbuf::kErrTimedOut);
    EXPECT_EQ(buffer.sgetc(), std::char_traits<char>::eof());
    EXPECT_EQ(buffer.GetError(), sockbuf::kErrTimedOut);
}

TEST(Sockbuf, FailedSendIsReported)
{
    CScratchDir scratch;
    CRawPeer peer;
    sockbuf buffer;
    ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    peer.Reset();
    // Once the reset has reached the socket a send fails; the failure is only returned.
    int result = 0;
    const auto deadline = std::chrono::steady_clock::now() + kNetTimeout;
    while (result == 0 && std::chrono::steady_clock::now() < deadline) {
        EXPECT_EQ(buffer.sputn("who\n", 4), 4);
        result = buffer.pubsync();
        if (result == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(buffer.GetError(), 0);
}

namespace {

// Runs after each send of the thread that sets it, once the bytes are on their way: a
// sending thread held up right there, as any thread may be.
thread_local std::function<void()> afterSend;

} // namespace

// Every send of this program passes here (the kit's too, linked in); only a thread that
// has set afterSend is held up.
extern "C" ssize_t send(int fd, const void* bytes, size_t n, int flags)
{
    using Send = ssize_t (*)(int, const void*, size_t, int);
    static const auto next = reinterpret_cast<Send>(::dlsym(RTLD_NEXT, "send"));
    const ssize_t sent = next(fd, bytes, n, flags);
    if (afterSend)
        afterSend();
    return sent;
}

TEST(Sockbuf, TrafficLogKeepsTheOrderOfTheWire)
{
    // A peer that answers each command the moment it has read it, and a client whose
    // sending thread is held up after each send until the answer has been received: the
    // answer still stands after its command in the log, as it came after it on the wire.
    CScratchDir scratch;
    CRawPeer peer;
    sockbuf buffer;
    ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    constexpr int kCommands = 3;
    const auto numbered = [](char kind, int i) { return "<" + std::string(1, kind) + std::to_string(i) + ">\n"; };
    std::thread answering([&] {
        for (int i = 0; i < kCommands; ++i) {
            if (peer.Receive(5) != numbered('c', i))
                return;
            peer.Send(numbered('a', i));
        }
    });
    std::atomic<int> answered{0};
    std::thread receiving([&] {
        for (int i = 0; i < kCommands && Take(buffer, 5) == numbered('a', i); ++i)
            ++answered;
    });
    int sent = 0;
    afterSend = [&] {
        const auto deadline = std::chrono::steady_clock::now() + kNetTimeout;
        while (answered < sent && std::chrono::steady_clock::now() < deadline)
            std::this_thread::yield();
    };
    for (int i = 0; i < kCommands; ++i) {
        const std::string command = numbered('c', i);
        sent = i + 1;
        EXPECT_EQ(buffer.sputn(command.data(), std::streamsize(command.size())), std::streamsize(command.size()));
        EXPECT_EQ(buffer.pubsync(), 0);
    }
    afterSend = nullptr;
    answering.join();
    receiving.join();
    EXPECT_EQ(answered.load(), kCommands);
    EXPECT_EQ(ReadFile("recv.txt"), "[send]<c0>\n[recv]<a0>\n[send]<c1>\n[recv]<a1>\n[send]<c2>\n[recv]<a2>\n");
}
