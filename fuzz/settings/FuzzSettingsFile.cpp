// A file for a module from arbitrary bytes: either refused with a message, or every value it is
// taken to hold is one the module accepts, every other value stays as a new page has it, and the
// values come back whole through the settings format.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "cli/ModuleSettingsFile.h"
#include "model/ModuleCompare.h"
#include "model/RelaySettingsIni.h"

namespace {

void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "fuzz_settings_file: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    THeldSettings file;
    try {
        file = LoadHeldSettingsText("-", text);
    } catch (const ESettingsFileError& error) {
        Check(std::string_view(error.what()).find("Файл -") == 0, "a refusal names the file");
        return 0;
    }
    Check(!file.Held.Empty(), "a taken file holds a value");
    const TModuleSettings fresh;
    if (file.Held.Contains(kCommonSectionName, kObjectNumberKey)) {
        const int number = std::atoi(file.Values.Common.ObjectNumber.c_str());
        Check(number >= 0 && number <= kMaxObjectNumber &&
                  std::to_string(number) == file.Values.Common.ObjectNumber,
              "a held object number is a plain number of the module's range");
    } else {
        Check(file.Values.Common == fresh.Common, "an object number not held stays as new");
    }
    for (int n = 1; n <= kRelayCount; ++n) {
        const std::string section = RelaySectionName(n);
        TRelaySettings relay = file.Values.Relays.at(n - 1);
        TRelaySettings newRelay = fresh.Relays.at(n - 1);
        std::vector<std::int32_t> newValues;
        ForEachRelayValue(
            newRelay, [&](const std::string&, std::int32_t& value) { newValues.push_back(value); });
        std::size_t index = 0;
        ForEachRelayValue(relay, [&](const std::string& key, std::int32_t& value) {
            if (file.Held.Contains(section, key)) {
                const int maximum = key == kDurationKey ? kMaxDuration : rrNone;
                Check(value >= 0 && value <= maximum, "a held value is in its range");
            } else {
                Check(value == newValues.at(index), "a value not held stays as new");
            }
            ++index;
        });
    }
    const THeldSettings back = LoadHeldSettingsText("-", FormatModuleSettings(file.Values));
    // A new page's object number "01" comes back as the number 1.
    Check(back.Values.Relays == file.Values.Relays &&
              SameObjectNumber(back.Values.Common.ObjectNumber, file.Values.Common.ObjectNumber),
          "the values come back through the settings format");
    return 0;
}
