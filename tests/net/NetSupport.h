#pragma once
// Support for the loopback tests: a scratch working directory for each test (the traffic
// log goes to the working directory), a bare TCP peer, and a stream that records what it
// hands on, for tests that run its reader loop on a thread of their own.

#include "StandinServer.h"
#include "ggsstream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
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

constexpr std::chrono::seconds kNetTimeout{10};

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
            std::filesystem::current_path(path);
        }
    }
    ~CScratchDir()
    {
        std::filesystem::current_path(previous);
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    std::filesystem::path path;

private:
    std::filesystem::path previous;
};

// One end of a TCP connection on the loopback interface, driven by the test itself.
class CRawPeer {
public:
    CRawPeer()
    {
        listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::listen(listener, 4) == 0 &&
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
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

// A stream whose reader loop runs on a thread of the test: it records every text it hands
// on (after routing it), whether "/os" had a service object then, and every message that
// reaches the generic handler.
class CNetStream : public ggsstream {
public:
    void HandleText(const std::string& text) override
    {
        ggsstream::HandleText(text);
        {
            std::lock_guard<std::mutex> guard(lock);
            texts.push_back(text);
            servicePresent.push_back(HasService("/os"));
        }
        changed.notify_all();
    }
    void OnMessage(const CMsg& msg) override
    {
        std::lock_guard<std::mutex> guard(lock);
        messages.push_back(msg.text);
    }
    void OnBell() override
    {
        std::lock_guard<std::mutex> guard(lock);
        ++bells;
    }
    bool WaitForText(const std::string& text)
    {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, kNetTimeout, [&] {
            return std::find(texts.begin(), texts.end(), text) != texts.end();
        });
    }
    std::vector<std::string> Texts()
    {
        std::lock_guard<std::mutex> guard(lock);
        return texts;
    }
    int SocketError() const { return socketBuffer ? socketBuffer->GetError() : 0; }
    const std::map<std::string, int>& Users() const { return users; }

    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> texts;
    std::vector<bool> servicePresent;
    std::vector<std::string> messages;
    int bells = 0;
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
    void TearDown() override
    {
        if (reader.joinable()) {
            if (stream.IsConnected())
                stream.Disconnect();
            reader.join();
        }
    }
    void ConnectAndLogin(const std::string& login = "tester", const std::string& password = "pw")
    {
        ASSERT_EQ(stream.Connect("127.0.0.1", port), 0);
        ASSERT_EQ(stream.Login(login, password), 0);
    }
    void StartReader()
    {
        reader = std::thread([this] { stream.Run(); });
    }
    // Waits for the reader loop to see the end of input.
    void JoinReader()
    {
        ASSERT_TRUE(stream.WaitForText(": ~disconnect"));
        reader.join();
    }
    std::string TrafficLog() const { return ReadFile("recv.txt"); }

    CScratchDir scratch;
    CStandinServer server;
    uint16_t port = 0;
    CNetStream stream;
    std::thread reader;
};
