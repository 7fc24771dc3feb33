#include "Sync.h"

#include <chrono>
#include <map>

DWORD CNamedMutex::Wait(DWORD milliseconds)
{
    std::unique_lock<std::mutex> lock(m_lock);
    const auto self = std::this_thread::get_id();
    const auto isFree = [&] { return m_count == 0 || m_owner == self; };
    if (milliseconds == INFINITE)
        m_freed.wait(lock, isFree);
    else if (!m_freed.wait_for(lock, std::chrono::milliseconds(milliseconds), isFree))
        return WAIT_TIMEOUT;
    m_owner = self;
    ++m_count;
    return WAIT_OBJECT_0;
}

bool CNamedMutex::Release()
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_count == 0 || m_owner != std::this_thread::get_id())
        return false;
    if (--m_count == 0) {
        m_owner = std::thread::id();
        m_freed.notify_all();
    }
    return true;
}

HANDLE CreateMutex(bool initialOwner, const std::string& name)
{
    // Kept to the very end of the process: threads may still open mutexes while the
    // program shuts down.
    static auto* registryLock = new std::mutex;
    static auto* registry = new std::map<std::string, HANDLE>;
    HANDLE mutex;
    {
        std::lock_guard<std::mutex> lock(*registryLock);
        HANDLE& entry = (*registry)[name];
        if (!entry)
            entry = std::make_shared<CNamedMutex>();
        mutex = entry;
    }
    if (initialOwner)
        mutex->Wait(INFINITE);
    return mutex;
}

DWORD WaitForSingleObject(const HANDLE& mutex, DWORD milliseconds)
{
    return mutex ? mutex->Wait(milliseconds) : WAIT_FAILED;
}

BOOL ReleaseMutex(const HANDLE& mutex)
{
    return mutex && mutex->Release();
}
