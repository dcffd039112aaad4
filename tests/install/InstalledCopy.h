// One installation of the build into a temporary prefix, shared by the tests
// of a test program, and the programs run from it.
#pragma once

#include "tests/support/TemporaryFolder.h"

#include <QProcess>
#include <QStringList>
#include <memory>
#include <string>

struct ProgramOutput {
    bool finished = false;
    int exitCode = -1;
    std::string output;
    std::string error;
};

// Runs program with arguments, without a display: no X or Wayland variable
// and no Qt platform reach it.
inline ProgramOutput RunWithoutDisplay(const std::string& program, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM" })
        environment.remove(QString::fromUtf8(name));
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(program), arguments);
    ProgramOutput result;
    result.finished
        = process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.output = process.readAllStandardOutput().toStdString();
    result.error = process.readAllStandardError().toStdString();
    return result;
}

class InstalledCopy {
public:
    // Installs the build; Error() says what went wrong, if anything.
    InstalledCopy()
    {
        const ProgramOutput install = RunWithoutDisplay(CMAKE_PROGRAM,
            { QStringLiteral("--install"), QStringLiteral(BUILD_FOLDER), QStringLiteral("--prefix"),
                QString::fromStdString(prefix.Path()) });
        if (!install.finished || install.exitCode != 0)
            error = "cmake --install failed: " + install.output + install.error;
    }

    const std::string& Error() const { return error; }
    // The prefix, ending in "/".
    const std::string& Prefix() const { return prefix.Path(); }
    std::string Bin() const { return prefix.Path() + "bin/"; }
    std::string Data() const { return prefix.Path() + "share/tornalo/"; }

private:
    TemporaryFolder prefix;
    std::string error;
};
