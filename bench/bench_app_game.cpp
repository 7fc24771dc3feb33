// The game window's speed and weight, for an 8x8 game in the "wood" style:
// - one full repaint of the window with every pane (the game half played, its moves
//   listed, comments shown);
// - from the reader thread's hand-off of an "update" to the end of the board's repaint;
// - the idle pass over 20 live game windows whose clocks' seconds have not changed;
// - 20 live game windows ticking for 30 s (or the seconds given as the first argument):
//   the CPU time used, the repaints, and the resident memory;
// - the move list of a 120-move game (12x12) rebuilt when the view jumps to its end.
// Runs on the offscreen platform unless another is chosen; the profile and the desktop
// files go to a temporary folder.
#include "ChildFrm.h"
#include "MainFrm.h"
#include "PaneMain.h"
#include "PaneMoveList.h"
#include "ServerOsTavo.h"
#include "Tavo.h"
#include "TavoDoc.h"
#include "TavoGGSStream.h"
#include "TavoView.h"
#include "mfc/ListCtrl.h"

#include "AppBenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
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

using bench::Clock;
using bench::Milliseconds;
using bench::Report;

// When the reader thread handed over the latest "update", and when a board finished
// painting after it.
std::atomic<Clock::rep> handedOver{0};
Clock::time_point painted;

// The application's stream, logged in without a connection, noting when the reader
// thread hands over a text: the hand-off is the application's own.
class BenchStream : public bench::OfflineStream {
public:
    void HandleText(const std::string& text, Origin origin) override
    {
        handedOver = Clock::now().time_since_epoch().count();
        tavostream::HandleText(text, origin);
    }
};

// The game window's view, noting when a paint has finished, and counting its paints.
class BenchView : public CTavoView {
public:
    static inline long paints = 0;

protected:
    void paintEvent(QPaintEvent* e) override
    {
        CTavoView::paintEvent(e);
        painted = Clock::now();
        ++paints;
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

// The game's first moves, played on its start.
COsGame FirstMoves(const COsGame& start, const COsGame& source, size_t count)
{
    COsGame game = start;
    for (size_t i = 0; i < count && i < source.moves.size(); ++i)
        game.Play(source.moves[i]);
    return game;
}

// A game of 120 moves on the 12x12 board: the first legal move each time, a pass where
// there is none.
COsGame LongGame(const COsGame& start)
{
    COsGame game = start;
    std::istringstream type("12");
    type >> game.matchType;
    game.posStart.board.Initialize(game.matchType.bt);
    game.UpdatePosition();
    while (game.moves.size() < 120) {
        const std::vector<COsMove> legal = game.posCurrent.board.LegalMoves();
        game.Play(COsGame::Item(legal.empty() ? COsMove() : legal[game.moves.size() % legal.size()],
                                double(game.moves.size() % 7) - 3, 1));
    }
    return game;
}

} // namespace

int main(int argc, char** argv)
{
    const int tickSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    bench::AppHome home;
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
    // Clocks of 15 minutes that run down on screen.
    start.posStart.clocks[0] = start.posStart.clocks[1] = CGGClock(900, 0, 120, CGGClock::kRunning);
    start.UpdatePosition();
    // Half the game played, with comments.
    stream.ParseMessage("/os: join 1 " + GgfOf(FirstMoves(start, source, 30)));
    CTavoDoc* doc = stream.Service()->FindPane("1");
    auto* view = dynamic_cast<BenchView*>(doc->GetViews().front());
    for (int i = 0; i < 12; ++i)
        doc->AddComment(i % 2 ? "white: a comment of the game, " + std::to_string(i) : "black: well played");
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
    stream.ParseMessage("/os: join 1 " + GgfOf(start));
    Process(20);
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
        std::thread reader([&] { stream.HandleText(update.str(), ggsstream::Origin::Server); });
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

    // The idle pass over them, in the same second of their clocks (each pass starts
    // their clocks' second afresh, so none has changed).
    std::vector<double> idle;
    for (int i = 0; i < 300; ++i) {
        for (const auto& each : app.pGameTemplate->GetDocuments())
            static_cast<CTavoDoc*>(each.get())->ResetTick();
        app.UpdateAllDocuments(0);
        const auto begin = Clock::now();
        app.UpdateAllDocuments(0);
        idle.push_back(Milliseconds(Clock::now() - begin));
    }
    Process(100);
    Report("idle pass over 20 live windows, no second over", idle, 0.1);

    const long paintsBefore = BenchView::paints;
    const double cpuBefore = CpuSeconds();
    app.OnIdle(0); // the idle step keeps its timer running from here on
    Process(tickSeconds * 1000);
    const double cpu = CpuSeconds() - cpuBefore;
    std::printf("%zu live game windows ticking %d s: CPU %.3f s (%.3f %% of a core; goal < 1 %%), %.1f paints/s, "
                "resident %.1f MB (goal < 80 MB)\n",
                app.pGameTemplate->GetDocuments().size(), tickSeconds, cpu, 100 * cpu / tickSeconds,
                double(BenchView::paints - paintsBefore) / tickSeconds, double(bench::ResidentKilobytes()) / 1024);

    // The move list of a long game, rebuilt when the view jumps to its end; then shown.
    stream.ParseMessage("/os: join 99 " + GgfOf(LongGame(start)));
    CTavoDoc* longGame = stream.Service()->FindPane("99");
    auto* longView = dynamic_cast<BenchView*>(longGame->GetViews().front());
    CListCtrl* list = longView->GetRootPane()->FindPane<CPaneMoveList>()->GetList();
    Process(50);
    std::vector<double> rebuilds;
    std::vector<double> shown;
    for (int i = 0; i < 100; ++i) {
        longView->OnUpdate(nullptr, CTavoDoc::kHintStart, nullptr);
        const auto begin = Clock::now();
        longView->OnUpdate(nullptr, CTavoDoc::kHintCurrent, nullptr);
        rebuilds.push_back(Milliseconds(Clock::now() - begin));
        list->repaint();
        shown.push_back(Milliseconds(Clock::now() - begin));
    }
    if (list->GetItemCount() != 60)
        std::fprintf(stderr, "the long game lists %d rows, not 60\n", list->GetItemCount());
    Report("move list of 120 moves rebuilt", rebuilds, 5);
    Report("move list of 120 moves rebuilt and painted", shown, 5);

    app.pStream = nullptr;
    app.stream->DeleteAllServices();
    delete app.stream;
    delete app.GetMainWnd();
    return 0;
}
