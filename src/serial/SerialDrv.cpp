// The serial port component: properties and their mapping onto the line state, open and close,
// transfers and event delivery.
#include "serial/SerialDrv.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "serial/SerialErr.h"
#include "serial/SerialEventThread.h"

namespace {

constexpr std::uint32_t kPurgeAll = purgeTxAbort | purgeRxAbort | purgeTxClear | purgeRxClear;
constexpr std::uint32_t kPurgeIn = purgeRxAbort | purgeRxClear;
constexpr std::uint32_t kPurgeOut = purgeTxAbort | purgeTxClear;

// When the transmit queue has no room, SendData looks again after this pause.
constexpr auto kSendRetryPause = std::chrono::milliseconds(1);

// One flag of the line-state word and the set element that sets it.
template <typename TSetType, typename E>
void SetFlagFrom(std::uint32_t& flags, std::uint32_t bit, const TSetType& set, E element) {
    if (set.Contains(element))
        flags |= bit;
}

template <typename TSetType, typename E>
void ReadFlagInto(TSetType& set, E element, std::uint32_t flags, std::uint32_t bit) {
    if (flags & bit)
        set.Include(element);
}

}  // namespace

std::uint32_t GetTimeMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

TDeviceHandle::TDeviceHandle(TDeviceHandle&& other) noexcept
    : m_os(other.m_os), m_handle(std::exchange(other.m_handle, InvalidOsHandle)) {}

TDeviceHandle& TDeviceHandle::operator=(TDeviceHandle&& other) noexcept {
    if (this != &other) {
        Reset();
        m_os = other.m_os;
        m_handle = std::exchange(other.m_handle, InvalidOsHandle);
    }
    return *this;
}

void TDeviceHandle::Reset() {
    if (m_handle != InvalidOsHandle && m_os)
        m_os->CloseDevice(m_handle);
    m_handle = InvalidOsHandle;
}

TCustomComm::TCustomComm(std::unique_ptr<ISerialOs> os)
    : m_os(os ? std::move(os) : MakePosixSerialOs()) {}

TCustomComm::~TCustomComm() {
    m_destroying = true;
    if (IsOpen())
        StopAndClose();
}

TCommLocks TCustomComm::GetLockState() const {
    return IsOpen() ? m_locks : TCommLocks{clSend, clRead};
}

bool TCustomComm::Open() {
    if (IsOpen())
        RaiseDeviceError(msgDeviceAlreadyOpened, errDeviceAlreadyOpened);
    m_locks = TCommLocks{};
    const TOsHandle handle = m_os->OpenDevice(m_deviceName);
    if (handle == InvalidOsHandle) {
        // The message stays the catalogue's; the OS error travels beside it for the advice.
        const int osError = errno;
        RaiseDeviceError(CannotOpenDeviceMessage(m_deviceName), errCannotOpenDevice, osError);
    }
    m_handle = TDeviceHandle(*m_os, handle);
    // A port that cannot take its settings is closed again, so a failed open leaks nothing.
    try {
        m_eventThread = std::make_unique<TCommEventThread>(*this, *m_os, handle);
        UpdateCommState();
        UpdateBuffers();
        UpdateTimeouts();
    } catch (...) {
        StopAndClose();
        throw;
    }
    m_eventsEnabled = true;
    return true;
}

void TCustomComm::Close() {
    CheckOpen();
    StopAndClose();
}

void TCustomComm::StopAndClose() {
    m_eventsEnabled = false;
    m_eventThread.reset();
    m_handle.Reset();
}

void TCustomComm::CheckOpen() const {
    if (!IsOpen())
        RaiseDeviceError(msgDeviceNotOpened, errDeviceNotOpened);
}

bool TCustomComm::PurgeIn() {
    CheckOpen();
    return m_os->PurgeComm(m_handle.Get(), kPurgeIn);
}

bool TCustomComm::PurgeOut() {
    CheckOpen();
    return m_os->PurgeComm(m_handle.Get(), kPurgeOut);
}

std::uint32_t TCustomComm::QueueCount(int which) {
    CheckOpen();
    std::uint32_t errors = 0;
    TQueueCounts counts;
    if (!m_os->ClearCommError(m_handle.Get(), errors, counts))
        return 0;
    if (which == 0)
        return counts.InQue;
    if (which == 1)
        return counts.OutQue;
    return 0;
}

bool TCustomComm::WaitForInput(std::uint32_t timeoutMs) {
    CheckOpen();
    return m_os->WaitForInput(m_handle.Get(), timeoutMs);
}

std::uint32_t TCustomComm::OverlappedWrite(const unsigned char* buffer, std::uint32_t count) {
    const long written = m_os->WriteFile(m_handle.Get(), buffer, count);
    if (written < 0)
        RaiseOSDeviceError(msgWritePort, errWritePort);
    return static_cast<std::uint32_t>(written);
}

std::uint32_t TCustomComm::OverlappedRead(unsigned char* buffer, std::uint32_t count) {
    const long read = m_os->ReadFile(m_handle.Get(), buffer, count);
    if (read < 0)
        RaiseOSDeviceError(msgReadPort, errReadPort);
    return static_cast<std::uint32_t>(read);
}

std::uint32_t TCustomComm::SendData(const void* buffer, std::uint32_t count,
                                    std::uint32_t timeoutMs) {
    CheckOpen();
    if (GetLockState().Contains(clSend))
        RaiseDeviceError(msgSendLocked, errSendLocked);
    if (count == 0)
        return 0;
    const auto* position = static_cast<const unsigned char*>(buffer);
    std::uint32_t result = 0;
    const std::uint32_t start = GetTimeMs();
    while (count > 0) {
        const std::uint32_t free = std::uint32_t{m_buffers.m_outputSize} - QueueCount(1);
        if (free > 0) {
            const std::uint32_t written = OverlappedWrite(position, std::min(free, count));
            HandleEvents(TDeviceEvents{deOutEmpty});
            if (written > 0) {
                position += written;
                result += written;
                count -= written;
                m_locks.Include(clSend);
                try {
                    if (OnSend)
                        OnSend(this);
                } catch (...) {
                    m_locks.Exclude(clSend);
                    throw;
                }
                m_locks.Exclude(clSend);
                continue;
            }
        }
        if (GetTimeMs() - start > timeoutMs)
            break;
        std::this_thread::sleep_for(kSendRetryPause);
    }
    return result;
}

std::uint32_t TCustomComm::Send(const void* buffer, std::uint32_t count) {
    return SendData(buffer, count, m_buffers.OutputTimeout());
}

bool TCustomComm::SendChar(char ch) {
    return Send(&ch, 1) == 1;
}

bool TCustomComm::SendString(const std::string& s) {
    return Send(s.data(), static_cast<std::uint32_t>(s.size())) == s.size();
}

std::uint32_t TCustomComm::ReadData(void* buffer, std::uint32_t count, std::uint32_t timeoutMs) {
    CheckOpen();
    if (GetLockState().Contains(clRead))
        RaiseDeviceError(msgReadLocked, errReadLocked);
    if (count == 0)
        return 0;
    auto* position = static_cast<unsigned char*>(buffer);
    std::uint32_t result = 0;
    const std::uint32_t start = GetTimeMs();
    while (count > 0) {
        const std::uint32_t waiting = QueueCount(0);
        if (waiting > 0) {
            const std::uint32_t read = OverlappedRead(position, std::min(waiting, count));
            position += read;
            result += read;
            count -= read;
            m_locks.Include(clRead);
            try {
                if (read > 0 && OnRead)
                    OnRead(this);
            } catch (...) {
                m_locks.Exclude(clRead);
                throw;
            }
            m_locks.Exclude(clRead);
            // A queue that reports bytes but yields none (a hung-up line) must not loop for ever.
            if (read > 0)
                continue;
        }
        const std::uint32_t elapsed = GetTimeMs() - start;
        if (elapsed > timeoutMs)
            break;
        // Waiting for input instead of asking the queue again at once spares the processor.
        m_os->WaitForInput(m_handle.Get(), timeoutMs - elapsed + 1);
    }
    return result;
}

std::uint32_t TCustomComm::Read(void* buffer, std::uint32_t count) {
    return ReadData(buffer, count, m_buffers.InputTimeout());
}

bool TCustomComm::ReadChar(char& ch) {
    return Read(&ch, 1) == 1;
}

void TCustomComm::HandleEvents(TDeviceEvents events) {
    if (!IsOpen() || m_destroying || !m_eventsEnabled)
        return;
    DoCommEvent(events);
}

void TCustomComm::DoCommEvent(TDeviceEvents events) {
    if (events.Contains(deChar) || events.Contains(deFlag))
        DoData(QueueCount(0));
    const TDeviceEvents monitored = events * m_monitorEvents;
    if (OnCommEvent && !monitored.Empty())
        OnCommEvent(this, monitored);
}

void TCustomComm::DoData(std::uint32_t received) {
    if (OnData)
        OnData(this, received);
}

bool TCustomComm::ReadCommState(TLineState& state) const {
    state = TLineState{};
    return m_os->GetCommState(m_handle.Get(), state);
}

bool TCustomComm::ReadCommProperties(TCommProperties& properties) const {
    return m_os->GetCommProperties(m_handle.Get(), properties);
}

bool TCustomComm::ReadCommTimeouts(TCommTimeouts& timeouts) const {
    return m_os->GetCommTimeouts(m_handle.Get(), timeouts);
}

void TCustomComm::ApplyCommState() {
    if (IsOpen())
        UpdateCommState();
}

void TCustomComm::ApplyBuffers() {
    if (IsOpen())
        UpdateBuffers();
}

void TCustomComm::ApplyTimeouts() {
    if (IsOpen())
        UpdateTimeouts();
}

void TCustomComm::UpdateCommState() {
    TLineState state;
    state.BaudRate = m_baudValue;
    state.XonLim = state.XoffLim = static_cast<std::uint16_t>(m_buffers.m_inputSize / 4);
    state.ByteSize = static_cast<std::uint8_t>(m_dataControl.m_dataBits + 4);
    state.Parity = static_cast<std::uint8_t>(m_dataControl.m_parity);
    state.StopBits = static_cast<std::uint8_t>(m_dataControl.m_stopBits);
    state.XonChar = m_eventChars.m_xonChar;
    state.XoffChar = m_eventChars.m_xoffChar;
    state.ErrorChar = m_eventChars.m_errorChar;
    state.EofChar = m_eventChars.m_eofChar;
    state.EvtChar = m_eventChars.m_eventChar;

    std::uint32_t flags = lfBinary;
    SetFlagFrom(flags, lfParity, m_options, coParityCheck);
    SetFlagFrom(flags, lfOutxCtsFlow, m_rtsSettings, fsCTSOut);
    SetFlagFrom(flags, lfOutxDsrFlow, m_dtrSettings, fsDSROut);
    SetFlagFrom(flags, lfDtrControlEnable, m_dtrSettings, fsDTREnabled);
    SetFlagFrom(flags, lfDtrControlEnable, m_options, coLeaveDTROpen);
    SetFlagFrom(flags, lfDtrControlHandshake, m_dtrSettings, fsDTRHandshake);
    SetFlagFrom(flags, lfDsrSensitivity, m_options, coDSRSensitivity);
    SetFlagFrom(flags, lfTXContinueOnXoff, m_options, coTXContinueOnXOff);
    SetFlagFrom(flags, lfOutX, m_xOnXOffSettings, fsOutX);
    SetFlagFrom(flags, lfInX, m_xOnXOffSettings, fsInX);
    SetFlagFrom(flags, lfErrorChar, m_options, coErrorChar);
    SetFlagFrom(flags, lfNull, m_options, coDiscardNull);
    SetFlagFrom(flags, lfRtsControlEnable, m_rtsSettings, fsRTSEnabled);
    SetFlagFrom(flags, lfRtsControlHandshake, m_rtsSettings, fsRTSHandshake);
    SetFlagFrom(flags, lfAbortOnError, m_options, coAbortOnError);
    state.Flags = flags;

    if (!m_os->SetCommState(m_handle.Get(), state)) {
        RaiseDeviceError(msgUpdateCommState, errUpdateCommState);
    }
}

void TCustomComm::UpdateBuffers() {
    m_os->PurgeComm(m_handle.Get(), kPurgeAll);
    if (!m_os->SetupComm(m_handle.Get(), m_buffers.m_inputSize, m_buffers.m_outputSize)) {
        RaiseDeviceError(msgUpdateBuffers, errUpdateBuffers);
    }
}

void TCustomComm::UpdateTimeouts() {
    TCommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = m_timeouts.m_values[0];
    timeouts.ReadTotalTimeoutMultiplier = m_timeouts.m_values[1];
    timeouts.ReadTotalTimeoutConstant = m_timeouts.m_values[2];
    timeouts.WriteTotalTimeoutMultiplier = m_timeouts.m_values[3];
    timeouts.WriteTotalTimeoutConstant = m_timeouts.m_values[4];
    if (!m_os->SetCommTimeouts(m_handle.Get(), timeouts)) {
        RaiseDeviceError(msgUpdateTimeouts, errUpdateTimeouts);
    }
}

void TCustomComm::DeriveLineSets() {
    m_rtsSettings = TRTSSettings{};
    m_dtrSettings = TDTRSettings{};
    m_xOnXOffSettings = TXOnXOffSettings{};
    switch (m_flowControl) {
        case fcNone:
            break;
        case fcRtsCts:
            m_rtsSettings = TRTSSettings{fsCTSOut, fsRTSHandshake};
            m_dtrSettings = TDTRSettings{fsDTREnabled};
            break;
        case fcDtrDsr:
            m_rtsSettings = TRTSSettings{fsRTSEnabled};
            m_dtrSettings = TDTRSettings{fsDSROut, fsDTREnabled};
            break;
        case fcSoftware:
            m_dtrSettings = TDTRSettings{fsDTREnabled};
            m_xOnXOffSettings = TXOnXOffSettings{fsInX, fsOutX};
            break;
        case fcCustom:
            m_dtrSettings = TDTRSettings{fsDTREnabled};
            break;
    }
    if (m_options.Contains(coLeaveDTROpen)) {
        m_dtrSettings.Include(fsDTREnabled);
        m_dtrSettings.Exclude(fsDTRHandshake);
    }
}

void TCustomComm::ReadBackLineSets(std::uint32_t flags) {
    TDTRSettings dtr;
    ReadFlagInto(dtr, fsDSROut, flags, lfOutxDsrFlow);
    ReadFlagInto(dtr, fsDTREnabled, flags, lfDtrControlEnable);
    ReadFlagInto(dtr, fsDTRHandshake, flags, lfDtrControlHandshake);
    TRTSSettings rts;
    ReadFlagInto(rts, fsCTSOut, flags, lfOutxCtsFlow);
    ReadFlagInto(rts, fsRTSEnabled, flags, lfRtsControlEnable);
    ReadFlagInto(rts, fsRTSHandshake, flags, lfRtsControlHandshake);
    TXOnXOffSettings xonXoff;
    ReadFlagInto(xonXoff, fsOutX, flags, lfOutX);
    ReadFlagInto(xonXoff, fsInX, flags, lfInX);
    TCommOptions options;
    ReadFlagInto(options, coParityCheck, flags, lfParity);
    ReadFlagInto(options, coDSRSensitivity, flags, lfDsrSensitivity);
    ReadFlagInto(options, coTXContinueOnXOff, flags, lfTXContinueOnXoff);
    ReadFlagInto(options, coErrorChar, flags, lfErrorChar);
    ReadFlagInto(options, coDiscardNull, flags, lfNull);
    ReadFlagInto(options, coAbortOnError, flags, lfAbortOnError);
    if (m_options.Contains(coLeaveDTROpen))
        options.Include(coLeaveDTROpen);
    m_dtrSettings = dtr;
    m_rtsSettings = rts;
    m_xOnXOffSettings = xonXoff;
    m_options = options;
}

void TCustomComm::RefreshLineSets() {
    TLineState state;
    if (IsOpen() && ReadCommState(state))
        ReadBackLineSets(state.Flags);
}

TBaudRate TCustomComm::BaudRate() {
    if (IsOpen() && m_baudRate != brCustom) {
        m_baudRate = brCustom;
        const std::uint32_t rate = BaudValue();
        for (int ordinal = br110; ordinal < brCustom; ++ordinal) {
            if (BaudRateTable[ordinal] == rate) {
                m_baudRate = static_cast<TBaudRate>(ordinal);
                break;
            }
        }
    }
    return m_baudRate;
}

void TCustomComm::SetBaudRate(TBaudRate value) {
    if (value == m_baudRate)
        return;
    m_baudRate = value;
    if (value == brCustom)
        return;
    m_baudValue = BaudRateTable[value];
    ApplyCommState();
}

std::uint32_t TCustomComm::BaudValue() {
    TLineState state;
    if (IsOpen() && ReadCommState(state))
        m_baudValue = state.BaudRate;
    return m_baudValue;
}

void TCustomComm::SetBaudValue(std::uint32_t value) {
    if (m_baudRate != brCustom || value == m_baudValue)
        return;
    m_baudValue = value;
    ApplyCommState();
}

void TCustomComm::SetBuffers(const TCommBuffers& value) {
    if (&value != &m_buffers)
        m_buffers.Assign(value);
}

TRTSSettings TCustomComm::RTSSettings() {
    RefreshLineSets();
    return m_rtsSettings;
}

void TCustomComm::SetRTSSettings(TRTSSettings value) {
    if (m_flowControl != fcCustom || value == m_rtsSettings)
        return;
    m_rtsSettings = value;
    ApplyCommState();
}

void TCustomComm::SetDataControl(const TCommDataControl& value) {
    if (&value != &m_dataControl)
        m_dataControl.Assign(value);
}

void TCustomComm::SetDeviceName(const std::string& value) {
    if (!IsOpen())
        m_deviceName = value;
}

TDTRSettings TCustomComm::DTRSettings() {
    RefreshLineSets();
    return m_dtrSettings;
}

void TCustomComm::SetDTRSettings(TDTRSettings value) {
    if (m_options.Contains(coLeaveDTROpen)) {
        value.Exclude(fsDTRHandshake);
        value.Include(fsDTREnabled);
    }
    if (value.Contains(fsDTREnabled) && value.Contains(fsDTRHandshake)) {
        // The element that was not set before wins.
        if (m_dtrSettings.Contains(fsDTRHandshake)) {
            value.Exclude(fsDTRHandshake);
        } else {
            value.Exclude(fsDTREnabled);
        }
    }
    if (m_flowControl != fcCustom || value == DTRSettings())
        return;
    m_dtrSettings = value;
    ApplyCommState();
}

void TCustomComm::SetEventChars(const TCommEventChars& value) {
    if (&value != &m_eventChars)
        m_eventChars.Assign(value);
}

void TCustomComm::SetFlowControl(TFlowControl value) {
    if (value == m_flowControl)
        return;
    m_flowControl = value;
    if (value == fcCustom)
        return;
    DeriveLineSets();
    ApplyCommState();
}

TCommOptions TCustomComm::Options() {
    RefreshLineSets();
    return m_options;
}

void TCustomComm::SetOptions(TCommOptions value) {
    if (IsOpen()) {
        // Whether DTR stays up after closing can change only while the port is closed.
        if (m_options.Contains(coLeaveDTROpen)) {
            value.Include(coLeaveDTROpen);
        } else {
            value.Exclude(coLeaveDTROpen);
        }
    }
    if (value == Options())
        return;
    m_options = value;
    if (IsOpen()) {
        UpdateCommState();
    } else {
        DeriveLineSets();
    }
}

void TCustomComm::SetTimeouts(const TCommTimeoutsEx& value) {
    if (&value != &m_timeouts)
        m_timeouts.Assign(value);
}

TXOnXOffSettings TCustomComm::XOnXOffSettings() {
    RefreshLineSets();
    return m_xOnXOffSettings;
}

void TCustomComm::SetXOnXOffSettings(TXOnXOffSettings value) {
    if (m_flowControl != fcCustom || value == m_xOnXOffSettings)
        return;
    m_xOnXOffSettings = value;
    ApplyCommState();
}
