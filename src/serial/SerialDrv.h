// The serial port component: line settings as properties, open and close, queue control,
// transfers with timeouts, and line events from a thread of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "serial/SerialOs.h"
#include "serial/SerialSettings.h"
#include "serial/SerialTypes.h"

class TCustomComm;
class TCommEventThread;

using TCommEvent = std::function<void(TCustomComm* Sender, const TDeviceEvents& Events)>;
using TDataEvent = std::function<void(TCustomComm* Sender, const std::uint32_t Received)>;
using TNotifyEvent = std::function<void(TCustomComm* Sender)>;

// The event mask asked of the OS: every device event but deOutEmpty, which SendData reports.
constexpr std::uint32_t kCommEventMask = 0x1FFB;

// Milliseconds of a clock that does not jump; elapsed times subtract two values unsigned.
std::uint32_t GetTimeMs();

// Owns one open device handle of an ISerialOs and closes it when it goes.
class TDeviceHandle {
  public:
    TDeviceHandle() = default;
    TDeviceHandle(ISerialOs& os, TOsHandle handle) : m_os(&os), m_handle(handle) {}
    TDeviceHandle(TDeviceHandle&& other) noexcept;
    TDeviceHandle& operator=(TDeviceHandle&& other) noexcept;
    TDeviceHandle(const TDeviceHandle&) = delete;
    TDeviceHandle& operator=(const TDeviceHandle&) = delete;
    ~TDeviceHandle() { Reset(); }

    TOsHandle Get() const { return m_handle; }
    bool Valid() const { return m_handle != InvalidOsHandle; }
    void Reset();

  private:
    ISerialOs* m_os = nullptr;
    TOsHandle m_handle = InvalidOsHandle;
};

class TCustomComm {
  public:
    // Without an OS API the component works on this machine's serial devices.
    explicit TCustomComm(std::unique_ptr<ISerialOs> os = nullptr);
    TCustomComm(const TCustomComm&) = delete;
    TCustomComm& operator=(const TCustomComm&) = delete;
    virtual ~TCustomComm();

    virtual TCommLocks GetLockState() const;
    virtual bool Open();
    virtual void Close();
    bool IsOpen() const { return m_handle.Valid(); }

    bool PurgeIn();
    bool PurgeOut();
    std::uint32_t QueueCount(int which);
    // Waits up to timeoutMs for received bytes without reading them; false when none came.
    bool WaitForInput(std::uint32_t timeoutMs);

    std::uint32_t SendData(const void* buffer, std::uint32_t count, std::uint32_t timeoutMs);
    std::uint32_t Send(const void* buffer, std::uint32_t count);
    bool SendChar(char ch);
    bool SendString(const std::string& s);
    std::uint32_t ReadData(void* buffer, std::uint32_t count, std::uint32_t timeoutMs);
    std::uint32_t Read(void* buffer, std::uint32_t count);
    bool ReadChar(char& ch);

    void HandleEvents(TDeviceEvents events);

    // Properties. Getters of line settings read the device back while the port is open.
    TBaudRate BaudRate();
    void SetBaudRate(TBaudRate value);
    std::uint32_t BaudValue();
    void SetBaudValue(std::uint32_t value);
    TCommBuffers& Buffers() { return m_buffers; }
    void SetBuffers(const TCommBuffers& value);
    TRTSSettings RTSSettings();
    void SetRTSSettings(TRTSSettings value);
    TCommDataControl& DataControl() { return m_dataControl; }
    void SetDataControl(const TCommDataControl& value);
    const std::string& DeviceName() const { return m_deviceName; }
    void SetDeviceName(const std::string& value);
    TDTRSettings DTRSettings();
    void SetDTRSettings(TDTRSettings value);
    TCommEventChars& EventChars() { return m_eventChars; }
    void SetEventChars(const TCommEventChars& value);
    TDeviceEvents MonitorEvents() const { return m_monitorEvents; }
    void SetMonitorEvents(TDeviceEvents value) { m_monitorEvents = value; }
    TFlowControl FlowControl() const { return m_flowControl; }
    void SetFlowControl(TFlowControl value);
    TCommOptions Options();
    void SetOptions(TCommOptions value);
    bool Synchronize() const { return m_synchronize; }
    void SetSynchronize(bool value) { m_synchronize = value; }
    TCommTimeoutsEx& Timeouts() { return m_timeouts; }
    void SetTimeouts(const TCommTimeoutsEx& value);
    TXOnXOffSettings XOnXOffSettings();
    void SetXOnXOffSettings(TXOnXOffSettings value);

    TCommEvent OnCommEvent;
    TDataEvent OnData;
    TNotifyEvent OnRead;
    TNotifyEvent OnSend;

  protected:
    virtual void DoCommEvent(TDeviceEvents events);
    virtual void DoData(std::uint32_t received);

    void UpdateCommState();
    void UpdateBuffers();
    void UpdateTimeouts();
    void DeriveLineSets();
    void ReadBackLineSets(std::uint32_t flags);

  private:
    friend class TCommDataControl;
    friend class TCommBuffers;
    friend class TCommEventChars;
    friend class TCommTimeoutsEx;

    bool ReadCommState(TLineState& state) const;
    bool ReadCommProperties(TCommProperties& properties) const;
    bool ReadCommTimeouts(TCommTimeouts& timeouts) const;
    void RefreshLineSets();
    void ApplyCommState();
    void ApplyBuffers();
    void ApplyTimeouts();
    void StopAndClose();
    void CheckOpen() const;
    std::uint32_t OverlappedWrite(const unsigned char* buffer, std::uint32_t count);
    std::uint32_t OverlappedRead(unsigned char* buffer, std::uint32_t count);

    std::unique_ptr<ISerialOs> m_os;
    TDeviceHandle m_handle;
    TBaudRate m_baudRate = br9600;
    std::uint32_t m_baudValue = 9600;
    TCommBuffers m_buffers{*this};
    TCommDataControl m_dataControl{*this};
    std::string m_deviceName = "COM2";
    TDTRSettings m_dtrSettings;
    TCommEventChars m_eventChars{*this};
    TDeviceEvents m_monitorEvents{deChar, deFlag, deOutEmpty};
    TFlowControl m_flowControl = fcNone;
    TCommOptions m_options;
    TRTSSettings m_rtsSettings;
    std::atomic<bool> m_synchronize{true};
    TCommTimeoutsEx m_timeouts{*this};
    TXOnXOffSettings m_xOnXOffSettings;
    std::unique_ptr<TCommEventThread> m_eventThread;
    TCommLocks m_locks;
    std::atomic<bool> m_eventsEnabled{false};
    std::atomic<bool> m_destroying{false};
};

class TSerialComm : public TCustomComm {
  public:
    using TCustomComm::TCustomComm;
};
