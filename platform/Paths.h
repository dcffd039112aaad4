// The folders the program works with. Folder names returned here end in "/".
#pragma once

#include <string>

namespace platform {

// The folder of the running executable.
std::string ProgramDirectory();

// $XDG_CONFIG_HOME, or ~/.config: the user's application-data folder.
std::string UserConfigDirectory();

// $XDG_CACHE_HOME/tornalo, or ~/.cache/tornalo: where downloads are kept.
std::string UserCacheDirectory();

// Stands for the Windows folder of the original design.
std::string SystemDirectory();

} // namespace platform
