// The differences between the module and the pages, named as the pages name them.
#include <gtest/gtest.h>

#include "model/ModuleCompare.h"

namespace {

TEST(ModuleCompareTest, EqualSettingsHaveNoDifference) {
    TModuleSettings module;
    module.Relays[2].Zone(zeAlarm, 5) = rrOff;
    EXPECT_TRUE(CompareSettings(module, module).empty());
    TModuleSettings pages = module;
    // "01" on the page and "1" from the module are one number.
    module.Common.ObjectNumber = "1";
    EXPECT_TRUE(CompareSettings(module, pages).empty());
}

TEST(ModuleCompareTest, EachDifferenceIsOneLineInTheWordsOfThePages) {
    TModuleSettings module;
    TModuleSettings pages;
    pages.Common.ObjectNumber = "12";
    pages.Relays[0].Duration = 30;
    pages.Relays[2].Zone(zeAlarm, 5) = rrOff;
    pages.Relays[2].Partition(peDisarm, 16) = rrOnTimed;
    pages.Relays[4].YesOf(rcFire) = rrNone;
    module.Relays[4].NoOf(rcPower) = rrOn1Hz;

    const std::vector<std::string> expected{
        "Общие, Объект / Номер объекта: в модуле «01», на страницах «12»",
        "Реле 1, Импульс / Длительность: в модуле «0», на страницах «30»",
        "Реле 3, Зоны / Тревоги, 5: в модуле «Включение», на страницах «Выключение»",
        "Реле 3, Разделы / Снятия, 16: в модуле «Включение», на страницах «Включение на время»",
        "Реле 5, Внешнее питание, Резервное: в модуле «Включение с частотой 1 Гц», на страницах "
        "«Включение»",
        "Реле 5, Пожарная тревога, Тревога ПОЖАР: в модуле «Включение», на страницах «Без "
        "реакции»",
    };
    std::vector<std::string> lines;
    for (const TSettingsDifference& difference : CompareSettings(module, pages)) {
        lines.push_back(difference.Text());
    }
    EXPECT_EQ(lines, expected);
}

// A chosen difference is written or loaded by its file place; a reaction carries its codes for the
// pictures.
TEST(ModuleCompareTest, EachDifferenceNamesItsFilePlaceAndCodes) {
    TModuleSettings module;
    TModuleSettings pages;
    pages.Common.ObjectNumber = "12";
    pages.Relays[1].Duration = 30;
    pages.Relays[2].Partition(peDisarm, 16) = rrOnTimed;
    pages.Relays[4].YesOf(rcFire) = rrNone;
    const std::vector<TSettingsDifference> differences = CompareSettings(module, pages);
    ASSERT_EQ(differences.size(), 4U);
    const struct {
        std::string Section, Key;
        std::optional<TRelayReaction> ModuleCode, PagesCode;
    } expected[] = {
        {"FormCommon", "etO", std::nullopt, std::nullopt},
        {"FormRelay_1", "etDuration", std::nullopt, std::nullopt},
        {"FormRelay_2", "P216", rrOn, rrOnTimed},
        {"FormRelay_4", "Yes4", rrOn, rrNone},
    };
    for (std::size_t i = 0; i < differences.size(); ++i) {
        EXPECT_EQ(differences[i].Section, expected[i].Section) << i;
        EXPECT_EQ(differences[i].Key, expected[i].Key) << i;
        EXPECT_EQ(differences[i].ModuleCode, expected[i].ModuleCode) << i;
        EXPECT_EQ(differences[i].PagesCode, expected[i].PagesCode) << i;
    }
}

TEST(ModuleCompareTest, ReactionNamesFollowTheLegendAndOddCodesShowAsNumbers) {
    EXPECT_EQ(ReactionName(rrOn), "Включение");
    EXPECT_EQ(ReactionName(rrOnTimed), "Включение на время");
    EXPECT_EQ(ReactionName(rrOff), "Выключение");
    EXPECT_EQ(ReactionName(rrOn1Hz), "Включение с частотой 1 Гц");
    EXPECT_EQ(ReactionName(rrNone), "Без реакции");
    EXPECT_EQ(ReactionName(7), "7");
    EXPECT_EQ(ReactionName(-1), "-1");
}

TEST(ModuleCompareTest, ObjectNumbersCompareAsNumbersOnlyWhenBothArePlain) {
    EXPECT_TRUE(SameObjectNumber("01", "1"));
    EXPECT_TRUE(SameObjectNumber("10", "10"));
    EXPECT_FALSE(SameObjectNumber("10", "1"));
    EXPECT_FALSE(SameObjectNumber("5a", "5"));
    EXPECT_FALSE(SameObjectNumber("", "0"));
}

}  // namespace
