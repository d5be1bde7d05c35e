// Captions are Cyrillic, so the columns are measured in characters, not bytes.
#include "cli/SettingsTable.h"

#include <algorithm>
#include <vector>

#include "cli/ConsoleText.h"
#include "model/ModuleCompare.h"
#include "model/RelayCaptions.h"

std::string SettingsTable(const TModuleSettings& settings) {
    std::vector<std::string> captions;
    for (TZoneEvent e : {zeAlarm, zeRestore, zeFault}) {
        captions.push_back(std::string("Зоны / ") + ZoneRowCaption(e));
    }
    for (TPartitionEvent e : {peArm, peDisarm, peAlarm}) {
        captions.push_back(std::string("Разделы / ") + PartitionRowCaption(e));
    }
    std::size_t captionWidth = 0;
    for (const std::string& caption : captions) {
        captionWidth = std::max(captionWidth, TextWidth(caption));
    }
    for (TRelayCondition c : {rcPanelLink, rcJournal, rcPower, rcFire, rcDelay}) {
        captionWidth = std::max(captionWidth, TextWidth(ConditionCaption(c)));
    }
    auto row = [&](const std::string& caption, const TReactionRow& codes) {
        std::string line = "  " + PaddedTo(caption, captionWidth);
        for (TRelayReaction code : codes) {
            line += " " + PaddedTo(std::to_string(code), 2);
        }
        while (line.ends_with(' ')) {
            line.pop_back();
        }
        return line + "\n";
    };
    std::string text = "Номер объекта: " + settings.Common.ObjectNumber + "\n";
    for (const TRelaySettings& relay : settings.Relays) {
        text += "\n" + RelayPageCaption(relay.Number) + ", длительность " +
                std::to_string(relay.Duration) + "\n";
        std::string header = "  " + std::string(captionWidth, ' ');
        for (int n = 1; n <= kTableWidth; ++n) {
            header += " " + PaddedTo(std::to_string(n), 2);
        }
        while (header.ends_with(' ')) {
            header.pop_back();
        }
        text += header + "\n";
        std::size_t i = 0;
        for (TZoneEvent e : {zeAlarm, zeRestore, zeFault}) {
            text += row(captions.at(i++), relay.ZoneRow(e));
        }
        for (TPartitionEvent e : {peArm, peDisarm, peAlarm}) {
            text += row(captions.at(i++), relay.PartitionRow(e));
        }
        for (TRelayCondition c : {rcPanelLink, rcJournal, rcPower, rcFire, rcDelay}) {
            text += "  " + PaddedTo(ConditionCaption(c), captionWidth) + " " +
                    ConditionStateCaption(c, true) + ": " + std::to_string(relay.YesOf(c)) + ", " +
                    ConditionStateCaption(c, false) + ": " + std::to_string(relay.NoOf(c)) + "\n";
        }
    }
    text += "\nКоды:";
    for (TRelayReaction code = rrOn; code <= rrNone; ++code) {
        text += " " + std::to_string(code) + " " + ReactionName(code) + (code < rrNone ? "," : "");
    }
    return text + "\n";
}
