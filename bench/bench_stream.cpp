// The server stream's throughput: a transcript of server text (who lists, tells, user
// notifications) of at least 10 MB, sent by the stand-in over loopback, read by the reader
// loop, assembled into messages and routed to a counting handler. Beside it, the floor:
// the same bytes received through the socket buffer and only split into lines.
#include "StandinServer.h"
#include "BenchSupport.h"
#include "ggsstream.h"

#include <cstdio>
#include <string>

namespace {

class CCountingStream : public ggsstream {
public:
    void OnMessage(const CMsg&) override { ++messages; }
    void OnTell(const CMsgGGSTell& msg) override
    {
        ++tells;
        OnMessage(msg);
    }
    void OnWho(const CMsgGGSWho& msg) override
    {
        whoUsers += msg.users.size();
        OnMessage(msg);
    }
    size_t messages = 0;
    size_t tells = 0;
    size_t whoUsers = 0;
};

struct Transcript {
    std::string text;
    size_t messages = 0;
};

Transcript MakeTranscript(size_t minimumBytes)
{
    Transcript t;
    const char classes[] = "+-ahps.";
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    while (t.text.size() < minimumBytes) {
        // A who list of 150 users, as continuation lines.
        t.text += ": who 150\n";
        for (int i = 0; i < 150; ++i) {
            t.text += "|user" + std::to_string(next() % 5000) + ' ' + classes[next() % 7] + ' ' +
                      std::to_string(next() % 60) + ":0" + std::to_string(next() % 10) + ' ' +
                      std::to_string(next() % 10) + ":" + std::to_string(10 + next() % 50) +
                      ":00 - -\n";
        }
        t.text += "READY\n";
        ++t.messages;
        // Tells and notifications. A notification is closed by the next ':' line or by
        // "READY"; a tell needs "READY" in front of it, or it would continue the message.
        bool open = false;
        for (int i = 0; i < 300; ++i) {
            const std::string user = "user" + std::to_string(next() % 5000);
            const unsigned kind = next() % 4;
            if (kind < 2 && open)
                t.text += "READY\n";
            open = kind >= 2;
            switch (kind) {
            case 0:
                t.text += user + ": would you like a game of 8x8 with 5:00 on the clock?\nREADY\n";
                break;
            case 1:
                t.text += ".chat " + user + ": well played, that was a close one\n|and a second line\nREADY\n";
                break;
            case 2:
                t.text += ": + " + user + " " + std::to_string(next() % 2) + "\n";
                break;
            default:
                t.text += ": - " + user + "\n";
                break;
            }
            ++t.messages;
        }
        t.text += "READY\n";
    }
    return t;
}

} // namespace

int main()
{
    const bench::ScratchFolder scratch;

    const Transcript transcript = MakeTranscript(10 * 1024 * 1024);
    const std::string script = transcript.text + "@close\n";
    CStandinServer server;
    server.SetScript(script);
    const uint16_t port = server.Start();
    if (port == 0)
        return 1;
    const double megabytes = transcript.text.size() / (1024.0 * 1024.0);
    std::printf("transcript: %.1f MB, %zu messages\n", megabytes, transcript.messages);

    const bench::Rounds rounds = bench::Measure<CCountingStream>(port, script, transcript.messages);
    server.Stop();
    if (!rounds.whole)
        return 1;
    bench::ReportRounds("stream", "messages", transcript.messages, megabytes, rounds);
    return 0;
}
