#include "platform/Shell.h"

#include "platform/QtText.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

namespace {

ShellHandler& CurrentShellHandler()
{
    static ShellHandler handler;
    return handler;
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

void Report(const ShellRequest& request, const std::string& reason)
{
    if (request.onFailure)
        request.onFailure(reason);
}

// xdg-open's exit statuses.
std::string OpenerFailure(int exitCode)
{
    switch (exitCode) {
    case 1:
        return "The desktop's opener did not take the request";
    case 2:
        return "The file does not exist";
    case 3:
        return "The desktop has no program set up for this kind of file or address";
    default:
        return "The program the desktop chose for it failed";
    }
}

// The desktop's opener reports through its exit status whether it found a
// program for the document. It may wait for that program to end, so it is
// watched from the event loop and never waited for. It is not given a
// parent: a document still open when this program ends stays open.
bool RunOpener(const QString& opener, const QUrl& url, const ShellRequest& request)
{
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({ url.isLocalFile() ? url.toLocalFile() : url.toString() });
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
        [process, request](int exitCode, QProcess::ExitStatus status) {
            if (status != QProcess::NormalExit)
                Report(request, "The desktop's opener stopped before it was done");
            else if (exitCode != 0)
                Report(request, OpenerFailure(exitCode));
            process->deleteLater();
        });
    QObject::connect(process, &QProcess::errorOccurred, process,
        [process, request](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return;
            Report(request,
                "The desktop's opener could not be started: " + ToBytes(process->errorString()));
            process->deleteLater();
        });
    process->start();
    return true;
}

bool OpenDocument(const ShellRequest& request)
{
    const QUrl url = ToUrl(ToQString(request.target));
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (!opener.isEmpty())
        return RunOpener(opener, url, request);
    if (QDesktopServices::openUrl(url))
        return true;
    Report(request,
        "The desktop has no program that opens files and web addresses (xdg-open, from the "
        "package xdg-utils)");
    return false;
}

} // namespace

bool ShellOpen(const ShellRequest& request)
{
    if (const ShellHandler& handler = CurrentShellHandler())
        return handler(request);
    if (!request.parameters.empty())
        return StartProgram(request);
    return OpenDocument(request);
}

ShellHandler SetShellHandler(ShellHandler handler)
{
    return std::exchange(CurrentShellHandler(), std::move(handler));
}

} // namespace platform
