#include "NetSupport.h"

#include <sys/stat.h>

TEST_F(NetTest, LoginSendsTheLoginCommandsAndMasksThePassword)
{
    ASSERT_EQ(stream.Connect("127.0.0.1", port), 0);
    EXPECT_TRUE(stream.IsConnected());
    EXPECT_FALSE(stream.IsLoggedIn());
    ASSERT_EQ(stream.Login("tester", "s3cret!"), 0);
    EXPECT_TRUE(stream.IsLoggedIn());
    EXPECT_EQ(stream.GetLogin(), "tester");
    EXPECT_EQ(stream.Texts(), std::vector<std::string>{": ~login"});

    ASSERT_TRUE(server.WaitForClientText("notify + /os\n", kNetTimeout));
    EXPECT_EQ(server.GetClientBytes(), "tester\ns3cret!\nve -ack\nnotify + /os\n");

    // The log has all of it but the password.
    const std::string log = TrafficLog();
    EXPECT_EQ(log.find("s3cret"), std::string::npos);
    EXPECT_EQ(log,
              "[recv]Welcome to the GGS stand-in.\nEnter login (yours, or one you'd like to use).\n"
              "[send]tester\n[recv]Enter your password.\n[send]********\n[recv]READY\n"
              "[send]ve -ack\nnotify + /os\n");
    struct stat info {};
    ASSERT_EQ(::stat("recv.txt", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    EXPECT_EQ(stream.Login("tester", "s3cret!"), ggsstream::kErrAlreadyLoggedIn);
    EXPECT_EQ(stream.Connect("127.0.0.1", port), ggsstream::kErrAlreadyConnected);

    // The "READY" line stays for the reader loop: it dispatches the empty message.
    StartReader();
    EXPECT_EQ(stream.Logout(), 0);
    EXPECT_EQ(stream.Logout(), ggsstream::kErrNotLoggedIn);
    JoinReader();
    EXPECT_EQ(stream.Texts(), (std::vector<std::string>{": ~login", "", ": ~disconnect"}));
    EXPECT_EQ(stream.SocketError(), sockbuf::kErrConnectionClosed);
    EXPECT_TRUE(server.GetClientBytes().find("quit\n") != std::string::npos);
}

TEST_F(NetTest, WrongPasswordCanBeRetyped)
{
    const std::string right = "the right one, and a long one";
    server.SetPassword("joe", right);
    ASSERT_EQ(stream.Connect("127.0.0.1", port), 0);
    EXPECT_EQ(stream.Login("joe", "w"), ggsstream::kErrBadPassword);
    EXPECT_FALSE(stream.IsLoggedIn());
    EXPECT_EQ(stream.GetLogin(), "joe");
    EXPECT_TRUE(stream.Texts().empty());

    EXPECT_EQ(stream.Login("joe", right), 0);
    EXPECT_TRUE(stream.IsLoggedIn());
    ASSERT_TRUE(server.WaitForClientText("notify + /os\n", kNetTimeout));
    EXPECT_EQ(server.GetClientBytes(), "joe\nw\njoe\n" + right + "\nve -ack\nnotify + /os\n");
    // Both passwords leave the same mask in the log, which tells nothing of their length.
    const std::string log = TrafficLog();
    EXPECT_EQ(log.find("right"), std::string::npos);
    const std::string masked = std::string("[recv]Enter your password.\n[send]") + sockbuf::kLogMask + "\n[recv]";
    const size_t first = log.find(masked);
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find(masked, first + 1), std::string::npos) << log;
}

TEST_F(NetTest, LoginFailsWhenTheConnectionIsGone)
{
    // Shut down by ourselves: the read fails without a socket error, and Login says so.
    ASSERT_EQ(stream.Connect("127.0.0.1", port), 0);
    EXPECT_EQ(stream.Disconnect(), 0);
    EXPECT_EQ(stream.Disconnect(), ggsstream::kErrNotConnected);
    EXPECT_EQ(stream.WaitFor("login"), ggsstream::kErrNotConnected);
    EXPECT_EQ(stream.Login("me", "pw"), ggsstream::kErrNotConnected);
    EXPECT_FALSE(stream.IsLoggedIn());
}

TEST(NetLogin, ServerClosingDuringLoginPassesTheSocketError)
{
    CScratchDir scratch;
    CRawPeer peer;
    ggsstream stream;
    ASSERT_EQ(stream.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    peer.Send("Enter login: ");
    peer.Close();
    EXPECT_EQ(stream.Login("me", "pw"), sockbuf::kErrConnectionClosed);
    EXPECT_FALSE(stream.IsLoggedIn());
}

TEST(NetLogin, UnexpectedAnswerAfterThePassword)
{
    CScratchDir scratch;
    CRawPeer peer;
    ggsstream stream;
    ASSERT_EQ(stream.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    peer.Send("login\npassword\nWhat?\n");
    // An empty password is masked as any other.
    EXPECT_EQ(stream.Login("me", ""), ggsstream::kErrUnknownGGS);
    EXPECT_EQ(peer.Receive(4), "me\n\n");
    EXPECT_FALSE(stream.IsLoggedIn());
    EXPECT_NE(ReadFile("recv.txt").find(std::string(sockbuf::kLogMask) + "\n"), std::string::npos);
}

TEST(NetLogin, ConnectFailuresLeaveTheStreamUnconnected)
{
    CScratchDir scratch;
    ggsstream stream;
    uint16_t unused;
    {
        CRawPeer gone;
        unused = gone.port;
    }
    EXPECT_EQ(stream.Connect("127.0.0.1", unused), sockbuf::kErrConnectFailed);
    EXPECT_FALSE(stream.IsConnected());
    EXPECT_EQ(stream.Connect("", 5000), sockbuf::kErrHostUnavailable);
    EXPECT_EQ(stream.Disconnect(), ggsstream::kErrNotConnected);
    // A later attempt can still succeed on the same stream.
    CRawPeer peer;
    EXPECT_EQ(stream.Connect("127.0.0.1", peer.port), 0);
    EXPECT_TRUE(stream.IsConnected());
}

TEST(NetLogin, ConnectGivesUpOnAHostThatNeverAnswers)
{
    CScratchDir scratch;
    CUnansweringListener host;
    ASSERT_NE(host.port, 0);
    ggsstream stream;
    const auto limit = std::chrono::milliseconds(300);
    stream.SetTimeLimit(limit);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(stream.Connect("127.0.0.1", host.port), sockbuf::kErrConnectFailed);
    EXPECT_GE(std::chrono::steady_clock::now() - start, limit);   // given up, not refused
    EXPECT_FALSE(stream.IsConnected());
}

TEST(NetLogin, LoginGivesUpOnAServerThatNeverFinishes)
{
    CScratchDir scratch;
    // A server that accepts and says nothing, and one that sends a character now and then
    // but never the prompts: the exchange as a whole has the time limit.
    for (bool trickle : {false, true}) {
        SCOPED_TRACE(trickle ? "trickle" : "silent");
        CRawPeer peer;
        ggsstream stream;
        stream.SetTimeLimit(std::chrono::milliseconds(300));
        ASSERT_EQ(stream.Connect("127.0.0.1", peer.port), 0);
        peer.Accept();
        std::atomic<bool> done{false};
        std::thread talker;
        if (trickle)
            talker = std::thread([&] {
                while (!done) {
                    peer.Send(".");
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                }
            });
        EXPECT_EQ(stream.Login("me", "pw"), sockbuf::kErrTimedOut);
        done = true;
        if (talker.joinable())
            talker.join();
        EXPECT_FALSE(stream.IsLoggedIn());
        // The connection is spent: a second try fails at once with the same code.
        EXPECT_EQ(stream.Login("me", "pw"), sockbuf::kErrTimedOut);
    }
}

TEST_F(NetTest, DestroyingALoggedInStreamSaysGoodbye)
{
    {
        CNetStream gone;
        ASSERT_EQ(gone.Connect("127.0.0.1", port), 0);
        ASSERT_EQ(gone.Login("tester", "pw"), 0);
    }
    ASSERT_TRUE(server.WaitForClientClosed(kNetTimeout));
    EXPECT_EQ(server.GetClientBytes(), "tester\npw\nve -ack\nnotify + /os\nquit\n");
}

TEST(NetLogin, DisconnectEndsReadingAtOnce)
{
    CScratchDir scratch;
    CRawPeer peer;
    ggsstream stream;
    ASSERT_EQ(stream.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    peer.Send("login: password: ");
    EXPECT_EQ(stream.get(), 'l');
    // What the buffer still holds is not read once the stream is disconnected.
    EXPECT_EQ(stream.Disconnect(), 0);
    EXPECT_TRUE(stream.eof());
    EXPECT_EQ(stream.get(), std::char_traits<char>::eof());
    EXPECT_EQ(stream.WaitFor("password"), ggsstream::kErrNotConnected);
}
