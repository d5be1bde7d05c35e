// The driver's error catalogue, its OS error texts, and the filtering of port lists.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "serial/SerialEnum.h"
#include "serial/SerialErr.h"

namespace {

template <typename F>
EDeviceError CatchDeviceError(F raise) {
    try {
        raise();
    } catch (const EDeviceError& e) {
        return e;
    }
    ADD_FAILURE() << "no EDeviceError raised";
    return EDeviceError("", -1);
}

TEST(DeviceErrors, CatalogueCarriesCodesAndTexts) {
    const struct {
        int Code;
        const char* Message;
        const char* Expected;
    } cases[] = {
        {errDeviceNotOpened, msgDeviceNotOpened, "Device not opened."},
        {errDeviceAlreadyOpened, msgDeviceAlreadyOpened, "Device is allready opened."},
        {errUpdateCommState, msgUpdateCommState, "Unable to update device control block."},
        {errSendLocked, msgSendLocked, "Device locked. Cannot perform send operations."},
        {errReadLocked, msgReadLocked, "Device locked. Cannot perform read operations."},
        {errUpdateBuffers, msgUpdateBuffers, "Unable to update IO buffers."},
        {errUpdateTimeouts, msgUpdateTimeouts, "Unable to update Timeouts."},
        {errReadPort, msgReadPort, "Unable to read from port."},
        {errWritePort, msgWritePort, "Unable to write to port."},
        {errEnumPorts, msgEnumPorts, "EnumPorts failed."},
    };
    const int expectedCodes[] = {1, 2, 3, 4, 5, 6, 7, 10, 11, 12};
    int index = 0;
    for (const auto& c : cases) {
        const EDeviceError e = CatchDeviceError([&] { RaiseDeviceError(c.Message, c.Code); });
        EXPECT_EQ(e.ErrorCode(), expectedCodes[index++]);
        EXPECT_STREQ(e.what(), c.Expected);
    }
}

TEST(DeviceErrors, CannotOpenDeviceNamesTheDeviceAndAddsNoOsText) {
    errno = EACCES;
    const EDeviceError e = CatchDeviceError(
        [] { RaiseDeviceError(CannotOpenDeviceMessage("ttyUSB3"), errCannotOpenDevice); });
    EXPECT_EQ(e.ErrorCode(), 65535);
    EXPECT_STREQ(e.what(), "Cannot open device ttyUSB3");
}

TEST(DeviceErrors, OsErrorAppendsNumberAndText) {
    errno = EIO;
    const EDeviceError e = CatchDeviceError([] { RaiseOSDeviceError(msgWritePort, errWritePort); });
    EXPECT_EQ(e.ErrorCode(), 11);
    EXPECT_STREQ(e.what(), "Unable to write to port. (OS error 5: Input/output error)");
}

TEST(DeviceErrors, OsTextLosesTrailingStopsAndLineBreaks) {
    EXPECT_EQ(TrimOSErrorText("Access is denied.\r\n"), "Access is denied");
    EXPECT_EQ(TrimOSErrorText("No such device. . \n"), "No such device");
    EXPECT_EQ(TrimOSErrorText("v1.2 ok"), "v1.2 ok");
    EXPECT_EQ(FormatOSDeviceError("EnumPorts failed.", 2, TrimOSErrorText("Not found.\r\n")),
              "EnumPorts failed. (OS error 2: Not found)");
}

// A spooler that answers the two-call protocol from a fixed list.
struct TFakeSpooler {
    std::vector<std::string> Ports;
    int FirstCallError = ERANGE;
    bool FailSecondCall = false;
    int Calls = 0;

    bool operator()(std::vector<std::string>* buffer, std::size_t size, std::size_t& needed) {
        ++Calls;
        needed = Ports.size();
        if (!buffer) {
            if (Ports.empty())
                return true;
            errno = FirstCallError;
            return false;
        }
        if (FailSecondCall || size < Ports.size()) {
            errno = EIO;
            return false;
        }
        std::copy(Ports.begin(), Ports.end(), buffer->begin());
        return true;
    }
};

const std::vector<std::string> kSpoolerPorts = {
    "COM1:", "COM3:", "LPT1:", "FILE:", "\\\\server\\printer"};

TEST(EnumPortNames, FiltersBySpoolerKind) {
    const struct {
        const char* Name;
        std::vector<std::string> Ports;
        TPortKinds Kinds;
        std::vector<std::string> Expected;
    } cases[] = {
        {"COM ports lose their colon, in spooler order", kSpoolerPorts, pkCOM, {"COM1", "COM3"}},
        {"LPT ports", kSpoolerPorts, pkLPT, {"LPT1"}},
        {"network ports stay whole", kSpoolerPorts, pkNetwork, {"\\\\server\\printer"}},
        {"only the first kind present decides", kSpoolerPorts, pkCOM | pkLPT, {"COM1", "COM3"}},
        {"the test is case-sensitive; COMX is a COM port", {"com5:", "COMX:"}, pkCOM, {"COMX"}},
        {"FAX anywhere in the name", {"MYFAX1:", "FAXX", "LPT2:"}, pkFAX, {"MYFAX1", "FAX"}},
    };
    for (const auto& c : cases) {
        TFakeSpooler spooler{c.Ports};
        std::vector<std::string> list = {"stale"};
        EXPECT_TRUE(EnumPortNames(list, c.Kinds, std::ref(spooler))) << c.Name;
        EXPECT_EQ(list, c.Expected) << c.Name;
        EXPECT_EQ(spooler.Calls, 2) << c.Name;
    }
}

TEST(EnumPortNames, EmptySpoolerKeepsTheList) {
    TFakeSpooler spooler;
    std::vector<std::string> list = {"COM9"};
    EXPECT_TRUE(EnumPortNames(list, pkCOM, std::ref(spooler)));
    EXPECT_EQ(list, std::vector<std::string>{"COM9"});
    EXPECT_EQ(spooler.Calls, 1);
}

TEST(EnumPortNames, FailuresRaiseCode12) {
    TFakeSpooler firstFails{kSpoolerPorts, EACCES};
    std::vector<std::string> list = {"COM9"};
    const EDeviceError first =
        CatchDeviceError([&] { EnumPortNames(list, pkCOM, std::ref(firstFails)); });
    EXPECT_EQ(first.ErrorCode(), 12);
    EXPECT_STREQ(first.what(), "EnumPorts failed. (OS error 13: Permission denied)");
    EXPECT_EQ(list, std::vector<std::string>{"COM9"});

    TFakeSpooler secondFails{kSpoolerPorts};
    secondFails.FailSecondCall = true;
    const EDeviceError second =
        CatchDeviceError([&] { EnumPortNames(list, pkCOM, std::ref(secondFails)); });
    EXPECT_EQ(second.ErrorCode(), 12);
    EXPECT_TRUE(list.empty());
}

class EnumComPortsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root =
            std::filesystem::temp_directory_path() /
            ("tarnel-tty-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
        std::filesystem::create_directories(m_root);
    }
    void TearDown() override { std::filesystem::remove_all(m_root); }

    void AddTty(const std::string& name, bool withDevice, const char* uartType = nullptr) {
        const auto dir = m_root / name;
        std::filesystem::create_directories(dir);
        if (withDevice)
            std::filesystem::create_directories(dir / "device");
        if (uartType)
            std::ofstream(dir / "type") << uartType << "\n";
    }

    std::filesystem::path m_root;
};

TEST_F(EnumComPortsTest, ListsSerialDevicesWithHardwareInNaturalOrder) {
    AddTty("tty0", false);
    AddTty("console", false);
    AddTty("ttyS10", true, "4");
    AddTty("ttyS2", true, "4");
    AddTty("ttyS3", true, "0");  // a legacy placeholder with no UART
    AddTty("ttyUSB0", true);
    AddTty("ttyACM1", true);
    std::vector<std::string> list = {"stale"};
    EXPECT_TRUE(EnumComPorts(list, m_root.string()));
    EXPECT_EQ(list, (std::vector<std::string>{"ttyACM1", "ttyS2", "ttyS10", "ttyUSB0"}));
}

TEST_F(EnumComPortsTest, MissingClassFolderRaisesCode12) {
    std::vector<std::string> list;
    const EDeviceError e =
        CatchDeviceError([&] { EnumComPorts(list, (m_root / "missing").string()); });
    EXPECT_EQ(e.ErrorCode(), 12);
}

}  // namespace
