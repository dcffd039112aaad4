#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>

namespace platform {

namespace {

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::string HomeSubfolder(const char* variable, const char* fallback)
{
    if (const char* value = std::getenv(variable); value && *value)
        return WithSlash(value);
    const char* home = std::getenv("HOME");
    return WithSlash(std::string(home ? home : "") + "/" + fallback);
}

} // namespace

std::string ProgramDirectory()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return "./";
    return WithSlash(executable.parent_path().string());
}

std::string InstalledDataDirectory(const std::string& programDirectory)
{
    const std::filesystem::path installed
        = std::filesystem::path(WithSlash(programDirectory)) / "../share/tornalo";
    return WithSlash(installed.lexically_normal().string());
}

std::string DataFilePath(const std::string& programDirectory, const std::string& name)
{
    const std::string beside = WithSlash(programDirectory) + name;
    const std::string installed = InstalledDataDirectory(programDirectory) + name;
    std::error_code error;
    if (!std::filesystem::exists(beside, error) && std::filesystem::exists(installed, error))
        return installed;
    return beside;
}

bool IsInstalledCopy(const std::string& programDirectory)
{
    std::error_code error;
    return std::filesystem::is_directory(InstalledDataDirectory(programDirectory), error);
}

std::string UserConfigDirectory()
{
    return HomeSubfolder("XDG_CONFIG_HOME", ".config");
}

std::string UserDataDirectory()
{
    return HomeSubfolder("XDG_DATA_HOME", ".local/share") + "Tornalo/";
}

std::string UserCacheDirectory()
{
    return HomeSubfolder("XDG_CACHE_HOME", ".cache") + "tornalo/";
}

std::string SystemDirectory()
{
    return "/etc/";
}

} // namespace platform
