// The server stream without a socket: the reader loop over a string buffer, and routing.
#include "Server.h"
#include "ggsstream.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// Records what the stream hands on and which handlers it calls.
class CRecordingStream : public ggsstream {
public:
    std::vector<std::string> lines;      // as ProcessLine saw them
    std::vector<std::string> texts;      // as HandleText saw them
    std::vector<std::string> events;     // handler name and the record's main field
    std::vector<size_t> usersSeen;       // the size of the users table at each generic message
    int bells = 0;

    // Reads the given server text through the reader loop.
    void RunOver(const std::string& input)
    {
        std::stringbuf buffer(input, std::ios::in);
        rdbuf(&buffer);
        Run();
        rdbuf(nullptr);
    }
    const std::map<std::string, int>& Users() const { return users; }
    void SetLogin(const std::string& name) { login = name; }
    const std::string& Pending() const { return pending; }

    void ProcessLine(std::string& line) override
    {
        lines.push_back(line);
        ggsstream::ProcessLine(line);
    }
    void HandleText(const std::string& text, Origin origin) override
    {
        texts.push_back(text);
        ggsstream::HandleText(text, origin);
    }
    void OnBell() override { ++bells; }
    void OnMessage(const CMsg& msg) override
    {
        events.push_back("message " + msg.text);
        usersSeen.push_back(users.size());
    }
    void OnAlias(const CMsgGGSAlias& msg) override { events.push_back("alias " + msg.login); }
    void OnErr(const CMsgGGSErr& msg) override { events.push_back("err " + std::to_string(msg.id)); }
    void OnFinger(const CMsgGGSFinger& msg) override
    {
        events.push_back("finger " + std::to_string(msg.entries.size()));
    }
    void OnHelp(const CMsgGGSHelp& msg) override { events.push_back("help " + msg.rest); }
    void OnTell(const CMsgGGSTell& msg) override { events.push_back("tell " + msg.from + "|" + msg.rest); }
    void OnUnknown(const CMsgGGSUnknown& msg) override
    {
        events.push_back("unknown " + msg.keyword + "|" + msg.rest);
    }
    void OnWho(const CMsgGGSWho& msg) override { events.push_back("who " + std::to_string(msg.users.size())); }
    void OnLoggedIn() override
    {
        events.push_back("loggedin");
        ggsstream::OnLoggedIn();
    }
    void OnDisconnected() override
    {
        events.push_back("disconnected");
        ggsstream::OnDisconnected();
    }
};

using Strings = std::vector<std::string>;

} // namespace

TEST(StreamReader, SplitsLinesAtCrLfAndDropsBell)
{
    CRecordingStream stream;
    stream.RunOver(std::string("a\r\nb\n\nc\r") + "x\ay\n" + std::string("n\0l\n", 4));
    EXPECT_EQ(stream.lines, (Strings{"a", "b", "", "c", "xy", std::string("n\0l", 3)}));
    EXPECT_EQ(stream.bells, 1);

    // CR CR is two lines; LF after a lone LF is another line.
    CRecordingStream second;
    second.RunOver("p\r\rq\n\n");
    EXPECT_EQ(second.lines, (Strings{"p", "", "q", ""}));
}

TEST(StreamReader, AssemblesMessagesAtColonAndReady)
{
    CRecordingStream stream;
    stream.RunOver(": x\n|y\nz\n: w\nREADY\n");
    EXPECT_EQ(stream.texts, (Strings{": x\ny\nz", ": w", ": ~disconnect"}));

    // "READY" twice hands on one empty text, which routing ignores.
    CRecordingStream twice;
    twice.RunOver(": a\nREADY\nREADY\n");
    EXPECT_EQ(twice.texts, (Strings{": a", "", ": ~disconnect"}));
    EXPECT_EQ(twice.events, (Strings{"unknown a|", "disconnected"}));

    // The first line after a dispatch keeps its '|'; an empty continuation adds "\n";
    // only one '|' goes.
    CRecordingStream bars;
    bars.RunOver("|first\n\n||two\nREADY\n");
    EXPECT_EQ(bars.texts, (Strings{"|first\n\n|two", ": ~disconnect"}));

    // A line that only starts with READY is an ordinary line.
    CRecordingStream ready;
    ready.RunOver(": a\nREADY.\nREADY \nREADY\r\n");
    EXPECT_EQ(ready.texts, (Strings{": a\nREADY.\nREADY ", ": ~disconnect"}));
}

TEST(StreamReader, EndOfInputHandsOnOnlyTheDisconnect)
{
    CRecordingStream stream;
    stream.RunOver(": half\n|message\npartial line");
    EXPECT_EQ(stream.texts, (Strings{": ~disconnect"}));
    EXPECT_EQ(stream.events, (Strings{"disconnected"}));

    CRecordingStream empty;
    empty.RunOver("");
    EXPECT_EQ(empty.texts, (Strings{": ~disconnect"}));

    // A stream with no buffer at all ends at once.
    CRecordingStream none;
    none.Run();
    EXPECT_EQ(none.texts, (Strings{": ~disconnect"}));
}

TEST(StreamReader, BoundsLinesAndMessages)
{
    // An endless line keeps its first kMaxLine characters.
    CRecordingStream stream;
    std::string input(ggsstream::kMaxLine * 3, 'x');
    input += "\nREADY\n";
    stream.RunOver(input);
    ASSERT_EQ(stream.texts.size(), 2u);
    EXPECT_EQ(stream.texts[0].size(), ggsstream::kMaxLine);

    // A message that never ends keeps its first lines, up to kMaxMessage bytes; the next
    // message comes through whole.
    CRecordingStream endless;
    std::string many = ": start\n";
    const std::string line(1000, 'y');
    while (many.size() < ggsstream::kMaxMessage * 2)
        many += line + "\n";
    many += "short\n: next\nREADY\n";
    endless.RunOver(many);
    ASSERT_EQ(endless.texts.size(), 3u);
    EXPECT_LE(endless.texts[0].size(), ggsstream::kMaxMessage);
    EXPECT_GT(endless.texts[0].size(), ggsstream::kMaxMessage - 2 * line.size());
    EXPECT_EQ(endless.texts[0].find("short"), std::string::npos);
    EXPECT_EQ(endless.texts[1], ": next");

    // At the edge: a last line that makes the message exactly kMaxMessage bytes (its '|'
    // not counted) is kept; one a byte longer is dropped.
    for (const size_t size : {ggsstream::kMaxMessage, ggsstream::kMaxMessage + 1}) {
        std::string text = ": start";
        std::string input = text + "\n";
        const std::string full(60000, 'y');
        while (text.size() + 1 + full.size() < size - 1) {
            text += "\n" + full;
            input += full + "\n";
        }
        const std::string last(size - text.size() - 1, 'z');
        CRecordingStream edge;
        edge.RunOver(input + "|" + last + "\nREADY\n");
        ASSERT_EQ(edge.texts.size(), 2u) << size;
        const std::string kept = size == ggsstream::kMaxMessage ? text + "\n" + last : text;
        EXPECT_EQ(edge.texts[0].size(), kept.size()) << size;
        EXPECT_TRUE(edge.texts[0] == kept) << size;
    }
}

// A handler may route other messages before it returns (a modal dialog's loop in the
// application does): each routing reads its own text to the end.
TEST(StreamRouting, HandlersMayRouteAgain)
{
    // A service that routes another message between two words of its own.
    struct CNestingService : CServer {
        using CServer::CServer;
        std::string seen;
        void HandleMessage(const std::string&, const std::string&, std::istream& is) override
        {
            std::string first, second;
            is >> first;
            connection->ParseMessage("inner: nested words");
            is >> second;
            seen = first + " " + second;
        }
    };
    struct CNesting : CRecordingStream {
        void File(CServer* service) { services["/nest"].reset(service); }
    } stream;
    auto* service = new CNestingService(&stream, "/nest");
    stream.File(service);
    stream.ParseMessage("/nest: one two");
    EXPECT_EQ(service->seen, "one two");
    EXPECT_EQ(stream.events, (Strings{"tell inner|nested words"}));

    // A hand-off that starts the next message itself keeps it.
    struct CStarting : CRecordingStream {
        void HandleText(const std::string& text, Origin origin) override
        {
            CRecordingStream::HandleText(text, origin);
            if (text == ": one") {
                std::string line = ": two";
                ProcessLine(line);
            }
        }
    } starting;
    starting.RunOver(": one\nREADY\nREADY\n");
    EXPECT_EQ(starting.texts, (Strings{": one", ": two", ": ~disconnect"}));
}

TEST(StreamRouting, RoutesByFirstWord)
{
    CRecordingStream stream;
    stream.ParseMessage("");
    stream.ParseMessage("   \n ");
    EXPECT_TRUE(stream.events.empty());

    stream.ParseMessage("joe: hi there");
    stream.ParseMessage("/os: join .1 x");          // no service filed: a tell from "/os"
    stream.ParseMessage(":: odd");                   // only one colon is cut
    stream.ParseMessage(".chat joe: hello");
    stream.ParseMessage(": news today");
    stream.ParseMessage(":");
    stream.ParseMessage(": help\nline");
    stream.ParseMessage(": ERR command not recognized");
    stream.ParseMessage(": finger\na: 1\nb: 2");
    stream.ParseMessage(": who 1\njoe + 0 0 0 0");
    stream.ParseMessage(": alias joe");
    stream.ParseMessage(": err lower case");        // keywords are case-sensitive
    EXPECT_EQ(stream.events, (Strings{"tell joe|hi there", "tell /os|join .1 x", "tell :|odd",
                                      "tell .chat|joe: hello", "unknown news|today", "unknown |",
                                      "help line", "err 33793", "finger 2", "who 1", "alias joe",
                                      "unknown err|lower case"}));
}

TEST(StreamRouting, UserNotificationsKeepTheUsersTable)
{
    CRecordingStream stream;
    stream.SetLogin("me");
    EXPECT_EQ(stream.GetMyLevel(), -1);
    stream.ParseMessage(": + me 1");
    stream.ParseMessage(": + /os 2");
    stream.ParseMessage(": + joe 0");
    EXPECT_EQ(stream.GetMyLevel(), 1);
    EXPECT_EQ(stream.Users(), (std::map<std::string, int>{{"/os", 2}, {"joe", 0}, {"me", 1}}));
    stream.ParseMessage(": + joe 1");                // a new level replaces the old one
    stream.ParseMessage(": - /os");
    stream.ParseMessage(": - nobody");               // never announced: nothing to erase
    stream.ParseMessage(": +");                      // no login: names nobody
    stream.ParseMessage(": - ");
    EXPECT_EQ(stream.Users(), (std::map<std::string, int>{{"joe", 1}, {"me", 1}}));
    // Every notification also reaches the generic handler, after the table has changed.
    EXPECT_EQ(stream.events.size(), 8u);
    EXPECT_EQ(stream.events[0], "message : + me 1");
    EXPECT_EQ(stream.usersSeen, (std::vector<size_t>{1, 2, 3, 3, 2, 2, 2, 2}));

    // The table survives the end of the connection; the login does not.
    stream.ParseClientMessage(": ~disconnect");
    EXPECT_EQ(stream.Users().size(), 2u);
    EXPECT_EQ(stream.GetLogin(), "");
    EXPECT_FALSE(stream.IsLoggedIn());
}

TEST(StreamRouting, UsersTableIsBounded)
{
    CRecordingStream stream;
    const std::string longest(ggsstream::kMaxLogin, 'x');
    stream.ParseMessage(": + " + longest + "x 1");   // longer than any login: not filed
    stream.ParseMessage(": + " + longest + " 1");
    EXPECT_EQ(stream.Users(), (std::map<std::string, int>{{longest, 1}}));

    // A full table takes no new login; those it holds still change.
    for (size_t i = 1; i < ggsstream::kMaxUsers; ++i)
        stream.ParseMessage(": + u" + std::to_string(i) + " 0");
    ASSERT_EQ(stream.Users().size(), ggsstream::kMaxUsers);
    stream.ParseMessage(": + late 1");
    stream.ParseMessage(": + u7 2");
    EXPECT_EQ(stream.Users().size(), ggsstream::kMaxUsers);
    EXPECT_EQ(stream.Users().count("late"), 0u);
    EXPECT_EQ(stream.Users().at("u7"), 2);
    stream.ParseMessage(": - u7");
    stream.ParseMessage(": + late 1");
    EXPECT_EQ(stream.Users().at("late"), 1);
    // The service still comes with its login.
    stream.ParseMessage(": + /os 1");
    EXPECT_TRUE(stream.HasService("/os"));
}

TEST(StreamRouting, OnlyTheClientsOwnTextsLogInAndOut)
{
    CRecordingStream stream;
    std::stringbuf sent;
    stream.rdbuf(&sent);
    stream.SetLogin("me");
    stream.ParseClientMessage(": ~login");
    EXPECT_EQ(stream.events, (Strings{"loggedin"}));
    EXPECT_EQ(sent.str(), "ve -ack\nnotify + /os\n");
    stream.ParseMessage(": + /os 1");
    sent.str("");
    stream.events.clear();

    // The same words from the server are unknown messages: nothing is sent again, and the
    // login and the service stay.
    stream.ParseMessage(": ~login");
    stream.ParseMessage(": ~disconnect");
    stream.ParseMessage(":  ~disconnect now");
    EXPECT_EQ(stream.events, (Strings{"unknown ~login|", "unknown ~disconnect|", "unknown ~disconnect|now"}));
    EXPECT_EQ(sent.str(), "");
    EXPECT_EQ(stream.GetLogin(), "me");
    EXPECT_TRUE(stream.HasService("/os"));

    stream.ParseClientMessage(": ~disconnect");
    EXPECT_EQ(stream.events.back(), "disconnected");
    EXPECT_EQ(stream.GetLogin(), "");
    EXPECT_FALSE(stream.HasService("/os"));
    stream.rdbuf(nullptr);

    // Through the reader loop: the server's line is unknown, the end of input is the
    // client's own.
    CRecordingStream reader;
    reader.RunOver(": ~disconnect\nREADY\n");
    EXPECT_EQ(reader.texts, (Strings{": ~disconnect", ": ~disconnect"}));
    EXPECT_EQ(reader.events, (Strings{"unknown ~disconnect|", "disconnected"}));
}

TEST(StreamRouting, ServiceComesOnceWithItsLogin)
{
    CRecordingStream stream;
    std::stringbuf sent;
    stream.rdbuf(&sent);
    stream.ParseMessage(": + /os 1");
    CServer* service = stream.FindService("/os");
    ASSERT_NE(service, nullptr);
    stream.ParseMessage("/os: + match .4 1700 bob 1800 ann 8 R");
    // A repeated "+" (a new level) keeps the service object and its state.
    stream.ParseMessage(": + /os 2");
    ASSERT_EQ(stream.FindService("/os"), service);
    EXPECT_NE(static_cast<CServerOs*>(service)->FindMatch(".4"), nullptr);
    EXPECT_EQ(sent.str(), "tell /os client +\ntell /os notify + *\n");
    stream.ParseMessage(": - /os");
    EXPECT_FALSE(stream.HasService("/os"));
    stream.rdbuf(nullptr);
}

TEST(StreamRouting, ServicesWaitForTheServiceObject)
{
    // No service is filed by a "+" for a login that is no service, nor twice for one name.
    CRecordingStream stream;
    stream.ParseMessage(": + joe 1");
    EXPECT_FALSE(stream.HasService("joe"));
    EXPECT_EQ(stream.FindService("joe"), nullptr);
    stream.DeleteService("joe");
    stream.DeleteAllServices();
    EXPECT_FALSE(stream.HasService("/os"));
}

TEST(StreamErrors, CodesWithoutAConnection)
{
    CRecordingStream stream;
    EXPECT_FALSE(stream.IsConnected());
    EXPECT_EQ(stream.Disconnect(), ggsstream::kErrNotConnected);
    EXPECT_EQ(stream.Logout(), ggsstream::kErrNotLoggedIn);
    // A read with no socket buffer behind the stream.
    EXPECT_EQ(stream.WaitFor("login"), ggsstream::kErrNoStreambuf);
    EXPECT_EQ(stream.Login("me", "pw"), ggsstream::kErrNoStreambuf);
    EXPECT_FALSE(stream.IsLoggedIn());
    EXPECT_EQ(stream.GetLogin(), "me");   // the name is kept after a failed login

    EXPECT_EQ(ggsstream::GetErrorText(33024), "Out of memory");
    EXPECT_EQ(ggsstream::GetErrorText(33281),
              "Your password is invalid, or someone has already chosen that login");
    EXPECT_EQ(ggsstream::GetErrorText(33283), "You have already logged out of GGS");
    EXPECT_EQ(ggsstream::GetErrorText(33284), "(No text available for this error)");

    // WaitFor finds its text across everything read, on any buffer.
    std::stringbuf buffer("xxlogloginyy", std::ios::in);
    stream.rdbuf(&buffer);
    EXPECT_EQ(stream.WaitFor("login"), 0);
    EXPECT_EQ(stream.get(), 'y');
    stream.rdbuf(nullptr);
}
