#include "MatchSupport.h"

TEST_F(StandinMatchTest, UsersAreNotifiedAndListed)
{
    CTestClient& alice = User("alice");
    // The service is there from the start; the user's own login comes with its level.
    EXPECT_EQ(alice.Next(": + /os"), ": + /os 2");
    CTestClient& bob = User("bob", 1);
    EXPECT_EQ(alice.Next(": + bob"), ": + bob 1");
    EXPECT_EQ(bob.Next(": + alice"), ": + alice 0");
    User(CStandinServer::kAdmin);

    server.AdvanceClock(65);
    alice.Send("who");
    const std::string who = alice.Next(": who");
    EXPECT_EQ(who.substr(0, 9), ": who 4\n/");
    EXPECT_NE(who.find("\n/os s 0:00 1:05 - -\n"), std::string::npos) << who;
    EXPECT_NE(who.find("\nalice - 0:00 1:05 - -"), std::string::npos) << who;   // "who" itself is a command
    EXPECT_NE(who.find("\nbob + 1:05 1:05 - -"), std::string::npos) << who;
    EXPECT_NE(who.find("\nadmin a 1:05 1:05 - -"), std::string::npos) << who;

    // Notifications of one login only; a second "notify" reports nothing twice.
    CTestClient& carol = User("carol");
    carol.Send("notify - *");
    carol.Send("notify + bob");
    carol.Send("notify + *");
    bob.Send("quit");
    EXPECT_EQ(bob.Next(": ~disconnect"), ": ~disconnect");
    EXPECT_EQ(alice.Next(": - bob"), ": - bob 1");
    EXPECT_EQ(carol.Next(": - bob"), ": - bob 1");
    const auto texts = carol.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), ": + bob 1"), 1);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), ": + /os 2"), 1);

    // Logins that could pass for a service or a channel, or that do not fit, are refused.
    for (const char* login : {"/os", ".chat", "_x", "a", "ninechars", "a,b", "a b"}) {
        CTestClient refused(login);
        ASSERT_EQ(refused.Connect("127.0.0.1", port), 0);
        EXPECT_EQ(refused.Login(login, "pw"), ggsstream::kErrBadPassword) << login;
    }

    // A login used again on a new connection ends the old one.
    CTestClient again("alice");
    ASSERT_TRUE(again.Start(port));
    EXPECT_EQ(alice.Next(": ~disconnect"), ": ~disconnect");
    EXPECT_EQ(carol.Next(": - alice"), ": - alice 0");
    again.Stop();
}

TEST_F(StandinMatchTest, TellsChannelsFingerAndAliases)
{
    CTestClient& alice = User("alice");
    CTestClient& bob = User("bob", 1);
    alice.Send("t bob hi there");
    EXPECT_EQ(bob.Next("alice"), "alice: hi there");
    bob.Send("tell alice  back");
    EXPECT_EQ(alice.Next("bob"), "bob: back");
    alice.Send("t zed hello");
    EXPECT_EQ(alice.Next(": ERR"), ": ERR user 'zed' not found.");

    // A channel reaches its members but the sender.
    alice.Send("c + .chat");
    bob.Send("c + .chat");
    bob.Sync();
    alice.Send("t .chat all here");
    EXPECT_EQ(bob.Next(".chat"), ".chat alice: all here");
    bob.Send("c - .chat");
    bob.Sync();
    alice.Send("t .chat anyone?");
    alice.Send("t bob marker");
    EXPECT_EQ(bob.Next("alice"), "alice: marker");
    EXPECT_FALSE(bob.Has(".chat"));
    EXPECT_FALSE(alice.Has(".chat"));
    alice.Send("c + chat");
    EXPECT_EQ(alice.Next(": ERR"), ": ERR c +|- .<channel>");

    server.AdvanceClock(5);
    alice.Send("f bob");
    EXPECT_EQ(alice.Next(": finger"),
              ": finger\nlogin: bob\nlevel: 1\nstate: present\nonline: 0:05\nidle: 0:05\nchannels:");
    alice.Send("finger");
    EXPECT_EQ(alice.Next(": finger"),
              ": finger\nlogin: alice\nlevel: 0\nstate: present\nonline: 0:05\nidle: 0:00\nchannels: .chat");
    alice.Send("f zed");
    EXPECT_EQ(alice.Next(": ERR"), ": ERR user 'zed' not found.");

    // The client's log-off alias: commands separated by ';', the last one deleting it.
    alice.Send("alias .log_off c - .chat ; t bob bye ; alias .log_off");
    alice.Send("alias .hi t bob hi");
    alice.Send("alias");
    EXPECT_EQ(alice.Next(": alias"),
              ": alias alice 2/2\n.hi t bob hi\n.log_off c - .chat ; t bob bye ; alias .log_off");
    alice.Send(".log_off");
    EXPECT_EQ(bob.Next("alice"), "alice: bye");
    alice.Send(".log_off");
    EXPECT_EQ(alice.Next(": ERR"), ": ERR command '.log_off' not recognized.");
    alice.Send("alias");
    EXPECT_EQ(alice.Next(": alias"), ": alias alice 1/1\n.hi t bob hi");
    alice.Send("frob 1 2");
    EXPECT_EQ(alice.Next(": ERR"), ": ERR command 'frob' not recognized.");

    // The service answers in its own name.
    alice.Os("rated +");
    EXPECT_EQ(alice.Next("/os: ERR"), "/os: ERR you are not registered.");
    alice.Os("frob");
    EXPECT_EQ(alice.Next("/os: ERR"), "/os: ERR unknown command frob");
}

namespace {

// Sends the lines on a connection of its own and returns all that comes back until the
// server ends it (or leaves it silent for the time-out).
std::string RawSession(uint16_t port, const std::string& lines)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const timeval limit{std::chrono::seconds(kNetTimeout).count(), 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string bytes;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::send(fd, lines.data(), lines.size(), 0) == ssize_t(lines.size())) {
        char buffer[4096];
        for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
            bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return bytes;
}

} // namespace

TEST_F(StandinMatchTest, ClientProtocolShapesOnTheWire)
{
    // Every message ends with "READY"; continuation lines begin with '|'.
    CTestClient& alice = User("alice");
    const std::string welcome = "Welcome to the GGS stand-in.\nEnter login (yours, or one you'd like to use).\n"
                                "Enter your password.\nREADY\n";
    EXPECT_EQ(RawSession(port, "raw\nsecret\nwho\nquit\n"),
              welcome + ": who 3\n|/os s 0:00 0:00 - -\n|alice - 0:00 0:00 - -\n|raw - 0:00 0:00 - -\nREADY\n");

    // Lines may end in CR LF as well: the login, the password and the commands are the
    // same without the CR.
    ASSERT_EQ(RawSession(port, "crlf\r\nsecret\r\nwho\r\nt alice hi\r\nquit\r\n"),
              welcome + ": who 3\n|/os s 0:00 0:00 - -\n|alice - 0:00 0:00 - -\n|crlf - 0:00 0:00 - -\nREADY\n");
    EXPECT_EQ(alice.Next(": + crlf"), ": + crlf 0");
    EXPECT_EQ(alice.Next("crlf"), "crlf: hi");
    CTestClient again("crlf");
    EXPECT_TRUE(again.Start(port, "secret"));
    again.Stop();

    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);

    // A line that never ends is not kept without bound: the connection ends.
    const size_t endlessClient = server.GetClientCount();
    const int endless = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(::connect(endless, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string chunk(4096, 'x');
    bool closed = false;
    for (int i = 0; i < 64 && !closed; ++i)
        closed = ::send(endless, chunk.data(), chunk.size(), MSG_NOSIGNAL) < 0;
    EXPECT_TRUE(server.WaitForClientClosed(kNetTimeout, endlessClient));
    ::close(endless);
}
