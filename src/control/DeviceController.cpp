// The command sequences of the pages, and what went wrong in them, in the words of the pages.
#include "DeviceController.h"

#include <algorithm>

#include "ComPortWorker.h"
#include "DeviceView.h"
#include "LogWriter.h"
#include "ModuleCompare.h"
#include "RelayCaptions.h"
#include "StrLib.h"

namespace {

const char kReadErrorLine[] = "Ошибка при чтении параметра ";
const char kWriteErrorLine[] = "Ошибка при записи параметра ";
const char kObjectNumberName[] = "№ объекта";
const char kVersionNotRead[] = "Не смогли прочесть версию";
const char kVersionRead[] = "Прочли версию";
const char kReleaseBracket[] = "]";
const char kModuleSilent[] = "Модуль не отвечает";
const char kCancelled[] = "Операция отменена";
const char kRenumberSkipped[] = "Номер объекта не записан: изменение отменено";
const char kCommonPageName[] = "Общие";

// Marks a slot that the module's answer did not fill; no valid value is negative.
constexpr std::int32_t kNotRead = -1;

// Leaves an operation for the stop; caught where the operation started.
struct TOperationStopped {};

bool IsReaction(TRelayReaction code) {
    return code >= rrOn && code <= rrNone;
}

bool IsDuration(std::int32_t duration) {
    return duration >= 0 && duration <= kMaxDuration;
}

// One to three decimal digits and nothing else: what the page's edits hold when they are sound.
bool PlainNumber(const std::string& text, std::int32_t& value) {
    if (text.empty() || text.size() > 3 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = std::stoi(text);
    return true;
}

std::string RelayName(int relay) {
    return "Реле " + std::to_string(relay);
}

std::string ZoneRowName(int relay, TZoneEvent e) {
    return RelayName(relay) + ": Зоны, " + ZoneRowCaption(e);
}

std::string PartitionRowName(int relay, TPartitionEvent e) {
    return RelayName(relay) + ": Разделы, " + PartitionRowCaption(e);
}

std::string ConditionName(int relay, TRelayCondition c) {
    return RelayName(relay) + ": " + ConditionCaption(c);
}

std::string DurationName(int relay) {
    return RelayName(relay) + ": Длительность";
}

}  // namespace

TDeviceController::TDeviceController(TComPortWorker& port, TLogWriter& log, int moduleNumber,
                                     IDeviceView& view)
    : TDeviceController(
          port, [&port](const std::string& text) { port.SendSlow(text); }, log, moduleNumber,
          view) {}

TDeviceController::TDeviceController(TCommunication& comm, TSlowSend slowSend, TLogWriter& log,
                                     int moduleNumber, IDeviceView& view)
    : m_device(std::make_unique<TDevRelay>(&comm, moduleNumber, &log)),
      m_slowSend(std::move(slowSend)),
      m_log(log),
      m_view(view) {}

TDeviceController::~TDeviceController() = default;

void TDeviceController::ClearErrors() {
    m_errors.clear();
    m_stopped = false;
    m_silentInRow = 0;
    m_view.ResetCancel();
}

void TDeviceController::StartProgress(int maximum) {
    m_view.SetProgressPosition(0);
    m_view.SetProgressMin(0);
    m_view.SetProgressMax(maximum);
    m_view.SetProgressStep(1);
}

void TDeviceController::StepProgress() {
    m_view.ProcessMessages();
    m_view.ShowProgress();
    m_view.StepProgressBar();
    CheckForStop();
}

void TDeviceController::CheckForStop() {
    if (m_view.CancelRequested()) {
        m_errors.push_back(kCancelled);
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

bool TDeviceController::CheckVersion() {
    std::string version;
    m_versionAnswered = m_device->ReadVersion(version);
    m_versionAnswer = version;
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
template <typename TOperation>
void TDeviceController::RunPageOperation(const std::string& pageName, bool reading,
                                         TOperation operation) {
    m_operationPage = pageName;
    const std::string name = "Страница \"" + pageName + "\" ";
    if (m_stopped) {
        m_errors.push_back(name + (reading ? "не прочитана" : "не записана"));
        return;
    }
    try {
        operation();
    } catch (const TOperationStopped&) {
        m_stopped = true;
        m_view.HideProgress();
        m_errors.push_back(name + (reading ? "прочитана не полностью" : "записана не полностью"));
    } catch (...) {
        m_view.HideProgress();
        throw;
    }
}

void TDeviceController::ReadCommon(TCommonSettings& common) {
    RunPageOperation(kCommonPageName, true, [&] { ReadCommonValues(common); });
}

void TDeviceController::WriteCommon(const TCommonSettings& common,
                                    const TCommonSettings* onModule) {
    if (onModule != nullptr && SameObjectNumber(onModule->ObjectNumber, common.ObjectNumber)) {
        return;
    }
    RunPageOperation(kCommonPageName, false, [&] { WriteCommonValues(common); });
}

void TDeviceController::ReadRelay(TRelaySettings& relay) {
    RunPageOperation(RelayName(relay.Number), true, [&] { ReadRelayValues(relay); });
}

void TDeviceController::WriteRelay(const TRelaySettings& relay, const TRelaySettings* onModule) {
    RunPageOperation(RelayName(relay.Number), false, [&] { WriteRelayValues(relay, onModule); });
}

void TDeviceController::ReadModule(TModuleSettings& module) {
    ReadCommon(module.Common);
    for (TRelaySettings& relay : module.Relays) {
        ReadRelay(relay);
    }
}

void TDeviceController::WriteModule(const TModuleSettings& module,
                                    const TModuleSettings* onModule) {
    WriteCommon(module.Common, onModule != nullptr ? &onModule->Common : nullptr);
    for (int n = 1; n <= kRelayCount; ++n) {
        WriteRelay(module.Relays.at(n - 1),
                   onModule != nullptr ? &onModule->Relays.at(n - 1) : nullptr);
    }
}

void TDeviceController::ReadCommonValues(TCommonSettings& common) {
    StartProgress(1);
    std::int32_t number = kNotRead;
    if (Answered(m_device->ReadObjectNumber(number)) && number >= 0 && number <= kMaxObjectNumber) {
        common.ObjectNumber = std::to_string(number);
    } else {
        AddReadError(kObjectNumberName);
    }
    StepProgress();
    m_view.HideProgress();
}

// The object number goes out only as a plain decimal number; anything else that the page holds
// is an error of the write, never a silent skip.
void TDeviceController::WriteCommonValues(const TCommonSettings& common) {
    StartProgress(1);
    std::int32_t number = 0;
    if (!PlainNumber(common.ObjectNumber, number) || number > kMaxObjectNumber) {
        AddWriteError(kObjectNumberName);
    } else if (number != m_device->GetObjectNumber() &&
               !m_view.ConfirmRenumber(m_device->GetObjectNumber(), number)) {
        m_log.WriteInfo(kRenumberSkipped);
    } else if (!Answered(m_device->WriteObjectNumber(number))) {
        AddWriteError(kObjectNumberName);
    }
    StepProgress();
    m_view.HideProgress();
}

void TDeviceController::ReadRelayValues(TRelaySettings& settings) {
    const int relay = settings.Number;
    StartProgress(kRelayReadCommands);

    // A relay beyond the module's list, or a value out of range, is a failed read of the value.
    TPulseDurations durations;
    durations.fill(kNotRead);
    const bool durationsAnswered = Answered(m_device->ReadPulseDurations(durations));
    if (durationsAnswered && relay >= 1 && relay <= kRelayCount &&
        IsDuration(durations.at(relay - 1))) {
        settings.Duration = durations.at(relay - 1);
    } else {
        AddReadError("Реле № " + std::to_string(relay) + " ");
    }
    StepProgress();

    // Each row goes through a copy so that only a whole, valid row replaces the page's row.
    auto readRow = [&](auto read, TReactionRow& row, const std::string& name) {
        TReactionRow codes;
        codes.fill(kNotRead);
        if (Answered((m_device.get()->*read)(relay, codes)) &&
            std::all_of(codes.begin(), codes.end(), IsReaction)) {
            row = codes;
        } else {
            AddReadError(name);
        }
        StepProgress();
    };
    readRow(&TDevRelay::ReadZoneAlarms, settings.ZoneRow(zeAlarm), ZoneRowName(relay, zeAlarm));
    readRow(&TDevRelay::ReadZoneRestores, settings.ZoneRow(zeRestore),
            ZoneRowName(relay, zeRestore));
    readRow(&TDevRelay::ReadZoneFaults, settings.ZoneRow(zeFault), ZoneRowName(relay, zeFault));
    readRow(&TDevRelay::ReadPartitionArmings, settings.PartitionRow(peArm),
            PartitionRowName(relay, peArm));
    readRow(&TDevRelay::ReadPartitionDisarmings, settings.PartitionRow(peDisarm),
            PartitionRowName(relay, peDisarm));
    readRow(&TDevRelay::ReadPartitionAlarms, settings.PartitionRow(peAlarm),
            PartitionRowName(relay, peAlarm));

    auto readCondition = [&](auto read, TRelayCondition condition) {
        TRelayReaction no = kNotRead;
        TRelayReaction yes = kNotRead;
        if (Answered((m_device.get()->*read)(relay, no, yes)) && IsReaction(no) &&
            IsReaction(yes)) {
            settings.NoOf(condition) = no;
            settings.YesOf(condition) = yes;
        } else {
            AddReadError(ConditionName(relay, condition));
        }
        StepProgress();
    };
    readCondition(&TDevRelay::ReadPanelLink, rcPanelLink);
    readCondition(&TDevRelay::ReadJournal, rcJournal);
    readCondition(&TDevRelay::ReadPower, rcPower);
    readCondition(&TDevRelay::ReadFire, rcFire);
    readCondition(&TDevRelay::ReadDelay, rcDelay);

    m_view.HideProgress();
}

void TDeviceController::WriteRelayValues(const TRelaySettings& settings,
                                         const TRelaySettings* onModule) {
    const int relay = settings.Number;
    // The writes of the page in their order; with the module's values given, only those that
    // differ are sent.
    struct TWrite {
        std::string Name;
        bool Valid;
        std::function<bool()> Send;
    };
    std::vector<TWrite> writes;
    if (onModule == nullptr || onModule->Duration != settings.Duration) {
        writes.push_back({DurationName(relay), IsDuration(settings.Duration),
                          [&] { return m_device->WritePulseDuration(relay, settings.Duration); }});
    }
    // A code the page cannot show never goes out; it is an error of that one write.
    auto addItem = [&](auto write, int index, TRelayReaction code, TRelayReaction moduleCode,
                       const std::string& name) {
        if (onModule == nullptr || moduleCode != code) {
            writes.push_back({name, IsReaction(code), [this, write, relay, index, code] {
                                  return (m_device.get()->*write)(relay, index, code);
                              }});
        }
    };
    const TRelaySettings& module = onModule != nullptr ? *onModule : settings;
    for (int zone = 1; zone <= kTableWidth; ++zone) {
        const std::string item = ", зона " + std::to_string(zone);
        addItem(&TDevRelay::WriteZoneAlarm, zone, settings.Zone(zeAlarm, zone),
                module.Zone(zeAlarm, zone), ZoneRowName(relay, zeAlarm) + item);
        addItem(&TDevRelay::WriteZoneRestore, zone, settings.Zone(zeRestore, zone),
                module.Zone(zeRestore, zone), ZoneRowName(relay, zeRestore) + item);
        addItem(&TDevRelay::WriteZoneFault, zone, settings.Zone(zeFault, zone),
                module.Zone(zeFault, zone), ZoneRowName(relay, zeFault) + item);
    }
    for (int partition = 1; partition <= kTableWidth; ++partition) {
        const std::string item = ", раздел " + std::to_string(partition);
        addItem(&TDevRelay::WritePartitionArming, partition, settings.Partition(peArm, partition),
                module.Partition(peArm, partition), PartitionRowName(relay, peArm) + item);
        addItem(&TDevRelay::WritePartitionDisarming, partition,
                settings.Partition(peDisarm, partition), module.Partition(peDisarm, partition),
                PartitionRowName(relay, peDisarm) + item);
        addItem(&TDevRelay::WritePartitionAlarm, partition, settings.Partition(peAlarm, partition),
                module.Partition(peAlarm, partition), PartitionRowName(relay, peAlarm) + item);
    }
    auto addCondition = [&](auto write, TRelayCondition condition) {
        const std::string name = ConditionName(relay, condition) + ", ";
        addItem(write, 0, settings.NoOf(condition), module.NoOf(condition),
                name + ConditionStateCaption(condition, false));
        addItem(write, 1, settings.YesOf(condition), module.YesOf(condition),
                name + ConditionStateCaption(condition, true));
    };
    addCondition(&TDevRelay::WritePanelLink, rcPanelLink);
    addCondition(&TDevRelay::WriteJournal, rcJournal);
    addCondition(&TDevRelay::WritePower, rcPower);
    addCondition(&TDevRelay::WriteFire, rcFire);
    addCondition(&TDevRelay::WriteDelay, rcDelay);

    if (writes.empty()) {
        return;
    }
    StartProgress(static_cast<int>(writes.size()));
    for (const TWrite& write : writes) {
        if (!write.Valid || !Answered(write.Send())) {
            AddWriteError(write.Name);
        }
        StepProgress();
    }
    m_view.HideProgress();
}

void TDeviceController::ReleaseDevice() {
    for (int i = 0; i < kReleaseBrackets; ++i) {
        m_slowSend(kReleaseBracket);
    }
    m_device->SendRbCommand();
}
