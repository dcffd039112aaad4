#include "SettingsFiles.h"
#include "tests/support/ForeignUser.h"
#include "tests/support/ReadOnlyFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

void FillLargeTree(TrsStorage& storage, const std::string& value)
{
    for (int s = 0; s < 50; ++s)
        for (int k = 0; k < 200; ++k)
            storage.WriteString(
                "\\Section" + std::to_string(s) + "\\Key" + std::to_string(k), value);
}

std::vector<std::string> FilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

class SafeSaveTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    std::string path = folder.File("Tornalo.ini");
    const std::string previous = "[S]\r\nK=\"previous\"\r\n\r\n";
    void SetUp() override { WriteFileBytes(path, previous); }
};

TEST_F(SafeSaveTest, FailedWriteLeavesThePreviousFileIntact)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The file size limit makes the write fail part way, like a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit { 4096, 4096 };
        setrlimit(RLIMIT_FSIZE, &limit);
        IniFile file(path);
        FillLargeTree(file.storage, "a value long enough to pass the limit");
        try {
            file.storage.Save();
        } catch (const FileCreateError&) {
            _exit(0);
        } catch (...) {
            _exit(2);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save must raise the file-creation error";
    EXPECT_EQ(ReadFileBytes(path), previous);
    EXPECT_EQ(FilesIn(folder.Path()), std::vector<std::string> { "Tornalo.ini" })
        << "temporary file left";
}

TEST_F(SafeSaveTest, ProcessKilledDuringSavesLeavesAWholeFile)
{
    IniFile first(path), second(path);
    FillLargeTree(first.storage, "first");
    FillLargeTree(second.storage, "second");
    const std::string images[] = { first.Image(), second.Image() };
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                (i % 2 ? first : second).storage.Save();
        }
        usleep(3000 + round * 2500);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const std::string found = ReadFileBytes(path);
        EXPECT_TRUE(found == previous || found == images[0] || found == images[1])
            << "round " << round << ": a file of " << found.size() << " bytes";
    }
}

TEST_F(SafeSaveTest, ReplacingKeepsPermissionsAndFollowsASymbolicLink)
{
    chmod(path.c_str(), 0640);
    const std::string link = folder.File("Link.ini");
    fs::create_symlink(path, link);
    IniFile file(link);
    file.storage.WriteString("\\S\\K", "new");
    file.storage.Save();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(path), "[S]\r\nK=\"new\"\r\n\r\n");
    struct stat status;
    stat(path.c_str(), &status);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

TEST_F(SafeSaveTest, ReadOnlyFileIsLeftAsItIsAndSaysSoBeforeTheSave)
{
    chmod(path.c_str(), 0444);
    IniFile file(path);
    EXPECT_EQ(file.ini.SaveRefusal(), "The file is read-only, so it is left as it is.");
    file.storage.WriteString("\\S\\K", "new");
    try {
        file.storage.Save();
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const FileCreateError& error) {
        EXPECT_EQ(std::string(error.what()),
            "Cannot create file \"" + path + "\". The file is read-only, so it is left as it is.");
    }
    EXPECT_EQ(ReadFileBytes(path), previous);
    chmod(path.c_str(), 0644);
    EXPECT_EQ(file.ini.SaveRefusal(), "");
}

// The settings file in a folder that everyone may write to, as a symbolic
// link: followed only when the link and the file it leads to are the user's.
struct PlantedLinkCase {
    const char* name;
    bool linkOfAnother;
    bool fileOfAnother;
    // Empty when the save goes through the link; {target} stands for the
    // file the link leads to.
    std::string refusal;
};

class PlantedLinkTest : public testing::TestWithParam<PlantedLinkCase> {
protected:
    ForeignUser other;
    ScratchFolder shared;
    ScratchFolder elsewhere;
};

TEST_P(PlantedLinkTest, SettingsGoThroughOnlyTheUsersOwnLinkToAFileOfTheirOwn)
{
    const PlantedLinkCase& planted = GetParam();
    if (!other.Available())
        GTEST_SKIP() << "No planted link as another user: " << other.Reason();
    ASSERT_TRUE(ForeignUser::MakeShared(shared.Path()));
    const std::string target = elsewhere.File("passwd");
    const std::string original = "root:x:0:0:root:/root:/bin/sh\n";
    WriteFileBytes(target, original);
    const std::string link = shared.File("Tornalo.ini");
    fs::create_symlink(target, link);
    ASSERT_TRUE(!planted.fileOfAnother || other.Owns(target));
    ASSERT_TRUE(!planted.linkOfAnother || other.Owns(link));
    IniFile file(link);
    file.storage.WriteString("\\S\\K", "settings");
    std::string refusal;
    try {
        file.storage.Save();
    } catch (const FileCreateError& error) {
        refusal = error.what();
    }
    EXPECT_TRUE(fs::is_symlink(link));
    if (planted.refusal.empty()) {
        EXPECT_EQ(refusal, "");
        EXPECT_EQ(ReadFileBytes(target), "[S]\r\nK=\"settings\"\r\n\r\n");
    } else {
        std::string expected = planted.refusal;
        if (const std::size_t at = expected.find("{target}"); at != std::string::npos)
            expected.replace(at, 8, target);
        EXPECT_EQ(refusal, "Cannot create file \"" + link + "\". " + expected);
        EXPECT_EQ(ReadFileBytes(target), original);
    }
}

INSTANTIATE_TEST_SUITE_P(Links, PlantedLinkTest,
    testing::Values(PlantedLinkCase { "TheUsersOwn", false, false, "" },
        PlantedLinkCase { "LinkOfAnotherUser", true, false,
            "It is a link that another user made, so it is left as it is." },
        PlantedLinkCase { "LinkToAFileOfAnotherUser", false, true,
            "It is a link to {target}, a file of another user, so it is left as it is." },
        PlantedLinkCase { "BothOfAnotherUser", true, true,
            "It is a link that another user made, so it is left as it is." }),
    [](const testing::TestParamInfo<PlantedLinkCase>& info) { return info.param.name; });

TEST_F(SafeSaveTest, MissingFolderFailsUnlessItMayBeCreated)
{
    IniFile file(folder.File("a/b/Tornalo.ini"));
    file.storage.WriteString("\\S\\K", "v");
    EXPECT_THROW(file.storage.Save(), FileCreateError);
    file.ini.Options = doAutoCreateDir;
    file.storage.Save();
    EXPECT_EQ(ReadFileBytes(folder.File("a/b/Tornalo.ini")), "[S]\r\nK=\"v\"\r\n\r\n");
}

// Said before the save, and by it, with the reason of the folder that
// cannot be made rather than the file that then cannot be.
TEST_F(SafeSaveTest, MissingFolderThatCannotBeMadeNamesTheReason)
{
    const std::string missing = folder.File("a/b");
    IniFile file(missing + "/Tornalo.ini");
    file.ini.Options = doAutoCreateDir;
    file.storage.WriteString("\\S\\K", "v");
    const std::string reason = "The folder " + missing + " cannot be created (Permission denied).";
    ReadOnlyFolder readOnly(folder.Path());
    EXPECT_EQ(file.ini.SaveRefusal(), reason);
    try {
        file.storage.Save();
        ADD_FAILURE() << "the save went through a folder that cannot be written";
    } catch (const FileCreateError& error) {
        EXPECT_EQ(std::string(error.what()),
            "Cannot create file \"" + missing + "/Tornalo.ini\". " + reason);
    }
}

// A folder in the file's place would be lost: it is refused before the save
// and by it, and left as it is.
TEST_F(SafeSaveTest, FolderInTheFilesPlaceIsLeftAsItIs)
{
    const std::string path = folder.File("Dir.ini");
    fs::create_directory(path);
    IniFile file(path);
    file.storage.WriteString("\\S\\K", "v");
    EXPECT_EQ(file.ini.SaveRefusal(), "It is a folder, not a file, so it is left as it is.");
    EXPECT_THROW(file.storage.Save(), FileCreateError);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_TRUE(fs::is_empty(path));
}

TEST_F(SafeSaveTest, UnreadableFileRaisesTheOpenErrorAndKeepsTheStorageClosed)
{
    fs::create_directory(folder.File("Dir.ini"));
    IniFile file(folder.File("Dir.ini"));
    EXPECT_THROW(file.storage.Open(), FileOpenError);
    EXPECT_FALSE(file.storage.Active());
}

// --- Locations and the stream events ---------------------------------------------------

class FileLocationTest : public ::testing::Test {
protected:
    TrsIniData ini;
    std::string ProgramFolder()
    {
        return fs::read_symlink("/proc/self/exe").parent_path().string() + "/";
    }
    void SetUp() override { ini.Options = 0; }
};

TEST_F(FileLocationTest, ProgramFileLiesBesideTheExecutable)
{
    ini.FileName = "Tornalo.ini";
    EXPECT_EQ(ini.GetFileName(), ProgramFolder() + "Tornalo.ini");
    ini.FileName = "sub\\Tornalo.cfg";
    EXPECT_EQ(ini.GetFileName(), ProgramFolder() + "sub/Tornalo.cfg");
    ini.FileName = "/elsewhere/Tornalo";
    EXPECT_EQ(ini.GetFileName(), ProgramFolder() + "Tornalo.ini");
}

TEST_F(FileLocationTest, AutoNameTakesTheExecutablesNameWithTheFilesExtension)
{
    ini.Options = doAutoName;
    ini.FileName = "x.cfg";
    const std::string program = fs::read_symlink("/proc/self/exe").stem().string();
    EXPECT_EQ(ini.GetFileName(), ProgramFolder() + program + ".cfg");
}

TEST_F(FileLocationTest, OtherBaseFolders)
{
    ini.FileName = "Tornalo.ini";
    ini.FileDir = fdWindows;
    EXPECT_EQ(ini.GetFileName(), "/etc/Tornalo.ini");
    ini.FileDir = fdUserProfile;
    setenv("XDG_CONFIG_HOME", "/config/home", 1);
    EXPECT_EQ(ini.GetFileName(), "/config/home/Tornalo.ini");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/user", 1);
    EXPECT_EQ(ini.GetFileName(), "/home/user/.config/Tornalo.ini");
    ini.FileDir = fdCustom;
    ini.FileName = "relative/Tornalo.ini";
    EXPECT_EQ(ini.GetFileName(), "relative/Tornalo.ini");
}

TEST(StreamEvents, OwnerMaySupplyAndTakeTheImage)
{
    ScratchFolder folder;
    IniFile file(folder.File("never.ini"));
    file.ini.OnLoadFromStream
        = [](TrsComponent*, std::string& image, bool&) { image = "[S]\r\nK=1\r\n"; };
    std::string taken;
    file.ini.OnSaveToStream = [&](TrsComponent*, std::string& image, bool&) { taken = image; };
    file.storage.Load();
    EXPECT_EQ(file.storage.ReadInteger("\\S\\K", 0), 1);
    file.storage.Save();
    EXPECT_EQ(taken, "[S]\r\nK=1\r\n\r\n");
    EXPECT_FALSE(fs::exists(folder.File("never.ini")));
}

TEST(StreamEvents, StandardFileIsWrittenToo)
{
    ScratchFolder folder;
    IniFile file(folder.File("both.ini"));
    file.ini.OnSaveToStream
        = [](TrsComponent*, std::string&, bool& doStandard) { doStandard = true; };
    file.storage.WriteInteger("\\S\\K", 1);
    file.storage.Save();
    EXPECT_EQ(ReadFileBytes(folder.File("both.ini")), "[S]\r\nK=1\r\n\r\n");
}

TEST(InternalFile, CopySuppliedInCodeIsReadAlwaysOrWhenThereIsNoFile)
{
    ScratchFolder folder;
    IniFile file(folder.File("real.ini"));
    file.ini.InternalFile = "[S]\r\nFrom=\"copy\"\r\n";
    file.ini.InternalFileLoad = iflNoRealFile;
    file.storage.Load();
    EXPECT_EQ(file.storage.ReadString("\\S\\From", ""), "copy");
    WriteFileBytes(folder.File("real.ini"), "[S]\r\nFrom=\"file\"\r\n");
    file.storage.Load();
    EXPECT_EQ(file.storage.ReadString("\\S\\From", ""), "file");
    file.ini.InternalFileLoad = iflAlways;
    file.storage.Load();
    EXPECT_EQ(file.storage.ReadString("\\S\\From", ""), "copy");
}

} // namespace
