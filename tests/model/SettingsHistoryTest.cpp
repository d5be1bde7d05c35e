// The pages' undo history: every kind of step comes back exactly, redo makes it again, and the
// history's memory follows the changes it holds.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "model/SettingsHistory.h"

namespace {

TModuleSettings Sample() {
    TModuleSettings settings;
    int value = 3;
    for (TRelaySettings& relay : settings.Relays) {
        relay.Duration = 10 * relay.Number;
        for (int place = 1; place < kRelayValueCount; ++place) {
            value = (value * 7 + 5) % 11;
            RelayValueAt(relay, place) = value % 5;
        }
    }
    settings.Common.ObjectNumber = "12";
    return settings;
}

struct TStepCase {
    const char* Name;
    std::function<void(TModuleSettings&)> Change;
};

const std::vector<TStepCase> kStepCases = {
    {"a cell stepped", [](TModuleSettings& s) { NextReaction(s.Relays[1].Zone(zeAlarm, 5)); }},
    {"a row filled through \"Все\"",
     [](TModuleSettings& s) { s.Relays[1].ZoneRow(zeAlarm).fill(rrOff); }},
    {"a condition stepped", [](TModuleSettings& s) { PrevReaction(s.Relays[4].NoOf(rcDelay)); }},
    {"a duration edited", [](TModuleSettings& s) { s.Relays[2].Duration = 255; }},
    {"the object number edited", [](TModuleSettings& s) { s.Common.ObjectNumber = "7"; }},
    {"every page to its defaults", [](TModuleSettings& s) { s = TModuleSettings(); }},
    {"a file or a read that changed every relay",
     [](TModuleSettings& s) {
         for (TRelaySettings& relay : s.Relays) {
             for (int place = 0; place < kRelayValueCount; ++place) {
                 RelayValueAt(relay, place) += 1;
             }
         }
         s.Common.ObjectNumber = "99";
     }},
};

}  // namespace

TEST(SettingsHistoryTest, EveryPlaceOfARelayIsOneValueOfItsOwn) {
    TRelaySettings relay;
    std::set<const std::int32_t*> places;
    for (int place = 0; place < kRelayValueCount; ++place) {
        places.insert(&RelayValueAt(relay, place));
    }
    EXPECT_EQ(places.size(), static_cast<std::size_t>(kRelayValueCount));
    EXPECT_EQ(&RelayValueAt(relay, 0), &relay.Duration);
    EXPECT_EQ(&RelayValueAt(relay, kRelayValueCount - 1), &relay.NoOf(rcDelay));
    EXPECT_THROW(RelayValueAt(relay, kRelayValueCount), std::out_of_range);
    EXPECT_THROW(RelayValueAt(relay, -1), std::out_of_range);
}

TEST(SettingsHistoryTest, UndoAndRedoOfEveryKindOfStepGiveTheExactValues) {
    for (const TStepCase& c : kStepCases) {
        SCOPED_TRACE(c.Name);
        const TModuleSettings before = Sample();
        TModuleSettings after = before;
        c.Change(after);
        TSettingsHistory history;
        ASSERT_TRUE(history.Record(c.Name, before, after));
        EXPECT_EQ(history.UndoName(), c.Name);

        TModuleSettings pages = after;
        ASSERT_TRUE(history.Undo(pages));
        EXPECT_EQ(pages, before);
        EXPECT_EQ(history.RedoName(), c.Name);
        EXPECT_FALSE(history.CanUndo());

        ASSERT_TRUE(history.Redo(pages));
        EXPECT_EQ(pages, after);
        EXPECT_FALSE(history.CanRedo());
    }
}

TEST(SettingsHistoryTest, StepsComeBackInTheReverseOrder) {
    TModuleSettings pages = Sample();
    std::vector<TModuleSettings> states{pages};
    TSettingsHistory history;
    for (const TStepCase& c : kStepCases) {
        TModuleSettings next = pages;
        c.Change(next);
        ASSERT_TRUE(history.Record(c.Name, pages, next));
        pages = next;
        states.push_back(pages);
    }
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        ASSERT_TRUE(history.Undo(pages));
        EXPECT_EQ(pages, states[i - 1]) << "after undoing step " << i;
    }
    EXPECT_FALSE(history.Undo(pages));
    EXPECT_EQ(pages, states.front());
    while (history.Redo(pages)) {
    }
    EXPECT_EQ(pages, states.back());
}

TEST(SettingsHistoryTest, AStepThatChangesNothingIsNotRecordedAndKeepsTheRedo) {
    const TModuleSettings before = Sample();
    TModuleSettings after = before;
    after.Relays[0].Duration = 1;
    TSettingsHistory history;
    ASSERT_TRUE(history.Record("Реле 1, Длительность", before, after));
    TModuleSettings pages = after;
    ASSERT_TRUE(history.Undo(pages));

    EXPECT_FALSE(history.Record("Реле 1, По умолчанию", pages, pages));
    EXPECT_TRUE(history.CanRedo());
    EXPECT_EQ(history.UndoCount(), 0u);
}

TEST(SettingsHistoryTest, ANewStepAfterAnUndoForgetsWhatCouldBeRedone) {
    const TModuleSettings start = Sample();
    TModuleSettings first = start;
    first.Relays[0].Duration = 1;
    TSettingsHistory history;
    history.Record("первый", start, first);
    TModuleSettings pages = first;
    history.Undo(pages);

    TModuleSettings second = pages;
    second.Common.ObjectNumber = "5";
    ASSERT_TRUE(history.Record("второй", pages, second));
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.RedoName(), "");
    EXPECT_EQ(history.UndoName(), "второй");
}

TEST(SettingsHistoryTest, TheOldestStepsGiveWayAtTheLimit) {
    TSettingsHistory history(3);
    TModuleSettings pages = Sample();
    std::vector<TModuleSettings> states{pages};
    for (int step = 1; step <= 5; ++step) {
        TModuleSettings next = pages;
        next.Relays[0].Duration = step;
        history.Record("шаг " + std::to_string(step), pages, next);
        pages = next;
        states.push_back(pages);
    }
    EXPECT_EQ(history.UndoCount(), 3u);
    while (history.Undo(pages)) {
    }
    EXPECT_EQ(pages, states[2]);
}

// Memory follows the values the steps changed: a thousand one-cell steps cost far less than a
// thousand copies of the pages would.
TEST(SettingsHistoryTest, MemoryFollowsTheChangesNotThePages) {
    TSettingsHistory history;
    TModuleSettings pages = Sample();
    for (int step = 0; step < 1000; ++step) {
        TModuleSettings next = pages;
        NextReaction(next.Relays[step % kRelayCount].Zone(zeAlarm, 1 + step % kTableWidth));
        ASSERT_TRUE(history.Record("Реле 1, Зоны", pages, next));
        pages = next;
    }
    EXPECT_EQ(history.UndoCount(), 1000u);
    const std::size_t oneCellSteps = history.MemoryBytes();
    EXPECT_LT(oneCellSteps, 1000 * sizeof(TModuleSettings) / 8);

    // A step over every value costs in proportion to those values.
    TModuleSettings everything = pages;
    for (TRelaySettings& relay : everything.Relays) {
        for (int place = 0; place < kRelayValueCount; ++place) {
            RelayValueAt(relay, place) += 1;
        }
    }
    history.Record("Загрузить", pages, everything);
    EXPECT_GE(history.MemoryBytes() - oneCellSteps,
              static_cast<std::size_t>(kRelayCount * kRelayValueCount) * 2 * sizeof(std::int32_t));
}
