// Where the program's data files are found: beside the executable first, then
// in the installed data folder ../share/tornalo/.
#include "platform/Paths.h"

#include "tests/support/TemporaryFolder.h"

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
