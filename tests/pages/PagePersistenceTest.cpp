// The pages in settings files: sections, keys, round trips, files of the original tool and bad
// files.
#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <random>

#include "ExpectedRelayKeys.h"
#include "PageSet.h"
#include "PageTestSupport.h"
#include "ini/IniFile.h"
#include "model/RelaySettingsIni.h"
#include "pages/CommonPage.h"
#include "pages/RelayPage.h"

namespace {

void FillSample(TPageSet& pages) {
    pages.Common.etO->setText(QStringLiteral("7"));
    for (auto& relay : pages.Relays) {
        const int k = relay->Settings().Number;
        relay->etDuration->setText(QString::number(k * 40));
        auto& s = relay->Settings();
        for (int e = 1; e <= 3; ++e) {
            for (int n = 1; n <= 16; ++n) {
                s.Zone(static_cast<TZoneEvent>(e), n) = (e + n + k) % 5;
                s.Partition(static_cast<TPartitionEvent>(e), n) = (e * n * k) % 5;
            }
        }
        for (int c = 1; c <= 5; ++c) {
            s.YesOf(static_cast<TRelayCondition>(c)) = (c + k) % 5;
            s.NoOf(static_cast<TRelayCondition>(c)) = (c * k) % 5;
        }
    }
}

class PagePersistenceTest : public ::testing::Test {
  protected:
    TScratchFolder m_folder{::testing::UnitTest::GetInstance()->current_test_info()->name()};
};

TEST_F(PagePersistenceTest, SectionsAndKeysOfTheSixPages) {
    TPageSet pages;
    const auto path = m_folder.Path("current.ini");
    pages.Save(path);
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadSection("FormCommon"), std::vector<std::string>{"etO"});
    EXPECT_EQ(ini.ReadString("FormCommon", "etO", ""), "01");
    const std::vector<std::string> keys = ExpectedRelayKeys();
    ASSERT_EQ(keys.size(), 107u);
    const char* sections[] = {"FormRelay", "FormRelay_1", "FormRelay_2", "FormRelay_3",
                              "FormRelay_4"};
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(pages.Relays[n - 1]->Name().toStdString(), sections[n - 1]);
        EXPECT_EQ(RelaySectionName(n), sections[n - 1]);
        EXPECT_EQ(ini.ReadSection(sections[n - 1]), keys) << sections[n - 1];
    }
}

TEST_F(PagePersistenceTest, SavedPagesLoadBackAndASecondSaveGivesTheSameBytes) {
    const auto path = m_folder.Path("pages.txt");
    std::vector<TRelaySettings> saved;
    {
        TPageSet pages;
        FillSample(pages);
        pages.Save(path);
        for (auto& relay : pages.Relays) {
            saved.push_back(relay->Settings());
        }
    }
    const auto first = FileContents(path);
    TPageSet loaded;
    loaded.Load(path);
    EXPECT_EQ(loaded.Common.etO->text(), QStringLiteral("7"));
    for (int n = 0; n < 5; ++n) {
        EXPECT_EQ(loaded.Relays[n]->Settings(), saved[n]) << "relay " << n + 1;
        EXPECT_EQ(loaded.Relays[n]->etDuration->text(),
                  QString::number(std::min(255, (n + 1) * 40)));
    }
    loaded.Save(path);
    EXPECT_EQ(FileContents(path), first);
    const auto copy = m_folder.Path("copy.txt");
    loaded.Save(copy);
    EXPECT_EQ(FileContents(copy), first);
}

TEST_F(PagePersistenceTest, AWindowsFileOfTheOriginalToolLoadsAndKeepsTheRest) {
    std::string original =
        "; \xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8 \xD2\xE0\xF0\xED\xE5\xEB\r\n"
        "[FormConnect]\r\n"
        "ComPorts=2\r\n"
        "etObjN=10\r\n"
        "meMasterKey=9618\r\n"
        "\r\n"
        "[formcommon]\r\n"
        "ETO=12\r\n"
        "\r\n"
        "[FORMRELAY_1]\r\n"
        "ETDURATION=25\r\n"
        "p11=3\r\n"
        "Z316=2\r\n"
        "yes4=1\r\n"
        "Comment=\xCF\xF0\xE8\xEC\xE5\xF7\xE0\xED\xE8\xE5\r\n";
    const auto path = m_folder.Write("old.txt", original);
    TPageSet pages;
    pages.Load(path);
    EXPECT_EQ(pages.Common.etO->text(), QStringLiteral("12"));
    const auto& relay2 = pages.Relays[1]->Settings();
    EXPECT_EQ(pages.Relays[1]->etDuration->text(), QStringLiteral("25"));
    EXPECT_EQ(relay2.Partition(peArm, 1), rrOn1Hz);
    EXPECT_EQ(relay2.Zone(zeFault, 16), rrOff);
    EXPECT_EQ(relay2.YesOf(rcFire), rrOnTimed);
    EXPECT_EQ(relay2.Zone(zeAlarm, 1), rrOn);
    pages.Save(path);
    const auto after = FileContents(path);
    // Everything up to the relay 2 keys stays as it was, spelling and comments included.
    EXPECT_EQ(after.substr(0, original.find("p11=")), original.substr(0, original.find("p11=")));
    for (const char* kept : {"[FormConnect]\r\nComPorts=2\r\netObjN=10\r\nmeMasterKey=9618\r\n",
                             "Comment=\xCF\xF0\xE8\xEC\xE5\xF7\xE0\xED\xE8\xE5\r\n", "p11=3\r\n",
                             "Z316=2\r\n", "yes4=1\r\n", "[FormRelay_4]\r\n"}) {
        EXPECT_NE(after.find(kept), std::string::npos) << kept;
    }
    EXPECT_EQ(after.find("\n\n"), std::string::npos) << "line ends stay CRLF";
}

TEST_F(PagePersistenceTest, ARelaySectionWithoutAKeyLeavesThatValue) {
    TPageSet pages;
    FillSample(pages);
    const TRelaySettings before = pages.Relays[1]->Settings();
    const auto path = m_folder.Write("part.ini", "[FormRelay_1]\r\nZ11=4\r\n");
    pages.Load(path);
    TRelaySettings expected = before;
    expected.Zone(zeAlarm, 1) = rrNone;
    EXPECT_EQ(pages.Relays[1]->Settings(), expected);
    EXPECT_EQ(pages.Relays[1]->etDuration->text(), QStringLiteral("80"));
    EXPECT_EQ(pages.Common.etO->text(), QStringLiteral("7"));
}

// A code the page cannot show becomes "no reaction", and the page says so for the log.
TEST_F(PagePersistenceTest, BadValuesAreIgnoredAndOddCodesReplaced) {
    TPageSet pages;
    const auto path = m_folder.Write("bad.ini",
                                     "[FormRelay]\r\n"
                                     "etDuration=12abc\r\n"
                                     "P11=abc\r\n"
                                     "P12=9\r\n"
                                     "P13=-3\r\n"
                                     "P14=0x02\r\n"
                                     "P15\r\n"
                                     "=4\r\n"
                                     "P16=1.5\r\n"
                                     "P17=99999999999\r\n");
    pages.Load(path);
    const auto& s = pages.Relays[0]->Settings();
    EXPECT_EQ(pages.Relays[0]->etDuration->text(), QStringLiteral("0"));
    EXPECT_EQ(s.Partition(peArm, 1), rrOn);
    EXPECT_EQ(s.Partition(peArm, 2), rrNone);
    EXPECT_EQ(s.Partition(peArm, 3), rrNone);
    EXPECT_EQ(s.Partition(peArm, 4), rrOff);
    EXPECT_EQ(s.Partition(peArm, 5), rrOn);
    EXPECT_EQ(s.Partition(peArm, 6), rrOn);
    EXPECT_EQ(s.Partition(peArm, 7), rrOn);
    const std::string file = "Файл " + path + ": значение FormRelay/";
    // The log keeps the file's key names; the user reads the page's words.
    using TReplacement = TPageBase::TLoadReplacement;
    EXPECT_EQ(pages.Relays[0]->TakeLoadReplacements(),
              (std::vector<TReplacement>{
                  {file + "etDuration=12abc заменено на 0",
                   "Реле 1, Импульс / Длительность: 12abc заменено на «0»"},
                  {file + "P12=9 заменено на 4",
                   "Реле 1, Разделы / Постановки, 2: 9 заменено на «Без реакции»"},
                  {file + "P13=-3 заменено на 4",
                   "Реле 1, Разделы / Постановки, 3: -3 заменено на «Без реакции»"}}));
    EXPECT_TRUE(pages.Relays[0]->TakeLoadReplacements().empty());
    pages.Save(path);
    EXPECT_EQ(TIniFile(path).ReadInteger("FormRelay", "P12", 0), rrNone);
}

TEST_F(PagePersistenceTest, BinaryFilesNeitherCrashNorLoseData) {
    std::mt19937 random(99);
    std::string binary;
    for (int i = 0; i < 300000; ++i) {
        binary += static_cast<char>(random() & 0xFF);
    }
    for (const auto& content : {binary, std::string("\0\0\0[FormRelay]\0=\0", 18)}) {
        const auto path = m_folder.Write("bad.txt", content);
        TPageSet pages;
        pages.Load(path);
        EXPECT_EQ(pages.Common.etO->text(), QStringLiteral("01"));
        pages.Save(path);
        const auto after = FileContents(path);
        ASSERT_GE(after.size(), content.size());
        EXPECT_EQ(after.substr(0, content.size()), content);
        TPageSet reloaded;
        reloaded.Load(path);
        EXPECT_EQ(reloaded.Relays[4]->Settings(), pages.Relays[4]->Settings());
    }
}

TEST_F(PagePersistenceTest, HugeFilesWithLongLinesLoadAndKeepWhatIsNotThePages) {
    const std::string longX(1000000, 'x');
    std::string content = "[FormRelay]\n";
    for (int n = 1; n <= 16; ++n) {
        content += "Z1" + std::to_string(n) + "=" + std::string(20000, '3') + "\n";
    }
    content += "Z21=" + std::string(5000, ' ') + "3\n";
    content += "[FormCommon]\n" + longX + "\netO=5\n[Keep]\nlong=" + longX + "\n";
    const auto path = m_folder.Write("huge.txt", content);
    TPageSet pages;
    pages.Load(path);
    EXPECT_EQ(pages.Common.etO->text(), QStringLiteral("5"));
    EXPECT_EQ(pages.Relays[0]->Settings().Zone(zeAlarm, 1), rrOn) << "no integer: ignored";
    EXPECT_EQ(pages.Relays[0]->Settings().Zone(zeRestore, 1), rrOn1Hz);
    pages.Save(path);
    const TIniFile saved(path);
    EXPECT_EQ(saved.ReadString("Keep", "long", "").size(), 2047u);
    const auto after = FileContents(path);
    EXPECT_NE(after.find("[FormCommon]\n" + longX + "\netO=5\n"), std::string::npos);
    EXPECT_NE(after.find("[Keep]\nlong=" + longX + "\n"), std::string::npos);
}

TEST(CommonPage, ObjectNumberEdit) {
    TCommonPage page;
    EXPECT_EQ(page.Name(), QStringLiteral("FormCommon"));
    EXPECT_EQ(page.Caption(), QString::fromUtf8("Общие"));
    EXPECT_EQ(page.etO->text(), QStringLiteral("01"));
    page.etO->clear();
    QTest::keyClicks(page.etO, QStringLiteral("a1b23"));
    EXPECT_EQ(page.etO->text(), QStringLiteral("12"));
    page.Clear();
    EXPECT_EQ(page.etO->text(), QString());
    page.SetDefaults();
    EXPECT_EQ(page.etO->text(), QStringLiteral("01"));
}

TEST_F(PagePersistenceTest, CommonPageSavesOneKey) {
    TCommonPage page;
    const auto path = m_folder.Path("common.ini");
    TIniFile ini(path);
    page.SaveToIni(ini);
    ini.UpdateFile();
    EXPECT_EQ(FileContents(path), "[FormCommon]\r\netO=01\r\n");
    page.etO->setText(QStringLiteral("7"));
    page.SaveToIni(ini);
    ini.UpdateFile();
    EXPECT_EQ(FileContents(path), "[FormCommon]\r\netO=7\r\n");
}

}  // namespace
