// Reads sysfs: a USB serial port's device is an interface (or a port below it) of the USB
// device, whose attributes live a level or two up.
#include "serial/SerialPortInfo.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "serial/SerialEnum.h"

namespace fs = std::filesystem;

namespace {

// How far above the port's device the USB device may be: port, interface, device.
constexpr int kUsbDeviceDepth = 3;

// One line of a sysfs attribute without its line end; empty when it cannot be read.
std::string Attribute(const fs::path& dir, const char* name) {
    std::ifstream in(dir / name);
    std::string value;
    if (!in || !std::getline(in, value)) {
        return {};
    }
    while (!value.empty() &&
           (value.back() == '\n' || value.back() == '\r' || value.back() == ' ')) {
        value.pop_back();
    }
    return value;
}

void ReadUsbDetails(const fs::path& ttyEntry, TSerialPortInfo& info) {
    std::error_code error;
    fs::path dir = fs::canonical(ttyEntry / "device", error);
    if (error) {
        return;
    }
    for (int level = 0; level <= kUsbDeviceDepth && !dir.empty(); ++level) {
        if (fs::exists(dir / "idVendor", error)) {
            info.IsUsb = true;
            info.VendorId = Attribute(dir, "idVendor");
            info.ProductId = Attribute(dir, "idProduct");
            info.Manufacturer = Attribute(dir, "manufacturer");
            info.Product = Attribute(dir, "product");
            info.SerialNumber = Attribute(dir, "serial");
            return;
        }
        dir = dir.parent_path();
    }
}

void ReadByIdNames(const std::string& byIdDir, std::vector<TSerialPortInfo>& ports) {
    std::error_code error;
    fs::directory_iterator it(byIdDir, error);
    if (error) {
        return;
    }
    for (const fs::directory_entry& entry : it) {
        const fs::path target = fs::read_symlink(entry.path(), error);
        if (error) {
            continue;
        }
        const std::string name = target.filename().string();
        for (TSerialPortInfo& port : ports) {
            if (port.Name == name && port.ById.empty()) {
                port.ById = entry.path().string();
            }
        }
    }
}

}  // namespace

std::string SerialDevicePath(const std::string& portName, const std::string& devDir) {
    return !portName.empty() && portName[0] == '/' ? portName : devDir + "/" + portName;
}

std::string TSerialPortInfo::Description() const {
    std::string text = !Product.empty() ? Product : Manufacturer;
    if (text.empty() && IsUsb && !VendorId.empty()) {
        text = "USB " + VendorId + ":" + ProductId;
    }
    if (!text.empty() && !SerialNumber.empty()) {
        text += " (" + SerialNumber + ")";
    }
    return text;
}

std::string TSerialPortInfo::DisplayName() const {
    const std::string description = Description();
    return description.empty() ? Name : Name + " — " + description;
}

std::vector<TSerialPortInfo> ListSerialPorts(const TSerialPortRoots& roots) {
    std::vector<std::string> names;
    EnumComPorts(names, roots.TtyClassDir);
    std::vector<TSerialPortInfo> ports;
    for (const std::string& name : names) {
        TSerialPortInfo info;
        info.Name = name;
        ReadUsbDetails(fs::path(roots.TtyClassDir) / name, info);
        ports.push_back(std::move(info));
    }
    ReadByIdNames(roots.ByIdDir, ports);
    SortSerialPorts(ports);
    return ports;
}

void SortSerialPorts(std::vector<TSerialPortInfo>& ports) {
    std::stable_sort(ports.begin(), ports.end(),
                     [](const TSerialPortInfo& a, const TSerialPortInfo& b) {
                         if (a.IsUsb != b.IsUsb) {
                             return a.IsUsb;
                         }
                         return NaturalLess(a.Name, b.Name);
                     });
}
