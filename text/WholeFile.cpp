#include "text/WholeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace text {

namespace {

// Appends what is left of the file; false, with errno set, on a failed read.
bool AppendRest(int file, std::string& image)
{
    char block[65536];
    for (;;) {
        const ssize_t count = read(file, block, sizeof block);
        if (count == 0)
            return true;
        if (count > 0)
            image.append(block, static_cast<std::size_t>(count));
        else if (errno != EINTR)
            return false;
    }
}

} // namespace

std::optional<std::string> ReadWholeFile(const std::string& path)
{
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return std::nullopt;
    std::string image;
    const bool complete = AppendRest(file, image);
    const int error = errno;
    close(file);
    errno = error;
    if (!complete)
        return std::nullopt;
    return image;
}

} // namespace text
