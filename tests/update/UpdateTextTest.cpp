#include "update/UpdateText.h"
#include "tests/support/TemporaryFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

TEST(TrimBlanks, RemovesBlanksTabsAndLineBreaksAtBothEnds)
{
    EXPECT_EQ(TrimBlanks(" \t\r\n1.2 3\r\n\t "), "1.2 3");
    EXPECT_EQ(TrimBlanks(" \t "), "");
}

TEST(TrimBlanks, KeepsOtherControlCharacters)
{
    EXPECT_EQ(TrimBlanks("\v1\f"), "\v1\f");
}

TEST(SplitToken, SplitsAtTheFirstDelimiter)
{
    const Split split = SplitToken("1.10.01", '.');
    EXPECT_EQ(split.token, "1");
    EXPECT_EQ(split.rest, "10.01");
}

TEST(SplitToken, IgnoresDelimitersInsideQuotesAndKeepsTheQuotes)
{
    const Split split = SplitToken("\"1.0\".2", '.');
    EXPECT_EQ(split.token, "\"1.0\"");
    EXPECT_EQ(split.rest, "2");
}

TEST(SplitToken, TrimsBothParts)
{
    const Split split = SplitToken(" 1 . 2 ", '.');
    EXPECT_EQ(split.token, "1");
    EXPECT_EQ(split.rest, "2");
}

TEST(SplitToken, DelimiterAtEitherEndGivesAnEmptyPart)
{
    EXPECT_EQ(SplitToken(".5", '.').token, "");
    EXPECT_EQ(SplitToken(".5", '.').rest, "5");
    EXPECT_EQ(SplitToken("5.", '.').token, "5");
    EXPECT_EQ(SplitToken("5.", '.').rest, "");
}

TEST(SplitToken, WithoutDelimiterTheTokenIsTheWholeText)
{
    EXPECT_EQ(SplitToken(" 7 ", '.').token, " 7 ");
    EXPECT_EQ(SplitToken(" 7 ", '.').rest, "");
    EXPECT_EQ(SplitToken("\"1.2", '.').token, "\"1.2");
}

TEST(ExpandLineBreaks, TurnsEveryLineFeedIntoCrLf)
{
    EXPECT_EQ(ExpandLineBreaks("a\nb\n\nc"), "a\r\nb\r\n\r\nc");
    EXPECT_EQ(ExpandLineBreaks("a\r\nb"), "a\r\r\nb");
    EXPECT_EQ(ExpandLineBreaks("no break"), "no break");
}

TEST(ParentPath, CutsAtTheLastSeparatorThatIsNotTheLastCharacter)
{
    EXPECT_EQ(ParentPath("C:\\a\\b\\"), "C:\\a");
    EXPECT_EQ(ParentPath("/opt/app/"), "/opt");
    EXPECT_EQ(ParentPath("http://host/app/version.txt"), "http://host/app");
    EXPECT_EQ(ParentPath("a/b\\c"), "a/b");
}

TEST(ParentPath, WithoutSeparatorGivesTheWholeText)
{
    EXPECT_EQ(ParentPath("name"), "name");
    EXPECT_EQ(ParentPath("/name"), "/name");
    EXPECT_EQ(ParentPath(""), "");
}

class FileExistsQuickTest : public testing::Test {
protected:
    TemporaryFolder folder;
};

TEST_F(FileExistsQuickTest, RelativeAndNetworkPathsCountAsPresentWithoutALook)
{
    EXPECT_TRUE(FileExistsQuick("dir/file.exe"));
    EXPECT_TRUE(FileExistsQuick("dir\\file.exe"));
    EXPECT_TRUE(FileExistsQuick("//server/share/x.exe"));
    EXPECT_TRUE(FileExistsQuick("\\\\server\\share\\x.exe"));
}

TEST_F(FileExistsQuickTest, EmptyPathIsMissing)
{
    EXPECT_FALSE(FileExistsQuick(""));
}

TEST_F(FileExistsQuickTest, AbsolutePathNeedsAFileThatIsNotAFolder)
{
    std::ofstream(folder.File("present.exe")) << "x";
    std::filesystem::create_directory(folder.File("folder.exe"));
    EXPECT_TRUE(FileExistsQuick(folder.File("present.exe")));
    EXPECT_FALSE(FileExistsQuick(folder.File("missing.exe")));
    EXPECT_FALSE(FileExistsQuick(folder.File("folder.exe")));
}

TEST(ProgramFileDirectory, IsTheRunningProgramsFolderWithASlash)
{
    const std::string folder = ProgramFileDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(std::filesystem::path(folder + "x").parent_path(),
        std::filesystem::read_symlink("/proc/self/exe").parent_path());
}
