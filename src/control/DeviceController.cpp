#include "DeviceController.h"

#include <QString>

#include "ComPortWorker.h"
#include "DeviceView.h"
#include "LogWriter.h"
#include "StrLib.h"
#include "fCommon.h"
#include "fRelay.h"

namespace {

const char kReadErrorLine[] = "Ошибка при чтении параметра ";
const char kObjectNumberName[] = "№ объекта";
const char kVersionNotRead[] = "Не смогли прочесть версию";
const char kVersionRead[] = "Прочли версию";
const char kReleaseBracket[] = "]";

std::string TextOf(const QString& text) {
    return text.toStdString();
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
}

void TDeviceController::AddReadError(const std::string& parameterName) {
    m_errors.push_back(kReadErrorLine + ("\"" + parameterName + "\""));
}

bool TDeviceController::CheckVersion() {
    std::string version;
    if (!m_device->ReadVersion(version)) {
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
// window too, so it does not stay over the main window.
template <typename TOperation>
void TDeviceController::RunPageOperation(TOperation operation) {
    try {
        operation();
    } catch (...) {
        m_view.HideProgress();
        throw;
    }
}

void TDeviceController::ReadPage(TformIncl& page) {
    RunPageOperation([&] {
        if (auto* common = dynamic_cast<TFormCommon*>(&page)) {
            ReadCommon(*common);
        } else if (auto* relay = dynamic_cast<TFormRelay*>(&page)) {
            ReadRelay(*relay);
        }
    });
}

void TDeviceController::WritePage(TformIncl& page) {
    RunPageOperation([&] {
        if (auto* common = dynamic_cast<TFormCommon*>(&page)) {
            WriteCommon(*common);
        } else if (auto* relay = dynamic_cast<TFormRelay*>(&page)) {
            WriteRelay(*relay);
        }
    });
}

void TDeviceController::ReadCommon(TFormCommon& page) {
    StartProgress(1);
    std::int32_t number = 0;
    if (m_device->ReadObjectNumber(number)) {
        page.etO->setText(QString::number(number));
    } else {
        AddReadError(kObjectNumberName);
    }
    StepProgress();
    m_view.HideProgress();
}

void TDeviceController::WriteCommon(TFormCommon& page) {
    StartProgress(1);
    std::int32_t number = 0;
    if (!TryStrToInt(TextOf(page.etO->text()), number)) {
        return;
    }
    m_device->WriteObjectNumber(number);
    StepProgress();
    m_view.HideProgress();
}

void TDeviceController::ReadRelay(TFormRelay& page) {
    TRelaySettings& settings = page.Settings();
    const int relay = settings.Number;
    StartProgress(kRelayReadCommands);

    TPulseDurations durations{};
    if (m_device->ReadPulseDurations(durations) && relay >= 1 && relay <= kRelayCount) {
        page.etDuration->setText(QString::number(durations.at(relay - 1)));
    } else {
        AddReadError("Реле № " + std::to_string(relay) + " ");
    }
    StepProgress();

    // Each row goes through a copy so that only a read that succeeded replaces the page's row.
    auto readRow = [&](auto read, TReactionRow& row) {
        TReactionRow codes = row;
        if ((m_device.get()->*read)(relay, codes)) {
            row = codes;
        }
        StepProgress();
    };
    readRow(&TDevRelay::ReadZoneAlarms, settings.ZoneRow(zeAlarm));
    readRow(&TDevRelay::ReadZoneRestores, settings.ZoneRow(zeRestore));
    readRow(&TDevRelay::ReadZoneFaults, settings.ZoneRow(zeFault));
    readRow(&TDevRelay::ReadPartitionArmings, settings.PartitionRow(peArm));
    readRow(&TDevRelay::ReadPartitionDisarmings, settings.PartitionRow(peDisarm));
    readRow(&TDevRelay::ReadPartitionAlarms, settings.PartitionRow(peAlarm));

    auto readCondition = [&](auto read, TRelayCondition condition) {
        TRelayReaction no = settings.NoOf(condition);
        TRelayReaction yes = settings.YesOf(condition);
        if ((m_device.get()->*read)(relay, no, yes)) {
            settings.NoOf(condition) = no;
            settings.YesOf(condition) = yes;
        }
        StepProgress();
    };
    readCondition(&TDevRelay::ReadPanelLink, rcPanelLink);
    readCondition(&TDevRelay::ReadJournal, rcJournal);
    readCondition(&TDevRelay::ReadPower, rcPower);
    readCondition(&TDevRelay::ReadFire, rcFire);
    readCondition(&TDevRelay::ReadDelay, rcDelay);

    page.RepaintGrids();
    m_view.HideProgress();
}

void TDeviceController::WriteRelay(TFormRelay& page) {
    const TRelaySettings& settings = page.Settings();
    const int relay = settings.Number;
    StartProgress(kRelayWriteCommands);

    m_device->WritePulseDuration(relay, StrToInt(TextOf(page.etDuration->text())));
    StepProgress();

    for (int zone = 1; zone <= kTableWidth; ++zone) {
        m_device->WriteZoneAlarm(relay, zone, settings.Zone(zeAlarm, zone));
        StepProgress();
        m_device->WriteZoneRestore(relay, zone, settings.Zone(zeRestore, zone));
        StepProgress();
        m_device->WriteZoneFault(relay, zone, settings.Zone(zeFault, zone));
        StepProgress();
    }
    for (int partition = 1; partition <= kTableWidth; ++partition) {
        m_device->WritePartitionArming(relay, partition, settings.Partition(peArm, partition));
        StepProgress();
        m_device->WritePartitionDisarming(relay, partition,
                                          settings.Partition(peDisarm, partition));
        StepProgress();
        m_device->WritePartitionAlarm(relay, partition, settings.Partition(peAlarm, partition));
        StepProgress();
    }

    auto writeCondition = [&](auto write, TRelayCondition condition) {
        (m_device.get()->*write)(relay, 0, settings.NoOf(condition));
        StepProgress();
        (m_device.get()->*write)(relay, 1, settings.YesOf(condition));
        StepProgress();
    };
    writeCondition(&TDevRelay::WritePanelLink, rcPanelLink);
    writeCondition(&TDevRelay::WriteJournal, rcJournal);
    writeCondition(&TDevRelay::WritePower, rcPower);
    writeCondition(&TDevRelay::WriteFire, rcFire);
    writeCondition(&TDevRelay::WriteDelay, rcDelay);

    m_view.HideProgress();
}

void TDeviceController::ReleaseDevice() {
    for (int i = 0; i < kReleaseBrackets; ++i) {
        m_slowSend(kReleaseBracket);
    }
    m_device->SendRbCommand();
}
