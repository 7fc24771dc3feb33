#include "NetSupport.h"

using Action = CStandinServer::Action;

TEST(Standin, ScriptFormat)
{
    EXPECT_EQ(CStandinServer::Unescape(R"(a\r\n\a\t\\\@\x41\x7e\0z)"), std::string("a\r\n\a\t\\@A~\0z", 11));
    EXPECT_EQ(CStandinServer::Unescape(R"(\q\x4 end\)"), R"(\q\x4 end\)");

    const auto actions = CStandinServer::ParseScript(
        ": one\n@# a comment\n|two\n@raw th\\x72ee\n@split\n@pause 15\n@expect ve -ack\\n\n\\@at\n@close\n@unknown\n");
    ASSERT_EQ(actions.size(), 6u);
    EXPECT_EQ(actions[0].kind, Action::kSend);
    EXPECT_EQ(actions[0].text, ": one\n|two\nthree");   // sends in a row go out together
    EXPECT_EQ(actions[1].kind, Action::kSplit);
    EXPECT_EQ(actions[2].kind, Action::kPause);
    EXPECT_EQ(actions[2].milliseconds, 15);
    EXPECT_EQ(actions[3].kind, Action::kExpect);
    EXPECT_EQ(actions[3].text, "ve -ack\n");
    EXPECT_EQ(actions[4].text, "@at\n");
    EXPECT_EQ(actions[5].kind, Action::kClose);
    EXPECT_TRUE(CStandinServer::ParseScript("").empty());
}

TEST_F(NetTest, StandinRecordsEachClientApart)
{
    // The script waits for each client's own commands before it goes on.
    server.SetScript("@expect who\\n\n: who 0\nREADY\n@expect quit\n");
    ConnectAndLogin("first");
    CNetStream second;
    ASSERT_EQ(second.Connect("127.0.0.1", port), 0);
    ASSERT_EQ(second.Login("second", "other"), 0);
    StartReader();
    stream << "who\n" << std::flush;
    ASSERT_TRUE(stream.WaitForText(": who 0"));
    EXPECT_EQ(server.GetClientCount(), 2u);
    EXPECT_EQ(server.GetClientBytes(0), "first\npw\nve -ack\nnotify + /os\nwho\n");
    EXPECT_EQ(server.GetClientBytes(1), "second\nother\nve -ack\nnotify + /os\n");
    EXPECT_EQ(server.GetClientBytes(2), "");

    // "quit" ends the first connection only.
    EXPECT_EQ(stream.Logout(), 0);
    JoinReader();
    EXPECT_TRUE(server.WaitForClientClosed(kNetTimeout, 0));
    EXPECT_TRUE(second.IsConnected());
    // A registered login keeps its password.
    CNetStream third;
    ASSERT_EQ(third.Connect("127.0.0.1", port), 0);
    EXPECT_EQ(third.Login("second", "guess"), ggsstream::kErrBadPassword);
}
