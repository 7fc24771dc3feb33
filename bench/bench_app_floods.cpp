// What a flooding server costs the client: each flood goes through a loopback socket into
// the application's own stream, whose reader thread runs the read loop and hands every
// message to the window thread, as in the running program. For each flood the figures are
// the memory held (the growth of the resident memory once the flood has been handled,
// after the allocator has given back what it could; and its peak), the longest time the
// window thread was busy (the longest gap between two beats of a 1 ms timer on it, which
// also beats inside the loop of a message box), and the message boxes that needed a
// click. Every flood runs in a process of its own, on the offscreen platform.
//
//   bench_app_floods [--scale=F] [flood ...]
//
// Floods: bells, joins, looks, comments, tells, boxes, matches (all of them when none is
// named). --scale multiplies every count and size (0.1 for a quick run).
#include "DialogOsGames.h"
#include "PaneComments.h"
#include "PaneMain.h"
#include "ServerOsTavo.h"
#include "Tavo.h"
#include "TavoDoc.h"
#include "TavoGGSStream.h"
#include "TavoView.h"
#include "mfc/ListCtrl.h"

#include "AppBenchSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <malloc.h>
#include <netinet/in.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using bench::Clock;

const char* const kEndMarker = ": bench-flood-end";
double scale = 1.0;
// The beeps sounded and the message boxes answered.
int beeps = 0;
int boxes = 0;

size_t Scaled(double n)
{
    return std::max<size_t>(1, size_t(n * scale));
}

// One message as the server frames it.
std::string Framed(const std::string& text)
{
    return text + "\nREADY\n";
}

// A text of `bytes` characters in lines of 80, the first line `head`.
std::string Lines(const std::string& head, size_t bytes)
{
    std::string text = head;
    for (int n = 0; text.size() < bytes; ++n)
        text += "\n" + std::to_string(n) + " a line of the reply, as long as a line of text on a screen ......";
    return text;
}

std::string GgfOf(const COsGame& game)
{
    std::ostringstream text;
    game.WriteGGF(text);
    return text.str();
}

// A game on the 8x8 board between black and white, from its start.
COsGame NewGame(const std::string& black, const std::string& white)
{
    COsGame game;
    std::istringstream type("8");
    type >> game.matchType;
    game.posStart.board.Initialize(game.matchType.bt);
    game.posStart.clocks[0] = game.posStart.clocks[1] = CGGClock(900, 0, 120, CGGClock::kRunning);
    game.players[1].login = black;
    game.players[0].login = white;
    game.date = "2026.12.09 07:39:55 GMT";
    game.UpdatePosition();
    return game;
}

// The application's stream on a loopback connection, logged in as "bench" without the
// login exchange, with the client's "/os" service; it notes the end of the flood.
class FloodStream : public tavostream {
public:
    explicit FloodStream(uint16_t port)
    {
        if (Connect("127.0.0.1", port) != 0) {
            std::fprintf(stderr, "cannot connect to the loopback socket\n");
            std::exit(1);
        }
        login = "bench";
        loggedIn = true;
        users["bench"] = 1;
        users["/os"] = 0;
        services["/os"].reset(new CServerOsTavo(this));
    }
    void ParseMessage(const std::string& text) override
    {
        if (text == kEndMarker) {
            ended = true;
            endedAt = Clock::now();
        } else {
            tavostream::ParseMessage(text);
        }
    }
    CServerOsTavo* Service() const { return dynamic_cast<CServerOsTavo*>(FindService("/os")); }

    bool ended = false;
    Clock::time_point endedAt;
};

// The server's end of the connection: a listening socket and the one it accepted.
class Peer {
public:
    Peer()
    {
        listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0
            || ::listen(listener, 1) != 0
            || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
            std::perror("listen");
            std::exit(1);
        }
        port = ntohs(address.sin_port);
    }
    void Accept()
    {
        connection = ::accept(listener, nullptr, nullptr);
        if (connection < 0) {
            std::perror("accept");
            std::exit(1);
        }
    }
    void Send(const std::string& bytes)
    {
        for (size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += size_t(n);
        }
    }

    int listener = -1;
    int connection = -1;
    uint16_t port = 0;
};

// A flood: the messages (each framed), produced one at a time so that the bench itself
// holds no more than one of them.
struct Flood {
    const char* name;
    std::string what;
    // Called on the window thread before the flood, with the stream in place.
    std::function<void(FloodStream&)> prepare;
    // Sends the flood's bytes.
    std::function<void(Peer&)> send;
    // What the client shows afterwards, as a short text.
    std::function<std::string(FloodStream&, CTavoApp&)> shown;
};

size_t OpenGameWindows(CTavoApp& app)
{
    return app.pGameTemplate ? app.pGameTemplate->GetDocuments().size() : 0;
}

std::vector<Flood> Floods()
{
    std::vector<Flood> floods;

    const size_t bells = Scaled(20 << 20);
    floods.push_back({"bells", std::to_string(bells >> 20) + " MB of bells", nullptr,
                      [bells](Peer& peer) {
                          const std::string block(64 * 1024, '\a');
                          for (size_t sent = 0; sent < bells; sent += block.size())
                              peer.Send(block);
                      },
                      [](FloodStream&, CTavoApp&) { return std::to_string(beeps) + " beeps sounded"; }});

    const size_t joins = Scaled(3000);
    floods.push_back(
        {"joins", std::to_string(joins) + " joins past the service's limits (long id, long text, too many moves)",
         nullptr,
         [joins](Peer& peer) {
             const std::string game = GgfOf(NewGame("bob", "bench"));
             // A text longer than a line may be comes on continuation lines.
             COsGame padded = NewGame("bob", "bench");
             padded.place = std::string(70 * 1024, 'p');
             std::string paddedText;
             for (const char c : GgfOf(padded)) {
                 if (paddedText.size() % 1024 == 1023)
                     paddedText += "\n|";
                 paddedText += c;
             }
             COsGame long400 = NewGame("bob", "bench");
             for (int i = 0; i < 401; ++i)
                 long400.moves.push_back(COsGame::Item(COsMove(), 0, 0));
             const std::string longGame = GgfOf(long400);
             for (size_t i = 0; i < joins; ++i) {
                 const std::string n = std::to_string(i);
                 switch (i % 3) {
                 case 0: peer.Send(Framed("/os: join .j" + n + std::string(40, 'x') + " " + game)); break;
                 case 1: peer.Send(Framed("/os: join .j" + n + " " + paddedText)); break;
                 default: peer.Send(Framed("/os: join .j" + n + " " + longGame)); break;
                 }
             }
         },
         [](FloodStream& stream, CTavoApp& app) {
             return std::to_string(OpenGameWindows(app)) + " game windows, service holds " +
                    std::to_string(stream.Service() ? stream.Service()->games.size() : 0) + " games";
         }});

    const size_t looks = Scaled(1500);
    floods.push_back({"looks", std::to_string(looks) + " look replies of one game each", nullptr,
                      [looks](Peer& peer) {
                          const std::string game = GgfOf(NewGame("bob", "carol"));
                          for (size_t i = 0; i < looks; ++i)
                              peer.Send(Framed("/os: look 1 " + game));
                      },
                      [](FloodStream&, CTavoApp& app) {
                          return std::to_string(OpenGameWindows(app)) + " game windows";
                      }});

    const size_t comments = Scaled(3000);
    const size_t commentSize = Scaled(2048);
    floods.push_back(
        {"comments", std::to_string(comments) + " comments of " + std::to_string(commentSize) + " bytes to one game",
         [](FloodStream& stream) {
             stream.tavostream::ParseMessage("/os: join .5 " + GgfOf(NewGame("bob", "bench")));
         },
         [comments, commentSize](Peer& peer) {
             for (size_t i = 0; i < comments; ++i) {
                 std::string text = "/os: .5 > 1600 bob: " + std::to_string(i) + " ";
                 text.append(commentSize, 'c');
                 peer.Send(Framed(text));
             }
         },
         [](FloodStream& stream, CTavoApp&) {
             CTavoDoc* doc = stream.Service() ? stream.Service()->FindPane(".5") : nullptr;
             if (!doc)
                 return std::string("no game window");
             size_t bytes = 0;
             for (const std::string& comment : doc->GetComments())
                 bytes += comment.size();
             auto* view = dynamic_cast<CTavoView*>(doc->GetViews().front());
             CPaneCommentsOut* pane = view ? view->GetRootPane()->m_pCommentsOut : nullptr;
             return "the game keeps " + std::to_string(doc->GetComments().size()) + " comments (" +
                    std::to_string(bytes / 1024) + " KB), its pane shows " +
                    std::to_string(pane ? pane->GetWindowTextLength() / 1024 : 0) + " KB";
         }});

    const size_t tellers = Scaled(6000);
    floods.push_back({"tells", std::to_string(tellers) + " tells, each from a new sender", nullptr,
                      [tellers](Peer& peer) {
                          for (size_t i = 0; i < tellers; ++i)
                              peer.Send(Framed("sender" + std::to_string(i) + ": hello there"));
                      },
                      [](FloodStream&, CTavoApp&) {
                          return std::to_string(QApplication::topLevelWidgets().size()) + " top-level windows";
                      }});

    const size_t fingers = Scaled(3000);
    const size_t fingerSize = Scaled(50 * 1024);
    const size_t gone = Scaled(3000);
    const size_t hugeFinger = Scaled(4 << 20);
    floods.push_back(
        {"boxes",
         std::to_string(fingers) + " finger replies of " + std::to_string(fingerSize / 1024) + " KB, one of " +
             std::to_string(hugeFinger >> 10) + " KB, " + std::to_string(gone) + " \": - /os\"",
         nullptr,
         [fingers, fingerSize, gone, hugeFinger](Peer& peer) {
             for (size_t i = 0; i < fingers; ++i) {
                 const std::string n = std::to_string(i);
                 peer.Send(Framed(Lines(i % 2 ? ": finger\nlogin: bob" + n : "/os: finger bob" + n, fingerSize)));
             }
             peer.Send(Framed(Lines(": finger\nlogin: huge", hugeFinger)));
             for (size_t i = 0; i < gone; ++i)
                 peer.Send(Framed(": - /os 0"));
         },
         [](FloodStream&, CTavoApp&) { return std::to_string(boxes) + " message boxes shown"; }});

    const size_t deltas = Scaled(3000);
    const size_t loginSize = Scaled(60 * 1024);
    floods.push_back(
        {"matches",
         std::to_string(deltas) + " \"+ match\" with logins of " + std::to_string(loginSize / 1024) + " KB",
         nullptr,
         [deltas, loginSize](Peer& peer) {
             const std::string login(loginSize, 'l');
             for (size_t i = 0; i < deltas; ++i)
                 peer.Send(Framed("/os: + match ." + std::to_string(i) + " 1500 " + login + std::to_string(i) +
                                  " 1600 bob 8 R"));
         },
         [](FloodStream& stream, CTavoApp&) {
             CDialogOsMatches* matches = stream.Service() ? stream.Service()->matchesDialog.get() : nullptr;
             return std::to_string(matches && matches->m_list ? matches->m_list->GetItemCount() : 0) +
                    " rows in the matches window";
         }});
    return floods;
}

long Resident()
{
    malloc_trim(0);
    return bench::ResidentKilobytes();
}

// The offscreen platform's note on every window shown says nothing here.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (!text.contains(QLatin1String("propagateSizeHints")))
        std::fprintf(stderr, "%s%s\n", type == QtWarningMsg ? "warning: " : "", qPrintable(text));
}

int RunFlood(const Flood& flood, int argc, char** argv)
{
    bench::ScratchFolder scratch; // the start log and the traffic log
    bench::AppHome home;
    qInstallMessageHandler(QuietMessages);
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    // The beeps are counted, and sound as the platform sounds them.
    SetBeepSound([] {
        ++beeps;
        QApplication::beep();
    });

    CTavoApp app;
    if (!app.InitInstance()) {
        std::fprintf(stderr, "the application did not start\n");
        return 1;
    }
    app.nAutosaveMine = app.nAutosaveOthers = 0;
    app.nAutopass = app.nAutoforce = 0;

    Peer peer;
    std::thread accepting([&] { peer.Accept(); });
    auto* stream = new FloodStream(peer.port);
    accepting.join();
    app.pStream = stream;
    if (flood.prepare)
        flood.prepare(*stream);
    std::thread reader(tavostream::ReaderThreadProc, stream);

    // Every message box is answered as soon as it shows.
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || box->property("clicked").toBool())
            return;
        box->setProperty("clicked", true);
        ++boxes;
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->close();
    });
    clicker.start(5);

    QApplication::processEvents();
    const long before = Resident();
    long peak = before;
    Clock::time_point lastBeat = Clock::now();
    Clock::duration longest{};
    int beats = 0;
    // Until the flood's last message has been handled and the last box answered (the
    // beats go on inside the loop of a box).
    Clock::time_point busyUntil = Clock::now();
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longest = std::max(longest, now - lastBeat);
        lastBeat = now;
        if (QApplication::activeModalWidget() || !stream->ended)
            busyUntil = now;
        if (++beats % 25 == 0)
            peak = std::max(peak, bench::ResidentKilobytes());
    });
    heartbeat.start(1);

    const Clock::time_point start = Clock::now();
    std::thread writer([&] {
        flood.send(peer);
        peer.Send(Framed(kEndMarker));
    });
    // The flood is over once nothing has been busy for a while (boxes wait their turn
    // behind each other).
    while (!stream->ended || Clock::now() - busyUntil < std::chrono::milliseconds(300))
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    const double seconds = bench::Seconds(std::max(busyUntil, stream->endedAt) - start);
    heartbeat.stop();
    peak = std::max(peak, bench::ResidentKilobytes());
    const long after = Resident();
    writer.join();

    const std::string shown = flood.shown(*stream, app);
    std::printf("%-9s %s\n          handled in %.1f s; memory held %+.1f MB (peak %+.1f MB); longest busy %.0f ms; %s\n",
                flood.name, flood.what.c_str(), seconds, double(after - before) / 1024, double(peak - before) / 1024,
                bench::Milliseconds(longest), shown.c_str());
    std::fflush(stdout);
    // The windows of thousands of messages are not taken down one by one.
    std::_Exit(0);
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--scale=", 0) == 0)
            scale = std::atof(arg.c_str() + 8);
        else
            names.push_back(arg);
    }
    if (scale <= 0) {
        std::fprintf(stderr, "usage: %s [--scale=F] [bells|joins|looks|comments|tells|boxes|matches ...]\n", argv[0]);
        return 2;
    }
    const std::vector<Flood> floods = Floods();
    if (names.size() == 1) {
        for (const Flood& flood : floods)
            if (names[0] == flood.name)
                return RunFlood(flood, argc, argv);
        std::fprintf(stderr, "no flood named %s\n", names[0].c_str());
        return 2;
    }
    if (names.empty())
        for (const Flood& flood : floods)
            names.push_back(flood.name);
    // Each flood in a process of its own, so that one flood's memory is not another's.
    int failed = 0;
    const std::string scaleArg = "--scale=" + std::to_string(scale);
    for (const std::string& name : names) {
        std::fflush(stdout);
        const pid_t child = ::fork();
        if (child == 0) {
            char* args[] = {argv[0], const_cast<char*>(scaleArg.c_str()), const_cast<char*>(name.c_str()), nullptr};
            ::execv("/proc/self/exe", args);
            std::_Exit(127);
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "flood %s failed\n", name.c_str());
            ++failed;
        }
    }
    return failed == 0 ? 0 : 1;
}
