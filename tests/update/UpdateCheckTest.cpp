#include "update/UpdateCheck.h"
#include "tests/update/LoopbackServer.h"
#include "tests/update/UpdateTestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::string product = "Tornalo";
const std::string caption = "Update Check for: Tornalo";
const std::string webPage = "http://tornalo.example/";
const std::string manually = "You can visit the web page and check for updates manually.";
const std::string defaultWhatsNew = "Please visit the Tornalo program web page for more "
                                    "information and to learn about the latest features.";

} // namespace

class UpdateCheckTest : public testing::Test {
protected:
    void Describe(const std::string& version, const std::string& versionPath = "/app/version.txt",
        const std::string& page = webPage) const
    {
        std::string text;
        if (!page.empty())
            text += "<WebPage>" + page + "</WebPage>\n";
        if (!versionPath.empty())
            text += "<VersionFileRemote>" + server.Address(versionPath) + "</VersionFileRemote>\n";
        if (!version.empty())
            text += "<Version>" + version + "</Version>\n";
        WriteFile(program.File("Tornalo.qvupdate"), text);
    }

    void Publish(const std::string& version, const std::string& more = {},
        const std::string& path = "/app/version.txt")
    {
        server.Serve(path, "<Program_Version>" + version + "</Program_Version>\n" + more);
    }

    bool Check(const std::string& options = "-show", const std::string& title = "a",
        const std::string& name = product) const
    {
        return CheckForUpdates(name, nullptr, program.Path(), "", options, title, 0);
    }

    bool NothingShown() const { return messages.shown.empty() && dialogs.shown.empty(); }

    const UpdateDialogTexts& Dialog() const
    {
        EXPECT_EQ(dialogs.shown.size(), 1u);
        EXPECT_TRUE(messages.shown.empty());
        static const UpdateDialogTexts none;
        return dialogs.shown.empty() ? none : dialogs.shown.front();
    }

    CacheFolderScope cache;
    RecordsFolderScope records;
    LoopbackServer server;
    TemporaryFolder program;
    MessageBoxRecorder messages;
    DialogRecorder dialogs;
    ShellRecorder shell;
};

TEST_F(UpdateCheckTest, SameVersionSaysUpToDate)
{
    Describe("1.10.01");
    Publish("1.10.01");
    EXPECT_FALSE(Check());
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(
        messages.shown[0].text, "Tornalo is up to date (v1.10.01).\r\n\r\n Update check complete.");
    EXPECT_EQ(messages.shown[0].caption, caption);
    EXPECT_EQ(messages.shown[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(messages.shown[0].buttons, platform::MessageButtons::Ok);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(UpdateCheckTest, UpToDateQuotesTheInstalledVersionText)
{
    Describe("1.10.1");
    Publish("1.10.01");
    Check();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(
        messages.shown[0].text, "Tornalo is up to date (v1.10.1).\r\n\r\n Update check complete.");
}

TEST_F(UpdateCheckTest, WithoutProductNameTheProgramIsUpToDate)
{
    Describe("1.2");
    Publish("1.2");
    Check("-show", "a", "");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(
        messages.shown[0].text, "The program is up to date (v1.2).\r\n\r\n Update check complete.");
    EXPECT_EQ(messages.shown[0].caption, "Update Check");
}

TEST_F(UpdateCheckTest, AnyOtherTitleIsTheCaption)
{
    Describe("1.2");
    Publish("1.2");
    Check("-show", "Mine");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Mine");
}

TEST_F(UpdateCheckTest, NewerVersionShowsTheDialogWithWhatIsNew)
{
    Describe("1.10.01");
    Publish("1.10.02");
    server.Serve("/app/whatsnew.txt", "@v1.10.02\nFaster.\n@v1.10.01\nFirst.\n");
    EXPECT_FALSE(Check());
    const UpdateDialogTexts& dialog = Dialog();
    EXPECT_EQ(dialog.caption, caption);
    EXPECT_EQ(dialog.webPage, webPage);
    EXPECT_EQ(dialog.updaterPage, "");
    EXPECT_EQ(dialog.topLine,
        "A new version of Tornalo is available (v1.10.02).\r\n\r\n"
        "You can now visit the web page and download the latest update.");
    EXPECT_EQ(dialog.whatsNew, "@v1.10.02\r\nFaster.\r\n");
}

TEST_F(UpdateCheckTest, NumbersNotTextDecideWhatIsNewer)
{
    Describe("1.9");
    Publish("1.10");
    Check();
    EXPECT_EQ(Dialog().topLine.rfind("A new version of Tornalo is available (v1.10).", 0), 0u);
}

TEST_F(UpdateCheckTest, ShownewHidesTheUpToDateMessage)
{
    Describe("1.2");
    Publish("1.2");
    Check("-show -shownew");
    EXPECT_TRUE(NothingShown());
}

TEST_F(UpdateCheckTest, NothingexitHidesTheUpToDateMessage)
{
    Describe("1.2");
    Publish("1.2");
    Check("-nothingexit");
    EXPECT_TRUE(NothingShown());
}

TEST_F(UpdateCheckTest, ShownewStillShowsANewerVersion)
{
    Describe("1.2");
    Publish("1.3");
    Check("-show -shownew");
    EXPECT_EQ(Dialog().caption, caption);
}

TEST_F(UpdateCheckTest, SilentTitlesHideTheUpToDateMessage)
{
    Describe("1.2");
    Publish("1.2");
    Check("-show", "");
    Check("-show", ".");
    EXPECT_TRUE(NothingShown());
}

TEST_F(UpdateCheckTest, SilentTitleStillReportsAFailureUnderTheAutomaticCaption)
{
    Describe("1.2", "/missing.txt");
    Check("-show", "");
    const UpdateDialogTexts& dialog = Dialog();
    EXPECT_EQ(dialog.caption, caption);
    EXPECT_EQ(dialog.topLine,
        "Could not download internet version file for Tornalo at " + server.Address("/missing.txt")
            + "\r\n\r\n" + manually);
    EXPECT_EQ(dialog.whatsNew, defaultWhatsNew);
}

TEST_F(UpdateCheckTest, FailedDownloadAfterAnOverrideNamesBothAddresses)
{
    Describe("1.2", "/old.txt");
    server.Serve("/old.txt",
        "<Override_VersionFileRemote>" + server.Address("/gone.txt")
            + "</Override_VersionFileRemote>\n");
    Check();
    EXPECT_EQ(Dialog().topLine,
        "Could not download internet version file for Tornalo at " + server.Address("/gone.txt")
            + " (originally " + server.Address("/old.txt") + " before redirect)\r\n\r\n"
            + manually);
}

TEST_F(UpdateCheckTest, SilenterrorHidesAFailure)
{
    Describe("1.2", "/missing.txt");
    Check("-show -silenterror");
    EXPECT_TRUE(NothingShown());
}

TEST_F(UpdateCheckTest, SilenterrorHidesAnInstalledNewerVersion)
{
    Describe("1.2.1");
    Publish("1.2");
    Check("-silenterror");
    EXPECT_TRUE(NothingShown());
}

TEST_F(UpdateCheckTest, SilenterrorStillShowsANewerVersion)
{
    Describe("1.2");
    Publish("1.3");
    Check("-silenterror");
    EXPECT_EQ(Dialog().caption, caption);
}

TEST_F(UpdateCheckTest, InstalledNewerVersionIsReported)
{
    Describe("1.2.1");
    Publish("1.2");
    Check();
    EXPECT_EQ(Dialog().topLine,
        "You have a newer version of Tornalo (v1.2.1) than what's "
        "on the web (v1.2).\r\n\r\n"
            + manually);
}

TEST_F(UpdateCheckTest, NohelperwebDownloadsNothingAndShowsTheDialog)
{
    Describe("1.2");
    Publish("1.3");
    Check("-nohelperweb -silenterror");
    const UpdateDialogTexts& dialog = Dialog();
    EXPECT_EQ(dialog.caption, caption);
    EXPECT_EQ(dialog.topLine, manually);
    EXPECT_EQ(dialog.whatsNew, defaultWhatsNew);
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(UpdateCheckTest, NohelperwebWithoutWebPageCannotNameOne)
{
    Describe("1.2", "/app/version.txt", "");
    Check("-nohelperweb");
    EXPECT_EQ(Dialog().topLine, "Could not determine web page to check.");
    EXPECT_EQ(Dialog().webPage, "");
}

TEST_F(UpdateCheckTest, NohelperwebKeepsTheDotTitleAsCaption)
{
    Describe("1.2");
    Check("-nohelperweb", ".");
    EXPECT_EQ(Dialog().caption, ".");
}

TEST_F(UpdateCheckTest, NohelperwebWithEmptyTitleShowsNothing)
{
    Describe("1.2");
    Check("-nohelperweb", "");
    EXPECT_TRUE(NothingShown());
}

TEST_F(UpdateCheckTest, WithoutDescriptorTheDialogHasNoStatus)
{
    Check();
    const UpdateDialogTexts& dialog = Dialog();
    EXPECT_EQ(dialog.topLine, "Could not determine web page to check.");
    EXPECT_EQ(dialog.whatsNew, defaultWhatsNew);
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(UpdateCheckTest, DescriptorWithoutVersionFileMakesNoWebCheck)
{
    Describe("1.2", "");
    Check();
    EXPECT_EQ(Dialog().topLine, manually);
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(UpdateCheckTest, DescriptorWithoutVersionIsReportedAfterTheDownload)
{
    Describe("");
    Publish("1.2");
    Check();
    EXPECT_EQ(
        Dialog().topLine, "Local version information for Tornalo not found.\r\n\r\n" + manually);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(UpdateCheckTest, VersionFileWithoutProgramVersionIsReported)
{
    Describe("1.2");
    server.Serve("/app/version.txt", "<Program_Version>1.3</Program_Version>");
    Check();
    EXPECT_EQ(Dialog().topLine,
        "Remote version information for Tornalo not found in " + server.Address("/app/version.txt")
            + "\r\n\r\n" + manually);
}

TEST_F(UpdateCheckTest, WhatsNewNoneLeavesTheDefaultText)
{
    Describe("1.2");
    Publish("1.3", "<WhatsNewFile>none</WhatsNewFile>\n");
    server.Serve("/app/whatsnew.txt", "@1.3 new\n");
    Check();
    EXPECT_EQ(Dialog().whatsNew, defaultWhatsNew);
}

TEST_F(UpdateCheckTest, FailedWhatsNewDownloadLeavesTheDefaultTextSilently)
{
    Describe("1.2");
    Publish("1.3");
    Check();
    EXPECT_EQ(Dialog().whatsNew, defaultWhatsNew);
    EXPECT_EQ(Dialog().topLine.rfind("A new version of Tornalo is available (v1.3).", 0), 0u);
}

TEST_F(UpdateCheckTest, OverrideWebPageReachesTheDialog)
{
    Describe("1.2");
    Publish("1.3", "<Override_WebPage>http://moved.example/</Override_WebPage>\n");
    Check();
    EXPECT_EQ(Dialog().webPage, "http://moved.example/");
}

TEST_F(UpdateCheckTest, OverrideWebPageGivesAPageToADescriptorWithoutOne)
{
    Describe("1.2", "/app/version.txt", "");
    Publish("1.3", "<Override_WebPage>http://moved.example/</Override_WebPage>\n");
    Check();
    EXPECT_EQ(Dialog().webPage, "http://moved.example/");
    EXPECT_NE(Dialog().topLine.find("You can now visit the web page"), std::string::npos);
}

TEST_F(UpdateCheckTest, DontofferqvupdaterpageChangesNothing)
{
    Describe("1.2");
    Publish("1.3");
    Check("-show -dontofferqvupdaterpage");
    EXPECT_EQ(Dialog().updaterPage, "");
    EXPECT_EQ(Dialog().caption, caption);
}

TEST_F(UpdateCheckTest, FlagsAreCaseSensitive)
{
    Describe("1.2");
    Publish("1.2");
    Check("-SHOWNEW");
    EXPECT_EQ(messages.shown.size(), 1u);
}

// A copy that the package manager installed names its version, when its
// descriptor has one, and points at no page: nothing is downloaded.
TEST_F(UpdateCheckTest, PackagedCopyLeavesItsUpdatesToThePackageManager)
{
    const std::string advice = " was installed by the system's package manager, which brings its "
                               "updates: use your package manager (for example apt) to update it.";
    struct Case {
        std::string version, name, title, text, caption;
    };
    for (const Case& test :
        { Case { "1.10.01", product, "a", product + " (v1.10.01)" + advice, caption },
            Case { "", product, "a", product + advice, caption },
            Case { "1.2", "", "Updates", "The program (v1.2)" + advice, "Updates" } }) {
        Describe(test.version);
        Publish("1.99");
        messages.shown.clear();
        ShowPackageManagerUpdates(test.name, nullptr, program.Path(), test.title);
        ASSERT_EQ(messages.shown.size(), 1u) << test.text;
        EXPECT_EQ(messages.shown[0].text, test.text);
        EXPECT_EQ(messages.shown[0].caption, test.caption);
        EXPECT_EQ(messages.shown[0].icon, platform::MessageIcon::Information);
    }
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(shell.opened.empty());
    EXPECT_TRUE(server.Requests().empty());
}
