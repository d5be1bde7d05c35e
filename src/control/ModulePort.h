// What the connect sequence needs of the port the module hangs on: opening it at the module's
// line settings, the transport the commands go over, and the slow send of the release sequence.
#pragma once

#include <memory>
#include <string>

class TComPortWorker;
class TTransport;

class IModulePort {
  public:
    IModulePort() = default;
    IModulePort(const IModulePort&) = delete;
    IModulePort& operator=(const IModulePort&) = delete;
    virtual ~IModulePort() = default;

    // Throws EDeviceError, or another error, when the port does not open.
    virtual void Open(const std::string& portName, int answerTimeoutMs) = 0;
    virtual TTransport& Transport() = 0;
    // Sends the text one character at a time.
    virtual void SendSlow(const std::string& text) = 0;
};

// A serial port of this machine, through the COM-port worker.
class TComPort final : public IModulePort {
  public:
    TComPort();
    ~TComPort() override;

    void Open(const std::string& portName, int answerTimeoutMs) override;
    TTransport& Transport() override;
    void SendSlow(const std::string& text) override;
    void Close();

  private:
    std::unique_ptr<TComPortWorker> m_worker;
};
