#include "service/ProgramFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace service {

namespace {

const std::string Deleted = " (deleted)";

std::string ExecutablePath()
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).string();
}

std::string Folder(const std::string& file)
{
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : file.substr(0, slash);
}

} // namespace

std::string RecordPort(const std::string& file, int port)
{
    const std::string folder = Folder(file);
    std::error_code error;
    if (std::filesystem::create_directories(folder, error))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, error);
    std::string partial = file + ".new-XXXXXX";
    const int descriptor = mkostemp(partial.data(), O_CLOEXEC);
    if (descriptor < 0)
        return std::strerror(errno);
    const std::string text = std::to_string(port) + "\n";
    const bool written = write(descriptor, text.data(), text.size()) == ssize_t(text.size());
    close(descriptor);
    if (written && std::rename(partial.c_str(), file.c_str()) == 0)
        return {};
    const int failure = errno;
    std::remove(partial.c_str());
    return std::strerror(failure);
}

void ForgetPort(const std::string& file, int port)
{
    std::ifstream record(file);
    int recorded = 0;
    if (record >> recorded && recorded == port)
        std::remove(file.c_str());
}

ExecutableWatch::ExecutableWatch() : path_(ExecutablePath())
{
    struct stat status { };
    if (stat(path_.c_str(), &status) == 0) {
        device_ = status.st_dev;
        inode_ = status.st_ino;
    }
}

// An upgrade puts a new file under the name and a removal takes the name
// away; either way the name no longer leads to the file this process runs.
bool ExecutableWatch::Replaced() const
{
    if (path_.empty() || inode_ == 0)
        return false;
    if (ExecutablePath().ends_with(Deleted))
        return true;
    struct stat status { };
    return stat(path_.c_str(), &status) != 0 || status.st_dev != device_ || status.st_ino != inode_;
}

} // namespace service
