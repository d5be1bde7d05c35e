// Waiting for line events and handing them to the component, on the main thread by default.
#include "serial/SerialEventThread.h"

#include <chrono>

#include "serial/SerialDrv.h"
#include "serial/SerialSync.h"

namespace {
// How often a join looks for deliveries that wait for the main thread.
constexpr auto kJoinPollPeriod = std::chrono::milliseconds(5);
}  // namespace

TCommEventThread::TCommEventThread(TCustomComm& comm, ISerialOs& os, TOsHandle handle)
    : Comm(&comm), CloseEvent(os.CreateCloseEvent()), m_os(os), m_handle(handle) {
    if (!CloseEvent) {
        // Without a close event the thread could never be stopped; the port runs without events.
        m_finished = true;
        return;
    }
    m_os.SetCommMask(m_handle, kCommEventMask);
    m_thread = std::thread([this] { Execute(); });
}

TCommEventThread::~TCommEventThread() {
    if (CloseEvent)
        CloseEvent->Signal();
    std::this_thread::yield();
    std::unique_lock lock(m_mutex);
    while (!m_finished) {
        ISyncDispatcher* waitingIn = m_waitingIn;
        lock.unlock();
        if (waitingIn)
            waitingIn->ProcessPending();
        lock.lock();
        m_finishedChanged.wait_for(lock, kJoinPollPeriod, [this] { return m_finished; });
    }
    lock.unlock();
    if (m_thread.joinable())
        m_thread.join();
}

void TCommEventThread::Execute() {
    for (;;) {
        if (m_os.WaitCommEvent(m_handle, EventMask, *CloseEvent) != TWaitResult::Event)
            break;
        try {
            if (Comm->Synchronize()) {
                Deliver(CurrentSyncDispatcher());
            } else {
                DoEvent();
            }
        } catch (...) {
            // A handler that raises ends the thread's deliveries, as a failed wait does.
            break;
        }
    }
    m_os.SetCommMask(m_handle, 0);
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
    }
    m_finishedChanged.notify_all();
}

void TCommEventThread::Deliver(ISyncDispatcher& dispatcher) {
    {
        std::lock_guard lock(m_mutex);
        m_waitingIn = &dispatcher;
    }
    try {
        dispatcher.RunOnMainThread([this] { DoEvent(); });
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_waitingIn = nullptr;
        throw;
    }
    std::lock_guard lock(m_mutex);
    m_waitingIn = nullptr;
}

void TCommEventThread::DoEvent() {
    if (EventMask != 0 && Comm) {
        Comm->HandleEvents(TDeviceEvents::FromBits(static_cast<std::uint16_t>(EventMask & 0xFFFF)));
    }
}
