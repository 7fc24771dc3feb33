#pragma once
// What the benchmarks share: timing and reporting, the resident memory, a scratch folder
// for the traffic log, logging in to the stand-in, timing the reader loop, and the floor
// that only receives and splits lines.
#include "StandinServer.h"
#include "ggsstream.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

inline double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// One line of figures over the samples (milliseconds) against the goal.
inline void Report(const char* what, std::vector<double> samples, double goal)
{
    std::sort(samples.begin(), samples.end());
    const double median = samples[samples.size() / 2];
    const double p95 = samples[samples.size() * 95 / 100];
    std::printf("%-58s median %8.3f ms  95%% %8.3f ms  max %8.3f ms  (goal < %g ms)\n", what, median, p95,
                samples.back(), goal);
}

// The resident memory of the process in kilobytes, -1 where it cannot be read.
inline long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

// Makes a fresh temporary folder the working directory for the life of the object, so
// that the traffic log "recv.txt" stays out of the caller's folder.
class ScratchFolder {
public:
    ScratchFolder() : previous(std::filesystem::current_path())
    {
        std::string name = (std::filesystem::temp_directory_path() / "tavo-bench-XXXXXX").string();
        if (::mkdtemp(name.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        folder = name;
        std::filesystem::current_path(folder);
    }
    ~ScratchFolder()
    {
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(folder);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

private:
    std::filesystem::path previous;
    std::filesystem::path folder;
};

inline void LoginOrExit(ggsstream& stream, uint16_t port)
{
    if (stream.Connect("127.0.0.1", port) != 0 || stream.Login("bench", "pw") != 0) {
        std::fprintf(stderr, "cannot log in to the stand-in\n");
        std::exit(1);
    }
}

// The whole road: reader loop, assembly, routing, records and handlers. Returns seconds.
template <class Stream>
double RunStream(uint16_t port, size_t& messages)
{
    Stream stream;
    LoginOrExit(stream, port);
    const auto start = Clock::now();
    stream.Run();
    const double seconds = Seconds(Clock::now() - start);
    messages = stream.messages;
    return seconds;
}

// The floor: the reader loop's own receiving and line splitting on the same bytes (its
// blocks through the socket buffer, its splitter, the connection tested before each line
// as the loop tests it), with each line only counted.
inline double RunFloor(uint16_t port, size_t& lines, size_t& bytes)
{
    ggsstream stream;
    LoginOrExit(stream, port);
    std::streambuf* buffer = stream.rdbuf();
    const sockbuf* socket = dynamic_cast<const sockbuf*>(buffer);
    ggsstream::CLineSplitter splitter;
    char block[sockbuf::kAreaSize];
    lines = bytes = 0;
    const auto start = Clock::now();
    for (std::streamsize n; (n = ggsstream::ReadBlock(buffer, block, sizeof block)) > 0;) {
        bytes += static_cast<size_t>(n);
        splitter.Take(
            block, block + n,
            [socket, &lines](std::string&) {
                if (!socket->IsConnected())
                    return false;
                ++lines;
                return true;
            },
            [] {});
    }
    return Seconds(Clock::now() - start);
}

// What the stand-in sends of a script, after the "READY" of the login that the reader loop
// takes too: the bytes, and the lines that they hold.
struct Sent {
    size_t bytes = 0;
    size_t lines = 0;
};

inline Sent SentBy(const std::string& script)
{
    Sent sent{6, 1};   // "READY\n"
    for (const CStandinServer::Action& action : CStandinServer::ParseScript(script)) {
        if (action.kind != CStandinServer::Action::kSend)
            continue;
        sent.bytes += action.text.size();
        sent.lines += static_cast<size_t>(std::count(action.text.begin(), action.text.end(), '\n'));
    }
    return sent;
}

// Rounds of the whole road and of the floor, one after the other over the same script. A
// round whose transcript did not arrive whole, on either road, ends the measuring: its
// figures would be over less than the transcript. `messages` is what the stream counts.
struct Rounds {
    std::vector<double> stream;
    std::vector<double> floor;
    size_t messages = 0;
    size_t lines = 0;
    bool whole = true;
};

template <class Stream>
Rounds Measure(uint16_t port, const std::string& script, size_t messages, int rounds = 7)
{
    const Sent sent = SentBy(script);
    Rounds r;
    for (int round = 0; round < rounds; ++round) {
        size_t routed = 0;
        size_t lines = 0;
        size_t bytes = 0;
        r.stream.push_back(RunStream<Stream>(port, routed));
        r.floor.push_back(RunFloor(port, lines, bytes));
        r.messages = routed;
        r.lines = lines;
        if (routed != messages || bytes != sent.bytes || lines != sent.lines) {
            std::fprintf(stderr,
                         "error: the transcript did not arrive whole in round %d: the stream counted %zu of %zu "
                         "messages, the floor %zu of %zu bytes and %zu of %zu lines\n",
                         round + 1, routed, messages, bytes, sent.bytes, lines, sent.lines);
            r.whole = false;
            break;
        }
    }
    return r;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The figures of the rounds: each road's median time with its range, and the throughput
// ratio (floor time over stream time) of each round, as its median and range.
inline void ReportRounds(const char* road, const char* unit, size_t count, double megabytes, const Rounds& r)
{
    auto line = [&](const char* name, const char* what, const char* units, size_t n,
                    const std::vector<double>& seconds) {
        const double median = Median(seconds);
        std::printf("%-8s %-34s: %9.0f %s/s %7.1f MB/s (%zu %s; median %.3f s, range %.3f-%.3f s)\n", name, what,
                    n / median, units, megabytes / median, n, units, median,
                    *std::min_element(seconds.begin(), seconds.end()),
                    *std::max_element(seconds.begin(), seconds.end()));
    };
    line(road, "(the whole road)", unit, count, r.stream);
    line("floor", "(read, split lines)", "lines", r.lines, r.floor);
    std::vector<double> ratios;
    for (size_t i = 0; i < r.stream.size(); ++i)
        ratios.push_back(r.floor[i] / r.stream[i]);
    std::printf("%s / floor throughput, %zu rounds: median %.3f, range %.3f-%.3f\n", road, ratios.size(), Median(ratios),
                *std::min_element(ratios.begin(), ratios.end()), *std::max_element(ratios.begin(), ratios.end()));
}

} // namespace bench
