// Sets of a module's values: the places a file holds, laid over a module, and what differs.
#include <gtest/gtest.h>

#include "model/ModuleValueSet.h"
#include "model/RelaySettingsIni.h"

namespace {

TEST(ModuleValueSetTest, OnlyThePlacesOfTheSetAreLaidOver) {
    TModuleSettings module;
    module.Common.ObjectNumber = "10";
    module.Relays[1].Duration = 20;
    TModuleSettings file;
    file.Common.ObjectNumber = "12";
    file.Relays[1].Duration = 30;
    file.Relays[1].Zone(zeRestore, 4) = rrNone;
    file.Relays[1].Partition(peDisarm, 16) = rrOff;
    file.Relays[4].NoOf(rcDelay) = rrOn1Hz;

    TModuleValueSet places;
    places.Add("FormRelay_1", ZoneKey(zeRestore, 4));
    places.Add("FormRelay_4", ConditionKey(rcDelay, false));
    const TModuleSettings laid = OverlaidSettings(module, file, places);
    TModuleSettings expected = module;
    expected.Relays[1].Zone(zeRestore, 4) = rrNone;
    expected.Relays[4].NoOf(rcDelay) = rrOn1Hz;
    EXPECT_EQ(laid, expected);
    EXPECT_EQ(PagesOf(places), (std::vector<std::string>{"Реле 2", "Реле 5"}));

    places.Add(kCommonSectionName, kObjectNumberKey);
    places.Add("FormRelay_1", PartitionKey(peDisarm, 16));
    places.Add("FormRelay_1", kDurationKey);
    EXPECT_EQ(OverlaidSettings(module, file, TModuleValueSet::Whole()), file);
    EXPECT_EQ(DifferingPlaces(places, file, module).Size(), 5u);
    EXPECT_EQ(DifferingPlaces(places, laid, laid).Size(), 0u);
    // "010" and "10" are one object number.
    file.Common.ObjectNumber = "010";
    EXPECT_FALSE(
        DifferingPlaces(places, file, module).Contains(kCommonSectionName, kObjectNumberKey));
}

}  // namespace
