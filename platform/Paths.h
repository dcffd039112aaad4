// The folders the program works with. Folder names returned here end in "/".
#pragma once

#include <string>

namespace platform {

// The folder of the running executable.
std::string ProgramDirectory();

// The data folder of an installed program whose executable lies in
// programDirectory: programDirectory/../share/tornalo/, without the "..".
std::string InstalledDataDirectory(const std::string& programDirectory);

// Where the program's data file name is found: beside the executable first
// (the build folder, a portable copy), then in the installed data folder.
// When neither holds it, the path beside the executable, so that whoever
// reports the missing file names the place it was first looked for.
std::string DataFilePath(const std::string& programDirectory, const std::string& name);

// Whether the program in programDirectory is an installed copy: one whose
// installed data folder exists. Such a copy keeps nothing of the user's
// beside its executable.
bool IsInstalledCopy(const std::string& programDirectory);

// $XDG_CONFIG_HOME, or ~/.config: the user's application-data folder.
std::string UserConfigDirectory();

// $XDG_DATA_HOME/Tornalo, or ~/.local/share/Tornalo: where an installed copy
// keeps what the user collects (the favorites).
std::string UserDataDirectory();

// $XDG_CACHE_HOME/tornalo, or ~/.cache/tornalo: where downloads are kept.
std::string UserCacheDirectory();

// Stands for the Windows folder of the original design.
std::string SystemDirectory();

} // namespace platform
