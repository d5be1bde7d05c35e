// The relay module's writes: command texts, captions, sub-indices and the object number change.
#include <gtest/gtest.h>

#include <functional>

#include "FakeTransport.h"
#include "RecordingLog.h"
#include "protocol/RelayModule.h"

using Lines = std::vector<std::string>;

class DevRelayWriteTest : public ::testing::Test {
  protected:
    DevRelayWriteTest() {
        // A module that acknowledges every write.
        comm.SetDefaultReply(
            [](const std::string& sent) -> std::optional<std::string> { return sent + "\nOK"; });
    }

    TFakeTransport comm;
    TRecordingLog log;
    TRelayModule relay{&comm, 5, &log};
};

TEST_F(DevRelayWriteTest, EveryWriteLogsItsCaptionAndSendsItsCommand) {
    const struct {
        const char* Name;
        const char* Caption;
        std::string Sent;
        std::function<bool(TRelayModule&)> Write;
    } cases[] = {
        {"object number", "Пишу № объекта", "*05o=12\r",
         [](TRelayModule& r) { return r.WriteObjectNumber(12); }},
        {"duration of relay 3", "Пишу длительность импульса включения реле", "*05T2=05\r",
         [](TRelayModule& r) { return r.WritePulseDuration(3, 5); }},
        {"duration 10", "Пишу длительность импульса включения реле", "*05T0=0A\r",
         [](TRelayModule& r) { return r.WritePulseDuration(1, 10); }},
        {"duration 0", "Пишу длительность импульса включения реле", "*05T4=00\r",
         [](TRelayModule& r) { return r.WritePulseDuration(5, 0); }},
        {"duration 255", "Пишу длительность импульса включения реле", "*05T0=FF\r",
         [](TRelayModule& r) { return r.WritePulseDuration(1, 255); }},
        {"zone 16 alarm", "Пишу \"Тревоги зон\"", "*05A0F=4\r",
         [](TRelayModule& r) { return r.WriteZoneAlarm(1, 16, 4); }},
        {"zone 1 alarm", "Пишу \"Тревоги зон\"", "*05A00=4\r",
         [](TRelayModule& r) { return r.WriteZoneAlarm(1, 1, 4); }},
        {"zone restore", "Пишу \"Восстановления зон\"", "*05R12=1\r",
         [](TRelayModule& r) { return r.WriteZoneRestore(2, 3, 1); }},
        {"zone fault", "Пишу \"Аварии зон\"", "*05E1F=3\r",
         [](TRelayModule& r) { return r.WriteZoneFault(2, 16, 3); }},
        {"partition arming", "Пишу \"Постановки разделов\"", "*05M49=2\r",
         [](TRelayModule& r) { return r.WritePartitionArming(5, 10, 2); }},
        {"partition disarming", "Пишу \"Снятия разделов\"", "*05D00=0\r",
         [](TRelayModule& r) { return r.WritePartitionDisarming(1, 1, 0); }},
        {"panel link Yes", "Пишу \"Связь с панелью\"", "*05C01=4\r",
         [](TRelayModule& r) { return r.WritePanelLink(1, 1, 4); }},
        {"panel link No", "Пишу \"Связь с панелью\"", "*05C00=4\r",
         [](TRelayModule& r) { return r.WritePanelLink(1, 0, 4); }},
        {"journal Yes", "Пишу \"Пустой журнал\"", "*05Y11=3\r",
         [](TRelayModule& r) { return r.WriteJournal(2, 1, 3); }},
        {"power No", "Пишу \"Внешнее питание\"", "*05P20=2\r",
         [](TRelayModule& r) { return r.WritePower(3, 0, 2); }},
        {"fire Yes is inverted", "Пишу \"Пожарная тревога\"", "*05F00=4\r",
         [](TRelayModule& r) { return r.WriteFire(1, 1, 4); }},
        {"fire No is inverted", "Пишу \"Пожарная тревога\"", "*05F01=4\r",
         [](TRelayModule& r) { return r.WriteFire(1, 0, 4); }},
        {"fire: any state but 0 is sub-index 0", "Пишу \"Пожарная тревога\"", "*05F00=1\r",
         [](TRelayModule& r) { return r.WriteFire(1, 5, 1); }},
        {"delay No is inverted", "Пишу \"Задержка\"", "*05W31=1\r",
         [](TRelayModule& r) { return r.WriteDelay(4, 0, 1); }},
        {"delay Yes is inverted", "Пишу \"Задержка\"", "*05W30=1\r",
         [](TRelayModule& r) { return r.WriteDelay(4, 1, 1); }},
    };
    for (const auto& c : cases) {
        TRelayModule fresh(&comm, 5, &log);
        log.Clear();
        EXPECT_TRUE(c.Write(fresh)) << c.Name;
        EXPECT_EQ(comm.Sent().back(), c.Sent) << c.Name;
        ASSERT_EQ(log.Rendered().size(), 3u) << c.Name;
        EXPECT_EQ(log.Rendered()[0], std::string("message: ") + c.Caption) << c.Name;
        EXPECT_EQ(log.Entries()[1].Kind, TLogKind::DataLines) << c.Name;
        EXPECT_EQ(log.Entries()[1].Lines, Lines{c.Sent}) << c.Name;
        EXPECT_EQ(log.Rendered()[2], "lines >>>>: OK") << c.Name;
    }
}

// What the pages cannot show never reaches the module: the device layer refuses it outright.
TEST_F(DevRelayWriteTest, ValuesOutOfRangeNeverReachTheWire) {
    const struct {
        const char* Name;
        std::function<bool(TRelayModule&)> Write;
    } cases[] = {
        {"a duration of 256", [](TRelayModule& r) { return r.WritePulseDuration(1, 256); }},
        {"a negative duration", [](TRelayModule& r) { return r.WritePulseDuration(1, -1); }},
        {"relay 6", [](TRelayModule& r) { return r.WritePulseDuration(6, 1); }},
        {"a code of -1", [](TRelayModule& r) { return r.WritePartitionAlarm(3, 8, -1); }},
        {"a code of 5", [](TRelayModule& r) { return r.WriteZoneAlarm(1, 1, 5); }},
        {"zone 17", [](TRelayModule& r) { return r.WriteZoneFault(1, 17, 1); }},
        {"partition 0", [](TRelayModule& r) { return r.WritePartitionArming(1, 0, 1); }},
        {"relay 0", [](TRelayModule& r) { return r.WritePanelLink(0, 1, 1); }},
        {"a condition code of 7", [](TRelayModule& r) { return r.WriteFire(1, 1, 7); }},
        {"object number 100", [](TRelayModule& r) { return r.WriteObjectNumber(100); }},
        {"object number -5", [](TRelayModule& r) { return r.WriteObjectNumber(-5); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_THROW(c.Write(relay), std::invalid_argument);
    }
    EXPECT_TRUE(comm.Sent().empty());
    EXPECT_EQ(relay.GetPrefix(), "*05");
}

TEST_F(DevRelayWriteTest, UnacknowledgedWriteFailsWithTheErrorLine) {
    comm.OnSilence("*05A00=4\r");
    EXPECT_FALSE(relay.WriteZoneAlarm(1, 1, 4));
    EXPECT_EQ(log.Rendered(), (Lines{"message: Пишу \"Тревоги зон\"", "lines <<<<: *05A00=4\\r",
                                     "error: Не получили: OK"}));
}

TEST_F(DevRelayWriteTest, ObjectNumbersTakeAtLeastTwoDigits) {
    const struct {
        std::int32_t Number;
        std::string Prefix;
    } cases[] = {{5, "*05"}, {7, "*07"}, {12, "*12"}, {123, "*123"}, {0, "*00"}};
    for (const auto& c : cases) {
        TRelayModule device(&comm, c.Number, nullptr);
        EXPECT_EQ(device.GetPrefix(), c.Prefix);
        EXPECT_EQ(device.FrameCommand("A0"), c.Prefix + "A0\r");
        EXPECT_EQ(device.GetObjectNumber(), c.Number);
    }
    EXPECT_EQ(relay.GetVersion(), "VER 08");
    EXPECT_EQ(relay.GetSuffix(), "\r");
    EXPECT_EQ(relay.GetTerminator(), "OK");
}

TEST_F(DevRelayWriteTest, AcknowledgedObjectNumberMovesTheConnectionToTheNewPrefix) {
    TRelayModule device(&comm, 7, &log);
    EXPECT_TRUE(device.WriteObjectNumber(12));
    TReactionRow row{};
    device.ReadZoneAlarms(1, row);
    EXPECT_EQ(comm.Sent(), (Lines{"*07o=12\r", "*12A0\r"}));
    EXPECT_EQ(device.GetObjectNumber(), 12);
}

TEST_F(DevRelayWriteTest, UnacknowledgedObjectNumberKeepsTheOldPrefix) {
    TRelayModule device(&comm, 7, &log);
    comm.OnSilence("*07o=12\r");
    EXPECT_FALSE(device.WriteObjectNumber(12));
    comm.OnSendFailure("*07o=13\r");
    EXPECT_FALSE(device.WriteObjectNumber(13));
    device.WriteZoneAlarm(1, 1, 0);
    EXPECT_EQ(comm.Sent(), (Lines{"*07o=12\r", "*07o=13\r", "*07A00=0\r"}));
    EXPECT_EQ(device.GetObjectNumber(), 7);
}
