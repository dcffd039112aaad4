// Programs started through the shell layer run on their own: what they print
// never reaches the standard output of the program that started them.
#include "platform/Shell.h"

#include "tests/support/TemporaryFolder.h"

#include <QTest>
#include <cstdio>
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
