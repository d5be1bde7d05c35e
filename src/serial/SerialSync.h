// Delivery of the event thread's line events on the main thread, and the wait that keeps
// delivering while the main thread joins the event thread.
//
// The event thread hands each delivery to the installed dispatcher's RunOnMainThread and blocks
// until it has run. Whoever joins an event thread (Close, destruction) calls ProcessPending of the
// dispatcher that delivery waits in, even when another one has been installed since, so a delivery
// that waits for the main thread cannot deadlock the join.
//
// Installing: the dispatcher is process-wide. By default it is a TMainThreadDispatcher with no
// wake hook: deliveries run only when the main thread calls ProcessPending. A Qt program calls,
// on its GUI thread once at start-up:
//     DefaultSyncDispatcher().SetWakeHook([] {
//         QMetaObject::invokeMethod(qApp, [] { DefaultSyncDispatcher().ProcessPending(); },
//                                   Qt::QueuedConnection);
//     });
// and clears the hook (SetWakeHook(nullptr)) before the application object goes away. Tests may
// InstallSyncDispatcher their own (a direct one that runs requests on the calling thread) and
// install nullptr again afterwards to restore the default.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>

class ISyncDispatcher {
  public:
    ISyncDispatcher() = default;
    ISyncDispatcher(const ISyncDispatcher&) = delete;
    ISyncDispatcher& operator=(const ISyncDispatcher&) = delete;
    virtual ~ISyncDispatcher() = default;

    // Called from a worker thread: runs `request` on the main thread and returns once it ran.
    // An exception of the request is raised again here.
    virtual void RunOnMainThread(const std::function<void()>& request) = 0;
    // Called on the main thread: runs every request that waits.
    virtual void ProcessPending() = 0;
};

class TMainThreadDispatcher : public ISyncDispatcher {
  public:
    // Called (from the requesting thread) whenever a request joins the queue.
    void SetWakeHook(std::function<void()> hook);

    void RunOnMainThread(const std::function<void()>& request) override;
    void ProcessPending() override;

  private:
    struct TRequest {
        const std::function<void()>* Run = nullptr;
        bool Done = false;
        std::exception_ptr Error;
    };

    std::mutex m_mutex;
    std::condition_variable m_done;
    std::deque<TRequest*> m_queue;
    std::function<void()> m_wakeHook;
};

// The dispatcher that serves until another is installed.
TMainThreadDispatcher& DefaultSyncDispatcher();

// nullptr restores the default. The caller keeps the dispatcher alive while it is installed.
void InstallSyncDispatcher(ISyncDispatcher* dispatcher);
ISyncDispatcher& CurrentSyncDispatcher();
