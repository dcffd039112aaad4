// Which translation directions the installed Apertium data offers, mode files
// of our own for directions whose data ships without an installed mode, and
// the private folder that holds them.
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

// Whether folder is a folder (not a link to one) of this user that no one
// else may write to. Only such a folder may hold mode files the service runs:
// another user can neither plant one there nor, since only its owner may
// change who writes to it, later.
bool IsPrivateFolder(const std::string& folder);

// Where the service keeps its own mode files: in $XDG_RUNTIME_DIR, else in
// the user's cache folder, else in a folder of its own in the temporary
// folder. Every folder on the way is made for the user alone where it is
// missing and must be private; empty when no such place can be had.
std::string DefaultOwnModesFolder();

} // namespace service
