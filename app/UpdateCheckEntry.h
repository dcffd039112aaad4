// The update check as the Help menu calls it. Tests put their own entry in
// place to see the arguments the window passes without running a check.
#pragma once

#include <functional>
#include <string>

class QWidget;

struct UpdateCheckArguments {
    std::string productName;
    QWidget* ownerWindow = nullptr;
    std::string programDir;
    std::string updaterLocation;
    std::string options;
    std::string title;
    int skipUpdater = 0;
};

using UpdateCheckFunction = std::function<bool(const UpdateCheckArguments&)>;

// Runs the entry in place: CheckForUpdates, or in a build that leaves the
// updates to the system's package manager (TORNALO_PACKAGE_UPDATES, the
// Debian package's) LeaveUpdatesToPackageManager, unless a test replaced it.
bool CallUpdateCheck(const UpdateCheckArguments& arguments);

// Says that the package manager brings the updates, and checks nothing.
bool LeaveUpdatesToPackageManager(const UpdateCheckArguments& arguments);

// An empty function restores the build's own entry. Returns the entry that
// was in place.
UpdateCheckFunction SetUpdateCheckFunction(UpdateCheckFunction function);
