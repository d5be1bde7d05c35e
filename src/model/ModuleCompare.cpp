// Walks two module settings in the order of the module's writes and names what differs.
#include "model/ModuleCompare.h"

#include "model/EditValue.h"
#include "model/RelayCaptions.h"
#include "model/RelaySettingsIni.h"

bool SameObjectNumber(const std::string& a, const std::string& b) {
    if (IsPlainNumber(a, 9) && IsPlainNumber(b, 9)) {
        return std::stoi(a) == std::stoi(b);
    }
    return a == b;
}

std::string TSettingsDifference::Text(const std::string& otherSide) const {
    std::string text = Page + ", " + Row;
    if (!Column.empty()) {
        text += ", " + Column;
    }
    return text + ": в модуле «" + ModuleValue + "», " + otherSide + " «" + PagesValue + "»";
}

std::string TableKeyPlace(const std::string& key) {
    for (int e = 1; e <= kEventRowCount; ++e) {
        for (int n = 1; n <= kTableWidth; ++n) {
            const std::string cell = std::to_string(e) + std::to_string(n);
            if (key == "Z" + cell) {
                return std::string("Зоны / ") + ZoneRowCaption(static_cast<TZoneEvent>(e)) + ", " +
                       std::to_string(n);
            }
            if (key == "P" + cell) {
                return std::string("Разделы / ") +
                       PartitionRowCaption(static_cast<TPartitionEvent>(e)) + ", " +
                       std::to_string(n);
            }
        }
    }
    for (int c = 1; c <= kConditionCount; ++c) {
        const auto condition = static_cast<TRelayCondition>(c);
        for (const bool yes : {true, false}) {
            if (key == (yes ? "Yes" : "No") + std::to_string(c)) {
                return std::string(ConditionCaption(condition)) + ", " +
                       ConditionStateCaption(condition, yes);
            }
        }
    }
    return key;
}

std::string ReplacementText(const std::string& page, const std::string& place,
                            const std::string& value, const std::string& shownInstead) {
    return page + ", " + place + ": " + value + " заменено на «" + shownInstead + "»";
}

std::vector<TSettingsDifference> CompareSettings(const TModuleSettings& module,
                                                 const TModuleSettings& pages) {
    std::vector<TSettingsDifference> differences;
    if (!SameObjectNumber(module.Common.ObjectNumber, pages.Common.ObjectNumber)) {
        differences.push_back({kCommonPageCaption, "Объект / Номер объекта", "",
                               module.Common.ObjectNumber, pages.Common.ObjectNumber,
                               kCommonSectionName, kObjectNumberKey, std::nullopt, std::nullopt});
    }
    for (int n = 1; n <= kRelayCount; ++n) {
        const TRelaySettings& m = module.Relays.at(n - 1);
        const TRelaySettings& p = pages.Relays.at(n - 1);
        const std::string page = RelayPageCaption(n);
        const std::string section = RelaySectionName(n);
        if (m.Duration != p.Duration) {
            differences.push_back({page, "Импульс / Длительность", "", std::to_string(m.Duration),
                                   std::to_string(p.Duration), section, kDurationKey, std::nullopt,
                                   std::nullopt});
        }
        auto compare = [&](const std::string& row, const std::string& column, TRelayReaction a,
                           TRelayReaction b, const std::string& key) {
            if (a != b) {
                differences.push_back(
                    {page, row, column, ReactionName(a), ReactionName(b), section, key, a, b});
            }
        };
        for (int zone = 1; zone <= kTableWidth; ++zone) {
            for (TZoneEvent e : {zeAlarm, zeRestore, zeFault}) {
                compare(std::string("Зоны / ") + ZoneRowCaption(e), std::to_string(zone),
                        m.Zone(e, zone), p.Zone(e, zone), ZoneKey(e, zone));
            }
        }
        for (int partition = 1; partition <= kTableWidth; ++partition) {
            for (TPartitionEvent e : {peArm, peDisarm, peAlarm}) {
                compare(std::string("Разделы / ") + PartitionRowCaption(e),
                        std::to_string(partition), m.Partition(e, partition),
                        p.Partition(e, partition), PartitionKey(e, partition));
            }
        }
        for (TRelayCondition c : {rcPanelLink, rcJournal, rcPower, rcFire, rcDelay}) {
            compare(ConditionCaption(c), ConditionStateCaption(c, false), m.NoOf(c), p.NoOf(c),
                    ConditionKey(c, false));
            compare(ConditionCaption(c), ConditionStateCaption(c, true), m.YesOf(c), p.YesOf(c),
                    ConditionKey(c, true));
        }
    }
    return differences;
}
