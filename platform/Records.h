// The read-only "registry" records that other programs' installers leave:
// one file per key in the records folder, named after the key's last part,
// holding NAME=VALUE lines.
#pragma once

#include <string>

namespace platform {

// "/etc/xdg/tornalo/records/" unless a test pointed elsewhere.
std::string RecordsDirectory();

// Points the records folder elsewhere; "" restores the default. Returns the
// folder that was in place.
std::string SetRecordsDirectory(std::string folder);

// The value called name in the record of key (a path such as
// "SOFTWARE\...\Uninstall\Name_is1"), or "" when the record or the value is
// missing. Value names are matched without regard to letter case, as the
// registry does.
std::string ReadRecordValue(const std::string& key, const std::string& name);

} // namespace platform
