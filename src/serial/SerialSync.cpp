// The queue through which line events reach the main thread.
#include "serial/SerialSync.h"

#include <atomic>

void TMainThreadDispatcher::SetWakeHook(std::function<void()> hook) {
    std::lock_guard lock(m_mutex);
    m_wakeHook = std::move(hook);
}

void TMainThreadDispatcher::RunOnMainThread(const std::function<void()>& request) {
    TRequest pending;
    pending.Run = &request;
    std::function<void()> wake;
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(&pending);
        wake = m_wakeHook;
    }
    if (wake)
        wake();
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [&] { return pending.Done; });
    if (pending.Error)
        std::rethrow_exception(pending.Error);
}

void TMainThreadDispatcher::ProcessPending() {
    for (;;) {
        TRequest* request = nullptr;
        {
            std::lock_guard lock(m_mutex);
            if (m_queue.empty())
                return;
            request = m_queue.front();
            m_queue.pop_front();
        }
        std::exception_ptr error;
        try {
            (*request->Run)();
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(m_mutex);
            request->Error = error;
            request->Done = true;
        }
        m_done.notify_all();
    }
}

namespace {
std::atomic<ISyncDispatcher*> installedDispatcher{nullptr};
}

TMainThreadDispatcher& DefaultSyncDispatcher() {
    static TMainThreadDispatcher dispatcher;
    return dispatcher;
}

void InstallSyncDispatcher(ISyncDispatcher* dispatcher) {
    installedDispatcher = dispatcher;
}

ISyncDispatcher& CurrentSyncDispatcher() {
    ISyncDispatcher* dispatcher = installedDispatcher.load();
    return dispatcher ? *dispatcher : DefaultSyncDispatcher();
}
