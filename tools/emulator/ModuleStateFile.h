// The module's memory in a settings file of the tool's own format, so the two compare directly.
#pragma once

#include <string>

#include "emulator/ModuleEngine.h"

// Takes every relay key and the object number that the file holds; a missing key, or one whose
// value is no number, keeps what the state had. Throws std::runtime_error when the file is absent.
void LoadModuleState(const std::string& fileName, TModuleState& state);

// Writes the object number as a decimal without padding and the relays' keys as the relay pages
// write them; other content of an existing file stays. Throws EIniFileError when it cannot.
void SaveModuleState(const std::string& fileName, const TModuleState& state);
