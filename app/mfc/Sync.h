// Named mutexes in the Win32 manner: created or opened by name, owned by one thread at
// a time, re-entrant for their owner, taken with a time-out in milliseconds.
#pragma once

#include "Afx.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

class CNamedMutex {
public:
    // Takes the mutex, waiting at most `milliseconds`: WAIT_OBJECT_0 or WAIT_TIMEOUT.
    DWORD Wait(DWORD milliseconds);
    // Gives up one level of ownership; false when the calling thread is not the owner.
    bool Release();

private:
    std::mutex m_lock;
    std::condition_variable m_freed;
    std::thread::id m_owner;
    unsigned m_count = 0;
};

using HANDLE = std::shared_ptr<CNamedMutex>;

// The mutex of that name, created on first use and shared by every later call in the
// process; when `initialOwner` is set the calling thread takes it.
HANDLE CreateMutex(bool initialOwner, const std::string& name);
DWORD WaitForSingleObject(const HANDLE& mutex, DWORD milliseconds);
BOOL ReleaseMutex(const HANDLE& mutex);
