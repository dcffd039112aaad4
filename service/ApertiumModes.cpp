#include "service/ApertiumModes.h"

#include "service/LanguageCodes.h"
#include "text/WholeFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

namespace fs = std::filesystem;

namespace service {

namespace {

void AddModeFile(ModeFiles& modes, const fs::path& file)
{
    const std::string name = file.stem().string();
    const std::size_t dash = name.find('-');
    if (dash == std::string::npos || name.find('-', dash + 1) != std::string::npos)
        return;
    for (const auto& from : CodesOfApertiumSource(name.substr(0, dash))) {
        for (const auto& to : CodesOfApertiumTarget(name.substr(dash + 1))) {
            if (from != to)
                modes.emplace(Direction { from, to }, file.string());
        }
    }
}

void AppendQuoted(std::string& pipeline, const fs::path& file)
{
    pipeline += " '";
    pipeline += file.string();
    pipeline += '\'';
}

// One <program> element: its command and its files, which must all exist.
bool AppendProgram(std::string& pipeline, const std::string& element, const fs::path& pairFolder)
{
    static const std::regex command("<program name=\"([^\"]+)\"");
    static const std::regex file("<file name=\"([^\"']+)\"");
    std::smatch match;
    if (!std::regex_search(element, match, command))
        return false;
    if (!pipeline.empty())
        pipeline += " | ";
    pipeline += match[1].str();
    for (auto it = std::sregex_iterator(element.begin(), element.end(), file);
         it != std::sregex_iterator(); ++it) {
        const fs::path path = pairFolder / (*it)[1].str();
        if (!fs::exists(path))
            return false;
        AppendQuoted(pipeline, path);
    }
    return true;
}

std::string PipelineOf(const std::string& mode, const fs::path& pairFolder)
{
    static const std::regex program("<program[^>]*/>|<program[\\s\\S]*?</program>");
    std::string pipeline;
    for (auto it = std::sregex_iterator(mode.begin(), mode.end(), program);
         it != std::sregex_iterator(); ++it) {
        if (!AppendProgram(pipeline, it->str(), pairFolder))
            return {};
    }
    return pipeline;
}

// Written beside and renamed into place, so that a service starting at the
// same moment never reads half a file.
bool WriteModeFile(const fs::path& file, const std::string& pipeline)
{
    const fs::path partial = file.string() + ".part" + std::to_string(getpid());
    {
        std::ofstream stream(partial, std::ios::binary | std::ios::trunc);
        stream << pipeline << '\n';
        if (!stream)
            return false;
    }
    std::error_code error;
    fs::rename(partial, file, error);
    return !error;
}

int WriteModesOfPair(const fs::path& pairFolder, const fs::path& folder)
{
    static const std::regex mode(
        "<mode name=\"([a-z_A-Z]+-[a-z_A-Z]+)\" install=\"no\">([\\s\\S]*?)</mode>");
    const std::string modes = text::ReadWholeFile(pairFolder / "modes.xml").value_or("");
    int written = 0;
    for (auto it = std::sregex_iterator(modes.begin(), modes.end(), mode);
         it != std::sregex_iterator(); ++it) {
        const std::string pipeline = PipelineOf((*it)[2].str(), pairFolder);
        if (!pipeline.empty() && WriteModeFile(folder / ((*it)[1].str() + ".mode"), pipeline))
            ++written;
    }
    return written;
}

// The folders under base, made where missing, or empty when base or any of
// them is not private.
std::string PrivatePath(fs::path base, const std::vector<std::string>& names)
{
    mkdir(base.c_str(), 0700);
    if (!IsPrivateFolder(base))
        return {};
    for (const auto& name : names) {
        base /= name;
        mkdir(base.c_str(), 0700);
        if (!IsPrivateFolder(base))
            return {};
    }
    return base.string();
}

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The temporary folder is everyone's: the service's own folder in it is
// taken only when it is private, and otherwise a fresh one is made.
std::string TemporaryModesFolder()
{
    const fs::path temporary = fs::temp_directory_path();
    const std::string name = "tornalo-" + std::to_string(geteuid());
    std::string folder = PrivatePath(temporary / name, { "modes" });
    if (!folder.empty())
        return folder;
    std::string fresh = (temporary / (name + "-XXXXXX")).string();
    if (!mkdtemp(fresh.data()))
        return {};
    return PrivatePath(fresh, { "modes" });
}

} // namespace

bool IsPrivateFolder(const std::string& folder)
{
    // A final "/" would make lstat follow a link.
    std::string path = folder;
    while (path.size() > 1 && path.ends_with('/'))
        path.pop_back();
    struct stat status { };
    return lstat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == geteuid() && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string DefaultOwnModesFolder()
{
    std::string folder;
    if (const std::string runtime = Variable("XDG_RUNTIME_DIR"); !runtime.empty())
        folder = PrivatePath(runtime, { "tornalo", "modes" });
    if (const std::string cache = Variable("XDG_CACHE_HOME"); folder.empty() && !cache.empty())
        folder = PrivatePath(cache, { "tornalo", "modes" });
    if (const std::string home = Variable("HOME"); folder.empty() && !home.empty())
        folder = PrivatePath(home, { ".cache", "tornalo", "modes" });
    return folder.empty() ? TemporaryModesFolder() : folder;
}

ModeFiles FindModeFiles(const std::vector<std::string>& folders)
{
    ModeFiles modes;
    for (const auto& folder : folders) {
        std::error_code error;
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            if (entry.path().extension() == ".mode")
                files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files)
            AddModeFile(modes, file);
    }
    return modes;
}

int WriteUninstalledModes(const std::string& dataFolder, const std::string& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    int written = 0;
    for (const auto& entry : fs::directory_iterator(dataFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory() && name.starts_with("apertium-")
            && fs::exists(entry.path() / "modes.xml"))
            written += WriteModesOfPair(entry.path(), folder);
    }
    return written;
}

} // namespace service
