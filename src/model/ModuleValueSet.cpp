// The set is small (at most 536 names) and built once per command, so an ordered set does.
#include "model/ModuleValueSet.h"

#include "model/ModuleCompare.h"
#include "model/RelayCaptions.h"
#include "model/RelaySettingsIni.h"

namespace {

// The relay's values in the order of their keys, to walk beside another relay's.
std::vector<std::int32_t> ValuesInKeyOrder(TRelaySettings relay) {
    std::vector<std::int32_t> values;
    ForEachRelayValue(relay,
                      [&](const std::string&, std::int32_t& value) { values.push_back(value); });
    return values;
}

}  // namespace

void TModuleValueSet::Add(const std::string& section, const std::string& key) {
    m_values.emplace(section, key);
}

bool TModuleValueSet::Contains(const std::string& section, const std::string& key) const {
    return m_values.contains({section, key});
}

TModuleValueSet TModuleValueSet::Whole() {
    TModuleValueSet whole;
    whole.Add(kCommonSectionName, kObjectNumberKey);
    TModuleSettings settings;
    for (TRelaySettings& relay : settings.Relays) {
        const std::string section = RelaySectionName(relay.Number);
        ForEachRelayValue(relay,
                          [&](const std::string& key, std::int32_t&) { whole.Add(section, key); });
    }
    return whole;
}

TModuleSettings OverlaidSettings(const TModuleSettings& base, const TModuleSettings& values,
                                 const TModuleValueSet& places) {
    TModuleSettings result = base;
    if (places.Contains(kCommonSectionName, kObjectNumberKey)) {
        result.Common.ObjectNumber = values.Common.ObjectNumber;
    }
    for (int n = 1; n <= kRelayCount; ++n) {
        const std::string section = RelaySectionName(n);
        // Both relays are walked in the same key order, so the n-th visit is the same value.
        const std::vector<std::int32_t> sourceValues = ValuesInKeyOrder(values.Relays.at(n - 1));
        std::size_t index = 0;
        ForEachRelayValue(result.Relays.at(n - 1),
                          [&](const std::string& key, std::int32_t& value) {
                              if (places.Contains(section, key)) {
                                  value = sourceValues.at(index);
                              }
                              ++index;
                          });
    }
    return result;
}

TModuleValueSet DifferingPlaces(const TModuleValueSet& places, const TModuleSettings& values,
                                const TModuleSettings& module) {
    TModuleValueSet differing;
    if (places.Contains(kCommonSectionName, kObjectNumberKey) &&
        !SameObjectNumber(values.Common.ObjectNumber, module.Common.ObjectNumber)) {
        differing.Add(kCommonSectionName, kObjectNumberKey);
    }
    for (int n = 1; n <= kRelayCount; ++n) {
        const std::string section = RelaySectionName(n);
        const std::vector<std::int32_t> moduleValues = ValuesInKeyOrder(module.Relays.at(n - 1));
        TRelaySettings relay = values.Relays.at(n - 1);
        std::size_t index = 0;
        ForEachRelayValue(relay, [&](const std::string& key, std::int32_t& value) {
            if (places.Contains(section, key) && value != moduleValues.at(index)) {
                differing.Add(section, key);
            }
            ++index;
        });
    }
    return differing;
}

std::vector<std::string> PagesOf(const TModuleValueSet& places) {
    std::vector<std::string> pages;
    if (places.Contains(kCommonSectionName, kObjectNumberKey)) {
        pages.emplace_back(kCommonPageCaption);
    }
    for (int n = 1; n <= kRelayCount; ++n) {
        const std::string section = RelaySectionName(n);
        TRelaySettings relay;
        bool held = false;
        ForEachRelayValue(relay, [&](const std::string& key, std::int32_t&) {
            held = held || places.Contains(section, key);
        });
        if (held) {
            pages.push_back(RelayPageCaption(n));
        }
    }
    return pages;
}
