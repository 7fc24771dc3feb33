// Connecting and logging in against the stand-in server, and the hand-off of the
// server's messages from the reader thread to the window thread.
#include "AppTestSupport.h"

#include "Console.h"
#include "MainFrm.h"
#include "res/Resource.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <cerrno>
#include <thread>

#include "StandinServer.h"

namespace {

using std::chrono::milliseconds;

// A recording stream that also notes the client's own messages where they reach the
// window thread.
class ConnectStream : public RecordingStream {
public:
    using RecordingStream::RecordingStream;
    void OnLoggedIn() override
    {
        texts.push_back(": ~login");
        RecordingStream::OnLoggedIn();
    }
    void OnDisconnected() override
    {
        texts.push_back(": ~disconnect");
        RecordingStream::OnDisconnected();
    }
};

// An application that connects to a stand-in server with a recording stream.
template <class App>
struct BasicConnection {
    explicit BasicConnection(const std::string& script = std::string())
        : deleted(std::make_shared<std::atomic<bool>>(false))
    {
        server.SetPassword("alice", "secret");
        server.SetScript(script);
        port = server.Start();
        app.nServerPort = port;
        app.streamFactory = [this] {
            stream = new ConnectStream(deleted);
            return stream;
        };
    }
    bool Start()
    {
        if (!app.Start())
            return false;
        app.WriteProfileString(QStringLiteral("GGS"), QStringLiteral("server"), QStringLiteral("127.0.0.1"));
        return true;
    }
    // Stores login and password so that the dialog only needs OK.
    void Remember(const QString& password)
    {
        app.WriteProfileString(QStringLiteral("GGS"), QStringLiteral("login"), QStringLiteral("alice"));
        app.WriteProfileString(QStringLiteral("GGS"), QStringLiteral("password"), password);
    }
    // Connects with the right password remembered: the dialog only needs OK.
    bool LogIn()
    {
        Remember(QStringLiteral("secret"));
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) { ClickButton(d, IDOK); });
        app.Connect();
        return driver.Done() && app.pStream != nullptr;
    }
    bool WaitForTexts(size_t count)
    {
        return ProcessEventsUntil([&] { return *deleted || stream->texts.size() >= count; }) && !*deleted;
    }
    bool WaitUntilDeleted()
    {
        return ProcessEventsUntil([&] { return bool(*deleted); });
    }

    CStandinServer server;
    uint16_t port = 0;
    App app;
    RecordingStream* stream = nullptr;
    std::shared_ptr<std::atomic<bool>> deleted;
};

using Connection = BasicConnection<TestApp>;

// An application whose reader threads cannot be started.
class ThreadlessApp : public TestApp {
protected:
    std::intptr_t BeginReaderThread(tavostream* stream) override
    {
        (void)stream;
        errno = error;
        return -1;
    }

public:
    int error = EAGAIN;
};

CMainFrame* Frame(CTavoApp& app)
{
    return dynamic_cast<CMainFrame*>(app.GetMainWnd());
}

// Waits until the modal steps asked for so far (the boxes that wait for the event at
// hand to be done) have run.
bool WaitForModalSteps()
{
    auto ran = std::make_shared<bool>(false);
    AfxRunModalLater([ran] { *ran = true; });
    return ProcessEventsUntil([ran] { return *ran; });
}

// Whether one of the connection's text windows shows.
bool TextWindowShows()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (dynamic_cast<CConsole*>(window) && window->isVisible())
            return true;
    return false;
}

const QString kConnectionLost = QStringLiteral("The connection to the GGS server was lost.");

// The beeps sounded, and whether all of them on the window thread.
int beeps = 0;
bool beepsOnWindowThread = true;
void CountBeep()
{
    ++beeps;
    if (QThread::currentThread() != QCoreApplication::instance()->thread())
        beepsOnWindowThread = false;
}

} // namespace

TEST(Connect, WrongThenRightPassword)
{
    Connection c;
    ASSERT_TRUE(c.Start());
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        TypeText(EditOf(d, IDC_LOGIN), QStringLiteral("alice"));
        TypeText(EditOf(d, IDC_PASSWORD), QStringLiteral("wrong"));
        ClickButton(d, IDOK);
    });
    driver.AcceptMessageBox();
    driver.OnDialog([](CDialog* d) {
        EXPECT_EQ(EditOf(d, IDC_LOGIN)->text(), QStringLiteral("alice"));
        EXPECT_EQ(EditOf(d, IDC_PASSWORD)->text(), QStringLiteral("wrong"));
        EditOf(d, IDC_PASSWORD)->clear();
        TypeText(EditOf(d, IDC_PASSWORD), QStringLiteral("secret"));
        PressKey(EditOf(d, IDC_PASSWORD), Qt::Key_Return);
    });
    Frame(c.app)->UpdateCommandUI();
    Frame(c.app)->GetCommandAction(ID_GGS_CONNECT)->trigger();
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(driver.messageBoxes.size(), 1u);
    EXPECT_TRUE(driver.messageBoxes[0].startsWith(QStringLiteral("Your password is incorrect.")));

    // Logged in on the one connection; the login and password are remembered.
    ASSERT_NE(c.app.pStream, nullptr);
    EXPECT_EQ(c.app.pStream, c.stream);
    EXPECT_TRUE(c.stream->IsLoggedIn());
    EXPECT_EQ(c.server.GetClientCount(), 1u);
    QSettings profile = TestProfile();
    EXPECT_EQ(profile.value(QStringLiteral("GGS/login")).toString(), QStringLiteral("alice"));
    EXPECT_EQ(profile.value(QStringLiteral("GGS/password")).toString(), QStringLiteral("secret"));
    EXPECT_EQ(profile.value(QStringLiteral("GGS/fSavePassword")).toInt(), 1);

    // The login message crosses to the window thread and the login commands go out.
    ASSERT_TRUE(c.WaitForTexts(1));
    EXPECT_EQ(c.stream->texts.front(), ": ~login");
    EXPECT_TRUE(c.server.WaitForClientText("ve -ack\nnotify + /os\n", Scaled(milliseconds(5000))));
    Frame(c.app)->UpdateCommandUI();
    EXPECT_EQ(Frame(c.app)->GetCommandAction(ID_GGS_CONNECT)->text(), QStringLiteral("Disconnect"));

    // Disconnect: "quit" goes out, the end of input comes back, and the stream goes.
    Frame(c.app)->GetCommandAction(ID_GGS_CONNECT)->trigger();
    EXPECT_TRUE(c.server.WaitForClientText("quit\n", Scaled(milliseconds(5000))));
    ASSERT_TRUE(c.WaitUntilDeleted());
    EXPECT_EQ(c.app.pStream, nullptr);
    Frame(c.app)->UpdateCommandUI();
    EXPECT_EQ(Frame(c.app)->GetCommandAction(ID_GGS_CONNECT)->text(), QStringLiteral("&Connect..."));
}

TEST(Connect, CancelShowsNothingAndLeavesNoStream)
{
    Connection c;
    ASSERT_TRUE(c.Start());
    c.Remember(QStringLiteral("wrong"));
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) { ClickButton(d, IDOK); });
    driver.AcceptMessageBox();
    driver.OnDialog([](CDialog* d) { ClickButton(d, IDCANCEL); });
    c.app.Connect();
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(driver.messageBoxes.size(), 1u); // the wrong password; nothing for Cancel
    EXPECT_EQ(c.app.pStream, nullptr);
    EXPECT_TRUE(*c.deleted);
    EXPECT_TRUE(c.server.WaitForClientClosed(Scaled(milliseconds(5000))));
    Frame(c.app)->UpdateCommandUI();
    EXPECT_EQ(Frame(c.app)->GetCommandAction(ID_GGS_CONNECT)->text(), QStringLiteral("&Connect..."));
}

TEST(Connect, FailuresShowTheirText)
{
    Connection c;
    ASSERT_TRUE(c.Start());
    c.server.Stop();
    ModalDriver driver;
    driver.AcceptMessageBox();
    c.app.Connect(); // nobody listens any more
    EXPECT_TRUE(driver.Done());
    ASSERT_EQ(driver.messageBoxes.size(), 1u);
    EXPECT_EQ(driver.messageBoxes[0], QStringLiteral("Can't connect to the computer hosting the GGS."));
    EXPECT_EQ(c.app.pStream, nullptr);
    EXPECT_TRUE(*c.deleted);
}

TEST(HandOff, MessagesArriveOnTheWindowThreadInOrder)
{
    std::string script;
    for (int i = 0; i < 200; ++i)
        script += ": note " + std::to_string(i) + "\n|more of " + std::to_string(i) + "\n";
    script += "READY\n";
    Connection c(script);
    ASSERT_TRUE(c.Start());
    c.Remember(QStringLiteral("secret"));
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) { PressKey(d->GetFocusControl(), Qt::Key_Return); });
    c.app.Connect();
    ASSERT_NE(c.app.pStream, nullptr);
    ASSERT_TRUE(c.WaitForTexts(201));
    EXPECT_TRUE(c.stream->allOnWindowThread);
    ASSERT_EQ(c.stream->texts.size(), 201u);
    EXPECT_EQ(c.stream->texts[0], ": ~login");
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(c.stream->texts[size_t(i) + 1], ": note " + std::to_string(i) + "\nmore of " + std::to_string(i));

    c.app.pStream->Logout();
    ASSERT_TRUE(c.WaitUntilDeleted());
}

TEST(HandOff, ServerClosingReleasesTheStreamFromBothSides)
{
    Connection c(": bye\nREADY\n@close\n");
    ASSERT_TRUE(c.Start());
    ASSERT_TRUE(c.LogIn());
    ModalDriver driver;
    driver.AcceptMessageBox(); // the connection was lost
    ASSERT_TRUE(c.WaitUntilDeleted());
    EXPECT_EQ(c.app.pStream, nullptr);
    EXPECT_TRUE(ProcessEventsUntil([&driver] { return driver.Done(); }));

    // Either side may let go first; the second deletes the stream.
    for (const int first : {0, 1}) {
        auto deleted = std::make_shared<std::atomic<bool>>(false);
        auto* stream = new RecordingStream(deleted);
        tavostream::Finished(stream, first);
        EXPECT_FALSE(*deleted);
        tavostream::Finished(stream, 1 - first);
        EXPECT_TRUE(*deleted);
    }
}

TEST(HandOff, PacketsOfAnotherStreamAreNotParsed)
{
    Connection c;
    ASSERT_TRUE(c.Start());
    auto deleted = std::make_shared<std::atomic<bool>>(false);
    RecordingStream other(deleted);
    Frame(c.app)->SendMessage(WM_APP, 0, reinterpret_cast<LPARAM>(new CServerLinePacket{&other, ": x"}));
    EXPECT_TRUE(other.texts.empty());
    c.app.pStream = &other;
    Frame(c.app)->SendMessage(WM_APP, 0, reinterpret_cast<LPARAM>(new CServerLinePacket{&other, ": y"}));
    c.app.pStream = nullptr;
    EXPECT_EQ(other.texts, std::vector<std::string>{": y"});
}

TEST(HandOff, AReaderFarAheadWaitsUntilTheWindowThreadCatchesUp)
{
    Connection c;
    ASSERT_TRUE(c.Start());
    auto deleted = std::make_shared<std::atomic<bool>>(false);
    RecordingStream other(deleted);
    c.app.pStream = &other;

    // The reader gets as far as the gate allows while the window thread handles nothing.
    const size_t total = CHandOffGate::kMaxMessages + 50;
    std::atomic<size_t> handedOff{0};
    std::thread reader([&] {
        for (size_t i = 0; i < total; ++i) {
            other.HandleText(": n " + std::to_string(i), ggsstream::Origin::Server);
            ++handedOff;
        }
    });
    const auto deadline = std::chrono::steady_clock::now() + Scaled(std::chrono::seconds(30));
    while (handedOff < CHandOffGate::kMaxMessages && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(5));
    // Room for a reader that would not stop there to go on.
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_EQ(CHandOffGate::Messages(), CHandOffGate::kMaxMessages);
    EXPECT_EQ(handedOff.load(), CHandOffGate::kMaxMessages);

    // Once the window thread handles them, the reader goes on; nothing is lost or reordered.
    EXPECT_TRUE(ProcessEventsUntil([&] { return other.texts.size() == total; }));
    reader.join();
    c.app.pStream = nullptr;
    ASSERT_EQ(other.texts.size(), total);
    for (size_t i = 0; i < total; ++i)
        if (other.texts[i] != ": n " + std::to_string(i)) {
            ADD_FAILURE() << "message " << i << " is " << other.texts[i];
            break;
        }
    EXPECT_EQ(CHandOffGate::Messages(), 0u);
}

TEST(HandOff, ShutDownDropsWhatArrivesAfterIt)
{
    // Most of the messages come once the main frame has gone.
    std::string script;
    for (int i = 0; i < 400; ++i)
        script += ": tick " + std::to_string(i) + "\nREADY\n" + (i == 20 ? "@expect frame gone\n" : "@pause 2\n");
    script += "@close\n";
    Connection c(script);
    ASSERT_TRUE(c.Start());
    ASSERT_TRUE(c.LogIn());
    ASSERT_TRUE(c.WaitForTexts(10));

    // The main frame goes while messages keep coming: none is parsed after it, and
    // those still queued for it are freed unread.
    c.app.DestroyMainFrame();
    const size_t parsed = c.stream->texts.size();
    *c.app.pStream << "frame gone\n" << std::flush;
    EXPECT_TRUE(c.server.WaitForClientClosed(Scaled(milliseconds(20000))));
    ProcessPendingEvents();
    EXPECT_EQ(c.stream->texts.size(), parsed);
    EXPECT_LT(parsed, 400u);

    // The end of input was dropped too, so the application side never let go; the
    // program would end here. Let go now so that the stream is not leaked.
    ASSERT_NE(c.app.pStream, nullptr);
    c.app.ReleaseStream(c.app.pStream);
    EXPECT_TRUE(c.WaitUntilDeleted());
}

TEST(Commands, ServiceListRequests)
{
    Connection c(": + /os 2\nREADY\n");
    ASSERT_TRUE(c.Start());
    // Their enabling and their lines: the command table's tests.
    CMainFrame* frame = Frame(c.app);
    ASSERT_TRUE(c.LogIn());
    ASSERT_TRUE(ProcessEventsUntil([&] { return c.app.pStream && c.app.pStream->FindService("/os"); }));
    frame->UpdateCommandUI();

    // History asks for a login, the own one first; an emptied field is sent as it is.
    {
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) {
            EXPECT_EQ(EditOf(d, IDC_LOGIN)->text(), QStringLiteral("alice"));
            EditOf(d, IDC_LOGIN)->clear();
            ClickButton(d, IDOK);
        });
        frame->GetCommandAction(ID_REVERSI_HISTORY)->trigger();
        EXPECT_TRUE(driver.Done());
        EXPECT_TRUE(c.server.WaitForClientText("tell /os  history \n", Scaled(milliseconds(5000))));
    }

    // The connection ends while the dialog is open: OK then sends nothing anywhere.
    {
        ModalDriver driver;
        driver.OnDialog([&c](CDialog* d) {
            c.server.Stop();
            EXPECT_TRUE(ProcessEventsUntil([&c] { return c.app.pStream == nullptr; }));
            TypeText(EditOf(d, IDC_LOGIN), QStringLiteral("x"));
            ClickButton(d, IDOK);
        });
        driver.AcceptMessageBox(); // the connection was lost
        frame->GetCommandAction(ID_REVERSI_INFO)->trigger();
        EXPECT_TRUE(ProcessEventsUntil([&driver] { return driver.Done(); }));
    }
    EXPECT_EQ(c.app.pStream, nullptr);
    EXPECT_EQ(c.server.GetClientBytes().find("finger"), std::string::npos);
    EXPECT_TRUE(c.WaitUntilDeleted());
}

TEST(Connect, PasswordNotToBeRememberedIsNotStored)
{
    Connection c;
    ASSERT_TRUE(c.Start());
    c.Remember(QStringLiteral("secret"));
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) {
        EXPECT_EQ(EditOf(d, IDC_PASSWORD)->text(), QStringLiteral("secret"));
        auto* remember = qobject_cast<QCheckBox*>(d->GetDlgItem(IDC_SAVE_PASSWORD));
        ASSERT_NE(remember, nullptr);
        QTest::mouseClick(remember, Qt::LeftButton);
        EXPECT_FALSE(remember->isChecked());
        ClickButton(d, IDOK);
    });
    c.app.Connect();
    EXPECT_TRUE(driver.Done());
    // Logged in with the typed password, which the profile no longer holds.
    ASSERT_NE(c.app.pStream, nullptr);
    EXPECT_TRUE(c.app.pStream->IsLoggedIn());
    QSettings profile = TestProfile();
    EXPECT_EQ(profile.value(QStringLiteral("GGS/login")).toString(), QStringLiteral("alice"));
    EXPECT_EQ(profile.value(QStringLiteral("GGS/password")).toString(), QString());
    EXPECT_EQ(profile.value(QStringLiteral("GGS/fSavePassword")).toInt(), 0);

    c.app.pStream->Logout();
    EXPECT_TRUE(c.WaitUntilDeleted());
}

TEST(Connect, AReaderThatCannotStartGivesTheConnectionUp)
{
    BasicConnection<ThreadlessApp> c;
    ASSERT_TRUE(c.Start());
    c.Remember(QStringLiteral("secret"));
    const std::pair<int, const char*> failures[] = {
        {EAGAIN, "Couldn't complete the operation as too many threads are in use"},
        {EINVAL, "Invalid arguments to a system call"},
        {ENOMEM, "Unknown operating system error"},
    };
    for (size_t client = 0; client < 3; ++client) {
        const auto& failure = failures[client];
        c.app.error = failure.first;
        ModalDriver driver;
        driver.OnDialog([](CDialog* d) { ClickButton(d, IDOK); });
        driver.AcceptMessageBox();
        Frame(c.app)->UpdateCommandUI();
        Frame(c.app)->GetCommandAction(ID_GGS_CONNECT)->trigger();
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(driver.messageBoxes, std::vector<QString>{QString::fromUtf8(failure.second)});
        // Logged out and closed like a failed login; the user may connect again.
        EXPECT_EQ(c.app.pStream, nullptr);
        EXPECT_TRUE(*c.deleted);
        EXPECT_TRUE(c.server.WaitForClientText("quit\n", Scaled(milliseconds(5000)), client));
        EXPECT_TRUE(c.server.WaitForClientClosed(Scaled(milliseconds(5000)), client));
        Frame(c.app)->UpdateCommandUI();
        EXPECT_EQ(Frame(c.app)->GetCommandAction(ID_GGS_CONNECT)->text(), QStringLiteral("&Connect..."));
        *c.deleted = false;
    }
}

TEST(Connect, ExitLogsOut)
{
    Connection c;
    {
        QSettings profile = TestProfile();
        profile.setValue(QStringLiteral("GGS/server"), QStringLiteral("127.0.0.1"));
        profile.setValue(QStringLiteral("GGS/login"), QStringLiteral("alice"));
        profile.setValue(QStringLiteral("GGS/password"), QStringLiteral("secret"));
    }
    // The program's whole run: connect from the menu, then File Exit.
    ModalDriver driver;
    driver.OnDialog([](CDialog* d) { ClickButton(d, IDOK); });
    bool loggedIn = false;
    QTimer::singleShot(0, [&] {
        CMainFrame* frame = Frame(c.app);
        frame->UpdateCommandUI();
        frame->GetCommandAction(ID_GGS_CONNECT)->trigger();
        loggedIn = c.app.pStream && c.app.pStream->IsLoggedIn();
        frame->UpdateCommandUI();
        frame->GetCommandAction(ID_APP_EXIT)->trigger();
    });
    // Should the run not end with its main window, it is ended here.
    QObject guard;
    bool runEnded = true;
    QTimer::singleShot(Scaled(milliseconds(20000)), &guard, [&runEnded] {
        runEnded = false;
        QCoreApplication::quit();
    });
    EXPECT_EQ(c.app.Run(), 0);
    EXPECT_TRUE(runEnded);
    EXPECT_TRUE(loggedIn);
    EXPECT_EQ(c.app.GetMainWnd(), nullptr);
    EXPECT_TRUE(c.server.WaitForClientText("quit\n", Scaled(milliseconds(5000))));
    EXPECT_TRUE(TestProfile().contains(QStringLiteral("Display/theme"))); // the settings were saved

    // What the server sends now is dropped, its end too: the stream would live to the
    // end of the process. Let it go here.
    ASSERT_NE(c.app.pStream, nullptr);
    c.app.ReleaseStream(c.app.pStream);
    EXPECT_TRUE(c.WaitUntilDeleted());
}

TEST(HandOff, BellsBeepOnTheWindowThreadAndAFloodOfThemOnce)
{
    beeps = 0;
    beepsOnWindowThread = true;
    SetBeepSound(CountBeep);
    // A bell inside a message; then, when the client asks, a flood of bells; then one more.
    std::string flood = "@raw ";
    for (int i = 0; i < 200000; ++i)
        flood += "\\a";
    Connection c(": ding\\a dong\nREADY\n@expect flood\n" + flood + "\n: flooded\nREADY\n"
                 "@expect more\n@raw \\a\n: more\nREADY\n");
    ASSERT_TRUE(c.Start());
    ASSERT_TRUE(c.LogIn());
    ASSERT_TRUE(c.WaitForTexts(2));
    EXPECT_EQ(c.stream->texts[1], ": ding dong");
    EXPECT_TRUE(ProcessEventsUntil([] { return beeps > 0; }));
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(beepsOnWindowThread);

    // The window thread handles nothing until the reader has read every bell and posted
    // the message after them: the bells wait for it as one beep.
    ASSERT_TRUE(ProcessEventsUntil([] { return CHandOffGate::Messages() == 0; }));
    *c.app.pStream << "flood\n" << std::flush;
    const auto deadline = std::chrono::steady_clock::now() + Scaled(std::chrono::seconds(10));
    while (CHandOffGate::Messages() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(milliseconds(1));
    ASSERT_TRUE(c.WaitForTexts(3));
    EXPECT_EQ(c.stream->texts[2], ": flooded");
    EXPECT_EQ(beeps, 2);

    // The next bell beeps again.
    *c.app.pStream << "more\n" << std::flush;
    ASSERT_TRUE(c.WaitForTexts(4));
    EXPECT_EQ(beeps, 3);
    c.app.pStream->Logout();
    EXPECT_TRUE(c.WaitUntilDeleted());
    SetBeepSound(nullptr);
}

TEST(HandOff, BothSidesLettingGoAtOnceDeleteTheStream)
{
    // One side lets go while the other is inside its own letting go (here: holds the
    // lock that guards the shares): it waits its turn, and the last one deletes.
    auto deleted = std::make_shared<std::atomic<bool>>(false);
    auto* stream = new RecordingStream(deleted);
    std::atomic<bool> held{false};
    std::thread other([&] {
        const HANDLE finished = CreateMutex(false, "finished");
        ASSERT_EQ(WaitForSingleObject(finished, INFINITE), WAIT_OBJECT_0);
        held = true;
        std::this_thread::sleep_for(milliseconds(50));
        ReleaseMutex(finished);
    });
    while (!held) {
    }
    tavostream::Finished(stream, 1);
    other.join();
    EXPECT_FALSE(*deleted);
    tavostream::Finished(stream, 0);
    EXPECT_TRUE(*deleted);

    // Both at the very same moment, many times over: each stream goes, and only once.
    constexpr int rounds = 500;
    int deletions = 0;
    for (int round = 0; round < rounds; ++round) {
        auto flag = std::make_shared<std::atomic<bool>>(false);
        auto* shared = new RecordingStream(flag);
        std::atomic<int> ready{0};
        std::thread reader([&] {
            ++ready;
            while (ready < 2) {
            }
            tavostream::Finished(shared, 0);
        });
        ++ready;
        while (ready < 2) {
        }
        tavostream::Finished(shared, 1);
        reader.join();
        deletions += *flag ? 1 : 0;
    }
    EXPECT_EQ(deletions, rounds);
}

TEST(ConnectionEnd, ALostConnectionIsToldOnceAfterItsWindowsHaveGone)
{
    Connection c(": hello\nREADY\n@expect drop\n@close\n");
    ASSERT_TRUE(c.Start());
    ASSERT_TRUE(c.LogIn());
    ASSERT_TRUE(ProcessEventsUntil(TextWindowShows)); // "GGS Console" with the hello

    // The server ends the connection: one box, once the windows are gone and the
    // application has let go of the stream.
    ModalDriver driver;
    bool released = false;
    bool windowsGone = false;
    driver.OnMessageBox([&](QMessageBox* box) {
        released = c.app.pStream == nullptr;
        windowsGone = !TextWindowShows();
        box->button(QMessageBox::Ok)->click();
    });
    *c.app.pStream << "drop\n" << std::flush;
    ASSERT_TRUE(ProcessEventsUntil([&driver] { return driver.Done(); }));
    EXPECT_TRUE(WaitForModalSteps());
    EXPECT_EQ(driver.messageBoxes, std::vector<QString>{kConnectionLost + QStringLiteral("\n\nGGS closed the connection")});
    EXPECT_TRUE(released);
    EXPECT_TRUE(windowsGone);
    EXPECT_TRUE(c.WaitUntilDeleted());
    Frame(c.app)->UpdateCommandUI();
    EXPECT_EQ(Frame(c.app)->GetCommandAction(ID_GGS_CONNECT)->text(), QStringLiteral("&Connect..."));
}

TEST(ConnectionEnd, TheUsersEndShowsNothing)
{
    Connection c;
    ASSERT_TRUE(c.Start());
    ModalDriver driver; // answers nothing: a box fails the test

    // GGS > Disconnect.
    ASSERT_TRUE(c.LogIn());
    ASSERT_TRUE(c.WaitForTexts(1));
    Frame(c.app)->UpdateCommandUI();
    Frame(c.app)->GetCommandAction(ID_GGS_CONNECT)->trigger();
    ASSERT_TRUE(c.WaitUntilDeleted());
    EXPECT_TRUE(WaitForModalSteps());

    // The logout at exit: "quit", which the server answers by closing.
    *c.deleted = false;
    ASSERT_TRUE(c.LogIn());
    ASSERT_TRUE(c.WaitForTexts(1));
    c.app.pStream->Logout();
    ASSERT_TRUE(c.WaitUntilDeleted());
    EXPECT_TRUE(WaitForModalSteps());
    EXPECT_TRUE(driver.messageBoxes.empty());
}

TEST(ConnectionEnd, NothingIsToldOnceTheMainWindowHasClosed)
{
    Connection c;
    ASSERT_TRUE(c.Start());
    ASSERT_TRUE(c.LogIn());
    ASSERT_TRUE(c.WaitForTexts(1));
    ModalDriver driver; // answers nothing: a box fails the test

    // File > Exit closes the main window; the connection's end is handled before the
    // window has gone.
    CMainFrame* frame = Frame(c.app);
    frame->UpdateCommandUI();
    frame->GetCommandAction(ID_APP_EXIT)->trigger();
    ASSERT_FALSE(frame->isVisible());
    frame->SendMessage(WM_APP, 0,
                       reinterpret_cast<LPARAM>(new CServerLinePacket{c.app.pStream, ": ~disconnect",
                                                                      ggsstream::Origin::Client}));
    EXPECT_EQ(c.app.pStream, nullptr);
    EXPECT_TRUE(WaitForModalSteps());
    EXPECT_TRUE(driver.messageBoxes.empty());

    // The reader lets go of the stream once the server has gone.
    c.server.Stop();
    EXPECT_TRUE(c.WaitUntilDeleted());
}
