#include "update/UpdateDescriptor.h"
#include "tests/update/UpdateTestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>

class DescriptorTest : public testing::Test {
protected:
    void Write(const std::string& name, const std::string& text) const
    {
        WriteFile(folder.File(name), text);
    }
    UpdateDescriptor Read() const { return ReadUpdateDescriptor(folder.Path()); }

    TemporaryFolder folder;
};

TEST_F(DescriptorTest, ReadsTheThreeValues)
{
    Write("Tornalo.qvupdate",
        "<WebPage>http://w/</WebPage>\n"
        "<VersionFileRemote>http://w/v.txt</VersionFileRemote>\r\n"
        "<Version>1.2</Version>\n");
    const UpdateDescriptor descriptor = Read();
    EXPECT_EQ(descriptor.WebPage, "http://w/");
    EXPECT_EQ(descriptor.VersionFileRemote, "http://w/v.txt");
    EXPECT_EQ(descriptor.Version, "1.2");
}

TEST_F(DescriptorTest, NoDescriptorLeavesEverythingEmpty)
{
    Write("Tornalo.txt", "<Version>1.2</Version>\n");
    const UpdateDescriptor descriptor = Read();
    EXPECT_EQ(descriptor.WebPage, "");
    EXPECT_EQ(descriptor.VersionFileRemote, "");
    EXPECT_EQ(descriptor.Version, "");
}

TEST_F(DescriptorTest, MissingFolderLeavesEverythingEmpty)
{
    EXPECT_EQ(ReadUpdateDescriptor(folder.File("nowhere")).Version, "");
}

TEST_F(DescriptorTest, TheFirstNameInTheListingWins)
{
    Write("b.qvupdate", "<Version>2</Version>\n");
    Write("a.qvupdate", "<Version>1</Version>\n");
    EXPECT_EQ(Read().Version, "1");
}

TEST_F(DescriptorTest, AFolderNamedLikeADescriptorIsSkipped)
{
    std::filesystem::create_directory(folder.File("a.qvupdate"));
    Write("b.qvupdate", "<Version>2</Version>\n");
    EXPECT_EQ(Read().Version, "2");
}

TEST_F(DescriptorTest, TheExtensionMatchesInAnyLetterCase)
{
    Write("Tornalo.QvUpdate", "<Version>3</Version>\n");
    EXPECT_EQ(Read().Version, "3");
}

TEST_F(DescriptorTest, OneLineMayHoldSeveralTagPairs)
{
    Write("x.qvupdate", "<Version>1.2</Version><WebPage>http://w/</WebPage>\n");
    EXPECT_EQ(Read().Version, "1.2");
    EXPECT_EQ(Read().WebPage, "http://w/");
}

TEST_F(DescriptorTest, ClosingTagBeforeTheOpeningOneGivesNoValue)
{
    Write("x.qvupdate", "</Version>1.2<Version>\n");
    EXPECT_EQ(Read().Version, "");
}

TEST_F(DescriptorTest, ClosingTagBeforeTheOpeningOneSpoilsTheLineEvenWhenAnotherFollows)
{
    Write("x.qvupdate", "</Version><Version>1.2</Version>\n");
    EXPECT_EQ(Read().Version, "");
}

TEST_F(DescriptorTest, LastLineWithoutLineBreakIsIgnored)
{
    Write("x.qvupdate", "<WebPage>http://w/</WebPage>\n<Version>1.2</Version>");
    EXPECT_EQ(Read().WebPage, "http://w/");
    EXPECT_EQ(Read().Version, "");
}

TEST_F(DescriptorTest, LastLineWithoutLineBreakKeepsAnEarlierValue)
{
    Write("x.qvupdate", "<Version>1.1</Version>\n<Version>1.2</Version>");
    EXPECT_EQ(Read().Version, "1.1");
}

TEST_F(DescriptorTest, TheLastMatchingLineWins)
{
    Write("x.qvupdate", "<Version>1.1</Version>\n<Version>1.2</Version>\n");
    EXPECT_EQ(Read().Version, "1.2");
}

TEST_F(DescriptorTest, ValuesAreTakenVerbatim)
{
    Write("x.qvupdate", "<Version> 1.2 &amp; </Version>\n");
    EXPECT_EQ(Read().Version, " 1.2 &amp; ");
}

TEST_F(DescriptorTest, TagsMatchInTheirExactLetterCase)
{
    Write("x.qvupdate", "<version>1.2</version>\n");
    EXPECT_EQ(Read().Version, "");
}

TEST_F(DescriptorTest, ALongLineIsReadInPiecesOf1023Bytes)
{
    // The tag pair straddles the end of the first piece and is lost; one that
    // starts the second piece is found.
    const std::string straddling = std::string(1015, 'x') + "<Version>1</Version>\n";
    const std::string second = std::string(1023, 'x') + "<Version>2</Version>\n";
    Write("x.qvupdate", straddling);
    EXPECT_EQ(Read().Version, "");
    Write("x.qvupdate", second);
    EXPECT_EQ(Read().Version, "2");
}

TEST(InstalledDescriptor, NamesTheProgramsVersionAndItsOwnAddresses)
{
    const std::string path = TORNALO_INSTALLED_DESCRIPTOR;
    const UpdateDescriptor descriptor
        = ReadUpdateDescriptor(std::filesystem::path(path).parent_path().string());
    EXPECT_EQ(descriptor.Version, "1.10.01");
    EXPECT_EQ(descriptor.WebPage.rfind("https://tornalo.example/", 0), 0u) << descriptor.WebPage;
    EXPECT_EQ(descriptor.VersionFileRemote.rfind("https://tornalo.example/", 0), 0u)
        << descriptor.VersionFileRemote;
}

class TagValueTest : public testing::Test {
protected:
    TagValue Read(const std::string& text, const std::string& key) const
    {
        WriteFile(folder.File("version.txt"), text);
        return ReadTagValue(folder.File("version.txt"), key);
    }

    TemporaryFolder folder;
};

TEST_F(TagValueTest, TheFirstMatchingLineWins)
{
    const TagValue value
        = Read("<Program_Version>1.3</Program_Version>\n<Program_Version>1.4</Program_Version>\n",
            "Program_Version");
    EXPECT_TRUE(value.found);
    EXPECT_EQ(value.value, "1.3");
}

TEST_F(TagValueTest, MissingKeyIsNotFound)
{
    const TagValue value = Read("<Program_Version>1.3</Program_Version>\n", "WhatsNewFile");
    EXPECT_FALSE(value.found);
    EXPECT_EQ(value.value, "");
}

TEST_F(TagValueTest, EmptyValueIsFoundAndEmpty)
{
    const TagValue value = Read("<Override_WebPage></Override_WebPage>\n", "Override_WebPage");
    EXPECT_TRUE(value.found);
    EXPECT_EQ(value.value, "");
}

TEST_F(TagValueTest, TagPairSplitOverTwoLinesGivesNoValue)
{
    EXPECT_FALSE(Read("<Program_Version>1.3\n</Program_Version>\n", "Program_Version").found);
}

TEST_F(TagValueTest, ASpoiledLineIsPassedOver)
{
    const TagValue value = Read("</Program_Version><Program_Version>1\n"
                                "<Program_Version>2</Program_Version>\n",
        "Program_Version");
    EXPECT_EQ(value.value, "2");
}

TEST_F(TagValueTest, LastLineWithoutLineBreakIsIgnored)
{
    EXPECT_FALSE(Read("<Program_Version>1.3</Program_Version>", "Program_Version").found);
}

TEST_F(TagValueTest, UnreadableFileIsNotFound)
{
    EXPECT_FALSE(ReadTagValue(folder.File("missing.txt"), "Program_Version").found);
    EXPECT_FALSE(ReadTagValue(folder.Path(), "Program_Version").found);
}

TEST(WhatsNewAddress, DependsOnTheWhatsNewFileValue)
{
    const std::string effective = "http://host/app/version.txt";
    EXPECT_EQ(WhatsNewAddress(effective, ""), "http://host/app/whatsnew.txt");
    EXPECT_EQ(WhatsNewAddress(effective, "notes.txt"), "http://host/app/notes.txt");
    EXPECT_EQ(WhatsNewAddress(effective, "https://other/n.txt"), "https://other/n.txt");
    EXPECT_EQ(WhatsNewAddress(effective, "none"), "");
    EXPECT_EQ(WhatsNewAddress(effective, "None"), "http://host/app/None");
}

TEST(ExtractWhatsNew, NewestFirstGivesTheEntriesBeforeTheInstalledOne)
{
    EXPECT_EQ(ExtractWhatsNew("@v1.3 faster\n@v1.2 first\n", "1.2", "1.3"), "@v1.3 faster\n");
}

TEST(ExtractWhatsNew, NewestFirstKeepsTheTextBeforeTheNewestEntry)
{
    EXPECT_EQ(ExtractWhatsNew("History\n@1.3 b\n@1.2 a\n", "1.2", "1.3"), "History\n@1.3 b\n");
}

TEST(ExtractWhatsNew, OldestFirstGivesTheEntriesAfterTheInstalledOne)
{
    EXPECT_EQ(ExtractWhatsNew("@v1.2 first\n@v1.3 faster\n", "1.2", "1.3"), "@v1.3 faster\n");
    EXPECT_EQ(ExtractWhatsNew("@1.1 a\r@1.2 b\r@1.3 c", "1.2", "1.3"), "@1.3 c");
}

TEST(ExtractWhatsNew, OldestFirstWithoutALaterEntryStartGivesTheWholeText)
{
    const std::string text = "@1.2 a @1.3 b";
    EXPECT_EQ(ExtractWhatsNew(text, "1.2", "1.3"), text);
}

TEST(ExtractWhatsNew, MissingMarkerGivesTheWholeText)
{
    const std::string text = "@v1.3 faster\n@v1.1 first\n";
    EXPECT_EQ(ExtractWhatsNew(text, "1.2", "1.3"), text);
    EXPECT_EQ(ExtractWhatsNew(text, "1.1", "1.4"), text);
}

TEST(ExtractWhatsNew, ShorterVersionIsNotFoundInsideALongerOne)
{
    EXPECT_EQ(ExtractWhatsNew("@1.12 c\n@1.11 b\n@1.10 a\n@1.1 first\n", "1.1", "1.12"),
        "@1.12 c\n@1.11 b\n@1.10 a\n");
    EXPECT_EQ(ExtractWhatsNew("@1.1 first\n@1.1.5 fix\n@1.2 new\n", "1.1", "1.2"),
        "@1.1.5 fix\n@1.2 new\n");
}

TEST(ExtractWhatsNew, AVersionAtTheEndOfASentenceStillCounts)
{
    EXPECT_EQ(ExtractWhatsNew("@1.3. Faster\n@1.2. First\n", "1.2", "1.3"), "@1.3. Faster\n");
}

// An installed program's descriptor lies in ../share/tornalo/ beside its
// folder; one beside the program still comes first.
class InstalledDescriptorTest : public DescriptorTest {
protected:
    InstalledDescriptorTest()
    {
        std::filesystem::create_directories(folder.File("bin"));
        std::filesystem::create_directories(folder.File("share/tornalo"));
    }
    UpdateDescriptor ReadFromBin(const std::string& bin) const
    {
        return ReadUpdateDescriptor(folder.File(bin));
    }
};

TEST_F(InstalledDescriptorTest, TheDataFolderIsReadWhenNothingLiesBesideTheProgram)
{
    Write("share/tornalo/Tornalo.qvupdate", "<Version>1.4</Version>\n");
    EXPECT_EQ(ReadFromBin("bin/").Version, "1.4");
    EXPECT_EQ(ReadFromBin("bin").Version, "1.4");
}

TEST_F(InstalledDescriptorTest, ADescriptorBesideTheProgramComesFirst)
{
    Write("share/tornalo/Tornalo.qvupdate", "<Version>1.4</Version>\n");
    Write("bin/Portable.qvupdate", "<Version>1.5</Version>\n");
    EXPECT_EQ(ReadFromBin("bin/").Version, "1.5");
}

TEST_F(InstalledDescriptorTest, NoDescriptorInEitherPlaceLeavesTheVersionEmpty)
{
    Write("share/tornalo/ReadMe.txt", "<Version>1.4</Version>\n");
    EXPECT_EQ(ReadFromBin("bin/").Version, "");
}
