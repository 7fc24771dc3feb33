#include "TavoGGSStream.h"

#include "Console.h"
#include "DialogGGSWho.h"
#include "MainFrm.h"
#include "ServerOsTavo.h"
#include "Tavo.h"
#include "mfc/Sync.h"
#include "res/KnownLogins.h"
#include "res/Resource.h"

#include <QApplication>
#include <QThread>
#include <condition_variable>
#include <mutex>
#include <new>

namespace {

// A packet whose message was never handled (its window went first) is freed here.
void DiscardPacket(LPARAM packet)
{
    delete reinterpret_cast<CServerLinePacket*>(packet);
}

bool UnifiedChat()
{
    CTavoApp* app = TavoApp();
    return app && app->fUnifiedChat;
}

// The gate's counts. Like the mutexes of the hand-off, they live to the very end of the
// process: a reader thread may still pass the gate while the program shuts down.
struct GateState {
    std::mutex lock;
    std::condition_variable freed;
    size_t messages = 0;
    size_t bytes = 0;
};

GateState& Gate()
{
    static GateState& state = *new GateState;
    return state;
}

// The application's own "shutdown" mutex, found by its name: nothing of the application
// is touched before it is held, since once the main frame has gone the application
// object may be going too. Like "finished" below, it is opened once and kept to the very
// end of the process: a reader thread may still use it while the program shuts down.
const HANDLE& Shutdown()
{
    static const HANDLE& shutdown = *new HANDLE(CreateMutex(false, "shutdown"));
    return shutdown;
}

} // namespace

CHandOffGate::Ticket::~Ticket()
{
    if (!m_held)
        return;
    GateState& gate = Gate();
    {
        std::lock_guard<std::mutex> guard(gate.lock);
        gate.messages -= 1;
        gate.bytes -= m_bytes;
    }
    gate.freed.notify_all();
}

CHandOffGate::Ticket CHandOffGate::Enter(size_t bytes, bool wait)
{
    GateState& gate = Gate();
    std::unique_lock<std::mutex> lock(gate.lock);
    if (wait)
        gate.freed.wait(lock, [&] {
            return gate.messages == 0 || (gate.messages < kMaxMessages && gate.bytes + bytes <= kMaxBytes);
        });
    gate.messages += 1;
    gate.bytes += bytes;
    Ticket ticket;
    ticket.m_bytes = bytes;
    ticket.m_held = true;
    return ticket;
}

size_t CHandOffGate::Messages()
{
    GateState& gate = Gate();
    std::lock_guard<std::mutex> guard(gate.lock);
    return gate.messages;
}

tavostream::tavostream() : tavostream(BuiltInKnownLogins())
{
}

tavostream::tavostream(KnownLogins known) : knownLogins(std::move(known))
{
}

tavostream::~tavostream()
{
    CloseWindows();
}

void tavostream::HandleText(const std::string& text, Origin origin)
{
    // Before anything else, and outside the "shutdown" mutex: the window thread, which
    // frees the places, may need that mutex to go on. The window thread itself never
    // waits for its own work.
    const QCoreApplication* application = QCoreApplication::instance();
    const bool onWindowThread = !application || QThread::currentThread() == application->thread();
    CHandOffGate::Ticket ticket = CHandOffGate::Enter(text.size(), !onWindowThread);
    const HANDLE& shutdown = Shutdown();
    if (WaitForSingleObject(shutdown, 0) != WAIT_OBJECT_0)
        return;
    // While "shutdown" is held here the main frame cannot be destroyed.
    CTavoApp* app = TavoApp();
    if (auto* packet = app ? new (std::nothrow) CServerLinePacket{this, text, origin, std::move(ticket)} : nullptr) {
        CFrameWnd* mainWnd = app->GetMainWnd();
        const BOOL posted = mainWnd && mainWnd->PostMessage(WM_APP, 0, reinterpret_cast<LPARAM>(packet),
                                                            DiscardPacket);
        ASSERT(posted);
        if (!posted)
            delete packet;
    }
    const BOOL released = ReleaseMutex(shutdown);
    ASSERT(released);
    (void)released;
}

void tavostream::OnBell()
{
    // Under the same rule as HandleText: nothing reaches the window thread once the
    // main frame has taken "shutdown". A bell while one still waits for the window thread
    // adds nothing (MessageBeep).
    const HANDLE& shutdown = Shutdown();
    if (WaitForSingleObject(shutdown, 0) != WAIT_OBJECT_0)
        return;
    MessageBeep(0xFFFFFFFF);
    ReleaseMutex(shutdown);
}

// ---------------------------------------------------------------------------------
// The server's messages

void tavostream::ShowText(const std::string& name, const std::string& text)
{
    // The bound is on the windows of single names, not on the console or the joined chat.
    const std::string key = WindowKey(name);
    if (key == name && windows.size() >= kMaxWindows && windows.count(key) == 0) {
        // A tell's text begins with its sender already.
        const bool named = text.compare(0, name.size(), name) == 0;
        ShowText(std::string(), named ? text : name + " " + text);
        return;
    }
    if (CConsole* window = GetWindow(name)) {
        window->AddText(text + "\n");
        window->ShowNoActivate();
    }
}

void tavostream::OnMessage(const CMsg& msg)
{
    ShowText(msg.from, msg.text);
}

void tavostream::OnDisconnected()
{
    // The user's Disconnect logs out and shuts this side down before the input ends, and
    // the logout at exit says "quit" first; a connection that this side still holds,
    // logged in, was ended by the server or the network.
    const bool lost = IsConnected() && IsLoggedIn();
    const int cause = socketBuffer ? socketBuffer->GetError() : 0;
    CloseWindows();
    ResetLogin();
    CTavoApp* app = TavoApp();
    if (!app)
        return;
    // This may delete the stream: nothing of it is touched afterwards.
    app->ReleaseStream(this);
    if (lost)
        app->ShowConnectionLost(cause);
}

void tavostream::OnErr(const CMsgGGSErr& msg)
{
    if (msg.id == kErrGGSUserNotFound)
        ShowText(msg.user, msg.text);
    else
        ggsstream::OnErr(msg);
}

void tavostream::OnFinger(const CMsgGGSFinger& msg)
{
    AfxMessageBoxLater(ToQ(msg.text));
}

void tavostream::OnLoggedIn()
{
    *this << "ve -ack\n"
          << "notify + /os\n"
          << "notify + *\n"
          << "who\n"
          << "c + .Tavo\n"
          << "c + .tourney\n"
          << "alias .log_off c - .Tavo ; c - .tourney ; t /os client - ; alias .log_off\n";
    flush();
}

void tavostream::OnTell(const CMsgGGSTell& msg)
{
    if (msg.from == ".Tavo" && msg.rest == "q4: version") {
        *this << "t q4 " << LoadStdString(IDS_VERSION) << "\n";
        flush();
        return;
    }
    ShowText(msg.from, msg.text);
}

void tavostream::OnUnknown(const CMsgGGSUnknown& msg)
{
    ShowText(msg.from, "Unknown GGS Message:\n" + msg.text);
}

void tavostream::OnUserDelta(const CMsgGGSUserDelta& msg)
{
    if (msg.login == "/os") {
        if (msg.plus && whoReceived && users.count(msg.login) == 0)
            AfxMessageBoxLater(LoadStringResource(IDS_OS_BACK));
        else if (!msg.plus)
            AfxMessageBoxLater(LoadStringResource(IDS_OS_UNAVAILABLE));
    }
    UpdateUser(msg);
    if (msg.login == login && HasService("/os")) {
        CServer* service = FindService("/os");
        ASSERT(service != nullptr);
        auto* os = dynamic_cast<CServerOsTavo*>(service);
        ASSERT(os != nullptr);
        if (os)
            os->SendSetup();
    }
    if (CDialogGGSWho* who = GetWhoDialog()) {
        if (msg.plus)
            who->AddUser(msg.login);
        else
            who->RemoveUser(msg.login);
    }
}

void tavostream::OnWho(const CMsgGGSWho& msg)
{
    if (!whoReceived) {
        if (users.count("/os") == 0)
            AfxMessageBoxLater(LoadStringResource(IDS_OS_UNAVAILABLE));
        whoReceived = true;
    }
    if (whoDialog) {
        whoDialog->SetUsers(msg.users);
        // The reply to the client's own "who" at login as well: the window opens without
        // taking the keyboard (the Who command has activated it already).
        whoDialog->ShowWindow(SW_SHOWNOACTIVATE);
    }
}

void tavostream::CreateService(const std::string& name)
{
    // A service that is already filed stays as it is: a repeated "+" builds no second object.
    if (name != "/os" || HasService(name))
        return;
    services[name].reset(new CServerOsTavo(this));
}

// ---------------------------------------------------------------------------------
// Windows

std::string tavostream::WindowKey(const std::string& name)
{
    return name.empty() ? "GGS Console" : UnifiedChat() ? ".chat" : name;
}

CConsole* tavostream::GetWindow(const std::string& name)
{
    const std::string key = WindowKey(name);
    const auto found = windows.find(key);
    if (found != windows.end() && found->second)
        return found->second;
    CConsole* window = nullptr;
    try {
        window = new CConsole(key, this, name.empty());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (!window->HasWindow()) {
        delete window;
        return nullptr;
    }
    windows[key] = window;
    return window;
}

void tavostream::ShowWindowFor(const std::string& name, bool select)
{
    CConsole* window = GetWindow(name);
    if (!window)
        return;
    window->Activate();
    if (select && UnifiedChat())
        window->SetRecipient(name);
}

CDialogGGSWho* tavostream::GetWhoDialog()
{
    if (!whoDialog) {
        auto* who = new (std::nothrow) CDialogGGSWho;
        if (who && !who->Create(this)) {
            delete who;
            who = nullptr;
        }
        whoDialog = who;
    }
    return whoDialog;
}

void tavostream::ShowWhoDialog()
{
    if (CDialogGGSWho* who = GetWhoDialog())
        who->ShowWindow(SW_RESTORE);
}

void tavostream::ClassifyUser(CGGSUser& user) const
{
    const auto found = users.find(user.login);
    const int level = found == users.end() ? -1 : found->second;
    if (!user.login.empty() && user.login[0] == '/') {
        user.status = 's';
    } else if (level >= 2) {
        user.status = 'a';
    } else if (const auto known = knownLogins.find(user.login); known != knownLogins.end()) {
        user.status = known->second;
    } else {
        user.status = level == 1 ? '+' : '-';
    }
}

bool tavostream::IsRegistered() const
{
    const auto found = users.find(login);
    return found != users.end() && found->second > 0;
}

bool tavostream::IsUnregistered() const
{
    const auto found = users.find(login);
    return found != users.end() && found->second < 1;
}

void tavostream::Output(const std::string& name, const std::string& text)
{
    CConsole* window = GetWindow(name);
    if (!window)
        return;
    if (!name.empty() && UnifiedChat())
        window->AddText(name + " " + text + "\n");
    else
        window->AddText(text + "\n");
}

void tavostream::CloseWindows()
{
    // The windows go once the event that led here has been handled, since one of them
    // may be handling it; they send nothing more. (Only the window thread touches them:
    // a stream deleted by the reader thread has closed its windows before.)
    const bool windowThread = QCoreApplication::instance()
                              && QThread::currentThread() == QCoreApplication::instance()->thread();
    const auto close = [windowThread](CDialog* window, auto& stream) {
        if (windowThread) {
            stream = nullptr;
            window->hide();
        }
        window->deleteLater();
    };
    for (auto& entry : windows)
        if (CConsole* window = entry.second)
            close(window, window->m_pStream);
    windows.clear();
    if (CDialogGGSWho* who = whoDialog)
        close(who, who->m_pStream);
    whoDialog = nullptr;
    DeleteAllServices();
}

// ---------------------------------------------------------------------------------
// The two threads' hold on the stream

void tavostream::Finished(tavostream* stream, int side)
{
    static const HANDLE& finished = *new HANDLE(CreateMutex(false, "finished"));
    ASSERT(finished != nullptr);
    // A waiting acquire: with a zero wait a side that met the other inside this
    // section would return with its flag still set, and the stream would never go.
    if (WaitForSingleObject(finished, INFINITE) != WAIT_OBJECT_0) {
        ASSERT(false);
        return;
    }
    bool& mine = side == 0 ? stream->ownedByReader : stream->ownedByApplication;
    const bool& other = side == 0 ? stream->ownedByApplication : stream->ownedByReader;
    if (mine) {
        mine = false;
        if (!other)
            delete stream;
    } else {
        ASSERT(false);
    }
    const BOOL released = ReleaseMutex(finished);
    ASSERT(released);
    (void)released;
}

void tavostream::ReaderThreadProc(void* stream)
{
    auto* self = static_cast<tavostream*>(stream);
    self->Run();
    Finished(self, 0);
}
