// The COM-port transport: its open sequence on the recording OS fake; filtering, terminators,
// purges, timeouts and the open and close rules on a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FakeSerialOs.h"
#include "PtyPair.h"
#include "serial/SerialErr.h"
#include "transport/ComPortWorker.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kAnswerTimeoutMs = 300;

// A pseudo-terminal forces 8 data bits and no parity and has no modem lines, so the line the
// worker asks for is checked on the fake, call by call.
TEST(WorkerOnFakeTest, OpenAsksTheOsForTheModuleLineExactly) {
    const struct {
        const char* Name;
        const char* Port;
        TBaudRate Rate;
        std::uint32_t BitsPerSecond;
        int Timeout;
    } cases[] = {
        {"the module's line", "ttyUSB0", br19200, 19200, 300},
        {"another rate and port", "/dev/ttyS3", br9600, 9600, 150},
    };
    for (const auto& c : cases) {
        auto os = std::make_unique<TFakeSerialOs>();
        TFakeSerialOs* fake = os.get();
        TComPortWorker worker(true, std::move(os));
        worker.Open(c.Port, c.Rate, c.Timeout);
        EXPECT_EQ(worker.GetTimeout(), c.Timeout) << c.Name;
        worker.Close();

        auto lock = fake->Lock();
        const std::vector<std::string> expected = {std::string("OpenDevice ") + c.Port,
                                                   "SetCommMask 8187",
                                                   "SetCommState",
                                                   "PurgeComm 15",
                                                   "SetupComm 2048 2048",
                                                   "SetCommTimeouts",
                                                   "SetCommMask 0",
                                                   "CloseDevice"};
        EXPECT_EQ(fake->Calls, expected) << c.Name;
        ASSERT_EQ(fake->SetStates.size(), 1u) << c.Name;
        TLineState line;
        line.BaudRate = c.BitsPerSecond;
        // Binary only: no parity check, no handshake, DTR and RTS held off.
        line.Flags = lfBinary;
        line.XonLim = 512;
        line.XoffLim = 512;
        line.ByteSize = 8;
        line.Parity = 0;
        line.StopBits = 0;
        line.XonChar = 17;
        line.XoffChar = 19;
        line.ErrorChar = 0;
        line.EofChar = 0;
        line.EvtChar = 10;
        EXPECT_EQ(fake->SetStates.front(), line) << c.Name;
        EXPECT_EQ(fake->Timeouts, (TCommTimeouts{1, 30, 1, 30, 1})) << c.Name;
        EXPECT_EQ(fake->OpenHandles, 0) << c.Name;
    }
}

TEST(WorkerOnFakeTest, SecondOpenClosesFirstAndAFailedOneKeepsTheTimeout) {
    auto os = std::make_unique<TFakeSerialOs>();
    TFakeSerialOs* fake = os.get();
    TComPortWorker worker(true, std::move(os));
    worker.Open("ttyUSB0", br19200, 300);
    worker.Open("ttyUSB1", br19200, 200);
    {
        auto lock = fake->Lock();
        ASSERT_GE(fake->Calls.size(), 9u);
        const std::vector<std::string> closeThenOpen(fake->Calls.begin() + 6,
                                                     fake->Calls.begin() + 9);
        EXPECT_EQ(closeThenOpen,
                  (std::vector<std::string>{"SetCommMask 0", "CloseDevice", "OpenDevice ttyUSB1"}));
        EXPECT_EQ(fake->OpenHandles, 1);
        fake->Failing.insert("OpenDevice");
    }
    try {
        worker.Open("ttyUSB2", br19200, 500);
        ADD_FAILURE() << "the open succeeded";
    } catch (const EDeviceError& e) {
        EXPECT_STREQ(e.what(), "Cannot open device ttyUSB2");
        EXPECT_EQ(e.ErrorCode(), errCannotOpenDevice);
    }
    EXPECT_FALSE(worker.GetPort().IsOpen());
    EXPECT_EQ(worker.GetTimeout(), 200);
    auto lock = fake->Lock();
    EXPECT_EQ(fake->OpenHandles, 0);
}

// The line dies between the look at the queue and the read of the character it reported; the
// read must not wait out the port's own read timeout.
TEST(WorkerOnFakeTest, CablePulledBetweenCountAndReadEndsReceiveOnTime) {
    auto os = std::make_unique<TFakeSerialOs>();
    TFakeSerialOs* fake = os.get();
    TComPortWorker worker(true, std::move(os));
    worker.Open("ttyUSB0", br19200, 300);
    worker.GetPort().Buffers().SetInputTimeout(5000);
    fake->Receive("VER 08 O");
    fake->PullCableAfterCounts(1);
    std::string answer;
    const auto start = Clock::now();
    EXPECT_FALSE(worker.Receive(answer, "OK"));
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 300ms);
    EXPECT_LT(elapsed, 2s);
    EXPECT_THROW(worker.Send("*07v\r"), EDeviceError);
    EXPECT_NO_THROW(worker.Close());
}

class WorkerTest : public ::testing::Test {
  protected:
    void SetUp() override { worker.Open(pty.SlavePath(), br19200, kAnswerTimeoutMs); }

    // The far end answers `reply` once the worker's command has arrived.
    std::thread AnswerAfterCommand(std::string reply) {
        return std::thread([this, reply] {
            pty.ReadUntil('\r');
            pty.Write(reply);
        });
    }

    // The far end's bytes have reached the worker's input queue; a fixed pause could be too
    // short on a busy machine.
    void WaitUntilQueued(std::uint32_t count) {
        const auto deadline = Clock::now() + 5s;
        while (worker.GetPort().QueueCount(0) < count && Clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        ASSERT_EQ(worker.GetPort().QueueCount(0), count);
    }

    TPtyPair pty;
    TComPortWorker worker{true};
};

TEST_F(WorkerTest, OpenSetsTheModuleLine) {
    TSerialComm& port = worker.GetPort();
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(port.BaudRate(), br19200);
    EXPECT_EQ(port.DataControl().DataBits(), db8);
    EXPECT_EQ(port.DataControl().Parity(), paNone);
    EXPECT_EQ(port.DataControl().StopBits(), sb1);
    EXPECT_EQ(port.FlowControl(), fcNone);
    EXPECT_TRUE(port.RTSSettings().Empty());
    EXPECT_TRUE(port.DTRSettings().Empty());
    EXPECT_EQ(worker.GetTimeout(), kAnswerTimeoutMs);
}

TEST_F(WorkerTest, RejectedCharactersAreDroppedAndTheWaitGoesOn) {
    std::thread peer([this] {
        pty.Write(std::string("\0\x05O", 3));
        std::this_thread::sleep_for(50ms);
        pty.Write("\x80\x09\xFFK\r\n");
    });
    std::string answer;
    EXPECT_TRUE(worker.Receive(answer, "OK"));
    EXPECT_EQ(answer, "OK");
    peer.join();
}

TEST_F(WorkerTest, TerminatorSplitAcrossBurstsIsFound) {
    std::thread peer([this] {
        pty.Write("*07v\r\nVER 08 O");
        std::this_thread::sleep_for(60ms);
        pty.Write("K\r\n");
    });
    std::string answer;
    EXPECT_TRUE(worker.Receive(answer, "OK"));
    EXPECT_EQ(answer, "*07v\r\nVER 08 OK");
    peer.join();
}

TEST_F(WorkerTest, LowerCaseAnswerSatisfiesTheTerminator) {
    pty.Write("ok");
    std::string answer;
    EXPECT_TRUE(worker.Receive(answer, "OK"));
    EXPECT_EQ(answer, "ok");
}

// The answer ends at its terminator however many bytes one read took; what follows is the next
// receive's, until a send drops it.
TEST_F(WorkerTest, CharactersAfterTheTerminatorStayForTheNextSendToPurge) {
    pty.Write("AB OK\r\nXYZ OK\r\n12");
    WaitUntilQueued(17);
    std::string answer;
    EXPECT_TRUE(worker.Receive(answer, "OK"));
    EXPECT_EQ(answer, "AB OK");
    EXPECT_TRUE(worker.Receive(answer, "OK"));
    EXPECT_EQ(answer, "\r\nXYZ OK");

    std::thread peer = AnswerAfterCommand("1 OK");
    EXPECT_TRUE(worker.Send("*07o\r"));
    EXPECT_TRUE(worker.Receive(answer, "OK"));
    EXPECT_EQ(answer, "1 OK");
    peer.join();
}

TEST_F(WorkerTest, SendDropsStaleInput) {
    pty.Write("stale OK");
    WaitUntilQueued(8);
    std::thread peer = AnswerAfterCommand("fresh OK");
    EXPECT_TRUE(worker.Send("*07v\r"));
    std::string answer;
    EXPECT_TRUE(worker.Receive(answer, "OK"));
    EXPECT_EQ(answer, "fresh OK");
    peer.join();
}

TEST_F(WorkerTest, SilentModuleTimesOutWithinBounds) {
    std::string answer = "old";
    const auto start = Clock::now();
    EXPECT_FALSE(worker.Receive(answer, "OK"));
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, 300ms);
    EXPECT_LT(elapsed, 2s);
    EXPECT_TRUE(answer.empty());
}

TEST_F(WorkerTest, TimeoutKeepsThePartialAnswer) {
    pty.Write("VER 08");
    std::string answer;
    EXPECT_FALSE(worker.Receive(answer, "OK", 100));
    EXPECT_EQ(answer, "VER 08");
}

TEST_F(WorkerTest, EmptyTerminatorOrListNeverMatches) {
    pty.Write("OK");
    std::string answer;
    EXPECT_FALSE(worker.Receive(answer, "", 60));
    EXPECT_EQ(answer, "OK");
    EXPECT_FALSE(worker.ReceiveAny(answer, {}, 60));
    EXPECT_FALSE(worker.WaitForAny({""}, 60));
}

TEST_F(WorkerTest, ReceiveAnyStopsAtAnyListedString) {
    pty.Write("*07x\r\nERR\r\n");
    std::string answer;
    EXPECT_TRUE(worker.ReceiveAny(answer, {"OK", "err"}));
    EXPECT_EQ(answer, "*07x\r\nERR\r\n");
    pty.Write("done OK");
    EXPECT_TRUE(worker.WaitFor("ok"));
}

TEST_F(WorkerTest, SendSlowWritesExactlyTheText) {
    pty.Write("junk");
    WaitUntilQueued(4);
    worker.SendSlow("]");
    EXPECT_EQ(pty.ReadQuiet(), "]");
    EXPECT_EQ(worker.GetPort().QueueCount(0), 0u);
}

TEST_F(WorkerTest, ClosedWorkerSkipsPurgesAndRefusesTransfers) {
    worker.Close();
    EXPECT_NO_THROW(worker.Close());
    EXPECT_NO_THROW(worker.Purge());
    try {
        worker.Send("x");
        FAIL() << "send on a closed port succeeded";
    } catch (const EDeviceError& e) {
        EXPECT_EQ(e.ErrorCode(), errDeviceNotOpened);
        EXPECT_STREQ(e.what(), "Device not opened.");
    }
    std::string answer;
    EXPECT_THROW(worker.Receive(answer, "OK"), EDeviceError);
}

TEST_F(WorkerTest, SecondOpenReopensWithTheNewSettings) {
    worker.Open(pty.SlavePath(), br9600, 150);
    EXPECT_TRUE(worker.GetPort().IsOpen());
    EXPECT_EQ(worker.GetPort().BaudRate(), br9600);
    EXPECT_EQ(worker.GetTimeout(), 150);

    EXPECT_THROW(worker.Open("/dev/tarnel-no-such-port", br19200, 500), EDeviceError);
    EXPECT_FALSE(worker.GetPort().IsOpen());
    EXPECT_EQ(worker.GetTimeout(), 150);
}

TEST_F(WorkerTest, CablePulledWhileReceiveWaitsIsATimeoutThenAWriteError) {
    const std::string partial = "*07v\r\nVER 0";
    std::thread peer([this, partial] {
        pty.Write(partial);
        std::this_thread::sleep_for(50ms);
        pty.CloseMaster();
    });
    std::string answer;
    const auto start = Clock::now();
    EXPECT_FALSE(worker.Receive(answer, "OK"));
    const auto elapsed = Clock::now() - start;
    peer.join();
    EXPECT_GE(elapsed, 300ms);
    EXPECT_LT(elapsed, 2s);
    EXPECT_EQ(answer, partial.substr(0, answer.size()));

    try {
        worker.Send("*07v\r");
        ADD_FAILURE() << "the send succeeded";
    } catch (const EDeviceError& e) {
        EXPECT_EQ(e.ErrorCode(), errWritePort);
        EXPECT_STREQ(e.what(), "Unable to write to port. (OS error 5: Input/output error)");
    }
    EXPECT_NO_THROW(worker.Close());
    EXPECT_FALSE(worker.GetPort().IsOpen());
}

TEST_F(WorkerTest, VanishedModuleIsAnErrorOrATimeout) {
    pty.CloseMaster();
    std::this_thread::sleep_for(20ms);
    EXPECT_THROW(worker.Send("*07v\r"), EDeviceError);
    std::string answer;
    const auto start = Clock::now();
    EXPECT_FALSE(worker.Receive(answer, "OK"));
    EXPECT_LT(Clock::now() - start, 2s);
    worker.Close();
}

}  // namespace
