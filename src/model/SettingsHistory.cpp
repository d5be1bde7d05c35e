#include "model/SettingsHistory.h"

#include <stdexcept>
#include <utility>

std::int32_t& RelayValueAt(TRelaySettings& relay, int place) {
    if (place < 0) {
        throw std::out_of_range("relay value place " + std::to_string(place));
    }
    if (place == 0) {
        return relay.Duration;
    }
    int index = place - 1;
    constexpr int kTableSize = kEventRowCount * kTableWidth;
    if (index < kTableSize) {
        return relay.Zones.at(index / kTableWidth).at(index % kTableWidth);
    }
    index -= kTableSize;
    if (index < kTableSize) {
        return relay.Partitions.at(index / kTableWidth).at(index % kTableWidth);
    }
    index -= kTableSize;
    if (index < kConditionCount) {
        return relay.Yes.at(index);
    }
    index -= kConditionCount;
    if (index < kConditionCount) {
        return relay.No.at(index);
    }
    throw std::out_of_range("relay value place " + std::to_string(place));
}

std::int32_t RelayValueAt(const TRelaySettings& relay, int place) {
    // The same places as the writable form; nothing is written through the reference.
    return RelayValueAt(const_cast<TRelaySettings&>(relay), place);
}

TSettingsHistory::TSettingsHistory(std::size_t limit) : m_limit(limit == 0 ? 1 : limit) {}

bool TSettingsHistory::Record(std::string name, const TModuleSettings& before,
                              const TModuleSettings& after) {
    TStep step{std::move(name), {}, std::nullopt};
    for (int relay = 0; relay < kRelayCount; ++relay) {
        for (int place = 0; place < kRelayValueCount; ++place) {
            const std::int32_t a = RelayValueAt(before.Relays.at(relay), place);
            const std::int32_t b = RelayValueAt(after.Relays.at(relay), place);
            if (a != b) {
                step.RelayChanges.push_back(
                    {static_cast<std::uint8_t>(relay), static_cast<std::uint8_t>(place), a, b});
            }
        }
    }
    if (before.Common.ObjectNumber != after.Common.ObjectNumber) {
        step.ObjectNumber =
            TObjectNumberChange{before.Common.ObjectNumber, after.Common.ObjectNumber};
    }
    if (step.RelayChanges.empty() && !step.ObjectNumber) {
        return false;
    }
    step.RelayChanges.shrink_to_fit();
    m_done.push_back(std::move(step));
    while (m_done.size() > m_limit) {
        m_done.pop_front();
    }
    m_undone.clear();
    return true;
}

std::string TSettingsHistory::UndoName() const {
    return m_done.empty() ? std::string() : m_done.back().Name;
}

std::string TSettingsHistory::RedoName() const {
    return m_undone.empty() ? std::string() : m_undone.back().Name;
}

void TSettingsHistory::Apply(const TStep& step, TModuleSettings& settings, bool forward) {
    for (const TRelayChange& change : step.RelayChanges) {
        RelayValueAt(settings.Relays.at(change.Relay), change.Place) =
            forward ? change.After : change.Before;
    }
    if (step.ObjectNumber) {
        settings.Common.ObjectNumber =
            forward ? step.ObjectNumber->After : step.ObjectNumber->Before;
    }
}

bool TSettingsHistory::Undo(TModuleSettings& settings) {
    if (m_done.empty()) {
        return false;
    }
    Apply(m_done.back(), settings, false);
    m_undone.push_back(std::move(m_done.back()));
    m_done.pop_back();
    return true;
}

bool TSettingsHistory::Redo(TModuleSettings& settings) {
    if (m_undone.empty()) {
        return false;
    }
    Apply(m_undone.back(), settings, true);
    m_done.push_back(std::move(m_undone.back()));
    m_undone.pop_back();
    return true;
}

void TSettingsHistory::Clear() {
    m_done.clear();
    m_undone.clear();
}

std::size_t TSettingsHistory::StepBytes(const TStep& step) {
    std::size_t bytes =
        sizeof(TStep) + step.Name.capacity() + step.RelayChanges.capacity() * sizeof(TRelayChange);
    if (step.ObjectNumber) {
        bytes += step.ObjectNumber->Before.capacity() + step.ObjectNumber->After.capacity();
    }
    return bytes;
}

std::size_t TSettingsHistory::MemoryBytes() const {
    std::size_t bytes = 0;
    for (const TStep& step : m_done) {
        bytes += StepBytes(step);
    }
    for (const TStep& step : m_undone) {
        bytes += StepBytes(step);
    }
    return bytes;
}
