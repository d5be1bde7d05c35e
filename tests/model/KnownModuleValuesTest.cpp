// The module's known values: only what was seen is compared, and each place names its file key.
#include <gtest/gtest.h>

#include "model/KnownModuleValues.h"
#include "model/RelaySettingsIni.h"

namespace {

TEST(KnownModuleValuesTest, NothingIsUnwrittenWhereTheModuleIsUnknown) {
    TKnownModuleValues known;
    TModuleSettings pages;
    pages.Common.ObjectNumber = "42";
    pages.Relays[1].Zone(zeAlarm, 3) = rrOff;
    EXPECT_TRUE(known.NothingKnown());
    EXPECT_TRUE(known.UnwrittenPlaces(pages).Empty());
    EXPECT_EQ(known.UnwrittenCount(pages), 0);
}

TEST(KnownModuleValuesTest, OnlyKnownPlacesThatDifferAreUnwritten) {
    TKnownModuleValues known;
    TModuleSettings pages;
    pages.Common.ObjectNumber = "07";
    pages.Relays[1].Zone(zeAlarm, 3) = rrOff;
    pages.Relays[1].Zone(zeAlarm, 4) = rrOff;
    pages.Relays[4].Duration = 20;
    known.NoteObjectNumber(7);             // "07" and 7 are one number
    known.NoteRelayValue(2, 1 + 2, rrOn);  // zone 3 of alarms: known and different
    known.NoteRelayValue(5, 0, 20);        // duration: known and the same
    known.NoteRelayValue(5, kRelayValueCount - 1, rrOn1Hz);  // No5 differs from the page's 0
    const TModuleValueSet places = known.UnwrittenPlaces(pages);
    EXPECT_EQ(places.Size(), 2U);
    EXPECT_TRUE(places.Contains("FormRelay_1", "Z13"));
    EXPECT_TRUE(places.Contains("FormRelay_4", "No5"));
    EXPECT_EQ(known.UnwrittenCount(pages, 0), 0);
    EXPECT_EQ(known.UnwrittenCount(pages, 2), 1);
    EXPECT_EQ(known.UnwrittenCount(pages, 5), 1);
    EXPECT_EQ(known.UnwrittenCount(pages), 2);

    pages.Common.ObjectNumber = "8";
    EXPECT_EQ(known.UnwrittenCount(pages, 0), 1);
    EXPECT_TRUE(known.UnwrittenPlaces(pages).Contains(kCommonSectionName, kObjectNumberKey));
}

TEST(KnownModuleValuesTest, TheWholeModuleIsKnownOnlyWhenEveryPlaceIs) {
    TKnownModuleValues known;
    for (int relay = 1; relay <= kRelayCount; ++relay) {
        for (int place = 0; place < kRelayValueCount; ++place) {
            known.NoteRelayValue(relay, place, 0);
        }
        EXPECT_TRUE(known.RelayKnown(relay));
    }
    EXPECT_FALSE(known.WholeModuleKnown());
    known.NoteObjectNumber(1);
    EXPECT_TRUE(known.WholeModuleKnown());
    known.Forget();
    EXPECT_TRUE(known.NothingKnown());
}

// Every place's key is the key the settings file writes that value under.
TEST(KnownModuleValuesTest, EachPlaceNamesTheKeyOfItsValue) {
    TRelaySettings relay;
    relay.Number = 1;
    for (int place = 0; place < kRelayValueCount; ++place) {
        RelayValueAt(relay, place) = place;
    }
    int visited = 0;
    ForEachRelayValue(relay, [&](const std::string& key, std::int32_t& value) {
        ++visited;
        EXPECT_EQ(RelayValueKey(value), key) << "place " << value;
        EXPECT_EQ(RelayPlaceOfKey(key), value);
    });
    EXPECT_EQ(visited, kRelayValueCount);
    EXPECT_THROW(RelayValueKey(kRelayValueCount), std::out_of_range);
    EXPECT_EQ(RelayPlaceOfKey("etO"), std::nullopt);
    EXPECT_EQ(RelayPlaceOfKey("Z317"), std::nullopt);
}

}  // namespace
