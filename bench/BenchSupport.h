#pragma once
// What the benchmarks share: timing and reporting, the resident memory, a scratch folder
// for the traffic log, logging in to the stand-in, timing the reader loop, and the floor
// that only receives and splits lines.
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

// The floor: the same bytes through the socket buffer, only split into lines.
inline double RunFloor(uint16_t port, size_t& lines)
{
    ggsstream stream;
    LoginOrExit(stream, port);
    std::streambuf* buffer = stream.rdbuf();
    std::string line;
    lines = 0;
    const auto start = Clock::now();
    for (int c; (c = buffer->sbumpc()) != EOF;) {
        if (c == '\n') {
            ++lines;
            line.clear();
        } else {
            line += static_cast<char>(c);
        }
    }
    return Seconds(Clock::now() - start);
}

// The best of three rounds of the whole road and of the floor over the same script.
struct Rounds {
    double stream = 1e9;
    double floor = 1e9;
    size_t messages = 0;
    size_t lines = 0;
};

template <class Stream>
Rounds BestOfThree(uint16_t port)
{
    Rounds best;
    for (int round = 0; round < 3; ++round) {
        best.stream = std::min(best.stream, RunStream<Stream>(port, best.messages));
        best.floor = std::min(best.floor, RunFloor(port, best.lines));
    }
    return best;
}

} // namespace bench
