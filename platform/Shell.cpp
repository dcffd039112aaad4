#include "platform/Shell.h"

#include "platform/Text.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace platform {

namespace {

ShellHandler& CurrentShellHandler()
{
    static ShellHandler handler;
    return handler;
}

bool IsProgram(const QString& target)
{
    const QFileInfo info(target);
    return info.isFile() && info.isExecutable();
}

bool StartProgram(const ShellRequest& request)
{
    QProcess program;
    program.setProgram(ToQString(request.target));
    program.setArguments(QProcess::splitCommand(ToQString(request.parameters)));
    program.setWorkingDirectory(ToQString(request.directory));
    // What a started program prints must not land in its starter's output:
    // tornalo-cli writes its result to standard output, which a script may
    // be reading.
    program.setStandardOutputFile(QProcess::nullDevice());
    return program.startDetached();
}

QUrl ToUrl(const QString& target)
{
    const QUrl url(target);
    if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1)
        return url;
    return QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
}

} // namespace

bool ShellOpen(const ShellRequest& request)
{
    if (const ShellHandler& handler = CurrentShellHandler())
        return handler(request);
    const QString target = ToQString(request.target);
    if (!request.parameters.empty() || IsProgram(target))
        return StartProgram(request);
    return QDesktopServices::openUrl(ToUrl(target));
}

ShellHandler SetShellHandler(ShellHandler handler)
{
    return std::exchange(CurrentShellHandler(), std::move(handler));
}

} // namespace platform
