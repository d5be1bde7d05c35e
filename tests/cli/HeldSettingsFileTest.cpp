// A file to be written to a module says exactly what it holds: no missing value becomes a 0, no
// bad value is replaced, and a bad file is refused whole with each bad value and its line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "cli/ModuleSettingsFile.h"
#include "model/RelaySettingsIni.h"

namespace fs = std::filesystem;

namespace {

class HeldSettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("tarnel-held-" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string File(const std::string& text) const {
        const std::string path = (m_dir / "file.txt").string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    fs::path m_dir;
};

TEST_F(HeldSettingsFileTest, OnlyTheValuesTheFileHoldsAreHeld) {
    const THeldSettings file = LoadHeldSettingsFile(
        File("[FormRelay_2]\nZ13=2\netDuration=\"40\"\n[formcommon]\nETO=07\n"));
    EXPECT_EQ(file.Held.Size(), 3u);
    EXPECT_TRUE(file.Held.Contains("FormRelay_2", "Z13"));
    EXPECT_TRUE(file.Held.Contains("FormRelay_2", kDurationKey));
    EXPECT_TRUE(file.Held.Contains(kCommonSectionName, kObjectNumberKey));
    EXPECT_FALSE(file.Held.Contains("FormRelay_2", "Z14"));
    EXPECT_EQ(file.Values.Relays[2].Zone(zeAlarm, 3), rrOff);
    EXPECT_EQ(file.Values.Relays[2].Duration, 40);
    EXPECT_EQ(file.Values.Common.ObjectNumber, "7");
    EXPECT_EQ(PagesOf(file.Held), (std::vector<std::string>{"Общие", "Реле 3"}));

    // The window's whole file holds every value of the module.
    TModuleSettings whole;
    const std::string path = (m_dir / "whole.txt").string();
    SaveModuleSettingsFile(path, whole);
    EXPECT_EQ(LoadHeldSettingsFile(path).Held.Size(), TModuleValueSet::Whole().Size());
    EXPECT_EQ(TModuleValueSet::Whole().Size(), 1u + kRelayCount * (1u + 106u));
}

TEST_F(HeldSettingsFileTest, EveryBadValueIsListedWithItsLineAndNothingIsTaken) {
    const std::string text =
        "[FormCommon]\n"           // 1
        "etO=150\n"                // 2
        "[FormRelay]\n"            // 3
        "etDuration=300\n"         // 4
        "Z11=abc\n"                // 5
        "Z12=1.5\n"                // 6
        "Z13=\n"                   // 7
        "Z14=0x10\n"               // 8
        "Z15=-5\n"                 // 9
        "Z16=5\n"                  // 10
        "Z17=4\n"                  // 11, good
        "[FormRelay_4]\n"          // 12
        "No5=00000000000000004\n"  // 13, good: a plain number of range
        "Yes5=99999999999\n";      // 14
    try {
        LoadHeldSettingsFile(File(text));
        FAIL() << "taken";
    } catch (const ESettingsFileError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("неверных значений 9"), std::string::npos) << message;
        EXPECT_NE(message.find("ничего не отправлено"), std::string::npos) << message;
        for (const char* line :
             {"строка 2, [FormCommon] etO=150: вне диапазона 0..99",
              "строка 4, [FormRelay] etDuration=300: вне диапазона 0..255",
              "строка 5, [FormRelay] Z11=abc", "строка 6, [FormRelay] Z12=1.5",
              "строка 7, [FormRelay] Z13=: пустое значение", "строка 8, [FormRelay] Z14=0x10",
              "строка 9, [FormRelay] Z15=-5", "строка 10, [FormRelay] Z16=5: вне диапазона 0..4",
              "строка 14, [FormRelay_4] Yes5=99999999999: вне диапазона 0..4"}) {
            EXPECT_NE(message.find(line), std::string::npos) << line << "\n" << message;
        }
        EXPECT_EQ(message.find("Z17"), std::string::npos) << message;
        EXPECT_EQ(message.find("No5"), std::string::npos) << message;
    }
}

// A hostile file cannot put control bytes or a screenful of text into the message.
TEST_F(HeldSettingsFileTest, BadValuesAreShownVisiblyAndShort) {
    const std::string text = std::string("[FormRelay]\nZ11=1\0\x1b[2J\nZ12=", 27) +
                             std::string(5000, '9') + "\nZ13=" + std::string(20, 'x') +
                             "ЖЖЖЖЖЖЖЖЖЖЖЖ\n";
    try {
        LoadHeldSettingsText("-", text);
        FAIL() << "taken";
    } catch (const ESettingsFileError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("Z11=1\\x00\\x1B[2J:"), std::string::npos) << message;
        EXPECT_NE(message.find("Z12=" + std::string(40, '9') + "…:"), std::string::npos);
        // Cut between two letters, not inside one.
        EXPECT_NE(message.find("Z13=" + std::string(20, 'x') + "ЖЖЖЖЖЖЖЖЖЖ…:"), std::string::npos)
            << message;
        EXPECT_LT(message.size(), 600u);
    }
}

TEST_F(HeldSettingsFileTest, AFileWithoutAValueOfTheModuleIsRefused) {
    const std::string good = "[FormCommon]\r\netO=10\r\n[FormRelay]\r\netDuration=5\r\n";
    struct TCase {
        const char* Name;
        std::string Text;
    };
    const TCase cases[] = {
        {"empty", ""},
        {"another program's file", "[General]\nx=1\n"},
        {"sections without keys", "[FormCommon]\n[FormRelay]\n"},
        {"unknown keys only", "[FormRelay]\nZ117=1\nZ01=2\nLabel1=x\n"},
        // The first 20 bytes of a good file: "[FormCommon]\r\netO=1" — the last line is cut in
        // the middle of its value and still a plain number, so it is held: cut shorter.
        {"cut before any value", good.substr(0, 16)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_THROW(LoadHeldSettingsFile(File(c.Text)), ESettingsFileError);
        EXPECT_THROW(LoadHeldSettingsText("-", c.Text), ESettingsFileError);
    }
    EXPECT_THROW(LoadHeldSettingsFile((m_dir / "missing.txt").string()), ESettingsFileError);
    try {
        LoadHeldSettingsFile(m_dir.string());
        FAIL() << "a folder taken";
    } catch (const ESettingsFileError& error) {
        EXPECT_NE(std::string(error.what()).find("это папка"), std::string::npos) << error.what();
    }
    EXPECT_EQ(LoadHeldSettingsText("-", good).Held.Size(), 2u);
}

TEST_F(HeldSettingsFileTest, TheWholeModuleComesOutInTheSettingsFormat) {
    TModuleSettings settings;
    settings.Common.ObjectNumber = "12";
    settings.Relays[4].Duration = 255;
    settings.Relays[4].NoOf(rcDelay) = rrOn1Hz;
    const std::string text = FormatModuleSettings(settings);
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_TRUE(text.starts_with("[FormCommon]\netO=12\n")) << text;
    const THeldSettings back = LoadHeldSettingsText("-", text);
    EXPECT_EQ(back.Values, settings);
    EXPECT_EQ(back.Held.Size(), TModuleValueSet::Whole().Size());
}

}  // namespace
