// Ends the test program when a test runs past its time limit, naming the test: a test
// that hangs (in a modal loop nobody answers, on a connection that never answers, waiting
// for what never comes) is reported by name whether the program runs alone or under ctest.
#include "TestWatchdog.h"

#include "TestTime.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace {

// Both live until the very end of the program: folders are forgotten by destructors of
// static objects too.
std::mutex& FoldersMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}
std::set<std::string>& Folders()
{
    static auto* folders = new std::set<std::string>;
    return *folders;
}

void RemoveFolders()
{
    std::lock_guard<std::mutex> lock(FoldersMutex());
    for (const std::string& folder : Folders()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
}

class TestWatchdog : public ::testing::EmptyTestEventListener {
public:
    TestWatchdog() : m_thread([this] { Watch(); }) {}
    ~TestWatchdog() override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_one();
        m_thread.join();
    }
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_test = std::string(test.test_suite_name()) + "." + test.name();
        m_deadline = Clock::now() + kTestTimeLimit;
        m_changed.notify_one();
    }
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_deadline = Clock::time_point::max();
        m_changed.notify_one();
    }

private:
    using Clock = std::chrono::steady_clock;

    void Watch()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_stop) {
            if (m_deadline == Clock::time_point::max()) {
                m_changed.wait(lock);
                continue;
            }
            m_changed.wait_until(lock, m_deadline);
            if (!m_stop && Clock::now() >= m_deadline) {
                std::fflush(stdout);
                std::fprintf(stderr, "\n[  TIMEOUT ] %s ran past its limit of %lld s\n", m_test.c_str(),
                             static_cast<long long>(kTestTimeLimit.count()));
                std::fflush(stderr);
                RemoveFolders();
                std::_Exit(1);
            }
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_test;
    Clock::time_point m_deadline = Clock::time_point::max();
    bool m_stop = false;
    std::thread m_thread;
};

const bool watchdogInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new TestWatchdog);
    return true;
}();

} // namespace

void RemoveIfTheWatchdogEnds(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(FoldersMutex());
    Folders().insert(folder);
}

void ForgetForTheWatchdog(const std::string& folder)
{
    std::lock_guard<std::mutex> lock(FoldersMutex());
    Folders().erase(folder);
}
