// The game window's speed and weight, for an 8x8 game in the "wood" style:
// - one full repaint of the window;
// - from the reader thread's hand-off of an "update" to the end of the board's repaint;
// - 20 live game windows ticking for 30 s (or the seconds given as the first argument):
//   the CPU time used and the resident memory.
// Runs on the offscreen platform unless another is chosen; the profile and the desktop
// files go to a temporary folder.
#include "ChildFrm.h"
#include "MainFrm.h"
#include "ServerOsTavo.h"
#include "Tavo.h"
#include "TavoDoc.h"
#include "TavoGGSStream.h"
#include "TavoView.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// When the reader thread handed over the latest "update", and when a board finished
// painting after it.
std::atomic<Clock::rep> handedOver{0};
Clock::time_point painted;

// The application's stream, logged in as "bench" without a connection: its reader-thread
// hand-off is the application's own; the "/os" service is the client's.
class BenchStream : public tavostream {
public:
    BenchStream()
    {
        login = "bench";
        loggedIn = true;
        users["bench"] = 1;
        users["/os"] = 0;
        services["/os"].reset(new CServerOsTavo(this));
    }
    ~BenchStream() override { loggedIn = false; }
    CServerOsTavo* Service() const { return static_cast<CServerOsTavo*>(FindService("/os")); }
    void HandleText(const std::string& text) override
    {
        handedOver = Clock::now().time_since_epoch().count();
        tavostream::HandleText(text);
    }
};

// The game window's view, noting when a paint has finished.
class BenchView : public CTavoView {
protected:
    void paintEvent(QPaintEvent* e) override
    {
        CTavoView::paintEvent(e);
        painted = Clock::now();
    }
};

class BenchApp : public CTavoApp {
public:
    BenchStream* stream = nullptr;
};

std::string GgfOf(const COsGame& game)
{
    std::ostringstream text;
    game.WriteGGF(text);
    return text.str();
}

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

void Process(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void Report(const char* what, std::vector<double> samples, double goal)
{
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    const double p95 = samples[samples.size() * 95 / 100];
    std::printf("%-48s median %7.3f ms  95%% %7.3f ms  max %7.3f ms  (goal < %.0f ms)\n", what, median, p95,
                samples.back(), goal);
}

} // namespace

int main(int argc, char** argv)
{
    const int tickSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    QTemporaryDir home;
    const QByteArray root = home.path().toLocal8Bit();
    ::setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    ::setenv("XDG_RUNTIME_DIR", root.constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);

    BenchApp app;
    if (!app.InitInstance()) {
        std::fprintf(stderr, "the application did not start\n");
        return 1;
    }
    // The board-style pictures lie beside the client.
    app.sModulePath = ToStd(QCoreApplication::applicationDirPath()) + "/../app/tavo";
    app.pBoardStyle = &CBoardStyle::wood;
    if (!CBoardStyle::wood.GetBitmap())
        std::fprintf(stderr, "note: wood.bmp not found beside the client; plain colours\n");
    // Game windows whose views note their paints.
    app.pGameTemplate = app.AddDocTemplate(MakeMultiDocTemplate<CTavoDoc, CChildFrame, BenchView>(129));
    auto* frame = dynamic_cast<CMainFrame*>(app.GetMainWnd());
    frame->resize(800, 600);
    app.pStream = app.stream = new BenchStream;
    BenchStream& stream = *app.stream;

    // A real game's moves, played as updates; the game starts again when they run out.
    std::ifstream real(TAVO_GAMES_DIR "/wthor-2001.ggf");
    std::string line;
    std::getline(real, line);
    std::istringstream text(line);
    COsGame source;
    text >> source;
    if (source.moves.empty()) {
        std::fprintf(stderr, "cannot read %s\n", TAVO_GAMES_DIR "/wthor-2001.ggf");
        return 1;
    }
    COsGame start = source;
    start.moves.clear();
    start.players[1].login = "black";
    start.players[0].login = "white";
    start.result.Clear();
    start.UpdatePosition();
    stream.ParseMessage("/os: join 1 " + GgfOf(start));
    CTavoDoc* doc = stream.Service()->FindPane("1");
    auto* view = dynamic_cast<BenchView*>(doc->GetViews().front());
    Process(50);

    // One full repaint.
    std::vector<double> repaints;
    for (int i = 0; i < 300; ++i) {
        const auto begin = Clock::now();
        view->repaint();
        repaints.push_back(Milliseconds(Clock::now() - begin));
    }
    Report("full repaint of the game window", repaints, 4);

    // From the hand-off of an update to the end of the board's repaint.
    std::vector<double> updates;
    size_t next = 0;
    for (int i = 0; i < 300; ++i) {
        if (next == source.moves.size()) {
            stream.ParseMessage("/os: join 1 " + GgfOf(start));
            next = 0;
            Process(20);
        }
        std::ostringstream update;
        update << "/os: update 1 " << source.moves[next++];
        painted = Clock::time_point();
        std::thread reader([&] { stream.HandleText(update.str()); });
        reader.join();
        const Clock::time_point from{Clock::duration(handedOver.load())};
        QEventLoop loop;
        while (painted < from)
            loop.processEvents(QEventLoop::AllEvents, 5);
        updates.push_back(Milliseconds(painted - from));
    }
    Report("update handed over to the board repainted", updates, 16);

    // Twenty live games, ticking.
    for (int i = 2; i <= 20; ++i)
        stream.ParseMessage("/os: join " + std::to_string(i) + " " + GgfOf(start));
    Process(500);
    const double cpuBefore = CpuSeconds();
    app.OnIdle(0); // the idle step keeps its timer running from here on
    Process(tickSeconds * 1000);
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("%zu live game windows ticking %d s: CPU %.3f s (%.3f %% of a core; goal < 1 %%), resident "
                "%.1f MB (goal < 80 MB)\n",
                app.pGameTemplate->GetDocuments().size(), tickSeconds, cpu, 100 * cpu / tickSeconds,
                double(ResidentKilobytes()) / 1024);

    app.pStream = nullptr;
    app.stream->DeleteAllServices();
    delete app.stream;
    delete app.GetMainWnd();
    return 0;
}
