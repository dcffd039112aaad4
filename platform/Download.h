// Blocking download of a whole file into the user's cache folder, the way the
// update check fetches its version and what's-new files.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

namespace platform {

struct DownloadLimits {
    std::chrono::seconds connect { 30 }; // to establish the connection
    std::chrono::seconds silence { 60 }; // without receiving any data
    // A version or what's-new file is small; a server that sends without end
    // must not fill the disk.
    std::size_t largest = 16 * 1024 * 1024;
};

// Downloads address (http or https) into UserCacheDirectory() and returns the
// local file's path, or "" when the download failed. The same address always
// lands in the same file, so repeated checks replace their earlier copy
// instead of piling up; a failed download leaves any earlier copy alone.
std::string DownloadToCacheFile(const std::string& address, DownloadLimits limits = {});

} // namespace platform
