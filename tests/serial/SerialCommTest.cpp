// The serial port component against the recording OS fake: line-state words, settings rules,
// open and close, locks and event delivery.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "FakeSerialOs.h"
#include "serial/SerialDrv.h"
#include "serial/SerialErr.h"
#include "serial/SerialSync.h"

namespace {

using namespace std::chrono_literals;

// Runs each delivery on the event thread at once.
class TDirectDispatcher : public ISyncDispatcher {
  public:
    void RunOnMainThread(const std::function<void()>& request) override { request(); }
    void ProcessPending() override {}
};

template <typename F>
int ErrorCodeOf(F action) {
    try {
        action();
    } catch (const EDeviceError& e) {
        return e.ErrorCode();
    }
    return 0;
}

template <typename Predicate>
bool WaitUntil(Predicate done, std::chrono::milliseconds limit = 5000ms) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class CommTest : public ::testing::Test {
  protected:
    CommTest() {
        auto os = std::make_unique<TFakeSerialOs>();
        fake = os.get();
        comm = std::make_unique<TSerialComm>(std::move(os));
    }
    void SetUp() override { InstallSyncDispatcher(&m_direct); }
    void TearDown() override {
        comm.reset();
        InstallSyncDispatcher(nullptr);
    }

    TLineState LastSetState() {
        auto lock = fake->Lock();
        return fake->SetStates.empty() ? TLineState{} : fake->SetStates.back();
    }
    std::size_t SetStateCount() {
        auto lock = fake->Lock();
        return fake->SetStates.size();
    }

    TFakeSerialOs* fake = nullptr;
    std::unique_ptr<TSerialComm> comm;

  private:
    TDirectDispatcher m_direct;
};

TEST_F(CommTest, NewComponentHasItsInitialSettings) {
    EXPECT_EQ(comm->DeviceName(), "COM2");
    EXPECT_EQ(comm->BaudRate(), br9600);
    EXPECT_EQ(comm->BaudValue(), 9600u);
    EXPECT_EQ(comm->DataControl().DataBits(), db8);
    EXPECT_EQ(comm->DataControl().Parity(), paNone);
    EXPECT_EQ(comm->DataControl().StopBits(), sb1);
    EXPECT_EQ(comm->FlowControl(), fcNone);
    EXPECT_TRUE(comm->Options().Empty());
    EXPECT_TRUE(comm->RTSSettings().Empty());
    EXPECT_TRUE(comm->DTRSettings().Empty());
    EXPECT_TRUE(comm->XOnXOffSettings().Empty());
    EXPECT_EQ(comm->Buffers().InputSize(), 2048);
    EXPECT_EQ(comm->Buffers().OutputSize(), 2048);
    EXPECT_EQ(comm->Buffers().InputTimeout(), 500);
    EXPECT_EQ(comm->Buffers().OutputTimeout(), 500);
    EXPECT_EQ(comm->EventChars().XonChar(), 17);
    EXPECT_EQ(comm->EventChars().XoffChar(), 19);
    EXPECT_EQ(comm->EventChars().EofChar(), 0);
    EXPECT_EQ(comm->EventChars().ErrorChar(), 0);
    EXPECT_EQ(comm->EventChars().EventChar(), 10);
    EXPECT_EQ(comm->Timeouts().ReadInterval(), 1u);
    EXPECT_EQ(comm->Timeouts().ReadMultiplier(), 30u);
    EXPECT_EQ(comm->Timeouts().ReadConstant(), 1u);
    EXPECT_EQ(comm->Timeouts().WriteMultiplier(), 30u);
    EXPECT_EQ(comm->Timeouts().WriteConstant(), 1u);
    EXPECT_EQ(comm->MonitorEvents(), (TDeviceEvents{deChar, deFlag, deOutEmpty}));
    EXPECT_TRUE(comm->Synchronize());
    EXPECT_FALSE(comm->IsOpen());
}

TEST_F(CommTest, OpenAppliesLineStateQueuesAndTimeoutsInOrder) {
    comm->SetDeviceName("ttyUSB0");
    ASSERT_TRUE(comm->Open());
    const std::vector<std::string> expected = {"OpenDevice ttyUSB0",  "SetCommMask 8187",
                                               "SetCommState",        "PurgeComm 15",
                                               "SetupComm 2048 2048", "SetCommTimeouts"};
    auto lock = fake->Lock();
    ASSERT_GE(fake->Calls.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(fake->Calls.begin(), fake->Calls.begin() + 6), expected);
    const TLineState& state = fake->SetStates.front();
    EXPECT_EQ(state.DCBlength, 28u);
    EXPECT_EQ(state.BaudRate, 9600u);
    EXPECT_EQ(state.XonLim, 512);
    EXPECT_EQ(state.XoffLim, 512);
    EXPECT_EQ(state.ByteSize, 8);
    EXPECT_EQ(state.Parity, 0);
    EXPECT_EQ(state.StopBits, 0);
    EXPECT_EQ(state.XonChar, 17);
    EXPECT_EQ(state.XoffChar, 19);
    EXPECT_EQ(state.EvtChar, 10);
    EXPECT_EQ(fake->Timeouts, (TCommTimeouts{1, 30, 1, 30, 1}));
}

TEST_F(CommTest, FlagWordFollowsFlowControlAndOptions) {
    const struct {
        const char* Name;
        TFlowControl Flow;
        TCommOptions Options;
        std::uint32_t Flags;
    } cases[] = {
        {"no flow control holds DTR and RTS off", fcNone, {}, 0x0001},
        {"RTS/CTS handshake with DTR on", fcRtsCts, {}, 0x2015},
        {"DTR/DSR with RTS on", fcDtrDsr, {}, 0x1019},
        {"software flow with DTR on", fcSoftware, {}, 0x0311},
        {"switching to custom keeps the sets as they were", fcCustom, {}, 0x0001},
        {"leaving DTR open raises DTR", fcNone, {coLeaveDTROpen}, 0x0011},
        {"every option bit",
         fcNone,
         {coAbortOnError, coDiscardNull, coDSRSensitivity, coErrorChar, coParityCheck,
          coTXContinueOnXOff},
         0x4CC3},
    };
    for (const auto& c : cases) {
        auto os = std::make_unique<TFakeSerialOs>();
        TFakeSerialOs* probe = os.get();
        TSerialComm port(std::move(os));
        port.SetOptions(c.Options);
        port.SetFlowControl(c.Flow);
        port.Open();
        auto lock = probe->Lock();
        EXPECT_EQ(probe->SetStates.front().Flags, c.Flags) << c.Name;
    }
}

TEST_F(CommTest, FlowControlChangeWhileOpenIsAppliedAtOnce) {
    comm->Open();
    comm->SetFlowControl(fcRtsCts);
    EXPECT_EQ(LastSetState().Flags, 0x2015u);
    EXPECT_EQ(comm->RTSSettings(), (TRTSSettings{fsCTSOut, fsRTSHandshake}));
    EXPECT_EQ(comm->DTRSettings(), TDTRSettings{fsDTREnabled});
    comm->SetFlowControl(fcNone);
    EXPECT_EQ(LastSetState().Flags, 0x0001u);
}

TEST_F(CommTest, LineSetsAreReadBackFromTheDevice) {
    comm->SetOptions(TCommOptions{coLeaveDTROpen});
    comm->Open();
    {
        auto lock = fake->Lock();
        fake->State.Flags = lfBinary | lfOutxDsrFlow | lfDtrControlHandshake | lfRtsControlEnable |
                            lfOutX | lfParity | lfNull | lfAbortOnError;
    }
    EXPECT_EQ(comm->DTRSettings(), (TDTRSettings{fsDSROut, fsDTRHandshake}));
    EXPECT_EQ(comm->RTSSettings(), TRTSSettings{fsRTSEnabled});
    EXPECT_EQ(comm->XOnXOffSettings(), TXOnXOffSettings{fsOutX});
    // Whether DTR stays open is no device state; it keeps what was set.
    EXPECT_EQ(comm->Options(),
              (TCommOptions{coParityCheck, coDiscardNull, coAbortOnError, coLeaveDTROpen}));
    {
        auto lock = fake->Lock();
        fake->Failing.insert("GetCommState");
    }
    EXPECT_EQ(comm->RTSSettings(), TRTSSettings{fsRTSEnabled});
}

TEST_F(CommTest, BaudRateSetsBaudValueFromTheTable) {
    comm->SetBaudRate(br19200);
    EXPECT_EQ(comm->BaudValue(), 19200u);
    comm->SetBaudValue(1234);
    EXPECT_EQ(comm->BaudValue(), 19200u);
    comm->SetBaudRate(brCustom);
    EXPECT_EQ(comm->BaudValue(), 19200u);
    comm->SetBaudValue(31250);
    EXPECT_EQ(comm->BaudValue(), 31250u);
}

TEST_F(CommTest, BaudRateOfAnOpenPortIsReadBack) {
    comm->SetBaudRate(br19200);
    comm->Open();
    EXPECT_EQ(LastSetState().BaudRate, 19200u);
    EXPECT_EQ(comm->BaudRate(), br19200);
    {
        auto lock = fake->Lock();
        fake->State.BaudRate = 31250;
    }
    EXPECT_EQ(comm->BaudRate(), brCustom);
    EXPECT_EQ(comm->BaudValue(), 31250u);
    {
        auto lock = fake->Lock();
        fake->State.BaudRate = 19200;
    }
    EXPECT_EQ(comm->BaudRate(), brCustom);
}

TEST_F(CommTest, QueueSizesAreClamped) {
    const struct {
        std::uint16_t Written;
        std::uint16_t Stored;
    } cases[] = {{100, 128}, {10000, 4096}, {0, 128}, {128, 128}, {4096, 4096}, {1000, 1000}};
    for (const auto& c : cases) {
        comm->Buffers().SetInputSize(c.Written);
        comm->Buffers().SetOutputSize(c.Written);
        EXPECT_EQ(comm->Buffers().InputSize(), c.Stored) << c.Written;
        EXPECT_EQ(comm->Buffers().OutputSize(), c.Stored) << c.Written;
    }
}

TEST_F(CommTest, QueueSizeOfAnOpenPortComesFromTheDriverUnlessZero) {
    comm->Buffers().SetOutputSize(1024);
    comm->Open();
    EXPECT_EQ(comm->Buffers().OutputSize(), 1024);
    {
        auto lock = fake->Lock();
        fake->Properties.CurrentTxQueue = 512;
        fake->Properties.CurrentRxQueue = 4096;
    }
    EXPECT_EQ(comm->Buffers().OutputSize(), 512);
    EXPECT_EQ(comm->Buffers().InputSize(), 4096);
    comm->Buffers().SetInputSize(300);
    EXPECT_TRUE(fake->WasCalled("SetupComm 300 1024"));
}

TEST_F(CommTest, DtrRulesLetTheNewElementWin) {
    comm->SetFlowControl(fcCustom);
    comm->SetDTRSettings(TDTRSettings{fsDTRHandshake});
    comm->SetDTRSettings(TDTRSettings{fsDTREnabled, fsDTRHandshake});
    EXPECT_EQ(comm->DTRSettings(), TDTRSettings{fsDTREnabled});

    comm->SetDTRSettings(TDTRSettings{});
    comm->SetDTRSettings(TDTRSettings{fsDTREnabled, fsDTRHandshake});
    EXPECT_EQ(comm->DTRSettings(), TDTRSettings{fsDTRHandshake});

    comm->SetOptions(TCommOptions{coLeaveDTROpen});
    comm->SetFlowControl(fcCustom);
    comm->SetDTRSettings(TDTRSettings{fsDTRHandshake});
    EXPECT_EQ(comm->DTRSettings(), TDTRSettings{fsDTREnabled});
}

TEST_F(CommTest, LineSetsAreFixedUnlessFlowControlIsCustom) {
    comm->SetFlowControl(fcRtsCts);
    comm->SetRTSSettings(TRTSSettings{fsRTSEnabled});
    comm->SetDTRSettings(TDTRSettings{fsDSROut});
    comm->SetXOnXOffSettings(TXOnXOffSettings{fsInX});
    EXPECT_EQ(comm->RTSSettings(), (TRTSSettings{fsCTSOut, fsRTSHandshake}));
    EXPECT_EQ(comm->DTRSettings(), TDTRSettings{fsDTREnabled});
    EXPECT_TRUE(comm->XOnXOffSettings().Empty());
}

TEST_F(CommTest, OptionsWrittenWhileClosedRederiveTheLineSets) {
    comm->SetFlowControl(fcCustom);
    comm->SetRTSSettings(TRTSSettings{fsRTSEnabled});
    comm->SetXOnXOffSettings(TXOnXOffSettings{fsInX, fsOutX});
    comm->SetOptions(TCommOptions{coParityCheck});
    EXPECT_TRUE(comm->RTSSettings().Empty());
    EXPECT_EQ(comm->DTRSettings(), TDTRSettings{fsDTREnabled});
    EXPECT_TRUE(comm->XOnXOffSettings().Empty());
}

TEST_F(CommTest, LeaveDtrOpenChangesOnlyWhileClosed) {
    comm->Open();
    const std::size_t before = SetStateCount();
    comm->SetOptions(TCommOptions{coLeaveDTROpen});
    EXPECT_EQ(SetStateCount(), before) << "an unchanged value applies nothing";
    EXPECT_FALSE(comm->Options().Contains(coLeaveDTROpen));
    comm->SetOptions(TCommOptions{coDiscardNull});
    EXPECT_EQ(LastSetState().Flags, lfBinary | lfNull);
}

TEST_F(CommTest, SettingsObjectsApplyWhileOpenAndReadBack) {
    comm->Open();
    comm->DataControl().SetParity(paEven);
    EXPECT_EQ(LastSetState().Parity, 2);
    comm->DataControl().SetDataBits(db7);
    EXPECT_EQ(LastSetState().ByteSize, 7);
    EXPECT_EQ(comm->DataControl().DataBits(), db7);
    comm->EventChars().SetEventChar('!');
    EXPECT_EQ(comm->EventChars().EventChar(), '!');
    comm->Timeouts().SetWriteConstant(50);
    EXPECT_EQ(comm->Timeouts().WriteConstant(), 50u);

    auto otherOs = std::make_unique<TFakeSerialOs>();
    TSerialComm other(std::move(otherOs));
    other.Timeouts().SetReadInterval(9);
    other.Buffers().SetInputTimeout(77);
    comm->SetTimeouts(other.Timeouts());
    comm->SetBuffers(other.Buffers());
    EXPECT_EQ(comm->Timeouts().ReadInterval(), 9u);
    EXPECT_EQ(comm->Buffers().InputTimeout(), 77);
}

TEST_F(CommTest, DeviceNameChangesOnlyWhileClosed) {
    comm->Open();
    comm->SetDeviceName("ttyS1");
    EXPECT_EQ(comm->DeviceName(), "COM2");
    comm->Close();
    comm->SetDeviceName("ttyS1");
    EXPECT_EQ(comm->DeviceName(), "ttyS1");
}

TEST_F(CommTest, OpenAndCloseRefuseTheWrongState) {
    EXPECT_EQ(ErrorCodeOf([&] { comm->Close(); }), errDeviceNotOpened);
    EXPECT_EQ(ErrorCodeOf([&] { comm->PurgeIn(); }), errDeviceNotOpened);
    EXPECT_EQ(ErrorCodeOf([&] { comm->QueueCount(0); }), errDeviceNotOpened);
    EXPECT_EQ(ErrorCodeOf([&] { comm->SendString(""); }), errDeviceNotOpened);
    char c = 0;
    EXPECT_EQ(ErrorCodeOf([&] { comm->ReadChar(c); }), errDeviceNotOpened);
    EXPECT_EQ(comm->GetLockState(), (TCommLocks{clSend, clRead}));
    comm->Open();
    EXPECT_EQ(ErrorCodeOf([&] { comm->Open(); }), errDeviceAlreadyOpened);
    EXPECT_TRUE(comm->GetLockState().Empty());
}

TEST_F(CommTest, FailedOpenLeavesThePortClosedAndReleased) {
    const struct {
        const char* FailingCall;
        int Code;
    } cases[] = {
        {"OpenDevice", errCannotOpenDevice},
        {"SetCommState", errUpdateCommState},
        {"SetupComm", errUpdateBuffers},
        {"SetCommTimeouts", errUpdateTimeouts},
    };
    for (const auto& c : cases) {
        auto os = std::make_unique<TFakeSerialOs>();
        TFakeSerialOs* probe = os.get();
        TSerialComm port(std::move(os));
        probe->Failing.insert(c.FailingCall);
        EXPECT_EQ(ErrorCodeOf([&] { port.Open(); }), c.Code) << c.FailingCall;
        EXPECT_FALSE(port.IsOpen()) << c.FailingCall;
        auto lock = probe->Lock();
        EXPECT_EQ(probe->OpenHandles, 0) << c.FailingCall;
    }
}

TEST_F(CommTest, MissingDeviceIsNamedInTheMessage) {
    fake->Failing.insert("OpenDevice");
    comm->SetDeviceName("ttyUSB9");
    try {
        comm->Open();
        FAIL() << "open succeeded";
    } catch (const EDeviceError& e) {
        EXPECT_STREQ(e.what(), "Cannot open device ttyUSB9");
        EXPECT_EQ(e.ErrorCode(), 65535);
        // The fake fails with EIO; the OS error travels beside the message.
        EXPECT_EQ(e.OsError(), EIO);
    }
}

TEST_F(CommTest, SettingFailuresOfAnOpenPortRaiseAndKeepTheValue) {
    comm->Open();
    fake->Failing.insert("SetCommState");
    EXPECT_EQ(ErrorCodeOf([&] { comm->SetBaudRate(br38400); }), errUpdateCommState);
    fake->Failing.clear();
    fake->Failing.insert("GetCommState");
    EXPECT_EQ(comm->BaudRate(), br38400);
}

TEST_F(CommTest, TransferFailuresCarryTheOsText) {
    comm->Open();
    {
        auto lock = fake->Lock();
        fake->Failing.insert("WriteFile");
        fake->Failing.insert("ReadFile");
        fake->Input = "x";
    }
    try {
        comm->SendChar('a');
        FAIL() << "write succeeded";
    } catch (const EDeviceError& e) {
        EXPECT_EQ(e.ErrorCode(), errWritePort);
        EXPECT_STREQ(e.what(), "Unable to write to port. (OS error 5: Input/output error)");
    }
    char c = 0;
    EXPECT_EQ(ErrorCodeOf([&] { comm->ReadChar(c); }), errReadPort);
}

TEST_F(CommTest, HandlersCannotSendOrReadAgainWhileTheyRun) {
    comm->Open();
    int sendLockCode = 0;
    comm->OnSend = [&](TCustomComm* sender) {
        sendLockCode = ErrorCodeOf([&] { sender->SendChar('x'); });
    };
    EXPECT_TRUE(comm->SendString("ab"));
    EXPECT_EQ(sendLockCode, errSendLocked);
    comm->OnSend = nullptr;
    EXPECT_TRUE(comm->SendChar('c'));
    EXPECT_EQ(fake->Written, "abc");

    fake->Receive("xyz");
    int readLockCode = 0;
    comm->OnRead = [&](TCustomComm* sender) {
        char c = 0;
        readLockCode = ErrorCodeOf([&] { sender->ReadChar(c); });
    };
    char buffer[3] = {};
    EXPECT_EQ(comm->ReadData(buffer, 2, 100), 2u);
    EXPECT_EQ(readLockCode, errReadLocked);
    comm->OnRead = nullptr;
    char c = 0;
    EXPECT_TRUE(comm->ReadChar(c));
    EXPECT_EQ(c, 'z');
}

TEST_F(CommTest, SendStringOfNothingWritesNothing) {
    comm->Open();
    EXPECT_TRUE(comm->SendString(""));
    EXPECT_TRUE(fake->Written.empty());
}

TEST_F(CommTest, ReadReturnsWhatArrivedOnceTheQueueStaysEmpty) {
    comm->Open();
    char buffer[10] = {};
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(comm->ReadData(buffer, 10, 50), 0u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    fake->Receive("abc");
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(comm->ReadData(buffer, 10, 50), 3u);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(std::string(buffer, 3), "abc");
}

TEST_F(CommTest, OutEmptyIsDeliveredOnTheSendingThreadPerWrite) {
    comm->Open();
    int deliveries = 0;
    bool onSendingThread = true;
    const auto sender = std::this_thread::get_id();
    comm->OnCommEvent = [&](TCustomComm*, const TDeviceEvents& events) {
        EXPECT_EQ(events, TDeviceEvents{deOutEmpty});
        onSendingThread = onSendingThread && std::this_thread::get_id() == sender;
        ++deliveries;
    };
    comm->SendString("abc");
    comm->SendChar('d');
    EXPECT_EQ(deliveries, 2);
    EXPECT_TRUE(onSendingThread);

    comm->SetMonitorEvents(TDeviceEvents{deChar});
    comm->SendChar('e');
    EXPECT_EQ(deliveries, 2);
}

TEST_F(CommTest, ReceivedCharacterCallsOnDataEvenWhenNothingIsMonitored) {
    comm->SetMonitorEvents(TDeviceEvents{});
    std::atomic<int> commEvents{0};
    std::atomic<std::uint32_t> received{0};
    comm->OnCommEvent = [&](TCustomComm*, const TDeviceEvents&) { ++commEvents; };
    comm->OnData = [&](TCustomComm*, std::uint32_t count) { received = count; };
    comm->Open();
    fake->Receive("abc");
    fake->RaiseEvent(0x0001);
    EXPECT_TRUE(WaitUntil([&] { return received == 3u; }));
    EXPECT_EQ(commEvents, 0);
}

TEST_F(CommTest, LineEventsReachOnlyMonitoredHandlers) {
    comm->SetSynchronize(false);
    std::atomic<std::uint16_t> seen{0};
    comm->OnCommEvent = [&](TCustomComm*, const TDeviceEvents& events) { seen = events.ToBits(); };
    comm->SetMonitorEvents(TDeviceEvents{deCTS, deRing});
    comm->Open();
    fake->RaiseEvent(0x0008 | 0x0010 | 0x0100);
    EXPECT_TRUE(WaitUntil([&] { return seen != 0; }));
    EXPECT_EQ(TDeviceEvents::FromBits(seen), (TDeviceEvents{deCTS, deRing}));
}

// The event thread waits in the main-thread queue while the main thread closes the port.
class CommSynchronizeTest : public ::testing::Test {
  protected:
    void SetUp() override { InstallSyncDispatcher(&m_queue); }
    void TearDown() override { InstallSyncDispatcher(nullptr); }

    // Runs `action` on its own thread and reports whether it ended within a few seconds. One
    // that did not is freed by serving `rescue` until it ends, so that no thread outlives the
    // test and what it refers to.
    static bool EndsInTime(std::function<void()> action, ISyncDispatcher& rescue) {
        std::atomic<bool> ended{false};
        std::thread runner([&] {
            action();
            ended = true;
        });
        const bool inTime = WaitUntil([&] { return ended.load(); }, 5000ms);
        while (!ended) {
            rescue.ProcessPending();
            std::this_thread::sleep_for(1ms);
        }
        runner.join();
        return inTime;
    }

    TMainThreadDispatcher m_queue;
};

TEST_F(CommSynchronizeTest, CloseAndDestructionWhileADeliveryWaitsDoNotDeadlock) {
    const struct {
        const char* Name;
        bool Destroy;
        bool InstallAnotherDispatcher;
    } cases[] = {
        {"close", false, false},
        {"destruction", true, false},
        {"close after another dispatcher was installed", false, true},
        {"destruction after another dispatcher was installed", true, true},
    };
    for (const auto& c : cases) {
        InstallSyncDispatcher(&m_queue);
        std::atomic<int> wakes{0};
        m_queue.SetWakeHook([&] { ++wakes; });
        auto os = std::make_unique<TFakeSerialOs>();
        TFakeSerialOs* probe = os.get();
        auto port = std::make_unique<TSerialComm>(std::move(os));
        std::atomic<int> deliveries{0};
        port->OnCommEvent = [&](TCustomComm*, const TDeviceEvents&) { ++deliveries; };
        port->Open();
        probe->RaiseEvent(0x0001);
        ASSERT_TRUE(WaitUntil([&] { return wakes > 0; })) << c.Name;
        TMainThreadDispatcher another;
        if (c.InstallAnotherDispatcher)
            InstallSyncDispatcher(&another);
        // The action resets the port's only owner, so destruction really destroys it.
        EXPECT_TRUE(EndsInTime(
            [&port, destroy = c.Destroy] {
                if (destroy) {
                    port.reset();
                } else {
                    port->Close();
                }
            },
            m_queue))
            << c.Name;
        EXPECT_EQ(port == nullptr, c.Destroy) << c.Name;
        // Events that arrive while the port goes away are dropped.
        EXPECT_EQ(deliveries, 0) << c.Name;
        port.reset();
        InstallSyncDispatcher(&m_queue);
        m_queue.SetWakeHook(nullptr);
    }
}

TEST_F(CommSynchronizeTest, QueuedDeliveryRunsWhenTheMainThreadProcessesIt) {
    auto os = std::make_unique<TFakeSerialOs>();
    TFakeSerialOs* probe = os.get();
    TSerialComm port(std::move(os));
    std::atomic<int> deliveries{0};
    std::thread::id deliveredOn;
    port.OnCommEvent = [&](TCustomComm*, const TDeviceEvents&) {
        deliveredOn = std::this_thread::get_id();
        ++deliveries;
    };
    std::atomic<int> wakes{0};
    m_queue.SetWakeHook([&] { ++wakes; });
    port.Open();
    probe->RaiseEvent(0x0001);
    ASSERT_TRUE(WaitUntil([&] { return wakes > 0; }));
    EXPECT_EQ(deliveries, 0);
    m_queue.ProcessPending();
    EXPECT_EQ(deliveries, 1);
    EXPECT_EQ(deliveredOn, std::this_thread::get_id());
    m_queue.SetWakeHook(nullptr);
}

}  // namespace
