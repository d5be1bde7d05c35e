// The port list with what sysfs knows of each port, on fake sysfs trees made by the test.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "serial/SerialPortInfo.h"

namespace fs = std::filesystem;

namespace {

class SerialPortInfoTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / ("tarnel-sysfs-" + std::to_string(::getpid()));
        fs::remove_all(m_root);
        fs::create_directories(Class());
        fs::create_directories(ById());
    }
    void TearDown() override { fs::remove_all(m_root); }

    fs::path Class() const { return m_root / "class" / "tty"; }
    fs::path ById() const { return m_root / "by-id"; }
    TSerialPortRoots Roots() const { return {Class().string(), ById().string()}; }

    static void Write(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text << "\n";
    }
    // A class entry whose device link points at `device`, made if missing.
    void Port(const std::string& name, const fs::path& device) {
        fs::create_directories(device);
        fs::create_directories(Class() / name);
        fs::create_directory_symlink(device, Class() / name / "device");
    }
    // A USB device with the attributes given, as a folder of the fake device tree.
    fs::path UsbDevice(const std::string& path, const std::string& vendor,
                       const std::string& product, const std::string& manufacturer,
                       const std::string& productName, const std::string& serial) {
        const fs::path dir = m_root / "devices" / path;
        Write(dir / "idVendor", vendor);
        Write(dir / "idProduct", product);
        if (!manufacturer.empty()) {
            Write(dir / "manufacturer", manufacturer);
        }
        if (!productName.empty()) {
            Write(dir / "product", productName);
        }
        if (!serial.empty()) {
            Write(dir / "serial", serial);
        }
        return dir;
    }

    fs::path m_root;
};

TEST_F(SerialPortInfoTest, EachPortTellsWhatTheSystemKnowsOfIt) {
    // An FTDI-like adapter: the port sits below the interface, below the USB device.
    const fs::path ftdi =
        UsbDevice("usb1/1-1", "0403", "6001", "FTDI", "FT232R USB UART", "A50285BI");
    Port("ttyUSB10", ftdi / "1-1:1.0" / "ttyUSB10");
    // A CDC-ACM device: the port's device is the interface itself.
    const fs::path acm = UsbDevice("usb1/1-2", "2341", "0043", "Arduino", "", "");
    Port("ttyACM0", acm / "1-2:1.0");
    // Another FTDI adapter without a serial number.
    const fs::path second = UsbDevice("usb1/1-3", "0403", "6015", "", "", "");
    Port("ttyUSB2", second / "1-3:1.0" / "ttyUSB2");
    // A platform UART that answers, and a placeholder without one.
    Port("ttyS0", m_root / "devices" / "platform" / "serial8250" / "tty" / "ttyS0");
    Write(Class() / "ttyS0" / "type", "4");
    Port("ttyS1", m_root / "devices" / "platform" / "serial8250" / "tty" / "ttyS1");
    Write(Class() / "ttyS1" / "type", "0");
    // A device whose attributes cannot be read: the product is no file.
    const fs::path odd = UsbDevice("usb2/2-1", "1a86", "7523", "", "", "");
    fs::create_directories(odd / "product");
    Port("ttyUSB0", odd / "2-1:1.0" / "ttyUSB0");
    fs::create_symlink("../../ttyUSB10", ById() / "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");

    const std::vector<TSerialPortInfo> ports = ListSerialPorts(Roots());
    std::vector<std::string> shown;
    for (const TSerialPortInfo& port : ports) {
        shown.push_back(port.DisplayName());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{
                         "ttyACM0 — Arduino",
                         "ttyUSB0 — USB 1a86:7523",
                         "ttyUSB2 — USB 0403:6015",
                         "ttyUSB10 — FT232R USB UART (A50285BI)",
                         "ttyS0",
                     }));
    ASSERT_EQ(ports.size(), 5u);
    const TSerialPortInfo& ftdiPort = ports[3];
    EXPECT_TRUE(ftdiPort.IsUsb);
    EXPECT_EQ(ftdiPort.VendorId, "0403");
    EXPECT_EQ(ftdiPort.ProductId, "6001");
    EXPECT_EQ(ftdiPort.Manufacturer, "FTDI");
    EXPECT_EQ(ftdiPort.ById, (ById() / "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0").string());
    EXPECT_FALSE(ports[4].IsUsb);
    EXPECT_TRUE(ports[4].ById.empty());
    EXPECT_TRUE(ports[1].Product.empty());
}

TEST_F(SerialPortInfoTest, NoByIdFolderStillListsThePorts) {
    fs::remove_all(ById());
    Port("ttyS0", m_root / "devices" / "platform" / "serial8250" / "tty" / "ttyS0");
    const std::vector<TSerialPortInfo> ports = ListSerialPorts(Roots());
    ASSERT_EQ(ports.size(), 1u);
    EXPECT_EQ(ports[0].DisplayName(), "ttyS0");
}

}  // namespace
