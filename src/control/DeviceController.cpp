// The command sequences of the pages, and what went wrong in them, in the words of the pages.
#include "control/DeviceController.h"

#include <algorithm>

#include "control/DeviceView.h"
#include "control/ModulePort.h"
#include "log/LogWriter.h"
#include "model/ModuleCompare.h"
#include "model/RelayCaptions.h"
#include "model/RelaySettings.h"
#include "model/RelaySettingsIni.h"
#include "protocol/AnswerText.h"
#include "serial/DeviceErrorText.h"
#include "serial/SerialAdvice.h"
#include "serial/SerialErr.h"

namespace {

const char kReadErrorLine[] = "Ошибка при чтении параметра ";
const char kWriteErrorLine[] = "Ошибка при записи параметра ";
const char kObjectNumberName[] = "№ объекта";
const char kVersionNotRead[] = "Не смогли прочесть версию";
const char kVersionRead[] = "Прочли версию";
const char kReleaseBracket[] = "]";
const char kModuleSilent[] = "Модуль не отвечает";
const char kCancelled[] = "Операция отменена пользователем";
const char kRenumberSkipped[] = "Номер объекта не записан: изменение отменено";
const char kRenumberCancelled[] = "Запись отменена: номер объекта не изменён";
const char kReading[] = "Чтение";
const char kWriting[] = "Запись";

// Marks a slot that the module's answer did not fill; no valid value is negative.
constexpr std::int32_t kNotRead = -1;

// Leaves an operation for the stop; caught where the operation started.
struct TOperationStopped {
    // Nothing of the page was read or written before the stop.
    bool BeforeAnyCommand = false;
};

bool IsDuration(std::int32_t duration) {
    return duration >= 0 && duration <= kMaxDuration;
}

// Why the page's object number cannot go out, or empty when it can: one to three decimal digits
// of a number in the module's range, and nothing else.
std::string ObjectNumberRefusal(const std::string& text, std::int32_t& value) {
    const std::string refused = " — не записан";
    if (text.empty()) {
        return std::string(kObjectNumberName) + " не задан" + refused;
    }
    const std::size_t digitsFrom = text[0] == '-' ? 1 : 0;
    if (text.size() == digitsFrom ||
        text.find_first_not_of("0123456789", digitsFrom) != std::string::npos) {
        return std::string(kObjectNumberName) + " «" + text + "» не число" + refused;
    }
    if (digitsFrom == 1 || text.size() > 3 || std::stoi(text) > kMaxObjectNumber) {
        return std::string(kObjectNumberName) + " " + text + " вне диапазона 0.." +
               std::to_string(kMaxObjectNumber) + refused;
    }
    value = std::stoi(text);
    return {};
}

std::string ZoneRowName(int relay, TZoneEvent e) {
    return RelayPageCaption(relay) + ": Зоны, " + ZoneRowCaption(e);
}

std::string PartitionRowName(int relay, TPartitionEvent e) {
    return RelayPageCaption(relay) + ": Разделы, " + PartitionRowCaption(e);
}

std::string ConditionName(int relay, TRelayCondition c) {
    return RelayPageCaption(relay) + ": " + ConditionCaption(c);
}

std::string DurationName(int relay) {
    return RelayPageCaption(relay) + ": Длительность";
}

// Runs one read of the module; an answer that is no number names the parameter it broke.
template <typename TRead>
bool NamedRead(const std::string& parameterName, TRead read) {
    try {
        return read();
    } catch (const EModuleAnswerError&) {
        throw;
    } catch (const EConvertError& error) {
        throw EModuleAnswerError(parameterName, error);
    }
}

// During an operation the view takes its events (a window's repaints and clicks) at most this
// often: ten times a second keeps the progress moving and «Отмена» at hand, where taking them
// after every command would keep a core busy with repaints nobody can see.
constexpr std::chrono::milliseconds kViewEventsInterval{100};
// Between commands the view takes its events only after twice that, so that on a line whose
// answers are waited for, the wait, not the time between an answer and the next command, is
// where they are taken.
constexpr std::chrono::milliseconds kViewEventsBetweenCommands = 2 * kViewEventsInterval;

}  // namespace

EModuleAnswerError::EModuleAnswerError(const std::string& parameterName, const EConvertError& cause)
    : EConvertError(kReadErrorLine + ("\"" + parameterName + "\": модуль ответил не числом (") +
                    cause.what() + ")") {}

// Begins an operation for its lifetime, on every way out.
class TDeviceController::TOperationScope {
  public:
    TOperationScope(TDeviceController& owner, const std::string& name, int totalCommands)
        : m_owner(owner) {
        m_owner.BeginOperation(name, totalCommands);
    }
    ~TOperationScope() { m_owner.EndOperation(); }
    TOperationScope(const TOperationScope&) = delete;
    TOperationScope& operator=(const TOperationScope&) = delete;

  private:
    TDeviceController& m_owner;
};

TConnectResult::TConnectResult() = default;
TConnectResult::TConnectResult(TConnectResult&&) noexcept = default;
TConnectResult& TConnectResult::operator=(TConnectResult&&) noexcept = default;
TConnectResult::~TConnectResult() = default;

std::string OpenFailureReason(const std::string& portName, const EDeviceError& error) {
    std::string reason = OpenFailureAdvice(portName, error);
    if (reason.empty()) {
        reason = DeviceReasonText(error.OsError());
    }
    return reason;
}

TConnectResult TDeviceController::Connect(IModulePort& port, const std::string& portName,
                                          int answerTimeoutMs, TLogWriter& log, int moduleNumber,
                                          IDeviceView& view) {
    TConnectResult result;
    try {
        port.Open(portName, answerTimeoutMs);
    } catch (const std::exception&) {
        result.Failure = TConnectFailure::PortNotOpened;
        result.OpenError = std::current_exception();
        return result;
    }
    auto controller = std::make_unique<TDeviceController>(
        port.Transport(), [&port](const std::string& text) { port.SendSlow(text); }, log,
        moduleNumber, view);
    if (controller->CheckVersion()) {
        result.Controller = std::move(controller);
        return result;
    }
    result.Failure =
        controller->VersionAnswered() ? TConnectFailure::OtherVersion : TConnectFailure::NoAnswer;
    result.VersionAnswer = controller->VersionAnswer();
    // The module is let go before anyone is told of the failed check.
    try {
        controller->ReleaseDevice();
    } catch (...) {
        result.ReleaseError = std::current_exception();
    }
    return result;
}

TDeviceController::TDeviceController(TTransport& comm, TSlowSend slowSend, TLogWriter& log,
                                     int moduleNumber, IDeviceView& view)
    : m_comm(comm),
      m_device(std::make_unique<TRelayModule>(&comm, moduleNumber, &log)),
      m_slowSend(std::move(slowSend)),
      m_log(log),
      m_view(view) {}

TDeviceController::~TDeviceController() = default;

void TDeviceController::ClearErrors() {
    m_errors.clear();
    m_stopNotes.clear();
    m_finishedPages.clear();
    m_stopped = false;
    m_cancelled = false;
    m_renumbering.reset();
    m_silentInRow = 0;
    m_operation = {};
    m_view.ResetCancel();
}

void TDeviceController::BeginOperation(const std::string& name, int totalCommands) {
    if (m_operation.Depth++ == 0) {
        m_operation.Name = name;
        m_operation.Total = totalCommands;
        m_operation.Done = 0;
        m_operationDurations.reset();
    }
}

void TDeviceController::EndOperation() {
    if (m_operation.Depth > 0 && --m_operation.Depth == 0) {
        m_operationDurations.reset();
        m_view.HideProgress();
    }
}

void TDeviceController::StartPage(int commands) {
    // A total that was counted short grows, so that the count never passes it.
    m_operation.Total = std::max(m_operation.Total, m_operation.Done + commands);
    m_view.SetProgressMin(0);
    m_view.SetProgressMax(m_operation.Total);
    m_view.SetProgressPosition(m_operation.Done);
    m_view.SetProgressStep(1);
    ReportProgress();
}

bool TDeviceController::TakeViewEvents(std::chrono::milliseconds interval) {
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastViewEvents < interval) {
        return false;
    }
    m_lastViewEvents = now;
    m_view.ProcessMessages();
    return true;
}

void TDeviceController::StepProgress() {
    // A module that answers before the transport waits leaves the view no time of its own; it
    // then takes its events here, so that «Отмена» still reaches the operation.
    TakeViewEvents(kViewEventsBetweenCommands);
    m_view.ShowProgress();
    ++m_operation.Done;
    m_view.StepProgressBar();
    ReportProgress();
    CheckForStop();
}

void TDeviceController::ReportProgress() {
    m_view.SetOperationProgress({m_operation.Name, m_operationPage, m_operation.Done,
                                 m_operation.Total, static_cast<int>(m_errors.size())});
}

void TDeviceController::CheckForStop() {
    if (m_view.CancelRequested()) {
        m_cancelled = true;
        throw TOperationStopped{};
    }
    if (m_silentInRow >= kSilentCommandsToStop) {
        m_errors.push_back(kModuleSilent);
        throw TOperationStopped{};
    }
}

bool TDeviceController::Answered(bool answered) {
    m_silentInRow = answered ? 0 : m_silentInRow + 1;
    return answered;
}

void TDeviceController::AddReadError(const std::string& parameterName) {
    m_errors.push_back(kReadErrorLine + ("\"" + parameterName + "\""));
}

void TDeviceController::AddWriteError(const std::string& parameterName) {
    m_errors.push_back(kWriteErrorLine + ("\"" + parameterName + "\""));
}

void TDeviceController::AddStopLine(const std::string& line) {
    (m_cancelled ? m_stopNotes : m_errors).push_back(line);
}

std::vector<std::string> TDeviceController::GetNotes() const {
    std::vector<std::string> notes;
    if (m_cancelled) {
        notes.push_back(kCancelled);
    }
    notes.insert(notes.end(), m_stopNotes.begin(), m_stopNotes.end());
    if (const std::string renumbering = RenumberNote(); !renumbering.empty()) {
        notes.push_back(renumbering);
    }
    return notes;
}

std::string TDeviceController::RenumberNote() const {
    if (!m_renumbering) {
        return {};
    }
    const std::string from = std::to_string(m_renumbering->From);
    const std::string to = std::to_string(m_renumbering->To);
    switch (m_renumbering->Answer) {
        case TRenumberAnswer::Renumber:
            return m_renumbering->Written ? "Модуль перенумерован с " + from + " на " + to
                                          : std::string();
        case TRenumberAnswer::KeepNumber:
            return "Номер объекта оставлен " + from +
                   (Completed() ? ", остальное записано" : ", " + to + " не записан");
        case TRenumberAnswer::Cancel:
            return "Номер объекта не изменён на " + to + ", ничего не записано";
    }
    return {};
}

// A module may answer in another letter case than the parser cuts a value out of; the user is
// then shown what it sent.
bool TDeviceController::CheckVersion() {
    std::string version;
    m_versionAnswered = m_device->ReadVersion(version);
    m_versionAnswer = version.empty() && m_versionAnswered ? m_device->LastAnswerText() : version;
    if (!m_versionAnswered) {
        m_log.WriteError(kVersionNotRead);
        return false;
    }
    if (!m_device->MatchesVersion(version)) {
        return false;
    }
    m_view.SetVersionText(version);
    m_log.WriteData(kVersionRead, version, clBlack);
    return true;
}

// A page operation that ends with an error (a bad answer, a failing port) hides the progress
// window too, so it does not stay over the main window. After a stop, the error window lists
// the page it stopped in and every page of the command that was not touched.
template <typename TBody>
void TDeviceController::RunPageOperation(const std::string& pageName, bool reading, int commands,
                                         TBody body) {
    m_operationPage = pageName;
    const std::string name = "Страница \"" + pageName + "\" ";
    const std::string untouched = reading ? "не прочитана" : "не записана";
    if (m_stopped) {
        AddStopLine(name + untouched);
        return;
    }
    TOperationScope scope(*this, reading ? kReading : kWriting, commands);
    if (!reading) {
        m_operationDurations.reset();
    }
    // The window's repaints and clicks are taken while each answer is on its way, never between
    // an answer and the next command.
    struct TWaitingWork {
        TTransport& comm;
        explicit TWaitingWork(TDeviceController& owner) : comm(owner.m_comm) {
            comm.SetWaitingWork([&owner] { owner.TakeViewEvents(kViewEventsInterval); });
        }
        ~TWaitingWork() { comm.SetWaitingWork({}); }
        TWaitingWork(const TWaitingWork&) = delete;
        TWaitingWork& operator=(const TWaitingWork&) = delete;
    } waitingWork(*this);
    try {
        body();
        m_finishedPages.push_back(pageName);
    } catch (const TOperationStopped& stop) {
        m_stopped = true;
        m_view.HideProgress();
        AddStopLine(name + (stop.BeforeAnyCommand
                                ? untouched
                                : (reading ? "прочитана не полностью" : "записана не полностью")));
    } catch (...) {
        m_view.HideProgress();
        throw;
    }
}

void TDeviceController::ReadCommon(TCommonSettings& common) {
    RunPageOperation(kCommonPageCaption, true, kCommonPageCommands,
                     [&] { ReadCommonValues(common); });
}

void TDeviceController::WriteCommon(const TCommonSettings& common, const TCommonSettings* onModule,
                                    const TModuleValueSet* only) {
    if ((onModule != nullptr && SameObjectNumber(onModule->ObjectNumber, common.ObjectNumber)) ||
        (only != nullptr && !only->Contains(kCommonSectionName, kObjectNumberKey))) {
        return;
    }
    RunPageOperation(kCommonPageCaption, false, kCommonPageCommands,
                     [&] { WriteCommonValues(common); });
}

void TDeviceController::ReadRelay(TRelaySettings& relay) {
    const int commands = m_operationDurations ? kRelayReadCommands - 1 : kRelayReadCommands;
    RunPageOperation(RelayPageCaption(relay.Number), true, commands,
                     [&] { ReadRelayValues(relay); });
}

void TDeviceController::WriteRelay(const TRelaySettings& relay, const TRelaySettings* onModule,
                                   const TModuleValueSet* only) {
    const std::vector<TPendingWrite> writes = RelayWrites(relay, onModule, only);
    if (only != nullptr && writes.empty()) {
        return;
    }
    RunPageOperation(RelayPageCaption(relay.Number), false, static_cast<int>(writes.size()),
                     [&] { SendWrites(relay.Number, writes); });
}

void TDeviceController::ReadModule(TModuleSettings& module) {
    TOperationScope scope(*this, kReading, ModuleCommands(true));
    ReadCommon(module.Common);
    for (TRelaySettings& relay : module.Relays) {
        ReadRelay(relay);
    }
}

void TDeviceController::WriteModule(const TModuleSettings& module, const TModuleSettings* onModule,
                                    const TModuleValueSet* only) {
    auto relayOnModule = [onModule](int n) {
        return onModule != nullptr ? &onModule->Relays.at(n - 1) : nullptr;
    };
    const bool commonUnwritten =
        (onModule != nullptr &&
         SameObjectNumber(onModule->Common.ObjectNumber, module.Common.ObjectNumber)) ||
        (only != nullptr && !only->Contains(kCommonSectionName, kObjectNumberKey));
    int total = commonUnwritten ? 0 : kCommonPageCommands;
    for (int n = 1; n <= kRelayCount; ++n) {
        total +=
            static_cast<int>(RelayWrites(module.Relays.at(n - 1), relayOnModule(n), only).size());
    }
    TOperationScope scope(*this, kWriting, total);
    WriteCommon(module.Common, onModule != nullptr ? &onModule->Common : nullptr, only);
    for (int n = 1; n <= kRelayCount; ++n) {
        WriteRelay(module.Relays.at(n - 1), relayOnModule(n), only);
    }
}

void TDeviceController::ReadCommonValues(TCommonSettings& common) {
    StartPage(kCommonPageCommands);
    std::int32_t number = kNotRead;
    if (Answered(m_device->ReadObjectNumber(number)) && number >= 0 && number <= kMaxObjectNumber) {
        common.ObjectNumber = std::to_string(number);
        m_known.NoteObjectNumber(number);
    } else {
        AddReadError(kObjectNumberName);
    }
    StepProgress();
}

// An object number the module cannot take is refused before anything is sent, and said so; a
// new number goes out only as the user answers the question before it.
void TDeviceController::WriteCommonValues(const TCommonSettings& common) {
    StartPage(kCommonPageCommands);
    std::int32_t number = 0;
    const int current = m_device->GetObjectNumber();
    if (const std::string refusal = ObjectNumberRefusal(common.ObjectNumber, number);
        !refusal.empty()) {
        m_errors.push_back(refusal);
    } else if (number == current) {
        if (Answered(m_device->WriteObjectNumber(number))) {
            m_known.NoteObjectNumber(number);
        } else {
            AddWriteError(kObjectNumberName);
        }
    } else {
        const TRenumberAnswer answer = m_view.ConfirmRenumber(current, number);
        m_renumbering = TRenumbering{answer, current, number};
        if (answer == TRenumberAnswer::Cancel) {
            m_log.WriteInfo(kRenumberCancelled);
            m_cancelled = true;
            throw TOperationStopped{true};
        }
        if (answer == TRenumberAnswer::KeepNumber) {
            m_log.WriteInfo(kRenumberSkipped);
        } else if (Answered(m_device->WriteObjectNumber(number))) {
            m_renumbering->Written = true;
            m_known.NoteObjectNumber(number);
            m_log.WriteInfo(RenumberNote());
        } else {
            AddWriteError(kObjectNumberName);
        }
    }
    StepProgress();
}

void TDeviceController::ReadRelayValues(TRelaySettings& settings) {
    const int relay = settings.Number;
    const bool durationsRead = m_operationDurations.has_value();
    StartPage(durationsRead ? kRelayReadCommands - 1 : kRelayReadCommands);

    // A relay beyond the module's list, or a value out of range, is a failed read of the value.
    TPulseDurations durations;
    durations.fill(kNotRead);
    bool durationsAnswered = true;
    if (durationsRead) {
        durations = *m_operationDurations;
    } else {
        durationsAnswered = Answered(NamedRead(
            DurationName(relay), [&] { return m_device->ReadPulseDurations(durations); }));
        // Only a whole, valid answer serves the later pages; any other one is asked again by
        // each page, as a page read alone would.
        if (durationsAnswered && m_operation.Depth > 0 &&
            std::all_of(durations.begin(), durations.end(), IsDuration)) {
            m_operationDurations = durations;
        }
    }
    if (durationsAnswered && relay >= 1 && relay <= kRelayCount &&
        IsDuration(durations.at(relay - 1))) {
        settings.Duration = durations.at(relay - 1);
        m_known.NoteRelayValue(relay, kDurationPlace, settings.Duration);
    } else {
        AddReadError(DurationName(relay));
    }
    if (!durationsRead) {
        StepProgress();
    }

    // Each row goes through a copy so that only a whole, valid row replaces the page's row.
    auto readRow = [&](auto read, TReactionRow& row, const std::string& name, int firstPlace) {
        TReactionRow codes;
        codes.fill(kNotRead);
        if (Answered(NamedRead(name, [&] { return (m_device.get()->*read)(relay, codes); })) &&
            std::all_of(codes.begin(), codes.end(), IsReactionCode)) {
            row = codes;
            for (int i = 0; i < kTableWidth; ++i) {
                m_known.NoteRelayValue(relay, firstPlace + i, codes.at(i));
            }
        } else {
            AddReadError(name);
        }
        StepProgress();
    };
    readRow(&TRelayModule::ReadZoneAlarms, settings.ZoneRow(zeAlarm), ZoneRowName(relay, zeAlarm),
            ZonePlace(zeAlarm, 1));
    readRow(&TRelayModule::ReadZoneRestores, settings.ZoneRow(zeRestore),
            ZoneRowName(relay, zeRestore), ZonePlace(zeRestore, 1));
    readRow(&TRelayModule::ReadZoneFaults, settings.ZoneRow(zeFault), ZoneRowName(relay, zeFault),
            ZonePlace(zeFault, 1));
    readRow(&TRelayModule::ReadPartitionArmings, settings.PartitionRow(peArm),
            PartitionRowName(relay, peArm), PartitionPlace(peArm, 1));
    readRow(&TRelayModule::ReadPartitionDisarmings, settings.PartitionRow(peDisarm),
            PartitionRowName(relay, peDisarm), PartitionPlace(peDisarm, 1));
    readRow(&TRelayModule::ReadPartitionAlarms, settings.PartitionRow(peAlarm),
            PartitionRowName(relay, peAlarm), PartitionPlace(peAlarm, 1));

    auto readCondition = [&](auto read, TRelayCondition condition) {
        TRelayReaction no = kNotRead;
        TRelayReaction yes = kNotRead;
        if (Answered(NamedRead(ConditionName(relay, condition),
                               [&] { return (m_device.get()->*read)(relay, no, yes); })) &&
            IsReactionCode(no) && IsReactionCode(yes)) {
            settings.NoOf(condition) = no;
            settings.YesOf(condition) = yes;
            m_known.NoteRelayValue(relay, ConditionPlace(condition, false), no);
            m_known.NoteRelayValue(relay, ConditionPlace(condition, true), yes);
        } else {
            AddReadError(ConditionName(relay, condition));
        }
        StepProgress();
    };
    readCondition(&TRelayModule::ReadPanelLink, rcPanelLink);
    readCondition(&TRelayModule::ReadJournal, rcJournal);
    readCondition(&TRelayModule::ReadPower, rcPower);
    readCondition(&TRelayModule::ReadFire, rcFire);
    readCondition(&TRelayModule::ReadDelay, rcDelay);
}

// The writes of the page in their order; with the module's values given, only those that differ.
std::vector<TDeviceController::TPendingWrite> TDeviceController::RelayWrites(
    const TRelaySettings& settings, const TRelaySettings* onModule, const TModuleValueSet* only) {
    const int relay = settings.Number;
    const std::string section = RelaySectionName(relay);
    auto chosen = [&](const std::string& key) {
        return only == nullptr || only->Contains(section, key);
    };
    std::vector<TPendingWrite> writes;
    if ((onModule == nullptr || onModule->Duration != settings.Duration) && chosen(kDurationKey)) {
        writes.push_back({DurationName(relay), IsDuration(settings.Duration),
                          [this, relay, duration = settings.Duration] {
                              return m_device->WritePulseDuration(relay, duration);
                          },
                          kDurationPlace, settings.Duration});
    }
    // A code the page cannot show never goes out; it is an error of that one write.
    auto addItem = [&](auto write, int index, TRelayReaction code, TRelayReaction moduleCode,
                       const std::string& name, const std::string& key, int place) {
        if ((onModule == nullptr || moduleCode != code) && chosen(key)) {
            writes.push_back({name, IsReactionCode(code),
                              [this, write, relay, index, code] {
                                  return (m_device.get()->*write)(relay, index, code);
                              },
                              place, code});
        }
    };
    const TRelaySettings& module = onModule != nullptr ? *onModule : settings;
    for (int zone = 1; zone <= kTableWidth; ++zone) {
        const std::string item = ", зона " + std::to_string(zone);
        addItem(&TRelayModule::WriteZoneAlarm, zone, settings.Zone(zeAlarm, zone),
                module.Zone(zeAlarm, zone), ZoneRowName(relay, zeAlarm) + item,
                ZoneKey(zeAlarm, zone), ZonePlace(zeAlarm, zone));
        addItem(&TRelayModule::WriteZoneRestore, zone, settings.Zone(zeRestore, zone),
                module.Zone(zeRestore, zone), ZoneRowName(relay, zeRestore) + item,
                ZoneKey(zeRestore, zone), ZonePlace(zeRestore, zone));
        addItem(&TRelayModule::WriteZoneFault, zone, settings.Zone(zeFault, zone),
                module.Zone(zeFault, zone), ZoneRowName(relay, zeFault) + item,
                ZoneKey(zeFault, zone), ZonePlace(zeFault, zone));
    }
    for (int partition = 1; partition <= kTableWidth; ++partition) {
        const std::string item = ", раздел " + std::to_string(partition);
        addItem(&TRelayModule::WritePartitionArming, partition,
                settings.Partition(peArm, partition), module.Partition(peArm, partition),
                PartitionRowName(relay, peArm) + item, PartitionKey(peArm, partition),
                PartitionPlace(peArm, partition));
        addItem(&TRelayModule::WritePartitionDisarming, partition,
                settings.Partition(peDisarm, partition), module.Partition(peDisarm, partition),
                PartitionRowName(relay, peDisarm) + item, PartitionKey(peDisarm, partition),
                PartitionPlace(peDisarm, partition));
        addItem(&TRelayModule::WritePartitionAlarm, partition,
                settings.Partition(peAlarm, partition), module.Partition(peAlarm, partition),
                PartitionRowName(relay, peAlarm) + item, PartitionKey(peAlarm, partition),
                PartitionPlace(peAlarm, partition));
    }
    auto addCondition = [&](auto write, TRelayCondition condition) {
        const std::string name = ConditionName(relay, condition) + ", ";
        addItem(write, 0, settings.NoOf(condition), module.NoOf(condition),
                name + ConditionStateCaption(condition, false), ConditionKey(condition, false),
                ConditionPlace(condition, false));
        addItem(write, 1, settings.YesOf(condition), module.YesOf(condition),
                name + ConditionStateCaption(condition, true), ConditionKey(condition, true),
                ConditionPlace(condition, true));
    };
    addCondition(&TRelayModule::WritePanelLink, rcPanelLink);
    addCondition(&TRelayModule::WriteJournal, rcJournal);
    addCondition(&TRelayModule::WritePower, rcPower);
    addCondition(&TRelayModule::WriteFire, rcFire);
    addCondition(&TRelayModule::WriteDelay, rcDelay);
    return writes;
}

void TDeviceController::SendWrites(int relay, const std::vector<TPendingWrite>& writes) {
    if (writes.empty()) {
        return;
    }
    StartPage(static_cast<int>(writes.size()));
    for (const TPendingWrite& write : writes) {
        if (write.Valid && Answered(write.Send())) {
            m_known.NoteRelayValue(relay, write.Place, write.Value);
        } else {
            AddWriteError(write.Name);
        }
        StepProgress();
    }
}

void TDeviceController::ReleaseDevice() {
    for (int i = 0; i < kReleaseBrackets; ++i) {
        m_slowSend(kReleaseBracket);
    }
    m_device->SendRbCommand();
}

std::string OperationProgressText(const TOperationProgress& progress) {
    std::string text = progress.Operation;
    if (!progress.Page.empty()) {
        text += ": " + progress.Page;
    }
    text += " — " + std::to_string(progress.Done) + " из " + std::to_string(progress.Total);
    if (progress.Errors > 0) {
        text += ", ошибок: " + std::to_string(progress.Errors);
    }
    return text;
}
