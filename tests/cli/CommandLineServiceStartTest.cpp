// tornalo-cli's start of the local service: what the service prints stays
// off the terminal when it comes up, and goes to standard error, with the
// window's message, when it does not.
#include "cli/CommandLineRun.h"
#include "platform/QtText.h"
#include "run/LanguageTable.h"
#include "run/ServiceStarter.h"

#include "tests/support/ProgramRecorder.h"
#include "tests/support/RealService.h"
#include "tests/support/TemporaryFolder.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sstream>

class CommandLineServiceStart : public testing::Test {
protected:
    CommandLineServiceStart()
    {
        previousFolder = QDir::currentPath();
        QDir::setCurrent(platform::ToQString(folder.Path()));
        options.url = url;
        options.plan.ticked[static_cast<std::size_t>(FindLanguageRow("es"))] = true;
    }

    ~CommandLineServiceStart() override { QDir::setCurrent(previousFolder); }

    int Run(const std::string& programDirectory)
    {
        CommandLineRun run(options, programDirectory, { out, err, false }, url);
        return run.Run("The weather is nice today.");
    }

    TemporaryFolder folder;
    std::string url = "http://localhost:" + std::to_string(FreePort());
    CommandLineOptions options;
    std::ostringstream out;
    std::ostringstream err;

private:
    QString previousFolder;
};

TEST_F(CommandLineServiceStart, AServiceThatEndsAtOnceIsReportedOnStandardError)
{
    const std::string script
        = folder.Script("tornalo-service", "echo \"tornalo-service: cannot listen\" >&2\nexit 1\n");
    ASSERT_FALSE(script.empty());
    EXPECT_EQ(Run(folder.Path()), ExitFailed);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(),
        script + " --port " + url.substr(url.rfind(':') + 1) + " --idle-exit 600 --port-file "
            + ServicePortFile(url)
            + "\ntornalo-service: cannot listen\nIt ended without answering.\n"
              "Error: the translation service did not start; see Debug Information.\n");
}

// The service of the build, started for real and ended by the test.
TEST_F(CommandLineServiceStart, AServiceThatComesUpPrintsNothingOnTheTerminal)
{
    ProgramRecorder programs(ProgramRecorder::ForReal);
    const std::string serviceFolder
        = QFileInfo(QStringLiteral(SERVICE_PROGRAM)).absolutePath().toStdString() + "/";
    EXPECT_EQ(Run(serviceFolder), ExitDone) << err.str();
    EXPECT_EQ(programs.commands.size(), 1u);
    EXPECT_EQ(err.str(), "");
    EXPECT_NE(out.str(), "") << err.str();
}
