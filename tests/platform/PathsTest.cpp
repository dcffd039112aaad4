// Where the program's data files are found: beside the executable first, then
// in the installed data folder ../share/tornalo/; and how a whole file is
// written by replacing it.
#include "platform/Paths.h"
#include "platform/FileReplacement.h"

#include "tests/support/TemporaryFolder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

struct DataFolderCase {
    const char* programDirectory;
    const char* installed;
};

void PrintTo(const DataFolderCase& test, std::ostream* out)
{
    *out << test.programDirectory;
}

class InstalledDataFolder : public testing::TestWithParam<DataFolderCase> { };

TEST_P(InstalledDataFolder, IsShareTornaloBesideTheProgramsFolder)
{
    EXPECT_EQ(platform::InstalledDataDirectory(GetParam().programDirectory), GetParam().installed);
}

INSTANTIATE_TEST_SUITE_P(Paths, InstalledDataFolder,
    testing::Values(DataFolderCase { "/usr/bin/", "/usr/share/tornalo/" },
        DataFolderCase { "/usr/bin", "/usr/share/tornalo/" },
        DataFolderCase { "/opt/t/bin//", "/opt/t/share/tornalo/" },
        DataFolderCase { "/bin/", "/share/tornalo/" }),
    [](const testing::TestParamInfo<DataFolderCase>& info) {
        return "Case" + std::to_string(info.index);
    });

class DataFile : public testing::Test {
protected:
    DataFile() { std::filesystem::create_directories(folder.File("bin")); }

    void Place(const std::string& relative) const
    {
        std::filesystem::create_directories(
            std::filesystem::path(folder.File(relative)).parent_path());
        std::ofstream(folder.File(relative)) << "guide";
    }
    std::string Found() const { return platform::DataFilePath(Bin(), "ReadMe.txt"); }
    std::string Bin() const { return folder.File("bin/"); }

    TemporaryFolder folder;
};

TEST_F(DataFile, BesideTheProgramWinsOverTheDataFolder)
{
    Place("bin/ReadMe.txt");
    Place("share/tornalo/ReadMe.txt");
    EXPECT_EQ(Found(), Bin() + "ReadMe.txt");
}

TEST_F(DataFile, TheDataFolderServesAnInstalledCopy)
{
    Place("share/tornalo/ReadMe.txt");
    EXPECT_EQ(Found(), folder.File("share/tornalo/ReadMe.txt"));
}

TEST_F(DataFile, NeitherPlaceNamesThePlaceBesideTheProgram)
{
    Place("share/tornalo/Other.txt");
    EXPECT_EQ(Found(), Bin() + "ReadMe.txt");
}

TEST_F(DataFile, OnlyACopyWithADataFolderCountsAsInstalled)
{
    EXPECT_FALSE(platform::IsInstalledCopy(Bin()));
    Place("share/tornalo/ReadMe.txt");
    EXPECT_TRUE(platform::IsInstalledCopy(Bin()));
}

// A link planted under the name, here in a world-writable folder with the
// sticky bit and owned by another user where the test may give it one, is
// replaced, never written through: the file it points at keeps its bytes.
TEST(FileReplacement, ReplacesWhatStandsUnderTheNameAndNeverWritesThroughALink)
{
    TemporaryFolder folder;
    const std::filesystem::path shared = folder.Path() + "shared";
    std::filesystem::create_directory(shared);
    std::filesystem::permissions(shared, std::filesystem::perms(01777));
    const std::string victim = folder.Path() + "victim";
    std::ofstream(victim) << "keep me";
    const std::string page = (shared / "page.htm").string();
    std::filesystem::create_symlink(victim, page);
    if (geteuid() == 0) {
        ASSERT_EQ(lchown(page.c_str(), 65534, 65534), 0);
    }

    EXPECT_EQ(platform::ReplaceFileContents(page, "new page"), "");
    EXPECT_FALSE(std::filesystem::is_symlink(page));
    std::string replaced;
    std::getline(std::ifstream(page), replaced);
    EXPECT_EQ(replaced, "new page");
    std::string kept;
    std::getline(std::ifstream(victim), kept);
    EXPECT_EQ(kept, "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(shared), {}), 1);
}

// The user's own file is written where it is; one with a second name, which
// may be another user's file, gets a file of its own instead.
TEST(FileReplacement, AnOwnFileIsWrittenInPlaceAndASecondNameIsLeftAlone)
{
    TemporaryFolder folder;
    const std::string page = folder.Path() + "page.htm";
    const std::string other = folder.Path() + "other";
    std::ofstream(page) << "an old page that is longer";
    const auto links = std::filesystem::hard_link_count(page);
    ASSERT_EQ(links, 1u);
    struct stat before { };
    stat(page.c_str(), &before);
    EXPECT_EQ(platform::ReplaceFileContents(page, "short"), "");
    struct stat after { };
    stat(page.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(std::filesystem::file_size(page), 5u);
    std::filesystem::create_hard_link(page, other);
    EXPECT_EQ(platform::ReplaceFileContents(page, "newer"), "");
    std::string kept;
    std::getline(std::ifstream(other), kept);
    EXPECT_EQ(kept, "short");
    EXPECT_EQ(std::filesystem::hard_link_count(page), 1u);
}

TEST(FileReplacement, AFolderInTheWayLeavesItAsItWasAndSaysWhy)
{
    TemporaryFolder folder;
    const std::string page = folder.Path() + "page.htm";
    std::filesystem::create_directory(page);
    EXPECT_EQ(platform::ReplaceFileContents(page, "x"), "Is a directory");
    EXPECT_TRUE(std::filesystem::is_directory(page));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}
