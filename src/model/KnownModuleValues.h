// What a module holds as far as one connection has seen it: each value the module gave in a read
// or acknowledged in a write. A value never seen is unknown, and nothing is compared with it.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>

#include "model/ModuleSettings.h"
#include "model/ModuleValueSet.h"
#include "model/SettingsHistory.h"

class TKnownModuleValues {
  public:
    // One bit per place of a relay's values, in RelayValueAt's order.
    using TRelayPlaces = std::bitset<kRelayValueCount>;

    // The module gave this object number, or acknowledged its write.
    void NoteObjectNumber(int number);
    // The module gave this value of relay 1..5 at the place, or acknowledged its write.
    void NoteRelayValue(int relay, int place, std::int32_t value);
    // Forgets everything: a new connection knows nothing yet.
    void Forget();

    bool ObjectNumberKnown() const { return m_objectNumberKnown; }
    bool Known(int relay, int place) const { return m_relayKnown.at(relay - 1).test(place); }
    const TRelayPlaces& KnownPlaces(int relay) const { return m_relayKnown.at(relay - 1); }
    bool RelayKnown(int relay) const { return m_relayKnown.at(relay - 1).all(); }
    bool WholeModuleKnown() const;
    bool NothingKnown() const;
    // The known values; an unknown place holds its default and means nothing.
    const TModuleSettings& Values() const { return m_values; }

    // Every known place whose page value differs from the module's (object numbers as numbers),
    // named by settings-file section and key.
    TModuleValueSet UnwrittenPlaces(const TModuleSettings& pages) const;
    // How many values of a page differ from the module's known ones: page 0 is the common page,
    // 1..5 the relays.
    int UnwrittenCount(const TModuleSettings& pages, int page) const;
    int UnwrittenCount(const TModuleSettings& pages) const;

  private:
    TModuleSettings m_values;
    std::array<TRelayPlaces, kRelayCount> m_relayKnown{};
    bool m_objectNumberKnown = false;
};

// The settings-file key of a relay value's place in RelayValueAt's order ("etDuration", "Z11",
// "P316", "Yes1", "No5").
std::string RelayValueKey(int place);
// The place of a relay value's key; none for a key that names no relay value.
std::optional<int> RelayPlaceOfKey(const std::string& key);
