// The serial port component's settings objects: data format, queues, special characters and
// driver timeouts. Each belongs to one component and applies its changes through it.
#pragma once

#include <cstdint>

#include "serial/SerialTypes.h"

class TCustomComm;

// Queue sizes are limited to this upper bound, then raised to at least kMinQueueSize.
constexpr std::uint16_t kMaxQueueSize = 4096;
constexpr std::uint16_t kMinQueueSize = 128;

class TCommSettingsBase {
  public:
    explicit TCommSettingsBase(TCustomComm& owner) : m_owner(owner) {}
    TCommSettingsBase(const TCommSettingsBase&) = delete;
    TCommSettingsBase& operator=(const TCommSettingsBase&) = delete;

  protected:
    TCustomComm& m_owner;
};

class TCommDataControl : public TCommSettingsBase {
  public:
    using TCommSettingsBase::TCommSettingsBase;

    // Read from the device's line state while the port is open.
    TDataBits DataBits() const;
    TParity Parity() const;
    TStopBits StopBits() const;
    void SetDataBits(TDataBits value);
    void SetParity(TParity value);
    void SetStopBits(TStopBits value);

    // Copies the source's values, read through its getters.
    void Assign(const TCommDataControl& source);

  private:
    friend class TCustomComm;
    TDataBits m_dataBits = db8;
    TParity m_parity = paNone;
    TStopBits m_stopBits = sb1;
};

class TCommBuffers : public TCommSettingsBase {
  public:
    using TCommSettingsBase::TCommSettingsBase;

    // Read from the driver while open; a driver that reports 0 gives the stored size.
    std::uint16_t InputSize() const { return GetSize(0); }
    std::uint16_t OutputSize() const { return GetSize(1); }
    void SetInputSize(std::uint16_t value) { SetSize(0, value); }
    void SetOutputSize(std::uint16_t value) { SetSize(1, value); }
    std::uint16_t InputTimeout() const { return m_inputTimeout; }
    std::uint16_t OutputTimeout() const { return m_outputTimeout; }
    void SetInputTimeout(std::uint16_t value) { m_inputTimeout = value; }
    void SetOutputTimeout(std::uint16_t value) { m_outputTimeout = value; }

    // Sizes are copied as read and not clamped; the timeouts as stored.
    void Assign(const TCommBuffers& source);

    static std::uint16_t ClampQueueSize(std::uint16_t value);

  private:
    friend class TCustomComm;
    std::uint16_t GetSize(int index) const;
    void SetSize(int index, std::uint16_t value);

    std::uint16_t m_inputSize = 2048;
    std::uint16_t m_inputTimeout = 500;
    std::uint16_t m_outputSize = 2048;
    std::uint16_t m_outputTimeout = 500;
};

class TCommEventChars : public TCommSettingsBase {
  public:
    using TCommSettingsBase::TCommSettingsBase;

    char XonChar() const { return GetChar(0); }
    char XoffChar() const { return GetChar(1); }
    char EofChar() const { return GetChar(2); }
    char ErrorChar() const { return GetChar(3); }
    char EventChar() const { return GetChar(4); }
    void SetXonChar(char value) { SetChar(0, value); }
    void SetXoffChar(char value) { SetChar(1, value); }
    void SetEofChar(char value) { SetChar(2, value); }
    void SetErrorChar(char value) { SetChar(3, value); }
    void SetEventChar(char value) { SetChar(4, value); }

    void Assign(const TCommEventChars& source);

  private:
    friend class TCustomComm;
    char GetChar(int index) const;
    void SetChar(int index, char value);
    char& Stored(int index);

    char m_xonChar = 17;
    char m_xoffChar = 19;
    char m_errorChar = 0;
    char m_eventChar = 10;
    char m_eofChar = 0;
};

class TCommTimeoutsEx : public TCommSettingsBase {
  public:
    using TCommSettingsBase::TCommSettingsBase;

    std::uint32_t ReadInterval() const { return GetTimeout(0); }
    std::uint32_t ReadMultiplier() const { return GetTimeout(1); }
    std::uint32_t ReadConstant() const { return GetTimeout(2); }
    std::uint32_t WriteMultiplier() const { return GetTimeout(3); }
    std::uint32_t WriteConstant() const { return GetTimeout(4); }
    void SetReadInterval(std::uint32_t value) { SetTimeout(0, value); }
    void SetReadMultiplier(std::uint32_t value) { SetTimeout(1, value); }
    void SetReadConstant(std::uint32_t value) { SetTimeout(2, value); }
    void SetWriteMultiplier(std::uint32_t value) { SetTimeout(3, value); }
    void SetWriteConstant(std::uint32_t value) { SetTimeout(4, value); }

    void Assign(const TCommTimeoutsEx& source);

  private:
    friend class TCustomComm;
    std::uint32_t GetTimeout(int index) const;
    void SetTimeout(int index, std::uint32_t value);

    std::uint32_t m_values[5] = {1, 30, 1, 30, 1};
};
