// The module's memory in and out of settings files of the tool's own format.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "emulator/ModuleStateFile.h"
#include "ini/IniFile.h"
#include "model/RelaySettingsIni.h"

namespace {

class ModuleStateFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_file = ::testing::TempDir() + "emulator_state_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
        std::remove(m_file.c_str());
    }
    void TearDown() override { std::remove(m_file.c_str()); }

    std::string m_file;
};

// Every cell different, so a value landing in the wrong key shows.
TModuleState VariedState() {
    TModuleState state = PowerUpState(23);
    int next = 0;
    for (TRelaySettings& relay : state.Relays) {
        for (auto& row : relay.Zones) {
            for (auto& code : row)
                code = next++ % 7;
        }
        for (auto& row : relay.Partitions) {
            for (auto& code : row)
                code = next++ % 5;
        }
        for (int c = rcPanelLink; c <= rcDelay; ++c) {
            relay.YesOf(static_cast<TRelayCondition>(c)) = next++ % 4;
            relay.NoOf(static_cast<TRelayCondition>(c)) = -(next++ % 3);
        }
        relay.Duration = (next++ * 37) % 256;
    }
    return state;
}

TEST_F(ModuleStateFileTest, SavedStateLoadsBackUnchanged) {
    const TModuleState saved = VariedState();
    SaveModuleState(m_file, saved);
    TModuleState loaded = PowerUpState(10);
    LoadModuleState(m_file, loaded);
    EXPECT_EQ(loaded, saved);
}

TEST_F(ModuleStateFileTest, SavesUnderThePagesSectionsAndKeys) {
    TModuleState state = PowerUpState(7);
    state.Relays[4].Zone(zeFault, 16) = 3;
    state.Relays[1].Partition(peArm, 1) = 2;
    state.Relays[0].NoOf(rcFire) = 1;
    state.Relays[2].Duration = 200;
    SaveModuleState(m_file, state);

    const TIniFile ini(m_file);
    EXPECT_EQ(ini.ReadString("FormCommon", "etO", ""), "7");
    EXPECT_EQ(ini.ReadString("FormRelay_4", "Z316", ""), "3");
    EXPECT_EQ(ini.ReadString("FormRelay_1", "P11", ""), "2");
    EXPECT_EQ(ini.ReadString("FormRelay", "No4", ""), "1");
    EXPECT_EQ(ini.ReadString("FormRelay_2", "etDuration", ""), "200");
}

TEST_F(ModuleStateFileTest, LoadsAFileThatTheToolWrote) {
    TModuleState written = VariedState();
    {
        TIniFile ini(m_file);
        ini.WriteString("FormCommon", "etO", "07");
        for (const TRelaySettings& relay : written.Relays)
            SaveRelaySettings(ini, relay);
        ini.UpdateFile();
    }
    written.ObjectNumber = 7;
    TModuleState loaded = PowerUpState(10);
    LoadModuleState(m_file, loaded);
    EXPECT_EQ(loaded, written);
}

TEST_F(ModuleStateFileTest, ObjectNumberThatIsNoNumberKeepsTheCurrentOne) {
    for (const char* text : {"", "ab", "1x", "-3"}) {
        SCOPED_TRACE(text);
        {
            TIniFile ini(m_file);
            ini.WriteString("FormCommon", "etO", text);
            ini.UpdateFile();
        }
        TModuleState state = PowerUpState(10);
        LoadModuleState(m_file, state);
        EXPECT_EQ(state.ObjectNumber, 10);
    }
}

TEST_F(ModuleStateFileTest, MissingKeysKeepTheirValues) {
    {
        TIniFile ini(m_file);
        ini.WriteString("FormRelay_2", "Z25", "4");
        ini.UpdateFile();
    }
    TModuleState state = PowerUpState(10);
    state.Relays[0].Duration = 9;
    LoadModuleState(m_file, state);
    EXPECT_EQ(state.Relays[2].Zone(zeRestore, 5), 4);
    EXPECT_EQ(state.Relays[0].Duration, 9);
    EXPECT_EQ(state.ObjectNumber, 10);
}

TEST_F(ModuleStateFileTest, MissingFileIsAnError) {
    TModuleState state = PowerUpState(10);
    EXPECT_THROW(LoadModuleState(m_file, state), std::runtime_error);
}

}  // namespace
