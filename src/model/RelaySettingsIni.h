// The keys under which a relay's settings live in a settings file, shared by the relay page and
// by programs without pages (the module emulator).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "model/RelaySettings.h"

class TIniFile;

// The relay's pulse duration, as the page's edit text.
inline constexpr const char* kDurationKey = "etDuration";
// The common page's section and its object number.
inline constexpr const char* kCommonSectionName = "FormCommon";
inline constexpr const char* kObjectNumberKey = "etO";

// A duration as the page's edit holds it when sound: one to three decimal digits, 0..255. Any
// other text in a file is clamped on load, and the load says so.
bool IsPlainDuration(const std::string& text);

// "FormRelay" for relay 1, "FormRelay_1" ... "FormRelay_4" for relays 2 to 5.
std::string RelaySectionName(int relayNumber);

// The keys of the table cells and conditions: "Z13" is zone 3 of the alarms row, "P21" partition 1
// of the arming row, "Yes2"/"No2" the states of the journal condition.
std::string ZoneKey(TZoneEvent e, int zone);
std::string PartitionKey(TPartitionEvent e, int partition);
std::string ConditionKey(TRelayCondition c, bool yes);

// Visits every value of the relay with its key, in the order a new file receives them:
// "etDuration", then the table keys.
void ForEachRelayValue(
    TRelaySettings& settings,
    const std::function<void(const std::string& key, std::int32_t& value)>& visit);

// The whole relay as the page writes it: "etDuration" as text first, then the 106 table keys
// (P11..P316 and Z11..Z316 by rows, then Yes1/No1 .. Yes5/No5) as decimal integers, in the order
// a new file receives them.
void SaveRelaySettings(TIniFile& ini, const TRelaySettings& settings);
// Reads "etDuration" (clamped to 0..255 as the page's edit does) and the tables from the relay's
// own section, chosen by settings.Number; a missing key, or a table key that holds no integer,
// keeps the current value.
void LoadRelaySettings(const TIniFile& ini, TRelaySettings& settings);

// Replaces every reaction code outside 0..4 with "no reaction" and gives the key and the old
// code of each, in file order: what a page cannot show, it must not keep and send.
std::vector<std::pair<std::string, TRelayReaction>> ReplaceCodesOutOfRange(
    TRelaySettings& settings);
