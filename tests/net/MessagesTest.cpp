#include "NetSupport.h"

TEST_F(NetTest, ScriptedMessagesArriveWholeAndInOrder)
{
    ASSERT_TRUE(server.LoadScript(TestData("standin/messages.txt")));
    ConnectAndLogin();
    StartReader();
    JoinReader();

    EXPECT_EQ(stream.Texts(),
              (std::vector<std::string>{": ~login", "", ": + /os 2", ": + joe 1", ": tell joe hi\nthere",
                                        ": who 2\njoe + 1:00 2:00 - -\n/os s 0 0 - -", ": beep here",
                                        "joe: hello\n/os: news", "/os: status ok", ": - /os",
                                        ": ~disconnect"}));
    EXPECT_EQ(stream.bells.load(), 1);
    EXPECT_EQ(stream.SocketError(), sockbuf::kErrConnectionClosed);
    EXPECT_FALSE(stream.IsLoggedIn());
    EXPECT_EQ(stream.GetLogin(), "");
    EXPECT_EQ(stream.Users(), (std::map<std::string, int>{{"joe", 1}}));

    // The "/os" service object lives from "+ /os" to "- /os" and announces itself.
    EXPECT_EQ(stream.servicePresent, (std::vector<bool>{false, false, true, true, true, true, true, true, true, false, false}));
    const std::string sent = server.GetClientBytes();
    EXPECT_NE(sent.find("tell /os client +\ntell /os notify + *\n"), std::string::npos)
        << sent;

    // The traffic log holds exactly what was received, in order, after the login.
    const std::string log = TrafficLog();
    EXPECT_NE(log.find("joe: hello\n/os: news\nREADY\n"), std::string::npos);
    EXPECT_NE(log.find("\a"), std::string::npos);
}

TEST_F(NetTest, DisconnectEndsTheReaderLoop)
{
    ConnectAndLogin();
    StartReader();
    ASSERT_TRUE(stream.WaitForText(""));   // the reader has taken the "READY"
    EXPECT_EQ(stream.Disconnect(), 0);
    JoinReader();
    EXPECT_EQ(stream.Disconnect(), ggsstream::kErrNotConnected);
    EXPECT_FALSE(stream.IsConnected());
    EXPECT_FALSE(stream.IsLoggedIn());
    // Writes after the end fail quietly.
    stream << "who\n" << std::flush;
    EXPECT_FALSE(stream.good());
    ASSERT_TRUE(server.WaitForClientClosed(kNetTimeout));
    EXPECT_EQ(server.GetClientBytes().find("who"), std::string::npos);
}

TEST_F(NetTest, ServerSilenceAfterLoginDoesNotEndTheStream)
{
    // The login's time limit (room for a login on a busy machine) ends with the login:
    // the reader waits as long as it takes.
    const auto limit = Scaled(std::chrono::milliseconds(300));
    stream.SetTimeLimit(limit);
    ConnectAndLogin();
    StartReader();
    ASSERT_TRUE(stream.WaitForText(""));
    std::this_thread::sleep_for(2 * limit);
    // Commands sent while the reader waits reach the server in order.
    stream << "who\n" << std::flush;
    stream << "t joe hello there\n" << std::flush;
    ASSERT_TRUE(server.WaitForClientText("t joe hello there\n", kNetTimeout));
    EXPECT_EQ(server.GetClientBytes(), "tester\npw\nve -ack\nnotify + /os\nwho\nt joe hello there\n");
    EXPECT_EQ(stream.Texts(), (std::vector<std::string>{": ~login", ""}));
    EXPECT_TRUE(stream.IsConnected());
    EXPECT_EQ(stream.SocketError(), 0);
}

namespace {

// Holds its reader loop inside the hand-off of one text until the test lets it go on.
class CHeldStream : public CNetStream {
public:
    explicit CHeldStream(const std::string& held) : held(held) {}
    void HandleText(const std::string& text, Origin origin) override
    {
        CNetStream::HandleText(text, origin);
        if (text != held)
            return;
        std::unique_lock<std::mutex> guard(lock);
        holding = true;
        changed.notify_all();
        changed.wait(guard, [&] { return released; });
    }
    bool WaitUntilHeld()
    {
        std::unique_lock<std::mutex> guard(lock);
        return changed.wait_for(guard, kNetTimeout, [&] { return holding; });
    }
    void Release()
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            released = true;
        }
        changed.notify_all();
    }

private:
    const std::string held;
    std::mutex lock;
    std::condition_variable changed;
    bool holding = false;
    bool released = false;
};

} // namespace

TEST_F(NetTest, DisconnectWhileTheReaderIsBusy)
{
    // Three messages arrive in one block; the reader is held in the hand-off of the first
    // while the rest wait in the socket buffer.
    server.SetScript(": one\nREADY\n: two\nREADY\n: three\nREADY\n");
    CHeldStream held(": one");
    ASSERT_EQ(held.Connect("127.0.0.1", port), 0);
    ASSERT_EQ(held.Login("tester", "pw"), 0);
    held.StartReader();
    ASSERT_TRUE(held.WaitUntilHeld());
    EXPECT_EQ(held.Disconnect(), 0);
    // The reader still uses this connection's buffer: no new connection yet.
    EXPECT_EQ(held.Connect("127.0.0.1", port), ggsstream::kErrAlreadyConnected);
    held.Release();

    // What was received but not yet handed on stays unrouted.
    ASSERT_TRUE(held.WaitForText(": ~disconnect"));
    held.StopReader();
    EXPECT_EQ(held.Texts(), (std::vector<std::string>{": ~login", "", ": one", ": ~disconnect"}));

    // Once the loop has returned the stream connects again.
    EXPECT_EQ(held.Connect("127.0.0.1", port), 0);
    EXPECT_EQ(held.Login("tester", "pw"), 0);
}
