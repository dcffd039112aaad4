// Which translation directions the installed Apertium data offers, and mode
// files of our own for directions whose data ships without an installed mode.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace service {

// Source and target, as program language codes.
using Direction = std::pair<std::string, std::string>;
using ModeFiles = std::map<Direction, std::string>;

// Reads the "X-Y.mode" files of the folders; an earlier folder wins.
ModeFiles FindModeFiles(const std::vector<std::string>& folders);

// For every "apertium-*" folder under dataFolder whose modes.xml describes a
// plain "X-Y" direction marked not to be installed, writes X-Y.mode into
// folder, provided every file the pipeline names is there. Returns the number
// written.
int WriteUninstalledModes(const std::string& dataFolder, const std::string& folder);

} // namespace service
