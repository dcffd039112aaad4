// Programs started in the background: what they print is collected instead
// of reaching the starter's terminal, and their end is seen.
#include "platform/BackgroundProgram.h"

#include "tests/support/TemporaryFolder.h"

#include <QFileInfo>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// The file the program's standard output goes to.
std::string OutputTarget(long long processId)
{
    return QFileInfo(QStringLiteral("/proc/%1/fd/1").arg(processId)).symLinkTarget().toStdString();
}

} // namespace

class BackgroundProgramStart : public testing::Test {
protected:
    TemporaryFolder folder;
};

TEST_F(BackgroundProgramStart, CollectsBothChannelsInOrderAndSeesTheEnd)
{
    const std::string program = folder.Script("program",
        "echo \"out $1 in $(pwd)\"\necho \"err $2\" >&2\nread line && echo \"read $line\"\n"
        "echo last\nexit 1\n");
    const auto started
        = platform::StartBackgroundProgram({ program, { "one", "two words" }, folder.Path() });
    ASSERT_TRUE(started->Started()) << started->Output();
    EXPECT_GT(started->ProcessId(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !started->Running(); }, 5000));
    std::string directory = folder.Path();
    directory.pop_back();
    EXPECT_EQ(started->Output(), "out one in " + directory + "\nerr two words\nlast\n");
}

TEST_F(BackgroundProgramStart, ARunningProgramOutlivesItsObjectButNotItsOutputFile)
{
    const std::string program = folder.Script("program", "echo started\nexec sleep 30\n");
    auto started = platform::StartBackgroundProgram({ program, {}, folder.Path() });
    ASSERT_TRUE(started->Started());
    ASSERT_TRUE(QTest::qWaitFor([&] { return started->Output() == "started\n"; }, 5000));
    EXPECT_TRUE(started->Running());
    const long long id = started->ProcessId();
    const std::string target = OutputTarget(id);
    EXPECT_NE(target.find("/tornalo-program-"), std::string::npos) << target;
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(target)));
    started.reset();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(target)));
    EXPECT_EQ(kill(static_cast<pid_t>(id), 0), 0);
    kill(static_cast<pid_t>(id), SIGTERM);
}

TEST_F(BackgroundProgramStart, AProgramThatCannotStartSaysWhy)
{
    for (const std::string& program : { folder.File("missing"), folder.Path() }) {
        const auto started = platform::StartBackgroundProgram({ program, {}, {} });
        EXPECT_FALSE(started->Started()) << program;
        EXPECT_FALSE(started->Running());
        EXPECT_EQ(started->ProcessId(), 0);
        EXPECT_EQ(started->Output().rfind("could not start " + program + ": ", 0), 0u)
            << started->Output();
    }
}
