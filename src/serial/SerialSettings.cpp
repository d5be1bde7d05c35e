// Getters, setters and assignment of the serial port component's settings objects.
#include "serial/SerialSettings.h"

#include <algorithm>

#include "serial/SerialDrv.h"

TDataBits TCommDataControl::DataBits() const {
    TLineState state;
    if (m_owner.IsOpen() && m_owner.ReadCommState(state)) {
        return static_cast<TDataBits>(state.ByteSize - 4);
    }
    return m_dataBits;
}

TParity TCommDataControl::Parity() const {
    TLineState state;
    if (m_owner.IsOpen() && m_owner.ReadCommState(state))
        return static_cast<TParity>(state.Parity);
    return m_parity;
}

TStopBits TCommDataControl::StopBits() const {
    TLineState state;
    if (m_owner.IsOpen() && m_owner.ReadCommState(state)) {
        return static_cast<TStopBits>(state.StopBits);
    }
    return m_stopBits;
}

void TCommDataControl::SetDataBits(TDataBits value) {
    m_dataBits = value;
    m_owner.ApplyCommState();
}

void TCommDataControl::SetParity(TParity value) {
    m_parity = value;
    m_owner.ApplyCommState();
}

void TCommDataControl::SetStopBits(TStopBits value) {
    m_stopBits = value;
    m_owner.ApplyCommState();
}

void TCommDataControl::Assign(const TCommDataControl& source) {
    m_dataBits = source.DataBits();
    m_parity = source.Parity();
    m_stopBits = source.StopBits();
    m_owner.ApplyCommState();
}

std::uint16_t TCommBuffers::ClampQueueSize(std::uint16_t value) {
    return std::max(std::min(value, kMaxQueueSize), kMinQueueSize);
}

std::uint16_t TCommBuffers::GetSize(int index) const {
    const std::uint16_t stored = index == 0 ? m_inputSize : m_outputSize;
    TCommProperties properties;
    if (!m_owner.IsOpen() || !m_owner.ReadCommProperties(properties))
        return stored;
    const std::uint32_t current =
        index == 0 ? properties.CurrentRxQueue : properties.CurrentTxQueue;
    return current == 0 ? stored : static_cast<std::uint16_t>(current);
}

void TCommBuffers::SetSize(int index, std::uint16_t value) {
    (index == 0 ? m_inputSize : m_outputSize) = ClampQueueSize(value);
    m_owner.ApplyBuffers();
}

void TCommBuffers::Assign(const TCommBuffers& source) {
    m_inputSize = source.InputSize();
    m_inputTimeout = source.m_inputTimeout;
    m_outputSize = source.OutputSize();
    m_outputTimeout = source.m_outputTimeout;
    m_owner.ApplyBuffers();
}

char& TCommEventChars::Stored(int index) {
    char* chars[] = {&m_xonChar, &m_xoffChar, &m_eofChar, &m_errorChar, &m_eventChar};
    return *chars[index];
}

char TCommEventChars::GetChar(int index) const {
    TLineState state;
    if (m_owner.IsOpen() && m_owner.ReadCommState(state)) {
        const char live[] = {state.XonChar, state.XoffChar, state.EofChar, state.ErrorChar,
                             state.EvtChar};
        return live[index];
    }
    const char stored[] = {m_xonChar, m_xoffChar, m_eofChar, m_errorChar, m_eventChar};
    return stored[index];
}

void TCommEventChars::SetChar(int index, char value) {
    Stored(index) = value;
    m_owner.ApplyCommState();
}

void TCommEventChars::Assign(const TCommEventChars& source) {
    for (int index = 0; index < 5; ++index)
        Stored(index) = source.GetChar(index);
    m_owner.ApplyCommState();
}

std::uint32_t TCommTimeoutsEx::GetTimeout(int index) const {
    TCommTimeouts live;
    if (m_owner.IsOpen() && m_owner.ReadCommTimeouts(live)) {
        const std::uint32_t values[] = {live.ReadIntervalTimeout, live.ReadTotalTimeoutMultiplier,
                                        live.ReadTotalTimeoutConstant,
                                        live.WriteTotalTimeoutMultiplier,
                                        live.WriteTotalTimeoutConstant};
        return values[index];
    }
    return m_values[index];
}

void TCommTimeoutsEx::SetTimeout(int index, std::uint32_t value) {
    m_values[index] = value;
    m_owner.ApplyTimeouts();
}

void TCommTimeoutsEx::Assign(const TCommTimeoutsEx& source) {
    for (int index = 0; index < 5; ++index)
        m_values[index] = source.GetTimeout(index);
    m_owner.ApplyTimeouts();
}
