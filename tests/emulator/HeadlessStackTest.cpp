// The tool's own protocol stack, without windows, against the emulator over a pseudo-terminal.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "emulator/ModuleEmulator.h"
#include "emulator/ModuleStateFile.h"
#include "ini/IniFile.h"
#include "model/RelaySettingsIni.h"
#include "protocol/RelayModule.h"
#include "transport/ComPortWorker.h"
#include "transport/ModuleLine.h"

namespace {

constexpr std::int32_t kObject = 10;

// Distinct values everywhere, so that a value written to or read from the wrong place shows.
TRelaySettings VariedRelay(int number) {
    TRelaySettings relay;
    relay.Number = number;
    int next = number;
    for (auto& row : relay.Zones) {
        for (auto& code : row)
            code = next++ % 5;
    }
    for (auto& row : relay.Partitions) {
        for (auto& code : row)
            code = (next++ * 3) % 5;
    }
    for (int c = rcPanelLink; c <= rcDelay; ++c) {
        relay.YesOf(static_cast<TRelayCondition>(c)) = next++ % 5;
        relay.NoOf(static_cast<TRelayCondition>(c)) = (next++ + 2) % 5;
    }
    relay.Duration = number * 50 + 5;
    return relay;
}

bool WriteRelay(TRelayModule& device, const TRelaySettings& relay) {
    const int r = relay.Number;
    bool ok = device.WritePulseDuration(r, relay.Duration);
    for (int n = 1; n <= kTableWidth; ++n) {
        ok &= device.WriteZoneAlarm(r, n, relay.Zone(zeAlarm, n));
        ok &= device.WriteZoneRestore(r, n, relay.Zone(zeRestore, n));
        ok &= device.WriteZoneFault(r, n, relay.Zone(zeFault, n));
        ok &= device.WritePartitionArming(r, n, relay.Partition(peArm, n));
        ok &= device.WritePartitionDisarming(r, n, relay.Partition(peDisarm, n));
        ok &= device.WritePartitionAlarm(r, n, relay.Partition(peAlarm, n));
    }
    // State 1 is the first row (Yes), state 0 the second (No).
    ok &= device.WritePanelLink(r, 1, relay.YesOf(rcPanelLink));
    ok &= device.WritePanelLink(r, 0, relay.NoOf(rcPanelLink));
    ok &= device.WriteJournal(r, 1, relay.YesOf(rcJournal));
    ok &= device.WriteJournal(r, 0, relay.NoOf(rcJournal));
    ok &= device.WritePower(r, 1, relay.YesOf(rcPower));
    ok &= device.WritePower(r, 0, relay.NoOf(rcPower));
    ok &= device.WriteFire(r, 1, relay.YesOf(rcFire));
    ok &= device.WriteFire(r, 0, relay.NoOf(rcFire));
    ok &= device.WriteDelay(r, 1, relay.YesOf(rcDelay));
    ok &= device.WriteDelay(r, 0, relay.NoOf(rcDelay));
    return ok;
}

bool ReadRelay(TRelayModule& device, TRelaySettings& relay) {
    const int r = relay.Number;
    TPulseDurations durations{};
    bool ok = device.ReadPulseDurations(durations);
    relay.Duration = durations[static_cast<std::size_t>(r - 1)];
    ok &= device.ReadZoneAlarms(r, relay.ZoneRow(zeAlarm));
    ok &= device.ReadZoneRestores(r, relay.ZoneRow(zeRestore));
    ok &= device.ReadZoneFaults(r, relay.ZoneRow(zeFault));
    ok &= device.ReadPartitionArmings(r, relay.PartitionRow(peArm));
    ok &= device.ReadPartitionDisarmings(r, relay.PartitionRow(peDisarm));
    ok &= device.ReadPartitionAlarms(r, relay.PartitionRow(peAlarm));
    ok &= device.ReadPanelLink(r, relay.NoOf(rcPanelLink), relay.YesOf(rcPanelLink));
    ok &= device.ReadJournal(r, relay.NoOf(rcJournal), relay.YesOf(rcJournal));
    ok &= device.ReadPower(r, relay.NoOf(rcPower), relay.YesOf(rcPower));
    ok &= device.ReadFire(r, relay.NoOf(rcFire), relay.YesOf(rcFire));
    ok &= device.ReadDelay(r, relay.NoOf(rcDelay), relay.YesOf(rcDelay));
    return ok;
}

class HeadlessStack : public ::testing::Test {
  protected:
    void Start(TEmulatorOptions options) {
        m_emulator = std::make_unique<TModuleEmulator>(std::move(options), PowerUpState(kObject));
        m_worker.Open(m_emulator->DevicePath(), br19200, kAnswerTimeoutMs);
        m_device = std::make_unique<TRelayModule>(&m_worker, kObject, nullptr);
    }
    void StartUnpaced() {
        TEmulatorOptions options;
        options.Pacing = false;
        Start(options);
    }
    void TearDown() override {
        m_device.reset();
        m_worker.Close();
    }

    std::unique_ptr<TModuleEmulator> m_emulator;
    TComPortWorker m_worker{true};
    std::unique_ptr<TRelayModule> m_device;
};

TEST_F(HeadlessStack, WritesAndReadsEveryParameterOfAllRelays) {
    StartUnpaced();
    std::string version;
    ASSERT_TRUE(m_device->ReadVersion(version));
    EXPECT_TRUE(m_device->MatchesVersion(version));

    TModuleState expected = PowerUpState(kObject);
    for (int r = 1; r <= kRelayCount; ++r) {
        expected.Relays[static_cast<std::size_t>(r - 1)] = VariedRelay(r);
        EXPECT_TRUE(WriteRelay(*m_device, VariedRelay(r))) << "relay " << r;
    }
    EXPECT_EQ(m_emulator->Snapshot(), expected);

    for (int r = 1; r <= kRelayCount; ++r) {
        TRelaySettings read;
        read.Number = r;
        EXPECT_TRUE(ReadRelay(*m_device, read)) << "relay " << r;
        EXPECT_EQ(read, VariedRelay(r)) << "relay " << r;
    }
}

TEST_F(HeadlessStack, SavedStateEqualsWhatTheToolWrote) {
    StartUnpaced();
    for (int r = 1; r <= kRelayCount; ++r)
        ASSERT_TRUE(WriteRelay(*m_device, VariedRelay(r)));
    ASSERT_TRUE(m_device->WriteObjectNumber(12));

    const std::string file =
        ::testing::TempDir() + "emulator_headless_" + std::to_string(::getpid()) + ".ini";
    std::remove(file.c_str());
    SaveModuleState(file, m_emulator->Snapshot());
    const TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("FormCommon", "etO", ""), "12");
    for (int r = 1; r <= kRelayCount; ++r) {
        TRelaySettings loaded;
        loaded.Number = r;
        LoadRelaySettings(ini, loaded);
        EXPECT_EQ(loaded, VariedRelay(r)) << "relay " << r;
    }
    std::remove(file.c_str());
}

TEST_F(HeadlessStack, ObjectNumberWriteMovesTheConnection) {
    StartUnpaced();
    ASSERT_TRUE(m_device->WriteObjectNumber(12));
    std::int32_t number = 0;
    ASSERT_TRUE(m_device->ReadObjectNumber(number));
    EXPECT_EQ(number, 12);
    EXPECT_EQ(m_emulator->Snapshot().ObjectNumber, 12);
}

TEST_F(HeadlessStack, PacedLineCarriesTheSameAnswers) {
    Start(TEmulatorOptions{});
    ASSERT_TRUE(WriteRelay(*m_device, VariedRelay(3)));
    TRelaySettings read;
    read.Number = 3;
    EXPECT_TRUE(ReadRelay(*m_device, read));
    EXPECT_EQ(read, VariedRelay(3));
}

// Line faults that the transport's filter and the parser absorb.
TEST_F(HeadlessStack, NoiseSplitAndTrailingTextDoNotChangeTheValues) {
    TEmulatorOptions options;
    options.Pacing = false;
    options.Split = true;
    options.Behaviour.Faults.Noise = true;
    options.Behaviour.Faults.Trailing = true;
    Start(options);
    ASSERT_TRUE(WriteRelay(*m_device, VariedRelay(2)));
    TRelaySettings read;
    read.Number = 2;
    EXPECT_TRUE(ReadRelay(*m_device, read));
    EXPECT_EQ(read, VariedRelay(2));
}

TEST_F(HeadlessStack, UnansweredCommandsFailWithoutChangingValues) {
    TEmulatorOptions options;
    options.Pacing = false;
    options.Behaviour.Faults.IgnoreLetters = "Av";
    Start(options);
    TReactionRow row{};
    row.fill(7);
    EXPECT_FALSE(m_device->ReadZoneAlarms(1, row));
    EXPECT_EQ(row[0], 7);
    EXPECT_FALSE(m_device->WriteZoneAlarm(1, 1, 3));
    std::string version;
    EXPECT_FALSE(m_device->ReadVersion(version));
    EXPECT_TRUE(m_device->ReadZoneRestores(1, row));
    EXPECT_EQ(row[0], 0);
}

TEST_F(HeadlessStack, WrongVersionFailsTheVersionCheck) {
    TEmulatorOptions options;
    options.Pacing = false;
    options.Behaviour.Faults.WrongVersion = true;
    Start(options);
    std::string version;
    ASSERT_TRUE(m_device->ReadVersion(version));
    EXPECT_FALSE(m_device->MatchesVersion(version));
}

TEST_F(HeadlessStack, PulledCableEndsTheConversation) {
    TEmulatorOptions options;
    options.Pacing = false;
    options.HangUpAfter = 2;
    Start(options);
    std::string version;
    EXPECT_TRUE(m_device->ReadVersion(version));
    EXPECT_TRUE(m_device->WritePulseDuration(1, 9));
    bool answered = true;
    try {
        std::int32_t number = 0;
        answered = m_device->ReadObjectNumber(number);
    } catch (const std::exception&) {
        answered = false;
    }
    EXPECT_FALSE(answered);
    EXPECT_TRUE(m_emulator->HasHungUp());
    EXPECT_EQ(m_emulator->Snapshot().Relays[0].Duration, 9);
}

}  // namespace
