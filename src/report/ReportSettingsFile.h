// The settings a report is made of when they come from a file.
#pragma once

#include <string>

#include "model/ModuleSettings.h"

// The file's settings as the pages would show them; throws std::runtime_error in Russian when
// the file holds no section of any page (a file that does not exist holds none).
TModuleSettings ReadReportSettings(const std::string& fileName);
