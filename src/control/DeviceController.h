// The read and write sequences of one page over an open connection, with progress and the list of
// failed reads and writes; an operation stops on the user's cancel or when the module falls silent.
#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "control/DeviceView.h"
#include "model/KnownModuleValues.h"
#include "model/ModuleSettings.h"
#include "model/ModuleValueSet.h"
#include "protocol/AnswerText.h"
#include "protocol/RelayModule.h"

// An answer of the module that is no number where one was expected, with the parameter whose
// read it broke; what() names both.
class EModuleAnswerError : public EConvertError {
  public:
    EModuleAnswerError(const std::string& parameterName, const EConvertError& cause);
};

class EDeviceError;
class IModulePort;
class TDeviceController;
class TTransport;
class TLogWriter;

// Why a connect ended without a controller.
enum class TConnectFailure {
    None,
    // The port did not open; OpenError holds why.
    PortNotOpened,
    // The module did not answer the version request.
    NoAnswer,
    // The module answered with another version, or not by the protocol (VersionAnswer).
    OtherVersion,
};

// What a connect gave: the controller of a module that passed the version check, or why there is
// none.
struct TConnectResult {
    TConnectResult();
    TConnectResult(TConnectResult&&) noexcept;
    TConnectResult& operator=(TConnectResult&&) noexcept;
    ~TConnectResult();

    std::unique_ptr<TDeviceController> Controller;
    TConnectFailure Failure = TConnectFailure::None;
    std::exception_ptr OpenError;
    // What the module sent: its version, or its whole answer when no version could be cut out.
    std::string VersionAnswer;
    // The release after a failed check failed as well; the caller says why the check failed
    // first and then lets this go on.
    std::exception_ptr ReleaseError;
};

// Why the port did not open, in the user's words: the advice for the failure, or the system's
// reason; empty when neither is known.
std::string OpenFailureReason(const std::string& portName, const EDeviceError& error);

class TDeviceController {
  public:
    // Sends the given text one character at a time (the release sequence needs it).
    using TSlowSend = std::function<void(const std::string&)>;

    static constexpr int kCommonPageCommands = 1;
    static constexpr int kRelayReadCommands = 12;
    static constexpr int kRelayWriteCommands =
        1 + kEventRowCount * kTableWidth * 2 + 2 * kConditionCount;
    static constexpr int kReleaseBrackets = 3;
    // This many commands in a row without an answer stop the operation.
    static constexpr int kSilentCommandsToStop = 5;

    // The commands of a whole read or write of one page, and of every page of the module.
    static constexpr int PageCommands(bool commonPage, bool reading) {
        return commonPage ? kCommonPageCommands
                          : (reading ? kRelayReadCommands : kRelayWriteCommands);
    }
    // Reads of several relay pages in one operation ask for the durations once: the answer to "T"
    // holds all five.
    static constexpr int RelayReadCommands(int relays) {
        return relays == 0 ? 0 : 1 + relays * (kRelayReadCommands - 1);
    }
    static constexpr int ModuleCommands(bool reading) {
        return reading ? kCommonPageCommands + RelayReadCommands(kRelayCount)
                       : kCommonPageCommands + kRelayCount * kRelayWriteCommands;
    }

    // Opens the port and checks the module's version: the one way to a connection. A module that
    // fails the check is let go again before the result is given; a port that fails during the
    // check throws, and nothing is released then.
    static TConnectResult Connect(IModulePort& port, const std::string& portName,
                                  int answerTimeoutMs, TLogWriter& log, int moduleNumber,
                                  IDeviceView& view);

    TDeviceController(TTransport& comm, TSlowSend slowSend, TLogWriter& log, int moduleNumber,
                      IDeviceView& view);
    ~TDeviceController();
    TDeviceController(const TDeviceController&) = delete;
    TDeviceController& operator=(const TDeviceController&) = delete;

    bool CheckVersion();
    // What the last version check got: whether the module answered, and the text it sent (its
    // whole answer when no version could be cut out of it).
    bool VersionAnswered() const { return m_versionAnswered; }
    const std::string& VersionAnswer() const { return m_versionAnswer; }
    // The page the last page operation worked on ("Общие", "Реле 2"); empty before the first.
    const std::string& OperationPage() const { return m_operationPage; }

    // An operation over several pages ("Читать всё", "Записать всё"): the progress window names
    // it and counts the commands of all its pages together, and stays shown from page to page.
    // The page operations called in between take its name; the last EndOperation hides the
    // progress. Calls nest; ClearErrors forgets an operation that was never ended. Within one
    // operation the durations are read once, for the first relay page read, and each later relay
    // page read takes its entry from that answer; a write of a page forgets it.
    void BeginOperation(const std::string& name, int totalCommands);
    void EndOperation();

    // The command sequences of the common page and of a relay page (by its Number). A read
    // replaces only the values that were read and are in range; on every way out, errors
    // included, the settings hold what was read so far.
    // With onModule, the values the module holds: only what differs is written, each value with
    // its ordinary command, in the usual order.
    // A write of another object number asks the view first; its "Cancel" writes nothing more
    // until ClearErrors.
    // With only, the values outside that set are not written at all.
    void ReadCommon(TCommonSettings& common);
    void WriteCommon(const TCommonSettings& common, const TCommonSettings* onModule = nullptr,
                     const TModuleValueSet* only = nullptr);
    void ReadRelay(TRelaySettings& relay);
    void WriteRelay(const TRelaySettings& relay, const TRelaySettings* onModule = nullptr,
                    const TModuleValueSet* only = nullptr);
    // Every page of the module in the order of "Читать всё" and "Записать всё", as one operation.
    void ReadModule(TModuleSettings& module);
    void WriteModule(const TModuleSettings& module, const TModuleSettings* onModule = nullptr,
                     const TModuleValueSet* only = nullptr);
    // The pages whose read or write ran whole since ClearErrors, in their order.
    const std::vector<std::string>& FinishedPages() const { return m_finishedPages; }
    // Starts a new command of the user: no errors, no stop, no notes.
    void ClearErrors();
    // What failed, one line each; the user's cancel is not among them.
    const std::vector<std::string>& GetErrors() const { return m_errors; }
    // The user stopped the command ("Отмена" in the progress window or at the renumber question).
    bool Cancelled() const { return m_cancelled; }
    // The command ran whole: no error and no stop.
    bool Completed() const { return m_errors.empty() && !m_stopped; }
    // What the command did that is no error, for the user: the cancel and the pages it left
    // unread or unwritten, and what became of the object number.
    std::vector<std::string> GetNotes() const;
    void ReleaseDevice();
    // The module's values this connection has seen: each value a read gave or a write got
    // acknowledged. A failed read or an unanswered write leaves the value as it was known.
    const TKnownModuleValues& KnownValues() const { return m_known; }

    TRelayModule& Device() { return *m_device; }

  private:
    // One write of a relay page, ready to send.
    struct TPendingWrite {
        std::string Name;
        bool Valid;
        std::function<bool()> Send;
        // The value's place in the relay (RelayValueAt's order) and the value, noted as known
        // once the module acknowledges it.
        int Place;
        std::int32_t Value;
    };
    // What the user chose at the renumber question, and whether the new number went out.
    struct TRenumbering {
        TRenumberAnswer Answer;
        int From;
        int To;
        bool Written = false;
    };
    struct TOperation {
        std::string Name;
        int Total = 0;
        int Done = 0;
        int Depth = 0;
    };
    class TOperationScope;

    template <typename TBody>
    void RunPageOperation(const std::string& pageName, bool reading, int commands, TBody body);
    void ReadCommonValues(TCommonSettings& common);
    void WriteCommonValues(const TCommonSettings& common);
    void ReadRelayValues(TRelaySettings& relay);
    std::vector<TPendingWrite> RelayWrites(const TRelaySettings& relay,
                                           const TRelaySettings* onModule,
                                           const TModuleValueSet* only);
    void SendWrites(int relay, const std::vector<TPendingWrite>& writes);
    // Sets the bar for the page's commands within the operation's.
    void StartPage(int commands);
    void StepProgress();
    // Lets the view take its events unless it took them within the interval; true when it did.
    bool TakeViewEvents(std::chrono::milliseconds interval);
    void ReportProgress();
    void AddReadError(const std::string& parameterName);
    void AddWriteError(const std::string& parameterName);
    // Counts a command that got no answer, and gives back whether it was answered.
    bool Answered(bool answered);
    // Stops the operation (throws) after the user's cancel or a run of silent commands.
    void CheckForStop();
    // A line about a page that a stop left; a note after the user's cancel, an error otherwise.
    void AddStopLine(const std::string& line);
    std::string RenumberNote() const;

    TTransport& m_comm;
    std::unique_ptr<TRelayModule> m_device;
    TKnownModuleValues m_known;
    // The durations the running operation read, all five valid; none outside an operation.
    std::optional<TPulseDurations> m_operationDurations;
    // When the view last took its events: while answers are awaited, or after a command when
    // answers come too fast to be waited for.
    std::chrono::steady_clock::time_point m_lastViewEvents{};
    TSlowSend m_slowSend;
    TLogWriter& m_log;
    IDeviceView& m_view;
    std::vector<std::string> m_errors;
    std::vector<std::string> m_stopNotes;
    std::vector<std::string> m_finishedPages;
    int m_silentInRow = 0;
    bool m_versionAnswered = false;
    std::string m_versionAnswer;
    std::string m_operationPage;
    TOperation m_operation;
    std::optional<TRenumbering> m_renumbering;
    // Set when an operation stopped; the rest of the command's pages are then left alone.
    bool m_stopped = false;
    bool m_cancelled = false;
};
