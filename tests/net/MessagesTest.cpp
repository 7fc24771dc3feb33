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
    // Commands sent while the reader waits reach the server in order.
    ConnectAndLogin();
    StartReader();
    stream << "who\n" << std::flush;
    stream << "t joe hello there\n" << std::flush;
    ASSERT_TRUE(server.WaitForClientText("t joe hello there\n", kNetTimeout));
    EXPECT_EQ(server.GetClientBytes(), "tester\npw\nve -ack\nnotify + /os\nwho\nt joe hello there\n");
    ASSERT_TRUE(stream.WaitForText(""));
    EXPECT_EQ(stream.Texts(), (std::vector<std::string>{": ~login", ""}));
}
