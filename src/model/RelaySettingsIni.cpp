// The keys of a relay's settings in a settings file, in the order a new file receives them.
#include "model/RelaySettingsIni.h"

#include "ini/IniFile.h"
#include "model/EditValue.h"

namespace {

std::string CellKey(char table, int row, int number) {
    return table + std::to_string(row) + std::to_string(number);
}

// Visits every table key with its code, in file order: per row the partitions, then the zones;
// then each condition's first and second state.
template <typename TSettings, typename TVisit>
void ForEachTableKey(TSettings& settings, TVisit visit) {
    for (int e = 1; e <= kEventRowCount; ++e) {
        for (int n = 1; n <= kTableWidth; ++n) {
            visit(PartitionKey(static_cast<TPartitionEvent>(e), n),
                  settings.Partition(static_cast<TPartitionEvent>(e), n));
        }
        for (int n = 1; n <= kTableWidth; ++n) {
            visit(ZoneKey(static_cast<TZoneEvent>(e), n),
                  settings.Zone(static_cast<TZoneEvent>(e), n));
        }
    }
    for (int c = 1; c <= kConditionCount; ++c) {
        const auto condition = static_cast<TRelayCondition>(c);
        visit(ConditionKey(condition, true), settings.YesOf(condition));
        visit(ConditionKey(condition, false), settings.NoOf(condition));
    }
}

// The 106 table keys, each as a decimal integer.
void SaveRelayTables(TIniFile& ini, const std::string& section, const TRelaySettings& settings) {
    ForEachTableKey(settings, [&](const std::string& key, TRelayReaction code) {
        ini.WriteInteger(section, key, code);
    });
}

// Reads the same keys; a missing key or one that holds no integer keeps the current value.
void LoadRelayTables(const TIniFile& ini, const std::string& section, TRelaySettings& settings) {
    ForEachTableKey(settings, [&](const std::string& key, TRelayReaction& code) {
        code = ini.ReadInteger(section, key, code);
    });
}

}  // namespace

std::string ZoneKey(TZoneEvent e, int zone) {
    return CellKey('Z', e, zone);
}

std::string PartitionKey(TPartitionEvent e, int partition) {
    return CellKey('P', e, partition);
}

std::string ConditionKey(TRelayCondition c, bool yes) {
    return (yes ? "Yes" : "No") + std::to_string(static_cast<int>(c));
}

void ForEachRelayValue(
    TRelaySettings& settings,
    const std::function<void(const std::string& key, std::int32_t& value)>& visit) {
    visit(kDurationKey, settings.Duration);
    ForEachTableKey(settings, visit);
}

bool IsPlainDuration(const std::string& text) {
    return IsPlainNumber(text, 3) && std::stoi(text) <= kMaxDuration;
}

std::string RelaySectionName(int relayNumber) {
    return relayNumber == 1 ? std::string("FormRelay")
                            : "FormRelay_" + std::to_string(relayNumber - 1);
}

void SaveRelaySettings(TIniFile& ini, const TRelaySettings& settings) {
    const auto section = RelaySectionName(settings.Number);
    ini.WriteString(section, kDurationKey, std::to_string(settings.Duration));
    SaveRelayTables(ini, section, settings);
}

void LoadRelaySettings(const TIniFile& ini, TRelaySettings& settings) {
    const auto section = RelaySectionName(settings.Number);
    if (ini.ValueExists(section, kDurationKey)) {
        settings.Duration =
            ClampedEditValue(ini.ReadString(section, kDurationKey, ""), 0, 0, kMaxDuration);
    }
    LoadRelayTables(ini, section, settings);
}

std::vector<std::pair<std::string, TRelayReaction>> ReplaceCodesOutOfRange(
    TRelaySettings& settings) {
    std::vector<std::pair<std::string, TRelayReaction>> replaced;
    ForEachTableKey(settings, [&](const std::string& key, TRelayReaction& code) {
        if (!IsReactionCode(code)) {
            replaced.emplace_back(key, code);
            code = rrNone;
        }
    });
    return replaced;
}
