// The read and write sequences of one page over an open connection, with progress and the list of
// failed reads and writes; an operation stops on the user's cancel or when the module falls silent.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "DevRelay.h"
#include "ModuleSettings.h"

class TComPortWorker;
class TCommunication;
class TLogWriter;
class IDeviceView;

class TDeviceController {
  public:
    // Sends the given text one character at a time (the release sequence needs it).
    using TSlowSend = std::function<void(const std::string&)>;

    static constexpr int kRelayReadCommands = 12;
    static constexpr int kReleaseBrackets = 3;
    // This many commands in a row without an answer stop the operation.
    static constexpr int kSilentCommandsToStop = 5;

    TDeviceController(TComPortWorker& port, TLogWriter& log, int moduleNumber, IDeviceView& view);
    TDeviceController(TCommunication& comm, TSlowSend slowSend, TLogWriter& log, int moduleNumber,
                      IDeviceView& view);
    ~TDeviceController();
    TDeviceController(const TDeviceController&) = delete;
    TDeviceController& operator=(const TDeviceController&) = delete;

    bool CheckVersion();
    // What the last version check got: whether the module answered, and the text it sent.
    bool VersionAnswered() const { return m_versionAnswered; }
    const std::string& VersionAnswer() const { return m_versionAnswer; }
    // The page the last page operation worked on ("Общие", "Реле 2"); empty before the first.
    const std::string& OperationPage() const { return m_operationPage; }
    // The command sequences of the common page and of a relay page (by its Number). A read
    // replaces only the values that were read and are in range; on every way out, errors
    // included, the settings hold what was read so far.
    // With onModule, the values the module holds: only what differs is written, each value with
    // its ordinary command, in the usual order.
    void ReadCommon(TCommonSettings& common);
    void WriteCommon(const TCommonSettings& common, const TCommonSettings* onModule = nullptr);
    void ReadRelay(TRelaySettings& relay);
    void WriteRelay(const TRelaySettings& relay, const TRelaySettings* onModule = nullptr);
    // Every page of the module in the order of "Читать всё" and "Записать всё".
    void ReadModule(TModuleSettings& module);
    void WriteModule(const TModuleSettings& module, const TModuleSettings* onModule = nullptr);
    // Starts a new command of the user: no errors, no stop.
    void ClearErrors();
    const std::vector<std::string>& GetErrors() const { return m_errors; }
    void ReleaseDevice();

    TDevRelay& Device() { return *m_device; }

  private:
    template <typename TOperation>
    void RunPageOperation(const std::string& pageName, bool reading, TOperation operation);
    void ReadCommonValues(TCommonSettings& common);
    void WriteCommonValues(const TCommonSettings& common);
    void ReadRelayValues(TRelaySettings& relay);
    void WriteRelayValues(const TRelaySettings& relay, const TRelaySettings* onModule);
    void StartProgress(int maximum);
    void StepProgress();
    void AddReadError(const std::string& parameterName);
    void AddWriteError(const std::string& parameterName);
    // Counts a command that got no answer, and gives back whether it was answered.
    bool Answered(bool answered);
    // Stops the operation (throws) after the user's cancel or a run of silent commands.
    void CheckForStop();

    std::unique_ptr<TDevRelay> m_device;
    TSlowSend m_slowSend;
    TLogWriter& m_log;
    IDeviceView& m_view;
    std::vector<std::string> m_errors;
    int m_silentInRow = 0;
    bool m_versionAnswered = false;
    std::string m_versionAnswer;
    std::string m_operationPage;
    // Set when an operation stopped; the rest of the command's pages are then left alone.
    bool m_stopped = false;
};
