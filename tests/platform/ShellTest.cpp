// Programs started through the shell layer run on their own: what they print
// never reaches the standard output of the program that started them.
#include "platform/Shell.h"

#include "tests/support/TemporaryFolder.h"

#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace {

// Sends this process's standard output to a file while it lives.
class CapturedOutput {
public:
    explicit CapturedOutput(const std::string& path)
    {
        std::cout.flush();
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(file, STDOUT_FILENO);
        close(file);
    }
    ~CapturedOutput()
    {
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
    CapturedOutput(const CapturedOutput&) = delete;
    CapturedOutput& operator=(const CapturedOutput&) = delete;

private:
    int saved = -1;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

TEST(Shell, AStartedProgramsOutputStaysOutOfItsStartersOutput)
{
    TemporaryFolder folder;
    const std::string marker = folder.File("done");
    bool started = false;
    {
        CapturedOutput captured(folder.File("output.txt"));
        started = platform::ShellOpen(
            { "/bin/sh", "-c \"echo leaked; echo done > " + marker + "\"", folder.Path() });
    }
    ASSERT_TRUE(started);
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(marker); }, 5000));
    EXPECT_EQ(ReadFile(marker), "done\n");
    EXPECT_EQ(ReadFile(folder.File("output.txt")), "");
}

// The desktop's opener is a stand-in on the path that notes what it was
// asked and answers with the given exit status. The read-me is a script
// with its execute bit, which would leave a mark if it were run.
class DesktopOpener : public testing::Test {
protected:
    DesktopOpener()
    {
        const char* path = std::getenv("PATH");
        previousPath = path ? path : "";
        setenv("PATH", (openerFolder.Path() + ":" + previousPath).c_str(), 1);
        readMe = documents.Script("ReadMe.txt", "touch " + documents.File("it-ran") + "\n");
    }
    ~DesktopOpener() override { setenv("PATH", previousPath.c_str(), 1); }

    void Opener(int exitCode)
    {
        openerFolder.Script("xdg-open",
            "printf '%s\\n' \"$@\" > " + openerFolder.File("asked") + "\nexit "
                + std::to_string(exitCode) + "\n");
    }

    // Opens the target and waits for the opener to be done; the failure
    // reason, empty when there was none.
    std::string Open(const std::string& target)
    {
        bool failed = false;
        std::string reason;
        const bool handedOver = platform::ShellOpen({ target, {}, {}, [&](const std::string& why) {
                                                         failed = true;
                                                         reason = why;
                                                     } });
        EXPECT_TRUE(handedOver);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return failed || std::filesystem::exists(openerFolder.File("asked")); }, 5000));
        QTest::qWait(100);
        return reason;
    }

    TemporaryFolder openerFolder;
    TemporaryFolder documents;
    std::string readMe;
    std::string previousPath;
};

TEST_F(DesktopOpener, AnExecutableReadMeIsOpenedAsADocumentNeverRun)
{
    Opener(0);
    ASSERT_FALSE(readMe.empty());
    EXPECT_EQ(Open(readMe), "");
    EXPECT_EQ(ReadFile(openerFolder.File("asked")), readMe + "\n");
    QTest::qWait(200);
    EXPECT_FALSE(std::filesystem::exists(documents.File("it-ran")));
}

TEST_F(DesktopOpener, AWebAddressIsHandedOverAsItIs)
{
    Opener(0);
    EXPECT_EQ(Open("https://tornalo.example/forum/"), "");
    EXPECT_EQ(ReadFile(openerFolder.File("asked")), "https://tornalo.example/forum/\n");
}

TEST_F(DesktopOpener, EachFailureOfTheOpenerIsNamed)
{
    const std::pair<int, const char*> failures[] = {
        { 2, "The file does not exist" },
        { 3, "The desktop has no program set up for this kind of file or address" },
        { 4, "The program the desktop chose for it failed" },
    };
    for (const auto& [exitCode, reason] : failures) {
        std::filesystem::remove(openerFolder.File("asked"));
        Opener(exitCode);
        EXPECT_EQ(Open(readMe), reason) << exitCode;
    }
}
