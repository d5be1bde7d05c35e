// What the system knows of each serial port, so that a person can tell two adapters apart.
#pragma once

#include <string>
#include <vector>

struct TSerialPortInfo {
    // What the driver opens and what the settings file keeps: ttyUSB0, ttyS0, ...
    std::string Name;
    bool IsUsb = false;
    // Of the USB device behind the port; empty when unknown or unreadable.
    std::string Manufacturer;
    std::string Product;
    std::string SerialNumber;
    std::string VendorId;
    std::string ProductId;
    // The stable name under /dev/serial/by-id that points at the port, when there is one.
    std::string ById;

    // "FT232R USB UART (A50285BI)"; empty for a port without USB details.
    std::string Description() const;
    // "ttyUSB0 — FT232R USB UART (A50285BI)", or the bare name.
    std::string DisplayName() const;
};

// The device file a port name stands for: a path as it is, a bare name (ttyUSB0) under devDir.
std::string SerialDevicePath(const std::string& portName, const std::string& devDir = "/dev");

// Where the port list is read from; tests point these at trees of their own.
struct TSerialPortRoots {
    std::string TtyClassDir = "/sys/class/tty";
    std::string ByIdDir = "/dev/serial/by-id";
};

// The ports that EnumComPorts lists, in the order of SortSerialPorts.
std::vector<TSerialPortInfo> ListSerialPorts(const TSerialPortRoots& roots = {});

// USB adapters first, each group in natural order (ttyUSB2 before ttyUSB10): the cable a person
// has just plugged in is near the top.
void SortSerialPorts(std::vector<TSerialPortInfo>& ports);
