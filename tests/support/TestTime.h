#pragma once
// The tests' time limits. A limit only ever catches a hang, never what a test checks, so
// every limit is scaled to the build from the one factor the build gives: a sanitizer
// build runs many times slower than a plain one, and more so on a busy machine.

#include <chrono>

#ifndef TAVO_TEST_TIME_SCALE
#define TAVO_TEST_TIME_SCALE 1
#endif
#ifndef TAVO_TEST_TIME_LIMIT
#define TAVO_TEST_TIME_LIMIT 60
#endif

constexpr int kTestTimeScale = TAVO_TEST_TIME_SCALE;

// How long one test may run before the watchdog ends its program (the CTest limit of each
// test lies above it, so that the watchdog names the test first).
constexpr std::chrono::seconds kTestTimeLimit{TAVO_TEST_TIME_LIMIT};

// A time limit as a plain build needs it, scaled to this build.
template <class Rep, class Period>
constexpr std::chrono::duration<Rep, Period> Scaled(std::chrono::duration<Rep, Period> limit)
{
    return limit * kTestTimeScale;
}
