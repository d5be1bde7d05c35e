// A recording stand-in for the serial OS API: it keeps a device's state in memory, records every
// call, and fails the calls it is told to.
#pragma once

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "serial/SerialOs.h"

class TFakeSerialOs : public ISerialOs {
  public:
    static constexpr TOsHandle kHandle = 7;

    // What the tests read and preset; guard with Lock() while the event thread runs.
    std::vector<std::string> Calls;
    std::set<std::string> Failing;
    TLineState State;
    std::vector<TLineState> SetStates;
    TCommTimeouts Timeouts;
    TCommProperties Properties;
    std::uint32_t InQueue = 0;
    std::uint32_t OutQueue = 0;
    std::string Input;
    std::string Written;
    std::uint32_t EventMask = 0;
    int OpenHandles = 0;

    std::unique_lock<std::mutex> Lock() { return std::unique_lock(m_mutex); }

    // Makes the waiting event thread report `events`.
    void RaiseEvent(std::uint32_t events) {
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(events);
        }
        m_changed.notify_all();
    }

    void Receive(const std::string& bytes) {
        {
            std::lock_guard lock(m_mutex);
            Input += bytes;
        }
        m_changed.notify_all();
    }

    // The cable is pulled after `counts` more queue counts: from then on counts fail, reads yield
    // nothing, writes fail and waits for input last their whole time, as on a hung-up line.
    void PullCableAfterCounts(int counts) {
        std::lock_guard lock(m_mutex);
        m_countsBeforePull = counts;
    }

    bool WasCalled(const std::string& call) {
        std::lock_guard lock(m_mutex);
        for (const std::string& c : Calls) {
            if (c == call)
                return true;
        }
        return false;
    }

    TOsHandle OpenDevice(const std::string& deviceName) override {
        std::lock_guard lock(m_mutex);
        Calls.push_back("OpenDevice " + deviceName);
        if (Fails("OpenDevice"))
            return InvalidOsHandle;
        ++OpenHandles;
        return kHandle;
    }
    void CloseDevice(TOsHandle) override {
        std::lock_guard lock(m_mutex);
        Calls.push_back("CloseDevice");
        --OpenHandles;
    }
    bool GetCommState(TOsHandle, TLineState& state) override {
        std::lock_guard lock(m_mutex);
        Calls.push_back("GetCommState");
        if (Fails("GetCommState"))
            return false;
        state = State;
        return true;
    }
    bool SetCommState(TOsHandle, const TLineState& state) override {
        std::lock_guard lock(m_mutex);
        Calls.push_back("SetCommState");
        if (Fails("SetCommState"))
            return false;
        State = state;
        SetStates.push_back(state);
        return true;
    }
    bool SetupComm(TOsHandle, std::uint32_t inQueue, std::uint32_t outQueue) override {
        std::lock_guard lock(m_mutex);
        Calls.push_back("SetupComm " + std::to_string(inQueue) + " " + std::to_string(outQueue));
        return !Fails("SetupComm");
    }
    bool PurgeComm(TOsHandle, std::uint32_t flags) override {
        std::lock_guard lock(m_mutex);
        Calls.push_back("PurgeComm " + std::to_string(flags));
        if (flags & (purgeRxAbort | purgeRxClear))
            Input.clear();
        return !Fails("PurgeComm");
    }
    bool ClearCommError(TOsHandle, std::uint32_t& errors, TQueueCounts& counts) override {
        std::lock_guard lock(m_mutex);
        errors = 0;
        if (Fails("ClearCommError") || CablePulled())
            return false;
        if (m_countsBeforePull > 0)
            --m_countsBeforePull;
        counts.InQue = InQueue ? InQueue : static_cast<std::uint32_t>(Input.size());
        counts.OutQue = OutQueue;
        return true;
    }
    bool GetCommTimeouts(TOsHandle, TCommTimeouts& timeouts) override {
        std::lock_guard lock(m_mutex);
        if (Fails("GetCommTimeouts"))
            return false;
        timeouts = Timeouts;
        return true;
    }
    bool SetCommTimeouts(TOsHandle, const TCommTimeouts& timeouts) override {
        std::lock_guard lock(m_mutex);
        Calls.push_back("SetCommTimeouts");
        if (Fails("SetCommTimeouts"))
            return false;
        Timeouts = timeouts;
        return true;
    }
    bool GetCommProperties(TOsHandle, TCommProperties& properties) override {
        std::lock_guard lock(m_mutex);
        if (Fails("GetCommProperties"))
            return false;
        properties = Properties;
        return true;
    }
    bool SetCommMask(TOsHandle, std::uint32_t mask) override {
        std::lock_guard lock(m_mutex);
        Calls.push_back("SetCommMask " + std::to_string(mask));
        EventMask = mask;
        return true;
    }
    std::unique_ptr<ICloseEvent> CreateCloseEvent() override {
        return std::make_unique<TFakeCloseEvent>(*this);
    }
    TWaitResult WaitCommEvent(TOsHandle, std::uint32_t& events, ICloseEvent& closeEvent) override {
        auto& fakeEvent = static_cast<TFakeCloseEvent&>(closeEvent);
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return fakeEvent.Signalled || !m_events.empty(); });
        if (fakeEvent.Signalled)
            return TWaitResult::Closed;
        events = m_events.front() & EventMask;
        m_events.pop_front();
        return TWaitResult::Event;
    }
    bool WaitForInput(TOsHandle, std::uint32_t timeoutMs) override {
        std::unique_lock lock(m_mutex);
        if (CablePulled()) {
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
            return false;
        }
        return m_changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                  [&] { return !Input.empty(); });
    }
    long ReadFile(TOsHandle, void* buffer, std::uint32_t count) override {
        std::lock_guard lock(m_mutex);
        if (Fails("ReadFile"))
            return -1;
        if (CablePulled())
            return 0;
        const std::size_t n = std::min<std::size_t>(count, Input.size());
        Input.copy(static_cast<char*>(buffer), n);
        Input.erase(0, n);
        return static_cast<long>(n);
    }
    long WriteFile(TOsHandle, const void* buffer, std::uint32_t count) override {
        std::lock_guard lock(m_mutex);
        if (Fails("WriteFile") || CablePulled())
            return -1;
        Written.append(static_cast<const char*>(buffer), count);
        return static_cast<long>(count);
    }

  private:
    class TFakeCloseEvent : public ICloseEvent {
      public:
        explicit TFakeCloseEvent(TFakeSerialOs& os) : m_os(os) {}
        void Signal() override {
            {
                std::lock_guard lock(m_os.m_mutex);
                Signalled = true;
            }
            m_os.m_changed.notify_all();
        }
        bool Signalled = false;

      private:
        TFakeSerialOs& m_os;
    };

    bool CablePulled() {
        if (m_countsBeforePull != 0)
            return false;
        errno = EIO;
        return true;
    }

    bool Fails(const std::string& call) {
        if (Failing.count(call) == 0)
            return false;
        errno = EIO;
        return true;
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::uint32_t> m_events;
    // Negative while the cable stays in.
    int m_countsBeforePull = -1;
};
