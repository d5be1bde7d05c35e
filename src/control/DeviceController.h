// The read and write sequences of one page over an open connection, with progress and the list of
// failed reads.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DevRelay.h"

class TComPortWorker;
class TCommunication;
class TLogWriter;
class IDeviceView;
class TformIncl;
class TFormCommon;
class TFormRelay;

class TDeviceController {
  public:
    // Sends the given text one character at a time (the release sequence needs it).
    using TSlowSend = std::function<void(const std::string&)>;

    static constexpr int kRelayReadCommands = 12;
    static constexpr int kRelayWriteCommands = 107;
    static constexpr int kReleaseBrackets = 3;

    TDeviceController(TComPortWorker& port, TLogWriter& log, int moduleNumber, IDeviceView& view);
    TDeviceController(TCommunication& comm, TSlowSend slowSend, TLogWriter& log, int moduleNumber,
                      IDeviceView& view);
    ~TDeviceController();
    TDeviceController(const TDeviceController&) = delete;
    TDeviceController& operator=(const TDeviceController&) = delete;

    bool CheckVersion();
    // A common page or a relay page; any other page is left alone.
    void ReadPage(TformIncl& page);
    void WritePage(TformIncl& page);
    void ClearErrors() { m_errors.clear(); }
    const std::vector<std::string>& GetErrors() const { return m_errors; }
    void ReleaseDevice();

    TDevRelay& Device() { return *m_device; }

  private:
    template <typename TOperation>
    void RunPageOperation(TOperation operation);
    void ReadCommon(TFormCommon& page);
    void WriteCommon(TFormCommon& page);
    void ReadRelay(TFormRelay& page);
    void WriteRelay(TFormRelay& page);
    void StartProgress(int maximum);
    void StepProgress();
    void AddReadError(const std::string& parameterName);

    std::unique_ptr<TDevRelay> m_device;
    TSlowSend m_slowSend;
    TLogWriter& m_log;
    IDeviceView& m_view;
    std::vector<std::string> m_errors;
};
