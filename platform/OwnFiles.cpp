#include "platform/OwnFiles.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool IsUsers(const struct stat& status)
{
    return status.st_uid == geteuid();
}

std::string SystemReason(int error)
{
    return std::strerror(error);
}

// Files of one's own that are read whole: settings, the copies kept of them.
bool ReadWhole(const std::string& path, std::string& bytes)
{
    const int file = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (file < 0)
        return false;
    bytes.clear();
    char block[65536];
    ssize_t count = 0;
    while ((count = read(file, block, sizeof block)) != 0) {
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            break;
        bytes.append(block, static_cast<std::size_t>(count));
    }
    const int error = errno;
    close(file);
    errno = error;
    return count == 0;
}

constexpr int MostCopies = 1000;

std::string CopyName(const std::string& path, int number)
{
    return number == 1 ? path + ".bak" : path + ".bak." + std::to_string(number);
}

bool HoldsBytes(const std::string& path, const std::string& bytes)
{
    std::string held;
    return ReadWhole(path, held) && held == bytes;
}

} // namespace

bool WriteWhole(int file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t count = write(file, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

std::string ForeignLinkReason(const std::string& path)
{
    struct stat link;
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
        return {};
    if (!IsUsers(link))
        return "It is a link that another user made";
    struct stat target;
    if (stat(path.c_str(), &target) != 0)
        return {};
    if (!S_ISREG(target.st_mode))
        return "It is a link to " + FinalTarget(path) + ", which is not a file";
    if (!IsUsers(target))
        return "It is a link to " + FinalTarget(path) + ", a file of another user";
    return {};
}

// The link is judged first and then followed to the file it approved, which
// is opened without following any link again: a link put in its place
// meanwhile makes the open fail instead of leading elsewhere.
std::string AppendToOwnFile(const std::string& path, std::string_view bytes)
{
    if (std::string reason = ForeignLinkReason(path); !reason.empty())
        return reason;
    const std::string target = FinalTarget(path);
    const int file
        = open(target.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (file < 0)
        return SystemReason(errno == ELOOP ? EACCES : errno);
    const bool written = WriteWhole(file, bytes);
    const int error = errno;
    if (close(file) != 0 || !written)
        return SystemReason(written ? errno : error);
    return {};
}

KeptCopy KeepCopy(const std::string& path)
{
    std::string bytes;
    if (!ReadWhole(path, bytes))
        return { {}, SystemReason(errno) };
    struct stat status;
    const mode_t mode = stat(path.c_str(), &status) == 0 ? status.st_mode & 0666 : 0600;
    for (int number = 1; number <= MostCopies; ++number) {
        const std::string name = CopyName(path, number);
        const int file
            = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (file < 0 && errno == EEXIST)
            continue;
        if (file < 0)
            return { name, SystemReason(errno) };
        const std::string latest = number > 1 ? CopyName(path, number - 1) : std::string();
        if (!latest.empty() && HoldsBytes(latest, bytes)) {
            close(file);
            unlink(name.c_str());
            return { latest, {} };
        }
        const bool written = WriteWhole(file, bytes) && fsync(file) == 0;
        const int error = errno;
        if (close(file) != 0 || !written) {
            unlink(name.c_str());
            return { name, SystemReason(written ? errno : error) };
        }
        return { name, {} };
    }
    return { CopyName(path, MostCopies), "Every name for a copy is taken" };
}

std::string FinalTarget(const std::string& path)
{
    char* resolved = realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

} // namespace platform
