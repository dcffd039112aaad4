#include "platform/FileReplacement.h"

#include "platform/OwnFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

namespace platform {

namespace {

// The process's file mode mask, read where reading it changes nothing:
// setting and restoring it would race with files other threads create.
mode_t ReadFileModeMask()
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
    static const mode_t mask = ReadFileModeMask();
    fchmod(descriptor, 0666 & ~mask);
}

// The file is opened without following a link, and written only when it is
// a regular file of this user's with no other name; nothing when it is not.
std::optional<std::string> WriteInPlace(const std::string& path, std::string_view bytes)
{
    const int descriptor = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return std::nullopt;
    struct stat status { };
    const bool own = fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode)
        && status.st_uid == geteuid() && status.st_nlink == 1;
    if (!own) {
        close(descriptor);
        return std::nullopt;
    }
    int error = WriteWhole(descriptor, bytes) && ftruncate(descriptor, off_t(bytes.size())) == 0
        ? 0
        : errno;
    if (close(descriptor) != 0 && error == 0)
        error = errno;
    return error == 0 ? std::string() : std::string(std::strerror(error));
}

std::string ReplaceFile(const std::string& path, std::string_view bytes)
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

} // namespace

std::string ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    if (auto written = WriteInPlace(path, bytes))
        return *written;
    return ReplaceFile(path, bytes);
}

} // namespace platform
