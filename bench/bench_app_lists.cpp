// The matches window's speed, with the window shown:
// - a list of 2,000 matches set from the service's reply (parsed, kept, every row made);
// - 1,000 match changes (500 new matches, 500 ended ones) applied one by one;
// - the same two on the list window alone, without the reply's parsing.
// Each is run several times; the medians are reported. Runs on the offscreen platform
// unless another is chosen; the profile goes to a temporary folder.
#include "DialogOsGames.h"
#include "MainFrm.h"
#include "ServerOsTavo.h"
#include "Tavo.h"
#include "TavoGGSStream.h"

#include "AppBenchSupport.h"

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

using bench::Clock;
using bench::Milliseconds;
using bench::Report;

std::string MatchLine(int i)
{
    // Ids as the service gives them, in no order of their text.
    std::ostringstream line;
    line << '.' << (i * 7919) % 100000 << " 1500 player" << i << " 1600 other" << i << (i % 3 ? " 8" : " s8r20")
         << (i % 2 ? " R" : " U");
    return line.str();
}

} // namespace

int main(int argc, char** argv)
{
    bench::AppHome home;
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);

    CTavoApp app;
    if (!app.InitInstance()) {
        std::fprintf(stderr, "the application did not start\n");
        return 1;
    }
    auto* stream = new bench::OfflineStream;
    app.pStream = stream;
    CServerOsTavo* service = stream->Service();

    constexpr int kMatches = 2000;
    constexpr int kDeltas = 1000;
    std::string reply = "/os: match " + std::to_string(kMatches) + "/" + std::to_string(kMatches);
    std::vector<CGGMatch<COsMatchType>> records;
    for (int i = 0; i < kMatches; ++i) {
        reply += "\n" + MatchLine(i) + " 0";
        std::istringstream line(MatchLine(i));
        records.emplace_back();
        records.back().ReadDelta(line);
    }
    // Half the changes start new matches, half end listed ones, interleaved.
    std::vector<std::string> deltas;
    std::vector<CGGMatch<COsMatchType>> added;
    for (int i = 0; i < kDeltas / 2; ++i) {
        deltas.push_back("/os: + match " + MatchLine(kMatches + i));
        deltas.push_back("/os: - match " + MatchLine(i * 3) + " +2");
        std::istringstream line(MatchLine(kMatches + i));
        added.emplace_back();
        added.back().ReadDelta(line);
    }

    std::vector<double> setReply, deltaReply, setWindow, deltaWindow;
    for (int round = 0; round < 7; ++round) {
        auto start = Clock::now();
        stream->ParseMessage(reply);
        setReply.push_back(Milliseconds(Clock::now() - start));
        CDialogOsMatches* window = service->matchesDialog.get();
        if (!window || window->m_list->GetItemCount() != kMatches) {
            std::fprintf(stderr, "the matches window was not filled\n");
            return 1;
        }
        QCoreApplication::processEvents();

        start = Clock::now();
        for (const std::string& delta : deltas)
            stream->ParseMessage(delta);
        deltaReply.push_back(Milliseconds(Clock::now() - start));
        if (window->m_list->GetItemCount() != kMatches) {
            std::fprintf(stderr, "the changes did not reach the window\n");
            return 1;
        }
        QCoreApplication::processEvents();

        start = Clock::now();
        window->SetItems(records);
        setWindow.push_back(Milliseconds(Clock::now() - start));
        QCoreApplication::processEvents();

        start = Clock::now();
        for (int i = 0; i < kDeltas / 2; ++i) {
            window->AddItem(added[size_t(i)]);
            window->RemoveItem(records[size_t(i) * 3]);
        }
        deltaWindow.push_back(Milliseconds(Clock::now() - start));
        QCoreApplication::processEvents();
    }
    Report("2,000 matches set from the reply", setReply, 100);
    Report("1,000 match changes from their messages", deltaReply, 100);
    Report("2,000 matches set on the window", setWindow, 100);
    Report("1,000 match changes on the window", deltaWindow, 100);

    delete stream;
    app.pStream = nullptr;
    return 0;
}
