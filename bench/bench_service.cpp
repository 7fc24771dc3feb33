// The "/os" service's throughput: a transcript of service traffic (joins with whole GGF
// games, their moves as updates, match ends, match lists of a few hundred matches, request
// and match deltas, who lists) sent by the stand-in over loopback, read by the reader loop,
// assembled, routed to the service object and applied to its state. Beside it, the floor:
// the same bytes received through the socket buffer and only split into lines.
#include "StandinServer.h"
#include "BenchSupport.h"
#include "ggsstream.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Counts what reaches the generic handler.
class CCountingStream : public ggsstream {
public:
    void OnMessage(const CMsg&) override { ++messages; }
    size_t messages = 0;
};

struct Transcript {
    std::string text;
    size_t messages = 0; // service messages that reach the generic handler
    size_t who = 0;      // who lists, which the service keeps to itself
    size_t games = 0;
};

// The moves of a GGF game line and the line cut after its first n moves.
struct GameText {
    std::string head; // up to the first move
    std::vector<std::string> moves;
    std::string result;
};

GameText SplitGame(const std::string& line)
{
    GameText g;
    size_t pos = line.find("BO[");
    pos = pos == std::string::npos ? std::string::npos : line.find(']', pos);
    if (pos == std::string::npos)
        return g;
    g.head = line.substr(0, pos + 1);
    const size_t re = line.find("RE[");
    if (re != std::string::npos)
        g.result = line.substr(re + 3, line.find(']', re) - re - 3);
    while (pos + 3 < line.size() && (line[pos + 1] == 'B' || line[pos + 1] == 'W') && line[pos + 2] == '[') {
        const size_t end = line.find(']', pos + 3);
        if (end == std::string::npos)
            break;
        g.moves.push_back(line.substr(pos + 3, end - pos - 3));
        pos = end;
    }
    return g;
}

std::string Cut(const GameText& g, size_t n, const std::string& type)
{
    std::string text = g.head;
    const size_t re = text.find("RE[" + g.result + "]");
    if (re != std::string::npos)
        text.replace(re, g.result.size() + 4, "RE[?]");
    const size_t ty = text.find("TY[8]");
    if (ty != std::string::npos)
        text.replace(ty, 5, "TY[" + type + "]");
    for (size_t i = 0; i < n && i < g.moves.size(); ++i)
        text += std::string(i % 2 ? "W[" : "B[") + g.moves[i] + "]";
    return text + ";)";
}

Transcript MakeTranscript(const std::vector<GameText>& games)
{
    Transcript t;
    auto message = [&t](const std::string& text) {
        t.text += text + "\nREADY\n";
        ++t.messages;
    };
    t.text += ": + /os 1\nREADY\n";
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (size_t i = 0; i < games.size(); ++i) {
        const GameText& g = games[i];
        const std::string id = "." + std::to_string(i + 1);
        const bool synchro = i % 10 == 0;
        const std::string type = synchro ? "s8" : "8";
        const std::string players = " 1700 black" + std::to_string(i % 97) + " 1800 white" + std::to_string(i % 89);
        message("/os: + match " + id + players + " " + type + " R");
        const std::vector<std::string> ids = synchro ? std::vector<std::string>{id + ".0", id + ".1"}
                                                     : std::vector<std::string>{id};
        const size_t joined = std::min<size_t>(20, g.moves.size());
        for (const std::string& game : ids) {
            message("/os: join " + game + "\n|" + Cut(g, joined, type));
            ++t.games;
        }
        for (size_t m = joined; m < g.moves.size(); ++m)
            for (const std::string& game : ids)
                message("/os: update " + game + " " + g.moves[m] + "//" + std::to_string(next() % 30) + ".25");
        if (synchro)
            message("/os: end " + ids[0] + " ( black" + std::to_string(i % 97) + " vs. white" +
                    std::to_string(i % 89) + " ) " + g.result);
        message("/os: - match " + id + players + " " + type + " R " + g.result);

        if (i % 100 == 0) {
            std::string list = "/os: match 0 / 300";
            for (int k = 0; k < 300; ++k)
                list += "\n|." + std::to_string(100000 + k) + " " + std::to_string(1500 + next() % 700) + " p" +
                        std::to_string(next() % 4000) + " " + std::to_string(1500 + next() % 700) + " q" +
                        std::to_string(next() % 4000) + (k % 7 ? " 8 R " : " s8r20 U ") + std::to_string(k % 3);
            message(list);
            std::string who = "/os: who 200";
            for (int k = 0; k < 200; ++k)
                who += "\n|user" + std::to_string(next() % 5000) + " + " + std::to_string(1200 + next() % 1000) + "@" +
                       std::to_string(40 + next() % 200) +
                       (k % 3 ? " -> " + std::to_string(next() % 900) + " 3 " + std::to_string(next() % 900) + " @ 80"
                              : std::string());
            t.text += who + "\nREADY\n";
            ++t.who;
            for (int k = 0; k < 10; ++k) {
                const std::string request = " .r" + std::to_string(k) + " 1800 ann 5:00//2:00 8 R 1700 bob 10:00//0:00";
                message("/os: +" + request);
                message("/os: -" + request);
            }
        }
    }
    return t;
}

} // namespace

int main()
{
    std::ifstream file(TAVO_GAMES_DIR "/wthor-2001.ggf");
    if (!file) {
        std::fprintf(stderr, "cannot open %s\n", TAVO_GAMES_DIR "/wthor-2001.ggf");
        return 1;
    }
    std::vector<GameText> games;
    for (std::string line; std::getline(file, line);) {
        GameText g = SplitGame(line);
        if (!g.moves.empty())
            games.push_back(std::move(g));
    }

    const bench::ScratchFolder scratch;

    const Transcript transcript = MakeTranscript(games);
    const std::string script = transcript.text + "@close\n";
    CStandinServer server;
    server.SetScript(script);
    const uint16_t port = server.Start();
    if (port == 0)
        return 1;
    const double megabytes = transcript.text.size() / (1024.0 * 1024.0);
    const size_t serviceMessages = transcript.messages + transcript.who;
    std::printf("transcript: %.1f MB, %zu service messages (%zu games joined, %zu who lists)\n", megabytes,
                serviceMessages, transcript.games, transcript.who);

    // The user notification that creates the service reaches the generic handler too.
    const bench::Rounds rounds = bench::Measure<CCountingStream>(port, script, transcript.messages + 1);
    server.Stop();
    if (!rounds.whole)
        return 1;
    bench::ReportRounds("service", "messages", serviceMessages, megabytes, rounds);
    return 0;
}
