#include "platform/FileReplacement.h"

#include "platform/OwnFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

namespace {

// The process's file mode mask, read where reading it changes nothing:
// setting and restoring it would race with files other threads create.
mode_t FileModeMask()
{
    std::FILE* status = std::fopen("/proc/self/status", "re");
    unsigned mask = 022;
    if (!status)
        return mask;
    char line[256];
    while (std::fgets(line, sizeof line, status)) {
        if (std::sscanf(line, "Umask: %o", &mask) == 1)
            break;
    }
    std::fclose(status);
    return static_cast<mode_t>(mask);
}

// The new file gets the mode a file created the usual way would have:
// mkstemp makes it private.
void GiveUsualMode(int descriptor)
{
    fchmod(descriptor, 0666 & ~FileModeMask());
}

} // namespace

std::string ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    std::string partial = path + ".new-XXXXXX";
    const int descriptor = mkostemp(partial.data(), O_CLOEXEC);
    if (descriptor < 0)
        return std::strerror(errno);
    GiveUsualMode(descriptor);
    const bool written = WriteWhole(descriptor, bytes);
    int error = written ? 0 : errno;
    if (close(descriptor) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(partial.c_str(), path.c_str()) == 0)
        return {};
    if (error == 0)
        error = errno;
    std::remove(partial.c_str());
    return std::strerror(error);
}

} // namespace platform
