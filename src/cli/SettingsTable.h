// The settings of a whole module as a table for people, in aligned columns (tarnel-cli show).
#pragma once

#include <string>

#include "model/ModuleSettings.h"

std::string SettingsTable(const TModuleSettings& settings);
