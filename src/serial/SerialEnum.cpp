// Port listing: the spooler-style filter and the scan of the kernel's tty class.
#include "serial/SerialEnum.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <tuple>

#include "serial/SerialErr.h"

namespace {

bool StartsWith(const std::string& name, const char* prefix) {
    return name.rfind(prefix, 0) == 0;
}

bool IsNetworkName(const std::string& name) {
    return StartsWith(name, "\\\\");
}

bool MatchesKind(const std::string& name, TPortKinds kinds) {
    // Only the first kind present decides, even when several are asked for.
    if (kinds & pkCOM)
        return StartsWith(name, "COM");
    if (kinds & pkLPT)
        return StartsWith(name, "LPT");
    if (kinds & pkNetwork)
        return IsNetworkName(name);
    if (kinds & pkFAX)
        return name.find("FAX") != std::string::npos;
    return false;
}

// An 8250-family entry exists for every legacy port number whether a UART answers or not; the
// kernel reports the UART type 0 (unknown) for the empty ones.
bool HasUart(const std::filesystem::path& entry) {
    std::ifstream typeFile(entry / "type");
    int type = -1;
    if (!(typeFile >> type))
        return true;
    return type != 0;
}

}  // namespace

// Digits compare by length first, so no number is parsed.
bool NaturalLess(const std::string& a, const std::string& b) {
    const auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && s[digits - 1] >= '0' && s[digits - 1] <= '9')
            --digits;
        return std::make_tuple(s.substr(0, digits), s.size() - digits, s.substr(digits));
    };
    return split(a) < split(b);
}

bool EnumPortNames(std::vector<std::string>& list, TPortKinds kinds,
                   const TSpoolerPortList& source) {
    std::size_t needed = 0;
    if (source(nullptr, 0, needed))
        return true;
    if (errno != ERANGE)
        RaiseOSDeviceError(msgEnumPorts, errEnumPorts);

    std::vector<std::string> buffer(needed);
    const bool filled = source(&buffer, buffer.size(), needed);
    const int fillError = errno;
    list.clear();
    if (!filled) {
        errno = fillError;
        RaiseOSDeviceError(msgEnumPorts, errEnumPorts);
    }
    for (std::string name : buffer) {
        // Local port names end in a colon (COM1:); network names are kept whole.
        if (!IsNetworkName(name) && !name.empty())
            name.pop_back();
        if (MatchesKind(name, kinds))
            list.push_back(name);
    }
    return true;
}

bool EnumComPorts(std::vector<std::string>& list, const std::string& ttyClassDir) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::directory_iterator it(ttyClassDir, error);
    if (error) {
        errno = error.value();
        RaiseOSDeviceError(msgEnumPorts, errEnumPorts);
    }
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        if (!fs::exists(entry.path() / "device", error))
            continue;
        if (StartsWith(name, "ttyS") && !HasUart(entry.path()))
            continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    list = std::move(names);
    return true;
}
