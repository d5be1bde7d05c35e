// The undo and redo history of the pages' values: each step keeps only the values it changed, so
// the history costs memory by the changes it holds, not by pages times steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "model/ModuleSettings.h"

class TSettingsHistory {
  public:
    // The oldest steps give way once the history holds `limit` steps.
    static constexpr std::size_t kDefaultLimit = 1000;
    explicit TSettingsHistory(std::size_t limit = kDefaultLimit);

    // Records the step named `name` ("Реле 2, Все — Тревоги") that took the pages from `before` to
    // `after`, and forgets what could be redone. A step that changes nothing is not recorded, and
    // the result says so.
    bool Record(std::string name, const TModuleSettings& before, const TModuleSettings& after);

    bool CanUndo() const { return !m_done.empty(); }
    bool CanRedo() const { return !m_undone.empty(); }
    // The names of the step an undo or a redo would take back or make again; empty when none.
    std::string UndoName() const;
    std::string RedoName() const;

    // Gives `settings` (the pages' values now) the values they had before the last step, and
    // keeps the step for a redo; false, with nothing changed, when there is nothing to undo.
    bool Undo(TModuleSettings& settings);
    // Makes the last undone step again; false, with nothing changed, when there is none.
    bool Redo(TModuleSettings& settings);

    void Clear();
    std::size_t UndoCount() const { return m_done.size(); }
    std::size_t RedoCount() const { return m_undone.size(); }
    // What the steps hold in memory, in bytes, as far as this class allocates it.
    std::size_t MemoryBytes() const;

  private:
    // One relay value: the relay (0-based), the value's place in RelayValueAt's order, and the
    // value before and after the step.
    struct TRelayChange {
        std::uint8_t Relay;
        std::uint8_t Place;
        std::int32_t Before;
        std::int32_t After;
    };
    struct TObjectNumberChange {
        std::string Before;
        std::string After;
    };
    struct TStep {
        std::string Name;
        std::vector<TRelayChange> RelayChanges;
        std::optional<TObjectNumberChange> ObjectNumber;
    };

    static void Apply(const TStep& step, TModuleSettings& settings, bool forward);
    static std::size_t StepBytes(const TStep& step);

    std::size_t m_limit;
    std::deque<TStep> m_done;
    std::vector<TStep> m_undone;
};

// The relay's values in one order: the duration, the zone rows, the partition rows, then the
// conditions' Yes and No states; place runs from 0 to kRelayValueCount - 1.
inline constexpr int kRelayValueCount = 1 + 2 * kEventRowCount * kTableWidth + 2 * kConditionCount;
std::int32_t& RelayValueAt(TRelaySettings& relay, int place);
// The places of a relay's values in that order.
inline constexpr int kDurationPlace = 0;
constexpr int ZonePlace(TZoneEvent e, int zone) {
    return 1 + (e - 1) * kTableWidth + (zone - 1);
}
constexpr int PartitionPlace(TPartitionEvent e, int partition) {
    return 1 + kEventRowCount * kTableWidth + (e - 1) * kTableWidth + (partition - 1);
}
constexpr int ConditionPlace(TRelayCondition c, bool yes) {
    return 1 + 2 * kEventRowCount * kTableWidth + (yes ? 0 : kConditionCount) + (c - 1);
}
std::int32_t RelayValueAt(const TRelaySettings& relay, int place);
