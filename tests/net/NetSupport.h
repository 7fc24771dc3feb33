#pragma once
// Support for the loopback tests: a scratch working directory for each test (the traffic
// log goes to the working directory), a bare TCP peer, and streams whose reader loop runs
// on a thread of its own while the test thread routes what it hands on.

#include "StandinServer.h"
#include "TestTime.h"
#include "TestWatchdog.h"
#include "ggsstream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

// How long a test waits for what the network should bring before it fails: only a hang
// takes that long.
constexpr std::chrono::seconds kNetTimeout = Scaled(std::chrono::seconds(10));

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string TestData(const std::string& name)
{
    return std::string(TAVO_TEST_DATA_DIR) + "/" + name;
}

// Makes a fresh folder the working directory for its lifetime.
class CScratchDir {
public:
    CScratchDir()
    {
        previous = std::filesystem::current_path();
        std::string pattern = (std::filesystem::temp_directory_path() / "tavo-net-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path = pattern;
            RemoveIfTheWatchdogEnds(pattern);
            std::filesystem::current_path(path);
        }
    }
    ~CScratchDir()
    {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        if (!path.empty()) {
            std::filesystem::remove_all(path, ignored);
            ForgetForTheWatchdog(path.string());
        }
    }
    std::filesystem::path path;

private:
    std::filesystem::path previous;
};

// A socket listening on a free port of the loopback interface, with the backlog given;
// the port stays 0 when it could not be set up.
inline int ListenOnLoopback(int backlog, sockaddr_in& address, uint16_t& port)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    address = sockaddr_in{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::listen(listener, backlog) == 0 &&
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    return listener;
}

// One end of a TCP connection on the loopback interface, driven by the test itself.
class CRawPeer {
public:
    CRawPeer()
    {
        sockaddr_in address;
        listener = ListenOnLoopback(4, address, port);
    }
    ~CRawPeer()
    {
        Close();
        ::close(listener);
    }
    // Takes the connection that the client has made (connect completes before accept).
    void Accept() { peer = ::accept(listener, nullptr, nullptr); }
    void Send(const std::string& bytes) { ASSERT_EQ(::send(peer, bytes.data(), bytes.size(), 0), ssize_t(bytes.size())); }
    // Exactly n bytes, or fewer when the connection ends.
    std::string Receive(size_t n)
    {
        std::string bytes;
        char buffer[4096];
        while (bytes.size() < n) {
            const ssize_t got = ::recv(peer, buffer, std::min(sizeof buffer, n - bytes.size()), 0);
            if (got <= 0)
                break;
            bytes.append(buffer, static_cast<size_t>(got));
        }
        return bytes;
    }
    void Close()
    {
        if (peer >= 0)
            ::close(peer);
        peer = -1;
    }
    // Ends the connection with a reset instead of an orderly close.
    void Reset()
    {
        linger hard{1, 0};
        ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        Close();
    }
    uint16_t port = 0;

private:
    int listener = -1;
    int peer = -1;
};

// A listening port that never completes another connection: its queue holds one
// connection that nobody accepts, and the system drops the next ones' requests unanswered,
// as a host behind a firewall that drops packets does.
class CUnansweringListener {
public:
    CUnansweringListener()
    {
        sockaddr_in address;
        uint16_t listening = 0;
        listener = ListenOnLoopback(0, address, listening);
        if (listening == 0)
            return;
        queued = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(queued, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            port = listening;
    }
    ~CUnansweringListener()
    {
        ::close(queued);
        ::close(listener);
    }
    uint16_t port = 0;

private:
    int listener = -1;
    int queued = -1;
};

// A stream run as the application runs one: its reader loop on a thread of its own only
// hands each text on, and the texts are routed on the thread that made the stream, when
// that thread asks for them, as the application routes them on its window thread. So the
// stream, its service object and everything they send are touched by one thread only.
class CRoutedStream : public ggsstream {
public:
    ~CRoutedStream() override { StopReader(); }

    // On the routing thread (Login's ": ~login") the text is routed at once; from the
    // reader it waits for the routing thread.
    void HandleText(const std::string& text, Origin origin) override
    {
        if (std::this_thread::get_id() == owner) {
            RouteWaiting();
            Route({text, origin});
            return;
        }
        {
            std::lock_guard<std::mutex> guard(lock);
            waiting.push_back({text, origin});
        }
        arrived.notify_all();
    }
    // Routes the texts handed on so far.
    void RouteWaiting()
    {
        while (RouteNext(std::chrono::milliseconds(0))) {
        }
    }
    // Routes texts as they arrive until done() holds; false when it still does not after
    // the time-out.
    template <class Done>
    bool RouteUntil(Done done)
    {
        const auto deadline = std::chrono::steady_clock::now() + kNetTimeout;
        while (!done()) {
            const auto left = deadline - std::chrono::steady_clock::now();
            if (left <= std::chrono::steady_clock::duration::zero() ||
                !RouteNext(std::chrono::duration_cast<std::chrono::milliseconds>(left)))
                return done();
        }
        return true;
    }
    void StartReader()
    {
        reader = std::thread([this] { Run(); });
    }
    // Disconnects when still connected and waits for the reader loop to return.
    void StopReader()
    {
        if (!reader.joinable())
            return;
        if (IsConnected())
            Disconnect();
        reader.join();
    }
    bool ReaderRunning() const { return reader.joinable(); }

protected:
    // Called on the routing thread after each text has been routed.
    virtual void Routed(const std::string&) {}

private:
    struct Text {
        std::string text;
        Origin origin = Origin::Server;
    };
    void Route(const Text& text)
    {
        ggsstream::HandleText(text.text, text.origin);
        Routed(text.text);
    }
    // Routes the next text, waiting for it up to the time given; false when none came.
    bool RouteNext(std::chrono::milliseconds wait)
    {
        Text text;
        {
            std::unique_lock<std::mutex> guard(lock);
            if (!arrived.wait_for(guard, wait, [&] { return !waiting.empty(); }))
                return false;
            text = std::move(waiting.front());
            waiting.pop_front();
        }
        Route(text);
        return true;
    }

    const std::thread::id owner = std::this_thread::get_id();
    std::mutex lock;
    std::condition_variable arrived;
    std::deque<Text> waiting;
    std::thread reader;
};

// A routed stream that records every text it has routed, whether "/os" had a service
// object then, and every message that reaches the generic handler.
class CNetStream : public CRoutedStream {
public:
    void OnMessage(const CMsg& msg) override { messages.push_back(msg.text); }
    void OnBell() override { ++bells; }
    // Routes until the text has been routed.
    bool WaitForText(const std::string& text)
    {
        return RouteUntil([&] { return std::find(texts.begin(), texts.end(), text) != texts.end(); });
    }
    const std::vector<std::string>& Texts() const { return texts; }
    int SocketError() const { return socketBuffer ? socketBuffer->GetError() : 0; }
    const std::map<std::string, int>& Users() const { return users; }

    std::vector<std::string> texts;
    std::vector<bool> servicePresent;
    std::vector<std::string> messages;
    std::atomic<int> bells{0};   // counted by the reader loop

protected:
    void Routed(const std::string& text) override
    {
        texts.push_back(text);
        servicePresent.push_back(HasService("/os"));
    }
};

// A test with its own working directory, a running stand-in and a stream to connect.
class NetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(scratch.path.empty());
        port = server.Start();
        ASSERT_NE(port, 0);
    }
    void TearDown() override { stream.StopReader(); }
    void ConnectAndLogin(const std::string& login = "tester", const std::string& password = "pw")
    {
        ASSERT_EQ(stream.Connect("127.0.0.1", port), 0);
        ASSERT_EQ(stream.Login(login, password), 0);
    }
    void StartReader() { stream.StartReader(); }
    // Routes until the reader loop has seen the end of input, and waits for it to return.
    void JoinReader()
    {
        ASSERT_TRUE(stream.WaitForText(": ~disconnect"));
        stream.StopReader();
    }
    std::string TrafficLog() const { return ReadFile("recv.txt"); }

    CScratchDir scratch;
    CStandinServer server;
    uint16_t port = 0;
    CNetStream stream;
};
