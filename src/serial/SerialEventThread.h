// The thread that waits for line events of an open port and delivers them to its component.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "serial/SerialOs.h"

class TCustomComm;
class ISyncDispatcher;

class TCommEventThread {
  public:
    // Sets the device's event mask and starts waiting.
    TCommEventThread(TCustomComm& comm, ISerialOs& os, TOsHandle handle);
    TCommEventThread(const TCommEventThread&) = delete;
    TCommEventThread& operator=(const TCommEventThread&) = delete;
    // Signals the close event and returns once the thread has ended, running pending main-thread
    // deliveries meanwhile.
    ~TCommEventThread();

  private:
    void Execute();
    void Deliver(ISyncDispatcher& dispatcher);
    void DoEvent();

    TCustomComm* Comm;
    std::unique_ptr<ICloseEvent> CloseEvent;
    std::uint32_t EventMask = 0;
    ISerialOs& m_os;
    TOsHandle m_handle;
    std::mutex m_mutex;
    std::condition_variable m_finishedChanged;
    bool m_finished = false;
    // The dispatcher a delivery waits in right now; the join serves this one, which need not be
    // the one installed by the time the port closes.
    ISyncDispatcher* m_waitingIn = nullptr;
    std::thread m_thread;
};
