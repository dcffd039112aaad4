#include "update/UpdaterHandOff.h"

#include "platform/Records.h"
#include "platform/Shell.h"
#include "update/UpdateText.h"

#include <array>

namespace {

// Tried in this order. The doubled "p" of the first name is no slip to
// correct: it is one of the two names an updater may carry.
constexpr std::array<const char*, 2> updaterFileNames { "QvUppdater.exe", "qvupdater.exe" };

std::string SearchFor(
    const std::string& name, const std::string& programDir, const std::string& location)
{
    if (!location.empty()) {
        if (FileExistsQuick(location))
            return location;
        if (FileExistsQuick(location + "/" + name))
            return location + "/" + name;
    }
    if (const std::string installed = ReadUpdaterInstallLocation();
        !installed.empty() && FileExistsQuick(installed + name))
        return installed + name;
    if (!programDir.empty() && FileExistsQuick(programDir + "/" + name))
        return programDir + "/" + name;
    return {};
}

} // namespace

std::string FindUpdaterProgram(const std::string& programDir, const std::string& updaterLocation)
{
    for (const char* name : updaterFileNames)
        if (std::string path = SearchFor(name, programDir, updaterLocation); !path.empty())
            return path;
    return {};
}

std::string ReadUpdaterInstallLocation()
{
    return platform::ReadRecordValue(updaterRecordKey, updaterRecordValue);
}

void StartUpdater(
    const std::string& updaterPath, const std::string& commandLine, const std::string& directory)
{
    platform::ShellOpen({ updaterPath, commandLine, directory });
}
