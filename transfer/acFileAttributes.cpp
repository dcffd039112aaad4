#include "transfer/acFileAttributes.h"

#include <filesystem>
#include <map>
#include <mutex>

namespace {

std::mutex recordMutex;
std::map<std::string, TacFileAttributes> record;

std::string Key(const std::string& path)
{
    std::error_code ignored;
    return std::filesystem::absolute(path, ignored).lexically_normal().string();
}

const auto writeBits = std::filesystem::perms::owner_write | std::filesystem::perms::group_write
    | std::filesystem::perms::others_write;

} // namespace

TacFileAttributes GetOutputFileAttributes(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::exists(status))
        return {};
    TacFileAttributes attributes { atrArchive };
    {
        std::lock_guard lock(recordMutex);
        const auto found = record.find(Key(path));
        if (found != record.end())
            attributes = found->second;
    }
    attributes.setFlag(
        atrReadOnly, (status.permissions() & writeBits) == std::filesystem::perms::none);
    return attributes;
}

void SetOutputFileAttributes(const std::string& path, TacFileAttributes attributes)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::perms current = fs::status(path, error).permissions();
    if (error)
        return;
    const fs::perms wanted = attributes.testFlag(atrReadOnly) ? current & ~writeBits
                                                              : current | fs::perms::owner_write;
    // Every transfer marks its file twice; the mode rarely changes.
    if (wanted != current)
        fs::permissions(path, wanted, fs::perm_options::replace, error);
    if (error)
        return;
    std::lock_guard lock(recordMutex);
    record[Key(path)] = attributes;
}

void DeleteOutputFile(const std::string& path)
{
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    std::lock_guard lock(recordMutex);
    record.erase(Key(path));
}
