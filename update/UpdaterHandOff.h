// Finding and starting the separate updater program, to which the update
// check hands itself over when the updater is installed.
#pragma once

#include <string>

// The installation record the updater's installer leaves, and its value
// naming the updater's folder (ending in a separator: the file name is
// appended directly).
inline constexpr const char* updaterRecordKey
    = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\QvUpdater_is1";
inline constexpr const char* updaterRecordValue = "InstallLocation";

// The updater's path, or "" when there is none. Each file name is looked for
// in every place (updaterLocation, the installed folder, programDir) before
// the next name is tried.
std::string FindUpdaterProgram(const std::string& programDir, const std::string& updaterLocation);

// The installed updater's folder from its installation record; "" when the
// record or its value is missing.
std::string ReadUpdaterInstallLocation();

// Starts the updater with commandLine in directory. Whether the start worked
// is not looked at: the updater owns the check from here on.
void StartUpdater(
    const std::string& updaterPath, const std::string& commandLine, const std::string& directory);
