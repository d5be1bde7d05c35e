// The settings of one relay: which reaction each panel event and condition triggers.
#pragma once

#include <array>
#include <cstdint>

// A reaction code. Values outside 0..4 can come from a settings file: the pages replace them on
// load, the module emulator carries them unchanged.
using TRelayReaction = std::int32_t;
constexpr TRelayReaction rrOn = 0;
constexpr TRelayReaction rrOnTimed = 1;
constexpr TRelayReaction rrOff = 2;
constexpr TRelayReaction rrOn1Hz = 3;
constexpr TRelayReaction rrNone = 4;

// The codes a page shows and the module takes: 0..4.
constexpr bool IsReactionCode(TRelayReaction code) {
    return code >= rrOn && code <= rrNone;
}

enum TZoneEvent : int { zeAlarm = 1, zeRestore = 2, zeFault = 3 };
enum TPartitionEvent : int { peArm = 1, peDisarm = 2, peAlarm = 3 };
enum TRelayCondition : int { rcPanelLink = 1, rcJournal = 2, rcPower = 3, rcFire = 4, rcDelay = 5 };

constexpr int kRelayCount = 5;
constexpr int kEventRowCount = 3;
constexpr int kTableWidth = 16;  // zones or partitions per row
constexpr int kConditionCount = 5;
constexpr int kMaxDuration = 255;
// Object numbers of the module run from 0 to 99.
constexpr int kMaxObjectNumber = 99;

// One row of a table: element n-1 holds zone or partition n.
using TReactionRow = std::array<TRelayReaction, kTableWidth>;

// Indexes follow the numbering of the events and conditions, which starts at 1; the accessors
// take those numbers so that callers never shift by one themselves.
struct TRelaySettings {
    std::int32_t Number = 0;
    std::array<TReactionRow, kEventRowCount> Zones{};
    std::array<TReactionRow, kEventRowCount> Partitions{};
    std::array<TRelayReaction, kConditionCount> Yes{};
    std::array<TRelayReaction, kConditionCount> No{};
    std::int32_t Duration = 0;

    TReactionRow& ZoneRow(TZoneEvent e) { return Zones.at(e - 1); }
    const TReactionRow& ZoneRow(TZoneEvent e) const { return Zones.at(e - 1); }
    TReactionRow& PartitionRow(TPartitionEvent e) { return Partitions.at(e - 1); }
    const TReactionRow& PartitionRow(TPartitionEvent e) const { return Partitions.at(e - 1); }
    TRelayReaction& Zone(TZoneEvent e, int zone) { return ZoneRow(e).at(zone - 1); }
    TRelayReaction Zone(TZoneEvent e, int zone) const { return ZoneRow(e).at(zone - 1); }
    TRelayReaction& Partition(TPartitionEvent e, int p) { return PartitionRow(e).at(p - 1); }
    TRelayReaction Partition(TPartitionEvent e, int p) const { return PartitionRow(e).at(p - 1); }
    TRelayReaction& YesOf(TRelayCondition c) { return Yes.at(c - 1); }
    TRelayReaction YesOf(TRelayCondition c) const { return Yes.at(c - 1); }
    TRelayReaction& NoOf(TRelayCondition c) { return No.at(c - 1); }
    TRelayReaction NoOf(TRelayCondition c) const { return No.at(c - 1); }

    bool operator==(const TRelaySettings&) const = default;
};

// A click steps a code forward (0,1,2,3,4,0) or back (4,3,2,1,0,4); any integer steps.
void NextReaction(TRelayReaction& code);
void PrevReaction(TRelayReaction& code);

// The module's letters of the tables and conditions.
char ZoneEventLetter(TZoneEvent e);            // A, R, E
char PartitionEventLetter(TPartitionEvent e);  // M, D, L
char ConditionLetter(TRelayCondition c);       // C, Y, P, F, W

// The module's sub-index (0 or 1) that carries a condition's first state (Yes); the second
// state (No) travels under the other one. Fire alarm and delay are the inverted ones.
int YesSubIndex(TRelayCondition c);
