// Programs started in the background: what they print is collected instead
// of reaching the starter's terminal, and their end is seen.
#include "platform/BackgroundProgram.h"

#include "tests/support/TemporaryFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

namespace {

std::string WriteScript(const TemporaryFolder& folder, const char* body)
{
    const std::string path = folder.File("program");
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::WriteOnly);
    file.write(QByteArray("#!/bin/sh\n") + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList OutputFiles()
{
    return QDir::temp().entryList({ QStringLiteral("tornalo-program-*") }, QDir::Files);
}

} // namespace

class BackgroundProgramStart : public testing::Test {
protected:
    TemporaryFolder folder;
};

TEST_F(BackgroundProgramStart, CollectsBothChannelsInOrderAndSeesTheEnd)
{
    const std::string program = WriteScript(folder,
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
    const QStringList before = OutputFiles();
    const std::string program = WriteScript(folder, "echo started\nexec sleep 30\n");
    auto started = platform::StartBackgroundProgram({ program, {}, folder.Path() });
    ASSERT_TRUE(started->Started());
    ASSERT_TRUE(QTest::qWaitFor([&] { return started->Output() == "started\n"; }, 5000));
    EXPECT_TRUE(started->Running());
    const long long id = started->ProcessId();
    EXPECT_EQ(OutputFiles().size(), before.size() + 1);
    started.reset();
    EXPECT_EQ(OutputFiles(), before);
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
