#include "app/UpdateCheckEntry.h"

#include "update/UpdateCheck.h"

namespace {

bool RealUpdateCheck(const UpdateCheckArguments& arguments)
{
    return CheckForUpdates(arguments.productName, arguments.ownerWindow, arguments.programDir,
        arguments.updaterLocation, arguments.options, arguments.title, arguments.skipUpdater);
}

UpdateCheckFunction& CurrentFunction()
{
    static UpdateCheckFunction function = RealUpdateCheck;
    return function;
}

} // namespace

bool CallUpdateCheck(const UpdateCheckArguments& arguments)
{
    return CurrentFunction()(arguments);
}

UpdateCheckFunction SetUpdateCheckFunction(UpdateCheckFunction function)
{
    UpdateCheckFunction previous = std::move(CurrentFunction());
    CurrentFunction() = function ? std::move(function) : UpdateCheckFunction(RealUpdateCheck);
    return previous;
}
