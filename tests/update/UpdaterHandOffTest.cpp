#include "update/UpdaterHandOff.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/UpdateCheck.h"
#include "update/UpdateText.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::string WithoutSlash(std::string folder)
{
    folder.pop_back();
    return folder;
}

} // namespace

class UpdaterSearchTest : public testing::Test {
protected:
    void Install(const TemporaryFolder& folder, const std::string& name) const
    {
        WriteFile(folder.File(name), "#!/bin/sh\n");
    }
    void Record(const std::string& installLocation) const
    {
        records.Write(
            "QvUpdater_is1", "DisplayName=QvUpdater\nInstallLocation=" + installLocation + "\n");
    }
    std::string ProgramDir() const { return program.Path(); }

    RecordsFolderScope records;
    TemporaryFolder program;
    TemporaryFolder installed;
    TemporaryFolder elsewhere;
};

TEST_F(UpdaterSearchTest, NothingAnywhereFindsNothing)
{
    EXPECT_EQ(FindUpdaterProgram(ProgramDir(), ""), "");
}

TEST_F(UpdaterSearchTest, TheRecordedFolderIsSearchedForEitherName)
{
    Record(installed.Path());
    Install(installed, "qvupdater.exe");
    EXPECT_EQ(FindUpdaterProgram(ProgramDir(), ""), installed.File("qvupdater.exe"));
}

TEST_F(UpdaterSearchTest, TheRecordedFolderComesBeforeTheProgramFolder)
{
    Record(installed.Path());
    Install(installed, "QvUppdater.exe");
    Install(program, "QvUppdater.exe");
    EXPECT_EQ(FindUpdaterProgram(ProgramDir(), ""), installed.File("QvUppdater.exe"));
}

TEST_F(UpdaterSearchTest, EveryPlaceIsSearchedForTheFirstNameBeforeTheSecond)
{
    Record(installed.Path());
    Install(installed, "qvupdater.exe");
    Install(program, "QvUppdater.exe");
    // The program folder is named with its trailing separator, as the menu passes it.
    EXPECT_EQ(FindUpdaterProgram(ProgramDir(), ""), ProgramDir() + "/QvUppdater.exe");
}

TEST_F(UpdaterSearchTest, TheNameIsAppendedToTheRecordedFolderDirectly)
{
    Record(WithoutSlash(installed.Path()));
    Install(installed, "qvupdater.exe");
    EXPECT_EQ(FindUpdaterProgram(ProgramDir(), ""), "");
}

TEST_F(UpdaterSearchTest, TheRecordIsReadByValueName)
{
    records.Write("QvUpdater_is1", "installlocation=" + installed.Path() + "\r\n");
    EXPECT_EQ(ReadUpdaterInstallLocation(), installed.Path());
}

TEST_F(UpdaterSearchTest, ALocationNamingAFileIsTakenWhateverItsName)
{
    Install(elsewhere, "my-updater");
    Install(program, "QvUppdater.exe");
    EXPECT_EQ(FindUpdaterProgram(ProgramDir(), elsewhere.File("my-updater")),
        elsewhere.File("my-updater"));
}

TEST_F(UpdaterSearchTest, ALocationNamingAFolderIsSearchedForBothNames)
{
    Install(elsewhere, "qvupdater.exe");
    const std::string folder = WithoutSlash(elsewhere.Path());
    EXPECT_EQ(FindUpdaterProgram(ProgramDir(), folder), folder + "/qvupdater.exe");
}

TEST_F(UpdaterSearchTest, ALocationComesBeforeTheRecordedFolder)
{
    Record(installed.Path());
    Install(installed, "QvUppdater.exe");
    Install(elsewhere, "QvUppdater.exe");
    const std::string folder = WithoutSlash(elsewhere.Path());
    EXPECT_EQ(FindUpdaterProgram(ProgramDir(), folder), folder + "/QvUppdater.exe");
}

TEST_F(UpdaterSearchTest, AnEmptyLocationFolderFallsThroughToTheOtherPlaces)
{
    Install(program, "qvupdater.exe");
    EXPECT_EQ(FindUpdaterProgram(ProgramDir(), WithoutSlash(elsewhere.Path())),
        ProgramDir() + "/qvupdater.exe");
}

TEST_F(UpdaterSearchTest, ARelativeOrNetworkProgramFolderIsTakenOnTrust)
{
    EXPECT_EQ(FindUpdaterProgram("some/dir", ""), "some/dir/QvUppdater.exe");
    EXPECT_EQ(FindUpdaterProgram("//server/share", ""), "//server/share/QvUppdater.exe");
}

TEST_F(UpdaterSearchTest, TheRecordStillWinsOverATrustedProgramFolder)
{
    Record(installed.Path());
    Install(installed, "QvUppdater.exe");
    EXPECT_EQ(FindUpdaterProgram("some/dir", ""), installed.File("QvUppdater.exe"));
}

class HandOffTest : public UpdaterSearchTest {
protected:
    bool Check(const std::string& programDir, const std::string& location = "",
        const std::string& options = "-show", int skipUpdater = 0) const
    {
        return CheckForUpdates("Tornalo", nullptr, programDir, location, options, "a", skipUpdater);
    }

    CacheFolderScope cache;
    MessageBoxRecorder messages;
    DialogRecorder dialogs;
    ShellRecorder shell;
};

TEST_F(HandOffTest, TheUpdaterGetsTheWholeCheck)
{
    std::filesystem::create_directory(program.File("my programs"));
    const std::string folder = program.File("my programs");
    WriteFile(folder + "/QvUppdater.exe", "#!/bin/sh\n");
    WriteFile(folder + "/Tornalo.qvupdate", "<Version>1.2</Version>\n");
    EXPECT_TRUE(Check(folder + "/"));
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].target, folder + "//QvUppdater.exe");
    EXPECT_EQ(shell.opened[0].parameters, "-show -check -closexits \"-scandir=" + folder + "\"");
    EXPECT_EQ(shell.opened[0].directory, folder);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HandOffTest, EmptyOptionsGetNoLeadingBlank)
{
    Install(program, "QvUppdater.exe");
    Check(ProgramDir(), "", "");
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].parameters,
        "-check -closexits \"-scandir=" + WithoutSlash(ProgramDir()) + "\"");
}

TEST_F(HandOffTest, AFailedStartIsNotNoticed)
{
    Install(program, "QvUppdater.exe");
    platform::SetShellHandler([](const platform::ShellRequest&) { return false; });
    EXPECT_TRUE(Check(ProgramDir()));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(HandOffTest, EmptyOrDotProgramFolderMeansTheProgramsOwnFolder)
{
    Install(elsewhere, "QvUppdater.exe");
    Check("", elsewhere.File("QvUppdater.exe"));
    Check(".", elsewhere.File("QvUppdater.exe"));
    ASSERT_EQ(shell.opened.size(), 2u);
    for (const platform::ShellRequest& request : shell.opened) {
        EXPECT_EQ(request.parameters,
            "-show -check -closexits \"-scandir=" + ProgramFileDirectory() + "\"");
        EXPECT_EQ(request.directory, ProgramFileDirectory());
    }
}

TEST_F(HandOffTest, TwoDotsMeanTheFolderAboveTheProgramsOwn)
{
    Install(elsewhere, "QvUppdater.exe");
    Check("..", elsewhere.File("QvUppdater.exe"));
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0].directory, ParentPath(ProgramFileDirectory()));
}

TEST_F(HandOffTest, WithoutUpdaterTheBuiltInCheckRuns)
{
    EXPECT_FALSE(Check(ProgramDir()));
    EXPECT_TRUE(shell.opened.empty());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].caption, "Update Check for: Tornalo");
}

TEST_F(HandOffTest, SkipUpdaterRunsTheBuiltInCheck)
{
    Install(program, "QvUppdater.exe");
    EXPECT_FALSE(Check(ProgramDir(), "", "-show", 1));
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_EQ(dialogs.shown.size(), 1u);
}
