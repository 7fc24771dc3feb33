// The talk windows under load: the who window filled with a who reply and kept up to date
// by user notifications, and one text window receiving a stream of server text with its
// bound in force. Runs headless; the figures are the best of three rounds.
#include "Console.h"
#include "DialogGGSWho.h"
#include "Tavo.h"
#include "TavoGGSStream.h"
#include "mfc/ListCtrl.h"

#include "BenchSupport.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

std::string WhoReply(int users)
{
    std::string text = ": who " + std::to_string(users);
    for (int i = 0; i < users; ++i)
        text += "\nuser" + std::to_string(i * 7919 % users) + " - 0:" + std::to_string(10 + i % 50) + " 1:00:00 - -";
    return text;
}

// Notifications: logins leaving, new logins arriving, and listed users changing level.
std::vector<std::string> Notifications(int users, int count)
{
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        const std::string listed = "user" + std::to_string(i * 31 % users);
        switch (i % 3) {
        case 0: texts.push_back(": - " + listed + " 0"); break;
        case 1: texts.push_back(": + new" + std::to_string(i) + " " + std::to_string(i % 2)); break;
        default: texts.push_back(": + " + listed + " " + std::to_string(1 + i % 2)); break;
        }
    }
    return texts;
}

// One round of the who window: seconds for the reply and for the notifications.
std::pair<double, double> WhoRound(int users, int notifications)
{
    tavostream stream;
    stream.ParseMessage(": + /os 2"); // the service is there: no message box
    stream.GetWhoDialog()->ShowWindow(SW_SHOW);
    const std::string reply = WhoReply(users);
    const std::vector<std::string> deltas = Notifications(users, notifications);
    QCoreApplication::processEvents();

    auto start = bench::Clock::now();
    stream.ParseMessage(reply);
    QCoreApplication::processEvents();
    const double fill = bench::Seconds(bench::Clock::now() - start);

    start = bench::Clock::now();
    for (const std::string& delta : deltas)
        stream.ParseMessage(delta);
    QCoreApplication::processEvents();
    const double update = bench::Seconds(bench::Clock::now() - start);
    // The users table holds no more than its bound, nor the window.
    const int listed = std::min(users, int(ggsstream::kMaxUsers));
    if (stream.GetWhoDialog()->m_list->GetItemCount() < listed / 2) {
        std::fprintf(stderr, "the who window lost its rows\n");
        std::exit(1);
    }
    return {fill, update};
}

// One round of the console: seconds for the text, and the growth of the resident memory
// over the second half of it. With `eachPiece` the window thread runs its events after
// every piece, as when each piece is a message of its own; else the pieces come in one
// burst.
std::pair<double, long> ConsoleRound(size_t bytes, bool eachPiece)
{
    tavostream stream;
    CConsole* console = stream.GetWindow("bob");
    std::string piece;
    for (int line = 0; piece.size() < 1024 - 80; ++line)
        piece += "bob: line " + std::to_string(line) + " of a long conversation about the game we played\n";
    piece.resize(1024, '.');
    QCoreApplication::processEvents();
    long halfway = 0;
    const auto start = bench::Clock::now();
    for (size_t sent = 0; sent < bytes; sent += piece.size()) {
        console->AddText(piece);
        if (eachPiece)
            QCoreApplication::processEvents();
        if (sent < bytes / 2 && sent + piece.size() >= bytes / 2) {
            QCoreApplication::processEvents();
            halfway = bench::ResidentKilobytes();
        }
    }
    QCoreApplication::processEvents();
    const double seconds = bench::Seconds(bench::Clock::now() - start);
    if (console->m_editOutput.GetWindowTextLength() > 2 * CConsole::kBound) {
        std::fprintf(stderr, "the console outgrew its bound\n");
        std::exit(1);
    }
    return {seconds, bench::ResidentKilobytes() - halfway};
}

} // namespace

int main(int argc, char** argv)
{
    bench::ScratchFolder scratch; // the application's start log
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication qt(argc, argv);
    CTavoApp app;

    // The goal's case, then the extremes of the bad input: a reply of 100,000 users, and
    // a burst of 10,000 notifications.
    for (const auto& size : {std::pair<int, int>{2000, 1000}, std::pair<int, int>{100000, 0},
                             std::pair<int, int>{2000, 10000}}) {
        double fill = 1e9, update = 1e9;
        for (int round = 0; round < 3; ++round) {
            const auto times = WhoRound(size.first, size.second);
            fill = std::min(fill, times.first);
            update = std::min(update, times.second);
        }
        std::printf("who window, %d users: reply %.1f ms, %d notifications %.1f ms\n", size.first, fill * 1e3,
                    size.second, update * 1e3);
    }

    for (const bool eachPiece : {false, true}) {
        double seconds = 1e9;
        long growth = 0;
        for (int round = 0; round < 3; ++round) {
            const auto result = ConsoleRound(10u << 20, eachPiece);
            seconds = std::min(seconds, result.first);
            growth = result.second;
        }
        std::printf("console, 10 MB in 1 KB pieces, %s: %.0f ms, resident memory over the second half %+ld KB\n",
                    eachPiece ? "events after every piece" : "in one burst", seconds * 1e3, growth);
    }
    return 0;
}
