// Reaction code stepping, the module's letters and sub-indices, and the settings' numbering.
#include <gtest/gtest.h>

#include <climits>

#include "model/RelaySettings.h"

struct TStepCase {
    const char* Name;
    TRelayReaction From;
    TRelayReaction Next;
    TRelayReaction Prev;
};

TEST(ReactionStepping, StepsEveryValueForwardAndBack) {
    const TStepCase cases[] = {
        {"switch on", rrOn, rrOnTimed, rrNone},
        {"switch on for a time", rrOnTimed, rrOff, rrOn},
        {"switch off", rrOff, rrOn1Hz, rrOnTimed},
        {"switch on at 1 Hz", rrOn1Hz, rrNone, rrOff},
        {"no reaction wraps forward to switch on", rrNone, rrOn, rrOn1Hz},
        {"7 from a file", 7, rrOn, 6},
        {"-1 from a file", -1, rrOn, rrNone},
        {"smallest integer", INT_MIN, INT_MIN + 1, rrNone},
        {"largest integer", INT_MAX, rrOn, INT_MAX - 1},
    };
    for (const TStepCase& c : cases) {
        TRelayReaction next = c.From;
        NextReaction(next);
        EXPECT_EQ(next, c.Next) << c.Name;
        TRelayReaction prev = c.From;
        PrevReaction(prev);
        EXPECT_EQ(prev, c.Prev) << c.Name;
    }
}

TEST(ReactionStepping, FiveForwardStepsComeBackToTheStart) {
    TRelayReaction code = rrOn;
    for (TRelayReaction expected : {rrOnTimed, rrOff, rrOn1Hz, rrNone, rrOn}) {
        NextReaction(code);
        EXPECT_EQ(code, expected);
    }
}

TEST(ModuleLetters, EveryRowAndConditionHasItsLetter) {
    EXPECT_EQ(ZoneEventLetter(zeAlarm), 'A');
    EXPECT_EQ(ZoneEventLetter(zeRestore), 'R');
    EXPECT_EQ(ZoneEventLetter(zeFault), 'E');
    EXPECT_EQ(PartitionEventLetter(peArm), 'M');
    EXPECT_EQ(PartitionEventLetter(peDisarm), 'D');
    EXPECT_EQ(PartitionEventLetter(peAlarm), 'L');
    EXPECT_EQ(ConditionLetter(rcPanelLink), 'C');
    EXPECT_EQ(ConditionLetter(rcJournal), 'Y');
    EXPECT_EQ(ConditionLetter(rcPower), 'P');
    EXPECT_EQ(ConditionLetter(rcFire), 'F');
    EXPECT_EQ(ConditionLetter(rcDelay), 'W');
}

TEST(ModuleSubIndex, FireAndDelaySendTheirFirstRowAsZeroTheOthersAsOne) {
    const struct {
        TRelayCondition Condition;
        int Yes;
    } cases[] = {{rcPanelLink, 1}, {rcJournal, 1}, {rcPower, 1}, {rcFire, 0}, {rcDelay, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(YesSubIndex(c.Condition), c.Yes) << ConditionLetter(c.Condition);
    }
}

TEST(RelaySettingsModel, StartsWithEveryCodeSwitchOnAndDurationZero) {
    const TRelaySettings settings;
    for (const TReactionRow& row : settings.Zones) {
        for (TRelayReaction code : row) {
            EXPECT_EQ(code, rrOn);
        }
    }
    for (const TReactionRow& row : settings.Partitions) {
        for (TRelayReaction code : row) {
            EXPECT_EQ(code, rrOn);
        }
    }
    for (int c = rcPanelLink; c <= rcDelay; ++c) {
        EXPECT_EQ(settings.YesOf(static_cast<TRelayCondition>(c)), rrOn);
        EXPECT_EQ(settings.NoOf(static_cast<TRelayCondition>(c)), rrOn);
    }
    EXPECT_EQ(settings.Duration, 0);
}

TEST(RelaySettingsModel, AccessorsTakeNumbersCountedFromOne) {
    TRelaySettings settings;
    settings.Zone(zeFault, 16) = rrOn1Hz;
    settings.Partition(peArm, 1) = rrOff;
    settings.YesOf(rcDelay) = rrNone;
    settings.NoOf(rcPanelLink) = rrOnTimed;
    EXPECT_EQ(settings.Zones[2][15], rrOn1Hz);
    EXPECT_EQ(settings.Partitions[0][0], rrOff);
    EXPECT_EQ(settings.Yes[4], rrNone);
    EXPECT_EQ(settings.No[0], rrOnTimed);
    EXPECT_THROW(settings.Zone(zeAlarm, 17), std::out_of_range);
    EXPECT_THROW(settings.Zone(zeAlarm, 0), std::out_of_range);
}
