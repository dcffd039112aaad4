#include "app/UpdateCheckEntry.h"

#include "update/UpdateCheck.h"

namespace {

bool RealUpdateCheck(const UpdateCheckArguments& arguments)
{
    return CheckForUpdates(arguments.productName, arguments.ownerWindow, arguments.programDir,
        arguments.updaterLocation, arguments.options, arguments.title, arguments.skipUpdater);
}

UpdateCheckFunction BuildsOwnEntry()
{
    if constexpr (TORNALO_PACKAGE_UPDATES)
        return LeaveUpdatesToPackageManager;
    return RealUpdateCheck;
}

UpdateCheckFunction& CurrentFunction()
{
    static UpdateCheckFunction function = BuildsOwnEntry();
    return function;
}

} // namespace

bool LeaveUpdatesToPackageManager(const UpdateCheckArguments& arguments)
{
    ShowPackageManagerUpdates(
        arguments.productName, arguments.ownerWindow, arguments.programDir, arguments.title);
    return false;
}

bool CallUpdateCheck(const UpdateCheckArguments& arguments)
{
    return CurrentFunction()(arguments);
}

UpdateCheckFunction SetUpdateCheckFunction(UpdateCheckFunction function)
{
    UpdateCheckFunction previous = std::move(CurrentFunction());
    CurrentFunction() = function ? std::move(function) : BuildsOwnEntry();
    return previous;
}
