#include "platform/BackgroundProgram.h"

#include "platform/QtText.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryFile>

namespace platform {

namespace {

BackgroundProgramHandler& CurrentHandler()
{
    static BackgroundProgramHandler handler;
    return handler;
}

// The state letter of /proc/PID/stat, after the command name in parentheses
// (which may itself hold blanks and parentheses); 0 when there is no such
// process.
char ProcessState(long long processId)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(processId));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    const qsizetype nameEnd = line.lastIndexOf(')');
    return nameEnd >= 0 && nameEnd + 2 < line.size() ? line[nameEnd + 2] : 0;
}

class DetachedProgram final : public BackgroundProgram {
public:
    explicit DetachedProgram(const ProgramCommand& command)
        : output(QDir::tempPath() + QStringLiteral("/tornalo-program-XXXXXX.txt"))
    {
        if (!output.open()) {
            failure = "could not make a file for its output: " + ToBytes(output.errorString());
            return;
        }
        QProcess process;
        process.setProgram(ToQString(command.program));
        QStringList arguments;
        for (const std::string& argument : command.arguments)
            arguments.append(ToQString(argument));
        process.setArguments(arguments);
        process.setWorkingDirectory(ToQString(command.directory));
        process.setStandardInputFile(QProcess::nullDevice());
        // Both channels append to one file, so that neither overwrites what
        // the other wrote.
        process.setStandardOutputFile(output.fileName(), QIODevice::Append);
        process.setStandardErrorFile(output.fileName(), QIODevice::Append);
        qint64 started = 0;
        if (process.startDetached(&started))
            processId = started;
        else
            failure = "could not start " + command.program + ": " + ToBytes(process.errorString());
    }

    bool Started() const override { return processId != 0; }

    // A process that has ended but is not yet reaped by its new parent
    // counts as ended.
    bool Running() const override
    {
        const char state = processId != 0 ? ProcessState(processId) : 0;
        return state != 0 && state != 'Z' && state != 'X';
    }

    std::string Output() const override
    {
        if (!failure.empty())
            return failure;
        QFile file(output.fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    long long ProcessId() const override { return processId; }

private:
    // Removed with this object; the program keeps writing to the file it
    // opened, which the system drops once the program ends.
    QTemporaryFile output;
    long long processId = 0;
    std::string failure;
};

} // namespace

std::unique_ptr<BackgroundProgram> StartBackgroundProgram(const ProgramCommand& command)
{
    if (const BackgroundProgramHandler& handler = CurrentHandler())
        return handler(command);
    return StartDetachedProgram(command);
}

std::unique_ptr<BackgroundProgram> StartDetachedProgram(const ProgramCommand& command)
{
    return std::make_unique<DetachedProgram>(command);
}

BackgroundProgramHandler SetBackgroundProgramHandler(BackgroundProgramHandler handler)
{
    return std::exchange(CurrentHandler(), std::move(handler));
}

} // namespace platform
