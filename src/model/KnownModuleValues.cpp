// The module's values one connection has seen, and where the pages differ from them.
#include "model/KnownModuleValues.h"

#include <algorithm>
#include <stdexcept>

#include "model/ModuleCompare.h"
#include "model/RelaySettingsIni.h"

void TKnownModuleValues::NoteObjectNumber(int number) {
    m_values.Common.ObjectNumber = std::to_string(number);
    m_objectNumberKnown = true;
}

void TKnownModuleValues::NoteRelayValue(int relay, int place, std::int32_t value) {
    RelayValueAt(m_values.Relays.at(relay - 1), place) = value;
    m_relayKnown.at(relay - 1).set(place);
}

void TKnownModuleValues::Forget() {
    *this = TKnownModuleValues();
}

bool TKnownModuleValues::WholeModuleKnown() const {
    return m_objectNumberKnown &&
           std::all_of(m_relayKnown.begin(), m_relayKnown.end(),
                       [](const TRelayPlaces& places) { return places.all(); });
}

bool TKnownModuleValues::NothingKnown() const {
    return !m_objectNumberKnown &&
           std::all_of(m_relayKnown.begin(), m_relayKnown.end(),
                       [](const TRelayPlaces& places) { return places.none(); });
}

TModuleValueSet TKnownModuleValues::UnwrittenPlaces(const TModuleSettings& pages) const {
    TModuleValueSet places;
    if (m_objectNumberKnown &&
        !SameObjectNumber(m_values.Common.ObjectNumber, pages.Common.ObjectNumber)) {
        places.Add(kCommonSectionName, kObjectNumberKey);
    }
    for (int relay = 1; relay <= kRelayCount; ++relay) {
        const TRelayPlaces& known = m_relayKnown.at(relay - 1);
        for (int place = 0; place < kRelayValueCount; ++place) {
            if (known.test(place) && RelayValueAt(m_values.Relays.at(relay - 1), place) !=
                                         RelayValueAt(pages.Relays.at(relay - 1), place)) {
                places.Add(RelaySectionName(relay), RelayValueKey(place));
            }
        }
    }
    return places;
}

int TKnownModuleValues::UnwrittenCount(const TModuleSettings& pages, int page) const {
    if (page == 0) {
        return m_objectNumberKnown &&
                       !SameObjectNumber(m_values.Common.ObjectNumber, pages.Common.ObjectNumber)
                   ? 1
                   : 0;
    }
    const TRelayPlaces& known = m_relayKnown.at(page - 1);
    int count = 0;
    for (int place = 0; place < kRelayValueCount; ++place) {
        if (known.test(place) && RelayValueAt(m_values.Relays.at(page - 1), place) !=
                                     RelayValueAt(pages.Relays.at(page - 1), place)) {
            ++count;
        }
    }
    return count;
}

int TKnownModuleValues::UnwrittenCount(const TModuleSettings& pages) const {
    int count = 0;
    for (int page = 0; page <= kRelayCount; ++page) {
        count += UnwrittenCount(pages, page);
    }
    return count;
}

std::string RelayValueKey(int place) {
    if (place < 0 || place >= kRelayValueCount) {
        throw std::out_of_range("relay value place " + std::to_string(place));
    }
    if (place == 0) {
        return kDurationKey;
    }
    int index = place - 1;
    constexpr int kTableSize = kEventRowCount * kTableWidth;
    if (index < kTableSize) {
        return ZoneKey(static_cast<TZoneEvent>(index / kTableWidth + 1), index % kTableWidth + 1);
    }
    index -= kTableSize;
    if (index < kTableSize) {
        return PartitionKey(static_cast<TPartitionEvent>(index / kTableWidth + 1),
                            index % kTableWidth + 1);
    }
    index -= kTableSize;
    if (index < kConditionCount) {
        return ConditionKey(static_cast<TRelayCondition>(index + 1), true);
    }
    index -= kConditionCount;
    return ConditionKey(static_cast<TRelayCondition>(index + 1), false);
}

std::optional<int> RelayPlaceOfKey(const std::string& key) {
    for (int place = 0; place < kRelayValueCount; ++place) {
        if (RelayValueKey(place) == key) {
            return place;
        }
    }
    return std::nullopt;
}
