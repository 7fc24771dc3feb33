// Talking on the server: tells and channels between two logins, the server's own
// messages in their windows, the version answer, the service's comings and goings, the
// main window's talk commands, the end of the connection, and what a server cannot do:
// end the connection with its own text, or open windows without bound.
// The kit clients of the stand-in's own tests, before the client's test support.
#include "../net/MatchSupport.h"

#include "TalkSupport.h"

#include "MainFrm.h"
#include "ServerOsTavo.h"
#include "res/Resource.h"

#include <QLineEdit>
#include <QMessageBox>
#include <algorithm>
#include <gtest/gtest.h>

TEST(Talk, TellsBetweenTwoLogins)
{
    TalkSession session;
    CTestClient bob("bob");
    ASSERT_TRUE(session.LogIn("alice"));
    ASSERT_TRUE(bob.Start(session.server.GetPort()));

    // A tell opens the sender's window on first contact, without a command of the user.
    bob.Send("t alice hello alice");
    ASSERT_TRUE(ProcessEventsUntil([] { return ConsoleTitled("bob") != nullptr; }));
    CConsole* window = ConsoleTitled("bob");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !OutputText(window).isEmpty(); }));
    EXPECT_EQ(OutputText(window), QStringLiteral("bob: hello alice\n"));
    EXPECT_TRUE(window->isVisible());

    // The answer typed into it reaches bob.
    TypeLine(window, QStringLiteral("hello bob"));
    EXPECT_TRUE(session.Sent("t bob hello bob\n"));
    EXPECT_NE(bob.Next("alice: hello bob"), "");
    EXPECT_EQ(OutputText(window), QStringLiteral("bob: hello alice\nhello bob\n"));
}

TEST(Talk, ChannelLinesAndTheVersionAnswer)
{
    TalkSession session;
    ASSERT_TRUE(session.LogIn("alice"));
    CTestClient bob("bob");
    ASSERT_TRUE(bob.Start(session.server.GetPort()));
    bob.Send("c + .Tavo\nt .Tavo hi all");
    ASSERT_TRUE(ProcessEventsUntil([] { return ConsoleTitled(".Tavo") != nullptr; }));
    CConsole* channel = ConsoleTitled(".Tavo");
    ASSERT_TRUE(ProcessEventsUntil([&] { return !OutputText(channel).isEmpty(); }));
    EXPECT_EQ(OutputText(channel), QStringLiteral(".Tavo bob: hi all\n"));

    // "version" from q4 on the channel is answered, and not shown.
    CTestClient q4("q4");
    ASSERT_TRUE(q4.Start(session.server.GetPort()));
    q4.Send("c + .Tavo\nt .Tavo version");
    EXPECT_TRUE(session.Sent("t q4 Version 0.75\n"));
    EXPECT_NE(q4.Next("alice: Version 0.75"), "");
    // Any other text on the channel is shown as it came, a version request of another
    // user too.
    bob.Send("t .Tavo version");
    ASSERT_TRUE(ProcessEventsUntil([&] { return OutputText(channel).contains(QStringLiteral("bob: version")); }));
    EXPECT_EQ(OutputText(channel), QStringLiteral(".Tavo bob: hi all\n.Tavo bob: version\n"));
    EXPECT_EQ(session.server.GetClientBytes(session.client).find("t bob Version"), std::string::npos);
}

TEST(Talk, ServerRepliesGoToTheirWindows)
{
    TalkSession session;
    ASSERT_TRUE(session.LogIn("alice"));

    // A user who is not there: the error lands in that user's window.
    session.Stream()->ShowWindowFor("nobody", false);
    TypeLine(ConsoleTitled("nobody"), QStringLiteral("are you there"));
    CConsole* nobody = ConsoleTitled("nobody");
    ASSERT_TRUE(ProcessEventsUntil([&] { return OutputText(nobody).contains(QStringLiteral("ERR")); }));
    EXPECT_EQ(OutputText(nobody), QStringLiteral("are you there\n: ERR user 'nobody' not found.\n"));
    EXPECT_EQ(ConsoleTitled("GGS Console"), nullptr);

    // Any other error, in the console.
    session.Command(ID_GGS_CONSOLE);
    CConsole* console = ConsoleTitled("GGS Console");
    ASSERT_NE(console, nullptr);
    TypeLine(console, QStringLiteral("frobnicate"));
    ASSERT_TRUE(ProcessEventsUntil([&] { return OutputText(console).contains(QStringLiteral("ERR")); }));
    EXPECT_EQ(OutputText(console), QStringLiteral("frobnicate\n: ERR command 'frobnicate' not recognized.\n"));

    // The server's finger reply is a message box.
    MessageBoxes boxes;
    TypeLine(console, QStringLiteral("f alice"));
    ASSERT_TRUE(session.Sent("f alice\n"));
    ASSERT_TRUE(ProcessEventsUntil([&] { return !boxes.Texts().empty(); }));
    ASSERT_EQ(boxes.Texts().size(), 1u);
    EXPECT_TRUE(boxes.Texts()[0].startsWith(QStringLiteral(": finger\nlogin: alice\nlevel: 0")));
}

TEST(Talk, LoginCommandsAndUnknownMessages)
{
    TalkSession session(": frobnicate 1 2\n|3\nREADY\n");
    ASSERT_TRUE(session.LogIn("alice"));
    EXPECT_EQ(session.server.GetClientBytes(session.client),
              "alice\npw\nve -ack\nnotify + /os\nnotify + *\nwho\nc + .Tavo\nc + .tourney\n"
              "alias .log_off c - .Tavo ; c - .tourney ; t /os client - ; alias .log_off\n");
    ASSERT_TRUE(ProcessEventsUntil([] { return ConsoleTitled("GGS Console") != nullptr; }));
    EXPECT_EQ(OutputText(ConsoleTitled("GGS Console")),
              QStringLiteral("Unknown GGS Message:\n: frobnicate 1 2\n3\n"));
}

TEST(Talk, ServiceLeavingAndComingBack)
{
    // Before the first who reply a returning service says nothing; the first reply
    // tells whether it is there; afterwards "-" always warns and "+" greets it once.
    const std::string script =
        ": - /os 2\nREADY\n"
        ": + /os 2\nREADY\n"
        ": who 2\n|/os s 0:00 1:00 - -\n|bob - 0:00 0:00 - -\nREADY\n"
        ": - /os 2\nREADY\n"
        ": + /os 2\nREADY\n"
        ": + /os 2\nREADY\n"
        ": done\nREADY\n";
    TalkSession session(script);
    MessageBoxes boxes;
    ASSERT_TRUE(session.LogIn("alice"));
    ASSERT_TRUE(ProcessEventsUntil([] { return ConsoleTitled("GGS Console") != nullptr; }));
    const QString away = LoadStringResource(IDS_OS_UNAVAILABLE);
    const QString back = LoadStringResource(IDS_OS_BACK);
    // A notice the same as one still waiting takes its place, so the second warning shows
    // only when the first was already on screen.
    std::vector<QString> texts = boxes.Texts();
    texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
    EXPECT_EQ(texts, (std::vector<QString>{away, back}));
    EXPECT_EQ(away, QStringLiteral("The Reversi server is not available at the moment, so you can't play Reversi"));
    EXPECT_EQ(back, QStringLiteral("The Reversi server is back online, you can now play Reversi"));
    EXPECT_NE(dynamic_cast<CServerOsTavo*>(session.Stream()->FindService("/os")), nullptr);
}

TEST(Talk, FirstWhoReplyWithoutTheService)
{
    TalkSession session(": who 1\n|bob - 0:00 0:00 - -\nREADY\n: + /os 2\nREADY\n: done\nREADY\n");
    MessageBoxes boxes;
    ASSERT_TRUE(session.LogIn("carol"));
    ASSERT_TRUE(ProcessEventsUntil([] { return ConsoleTitled("GGS Console") != nullptr; }));
    EXPECT_EQ(boxes.Texts(),
              (std::vector<QString>{LoadStringResource(IDS_OS_UNAVAILABLE), LoadStringResource(IDS_OS_BACK)}));
}

TEST(Talk, ServiceSetupFollowsTheOwnLevel)
{
    for (const int level : {0, 1}) {
        TalkSession session;
        session.server.SetLevel("alice", level);
        ASSERT_TRUE(session.LogIn("alice"));
        ASSERT_TRUE(session.Sent(level ? "t /os rated +\nt /os match\n" : "t /os open 1\nt /os match\n"));
        auto* os = dynamic_cast<CServerOsTavo*>(session.Stream()->FindService("/os"));
        ASSERT_NE(os, nullptr);
        EXPECT_TRUE(os->setupSent);
        // Only the game service has an object of its own.
        EXPECT_EQ(session.Stream()->FindService("alice"), nullptr);
        EXPECT_EQ(session.Stream()->IsRegistered(), level == 1);
        EXPECT_EQ(session.Stream()->IsUnregistered(), level == 0);
        EXPECT_EQ(session.Enabled(ID_GGS_REGISTER), level == 0);
    }
}

TEST(Talk, CommandsOfTheMainWindow)
{
    // Which commands are enabled when, and the lines they send: the command table's tests.
    TalkSession session;
    ASSERT_TRUE(session.LogIn("alice"));

    // Who shows the window, which the reply fills.
    session.Command(ID_GGS_WHO);
    ASSERT_NE(WhoWindow(), nullptr);
    EXPECT_TRUE(WhoWindow()->isVisible());

    // Talk to: an empty name is refused with a message, a name opens its window
    // (without the blanks of a pasted line break around it).
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            TypeText(EditOf(d, IDC_TALK_TO), QStringLiteral("  "));
            ClickButton(d, IDOK);
        });
        driver.AcceptMessageBox();
        session.Command(ID_GGS_TALKTO);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(driver.messageBoxes, std::vector<QString>{QStringLiteral("You must enter the name of someone to talk to")});
        EXPECT_EQ(FindWindowTitled<CConsole>(QString()), nullptr);
    }
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            TypeText(EditOf(d, IDC_TALK_TO), QStringLiteral(" bob "));
            ClickButton(d, IDOK);
        });
        session.Command(ID_GGS_TALKTO);
        EXPECT_TRUE(driver.Done());
        EXPECT_TRUE(driver.messageBoxes.empty());
        ASSERT_NE(ConsoleTitled("bob"), nullptr);
        EXPECT_TRUE(ConsoleTitled("bob")->isVisible());
    }
    session.Command(ID_GGS_CHAT);
    EXPECT_NE(ConsoleTitled(".chat"), nullptr);
    session.Command(ID_GGS_CONSOLE);
    EXPECT_NE(ConsoleTitled("GGS Console"), nullptr);
}

TEST(Talk, DisconnectRemovesEveryWindowAndTheService)
{
    TalkSession session;
    ASSERT_TRUE(session.LogIn("alice"));
    session.Command(ID_GGS_WHO);
    session.Command(ID_GGS_CONSOLE);
    session.Stream()->ShowWindowFor("bob", false);
    ASSERT_TRUE(ProcessEventsUntil([&] { return session.Stream()->FindService("/os") != nullptr; }));
    QPointer<CDialogGGSWho> who = WhoWindow();
    QPointer<CConsole> console = ConsoleTitled("GGS Console");
    QPointer<CConsole> bob = ConsoleTitled("bob");
    ASSERT_TRUE(who && console && bob);

    session.Command(ID_GGS_CONNECT);
    ASSERT_TRUE(ProcessEventsUntil([&] { return bool(*session.deleted); }));
    EXPECT_EQ(session.app.pStream, nullptr);
    EXPECT_TRUE(ProcessEventsUntil([&] { return !who && !console && !bob; }));
}

TEST(Talk, ServerTextNeverPassesForTheClientsOwnMessages)
{
    // The server writes the client's own end-of-connection and login texts: they are
    // unknown messages, and the connection goes on as before.
    TalkSession session(": + /os 2\nREADY\nbob: before\nREADY\n"
                        ": ~disconnect\nREADY\n: ~login\nREADY\n"
                        "bob: after\nREADY\n");
    ASSERT_TRUE(session.LogIn("alice"));
    ASSERT_TRUE(ProcessEventsUntil([] {
        return ConsoleTitled("bob") && OutputText(ConsoleTitled("bob")).contains(QStringLiteral("after"));
    }));
    EXPECT_EQ(OutputText(ConsoleTitled("bob")), QStringLiteral("bob: before\nbob: after\n"));
    ASSERT_NE(ConsoleTitled("GGS Console"), nullptr);
    EXPECT_EQ(OutputText(ConsoleTitled("GGS Console")),
              QStringLiteral("Unknown GGS Message:\n: ~disconnect\nUnknown GGS Message:\n: ~login\n"));
    ASSERT_EQ(session.app.pStream, session.Stream());
    ASSERT_NE(session.Stream(), nullptr);
    EXPECT_TRUE(session.Stream()->IsLoggedIn());
    EXPECT_NE(session.Stream()->FindService("/os"), nullptr);

    // The user still ends the connection, and its real end closes every window.
    QPointer<CConsole> bob = ConsoleTitled("bob");
    EXPECT_TRUE(session.Enabled(ID_GGS_CONNECT));
    auto* frame = dynamic_cast<CMainFrame*>(session.app.GetMainWnd());
    frame->UpdateCommandUI();
    EXPECT_EQ(frame->GetCommandAction(ID_GGS_CONNECT)->text(), QStringLiteral("Disconnect"));
    session.Command(ID_GGS_CONNECT);
    EXPECT_TRUE(session.Sent("quit\n"));
    // Everything sent before the quit has arrived: the login commands went once (the
    // service's own "tell /os notify + *" is not one of them).
    const std::string sent = session.server.GetClientBytes(session.client);
    EXPECT_EQ(sent.find("\nnotify + *\n"), sent.rfind("\nnotify + *\n")) << sent;
    ASSERT_TRUE(ProcessEventsUntil([&] { return bool(*session.deleted); }));
    EXPECT_EQ(session.app.pStream, nullptr);
    EXPECT_TRUE(ProcessEventsUntil([&] { return !bob; }));
}

TEST(Talk, WindowsPerSenderHaveABound)
{
    // A server that writes as ever new senders: past the bound their text goes to the
    // console with the name in front; the names that have a window keep it.
    const size_t senders = tavostream::kMaxWindows + 20;
    std::string script;
    for (size_t i = 0; i < senders; ++i)
        script += "u" + std::to_string(i) + ": hi\nREADY\n";
    script += ": ERR user 'nobody' not found.\nREADY\nu0: again\nREADY\n: done\nREADY\n";
    TalkSession session(script);
    ASSERT_TRUE(session.LogIn("alice"));
    auto* stream = dynamic_cast<RecordingStream*>(session.Stream());
    ASSERT_TRUE(ProcessEventsUntil([&] { return !stream->texts.empty() && stream->texts.back() == ": done"; }));
    size_t windows = 0;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* console = dynamic_cast<CConsole*>(widget); console && console->m_pStream)
            ++windows;
    EXPECT_EQ(windows, tavostream::kMaxWindows + 1);   // and the console
    const std::string last = "u" + std::to_string(tavostream::kMaxWindows - 1);
    ASSERT_NE(ConsoleTitled(last), nullptr);
    EXPECT_EQ(ConsoleTitled("u" + std::to_string(tavostream::kMaxWindows)), nullptr);
    EXPECT_EQ(OutputText(ConsoleTitled("u0")), QStringLiteral("u0: hi\nu0: again\n"));
    QString overflow;
    for (size_t i = tavostream::kMaxWindows; i < senders; ++i)
        overflow += QStringLiteral("u%1: hi\n").arg(i);
    EXPECT_EQ(OutputText(ConsoleTitled("GGS Console")),
              overflow + QStringLiteral("nobody : ERR user 'nobody' not found.\nUnknown GGS Message:\n: done\n"));

    // The user's own command still opens a window for a new name, and joined chats still
    // get their window.
    session.Stream()->ShowWindowFor("carol", false);
    EXPECT_NE(ConsoleTitled("carol"), nullptr);
    session.app.fUnifiedChat = true;
    session.Stream()->ParseMessage("dave: hello");
    ASSERT_NE(ConsoleTitled(".chat"), nullptr);
    EXPECT_EQ(OutputText(ConsoleTitled(".chat")), QStringLiteral("dave: hello\n"));
}
