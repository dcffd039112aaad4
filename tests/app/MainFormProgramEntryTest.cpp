// The program entry's standard exception display: whatever escapes is shown
// in an error box, and a thrown value that is no exception object is shown
// with an empty message. And the program's ending by a signal while its
// start-up warning shows.
#include "app/TornaloApplication.h"
#include "platform/UserInterface.h"
#include "tests/support/TemporaryFolder.h"

#include <QProcess>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>

class ProgramEntryExceptions : public testing::Test {
protected:
    ProgramEntryExceptions()
    {
        previous = platform::SetMessageBoxHandler([this](const platform::MessageRequest& request) {
            shown.push_back(request);
            return platform::IdOk;
        });
    }
    ~ProgramEntryExceptions() override { platform::SetMessageBoxHandler(previous); }

    std::vector<platform::MessageRequest> shown;

private:
    platform::MessageBoxHandler previous;
};

TEST_F(ProgramEntryExceptions, ExceptionIsShownWithItsMessageAsAnError)
{
    EXPECT_FALSE(RunShowingExceptions([] { throw std::runtime_error("disk on fire"); }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "disk on fire");
    EXPECT_EQ(shown[0].icon, platform::MessageIcon::Error);
}

TEST_F(ProgramEntryExceptions, ThrownValueThatIsNoExceptionIsShownWithAnEmptyMessage)
{
    EXPECT_FALSE(RunShowingExceptions([] { throw 42; }));
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "");
}

TEST_F(ProgramEntryExceptions, NothingIsShownWhenNothingIsThrown)
{
    bool ran = false;
    EXPECT_TRUE(RunShowingExceptions([&] { ran = true; }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(shown.empty());
}

// The warning about a damaged file shows while the window is being built; a
// terminate signal then closes the box and the window, as a close box would:
// the settings are saved and the program ends normally.
TEST(ProgramEnding, TerminateWhileTheStartUpWarningShowsSavesAndEndsNormally)
{
    TemporaryFolder folder;
    const std::string program = folder.File("tornalo");
    std::filesystem::copy_file(TORNALO_PROGRAM, program);
    std::string junk(8192, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>(i * 7 % 31);
    std::ofstream(folder.File("Tornalo.ini"), std::ios::binary) << junk;
    QProcess window;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    window.setProcessEnvironment(environment);
    window.start(QString::fromStdString(program), {});
    // The damaged file is copied just before the warning is shown.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return std::filesystem::exists(folder.File("Tornalo.ini.bak")); }, 20000));
    window.terminate();
    ASSERT_TRUE(window.waitForFinished(10000));
    EXPECT_EQ(window.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(window.exitCode(), 0);
    std::ifstream saved(folder.File("Tornalo.ini"), std::ios::binary);
    std::string firstLine;
    std::getline(saved, firstLine);
    EXPECT_EQ(firstLine, "[MainForm.rsPropSaver1]\r");
}
