#include "update/VersionFile.h"
#include "tests/update/LoopbackServer.h"
#include "tests/update/UpdateTestSupport.h"
#include "update/UpdateDescriptor.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

const std::string product = "Tornalo";

std::string VersionFile(const std::string& version, const std::string& more = {})
{
    return "<Program_Version>" + version + "</Program_Version>\n" + more;
}

std::string OverrideTo(const std::string& address)
{
    return "<Override_VersionFileRemote>" + address + "</Override_VersionFileRemote>\n";
}

} // namespace

struct VersionCase {
    const char* local;
    const char* remote;
    int result;
};

void PrintTo(const VersionCase& versions, std::ostream* out)
{
    *out << versions.local << " against " << versions.remote;
}

class CompareVersionsTable : public testing::TestWithParam<VersionCase> { };

TEST_P(CompareVersionsTable, ComparesComponentsAsNumbers)
{
    std::string status;
    EXPECT_EQ(
        CompareVersions(product, GetParam().local, GetParam().remote, status), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(Versions, CompareVersionsTable,
    testing::Values(VersionCase { "1.9", "1.10", NewerAvailable },
        VersionCase { "1.10.01", "1.10.1", SameVersion },
        VersionCase { "1.2", "1.2.0", SameVersion }, VersionCase { "1.2.1", "1.2", InstalledNewer },
        VersionCase { "1.10.01", "1.10.02", NewerAvailable },
        VersionCase { "2", "10", NewerAvailable }, VersionCase { " 1.2", "1.2", SameVersion },
        VersionCase { "1.2beta", "1.2", SameVersion }, VersionCase { "1.x", "1.0", SameVersion },
        VersionCase { "1.2", "1.-1", CheckFailed }, VersionCase { "-1", "1", CheckFailed }));

TEST(CompareVersions, StatusQuotesBothVersionTextsWhole)
{
    std::string status;
    CompareVersions(product, "1.2.1", "1.2", status);
    EXPECT_EQ(status,
        "You have a newer version of Tornalo (v1.2.1) than what's on the web "
        "(v1.2).");
    CompareVersions(product, "1.9", "1.10", status);
    EXPECT_EQ(status, "A new version of Tornalo is available (v1.10).");
    CompareVersions(product, "1", "1.-1", status);
    EXPECT_EQ(status, "Version information for Tornalo in wrong format.");
}

TEST(CompareVersions, SameVersionLeavesTheStatusAlone)
{
    std::string status = "before";
    EXPECT_EQ(CompareVersions(product, "1.10.01", "1.10.1", status), SameVersion);
    EXPECT_EQ(status, "before");
}

TEST(CompareVersions, MissingVersionIsAnError)
{
    std::string status;
    EXPECT_EQ(CompareVersions(product, "1.2", "", status), CheckFailed);
    EXPECT_EQ(status, "Remote version information for Tornalo not found.");
    EXPECT_EQ(CompareVersions(product, "", "1.2", status), CheckFailed);
    EXPECT_EQ(status, "Local version information for Tornalo not found.");
}

class VersionDownloadTest : public testing::Test {
protected:
    int Download(const std::string& path)
    {
        return DownloadVersionFile(product, server.Address(path), effective, status, localFile);
    }

    CacheFolderScope cache;
    LoopbackServer server;
    std::string effective;
    std::string status;
    std::string localFile;
};

TEST_F(VersionDownloadTest, DownloadsIntoTheCacheFolder)
{
    server.Serve("/version.txt", VersionFile("1.3"));
    EXPECT_EQ(Download("/version.txt"), 1);
    EXPECT_EQ(effective, server.Address("/version.txt"));
    EXPECT_EQ(localFile.rfind(cache.Folder(), 0), 0u) << localFile;
    EXPECT_EQ(ReadTagValue(localFile, "Program_Version").value, "1.3");
}

TEST_F(VersionDownloadTest, FollowsAnOverride)
{
    server.Serve("/old.txt", OverrideTo(server.Address("/new.txt")));
    server.Serve("/new.txt", VersionFile("1.4"));
    EXPECT_EQ(Download("/old.txt"), 1);
    EXPECT_EQ(effective, server.Address("/new.txt"));
    EXPECT_EQ(ReadTagValue(localFile, "Program_Version").value, "1.4");
}

TEST_F(VersionDownloadTest, AnOverrideNamingItselfEndsTheChain)
{
    server.Serve("/self.txt", VersionFile("1.5", OverrideTo(server.Address("/self.txt"))));
    EXPECT_EQ(Download("/self.txt"), 1);
    EXPECT_EQ(server.Requests(), std::vector<std::string> { "/self.txt" });
    EXPECT_EQ(ReadTagValue(localFile, "Program_Version").value, "1.5");
}

TEST_F(VersionDownloadTest, TenOverridesAreFollowed)
{
    for (int i = 0; i < 10; ++i)
        server.Serve(
            "/" + std::to_string(i), OverrideTo(server.Address("/" + std::to_string(i + 1))));
    server.Serve("/10", VersionFile("2.0"));
    EXPECT_EQ(Download("/0"), 1);
    EXPECT_EQ(server.Requests().size(), 11u);
    EXPECT_EQ(effective, server.Address("/10"));
}

TEST_F(VersionDownloadTest, TheEleventhOverrideIsAnError)
{
    for (int i = 0; i <= 10; ++i)
        server.Serve(
            "/" + std::to_string(i), OverrideTo(server.Address("/" + std::to_string(i + 1))));
    server.Serve("/11", VersionFile("2.0"));
    EXPECT_EQ(Download("/0"), -1);
    EXPECT_EQ(server.Requests().size(), 11u);
    EXPECT_EQ(status,
        "Too many redirect Overrides for Tornalo found in " + server.Address("/11")
            + " (originally " + server.Address("/0") + " before redirect");
}

TEST_F(VersionDownloadTest, FailedDownloadNamesTheAddress)
{
    EXPECT_EQ(Download("/missing.txt"), -1);
    EXPECT_EQ(localFile, "");
    EXPECT_EQ(status,
        "Could not download internet version file for Tornalo at "
            + server.Address("/missing.txt"));
}

TEST_F(VersionDownloadTest, FailedDownloadAfterAnOverrideNamesBothAddresses)
{
    server.Serve("/old.txt", OverrideTo(server.Address("/gone.txt")));
    EXPECT_EQ(Download("/old.txt"), -1);
    EXPECT_EQ(status,
        "Could not download internet version file for Tornalo at " + server.Address("/gone.txt")
            + " (originally " + server.Address("/old.txt") + " before redirect)");
}

class WebVersionTest : public VersionDownloadTest {
protected:
    int Check(const std::string& path, const std::string& local = "1.2")
    {
        return CheckWebVersion(
            product, server.Address(path), local, webPage, status, remoteVersion, whatsNew);
    }

    std::string webPage = "http://installed/";
    std::string remoteVersion;
    std::string whatsNew;
};

TEST_F(WebVersionTest, SameVersionFetchesNothingMore)
{
    server.Serve("/version.txt", VersionFile("1.2"));
    server.Serve("/whatsnew.txt", "@1.2 x\n");
    EXPECT_EQ(Check("/version.txt"), SameVersion);
    EXPECT_EQ(remoteVersion, "1.2");
    EXPECT_EQ(whatsNew, "");
    EXPECT_EQ(server.Requests(), std::vector<std::string> { "/version.txt" });
}

TEST_F(WebVersionTest, VersionFileWithoutProgramVersionIsAnError)
{
    server.Serve("/version.txt", "<WhatsNewFile>none</WhatsNewFile>\n");
    EXPECT_EQ(Check("/version.txt"), CheckFailed);
    EXPECT_EQ(status,
        "Remote version information for Tornalo not found in " + server.Address("/version.txt"));
}

TEST_F(WebVersionTest, VersionFileWithoutProgramVersionAfterAnOverrideNamesBothAddresses)
{
    server.Serve("/old.txt", OverrideTo(server.Address("/new.txt")));
    server.Serve("/new.txt", "nothing\n");
    EXPECT_EQ(Check("/old.txt"), CheckFailed);
    EXPECT_EQ(status,
        "Remote version information for Tornalo not found in " + server.Address("/new.txt")
            + " (originally " + server.Address("/old.txt") + " before redirect");
}

TEST_F(WebVersionTest, OverrideWebPageReplacesTheWebPage)
{
    server.Serve(
        "/version.txt", VersionFile("1.2", "<Override_WebPage>http://moved/</Override_WebPage>\n"));
    Check("/version.txt");
    EXPECT_EQ(webPage, "http://moved/");
}

TEST_F(WebVersionTest, EmptyOverrideWebPageChangesNothing)
{
    server.Serve("/version.txt", VersionFile("1.2", "<Override_WebPage></Override_WebPage>\n"));
    Check("/version.txt");
    EXPECT_EQ(webPage, "http://installed/");
}

TEST_F(WebVersionTest, NewerVersionFetchesTheDefaultWhatsNewFile)
{
    server.Serve("/app/version.txt", VersionFile("1.3"));
    server.Serve("/app/whatsnew.txt", "@v1.3 faster\n@v1.2 first\n");
    EXPECT_EQ(Check("/app/version.txt"), NewerAvailable);
    EXPECT_EQ(whatsNew, "@v1.3 faster\n");
    EXPECT_EQ(status, "A new version of Tornalo is available (v1.3).");
}

TEST_F(WebVersionTest, WhatsNewFileByNameLiesBesideTheFinalVersionFile)
{
    server.Serve("/old/version.txt", OverrideTo(server.Address("/app/version.txt")));
    server.Serve(
        "/app/version.txt", VersionFile("1.3", "<WhatsNewFile>notes.txt</WhatsNewFile>\n"));
    server.Serve("/app/notes.txt", "@v1.2 first\n@v1.3 faster\n");
    EXPECT_EQ(Check("/old/version.txt"), NewerAvailable);
    EXPECT_EQ(whatsNew, "@v1.3 faster\n");
}

TEST_F(WebVersionTest, WhatsNewFileByFullAddress)
{
    server.Serve("/app/version.txt",
        VersionFile(
            "1.3", "<WhatsNewFile>" + server.Address("/elsewhere/n.txt") + "</WhatsNewFile>\n"));
    server.Serve("/elsewhere/n.txt", "all news");
    EXPECT_EQ(Check("/app/version.txt"), NewerAvailable);
    EXPECT_EQ(whatsNew, "all news");
}

TEST_F(WebVersionTest, WhatsNewFileNoneFetchesNothing)
{
    server.Serve("/app/version.txt", VersionFile("1.3", "<WhatsNewFile>none</WhatsNewFile>\n"));
    server.Serve("/app/whatsnew.txt", "@v1.3 faster\n");
    EXPECT_EQ(Check("/app/version.txt"), NewerAvailable);
    EXPECT_EQ(whatsNew, "");
    EXPECT_EQ(server.Requests(), std::vector<std::string> { "/app/version.txt" });
}

TEST_F(WebVersionTest, FailedWhatsNewDownloadIsSilent)
{
    server.Serve("/app/version.txt", VersionFile("1.3"));
    EXPECT_EQ(Check("/app/version.txt"), NewerAvailable);
    EXPECT_EQ(whatsNew, "");
    EXPECT_EQ(status, "A new version of Tornalo is available (v1.3).");
}

TEST_F(WebVersionTest, TheWhatsNewFileIsDeletedAfterReadingAndTheVersionFileKept)
{
    server.Serve("/app/version.txt", VersionFile("1.3"));
    server.Serve("/app/whatsnew.txt", "news");
    Check("/app/version.txt");
    std::vector<std::string> kept;
    for (const auto& entry : std::filesystem::directory_iterator(cache.Folder()))
        kept.push_back(entry.path().string());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(ReadTagValue(kept.front(), "Program_Version").value, "1.3");
}

class TextDownloadTest : public VersionDownloadTest { };

TEST_F(TextDownloadTest, StopsAtTheLimit)
{
    server.Serve("/t.txt", "0123456789");
    std::string text;
    EXPECT_EQ(DownloadTextFile(product, server.Address("/t.txt"), text, 4, false), 1);
    EXPECT_EQ(text, "0123");
}

TEST_F(TextDownloadTest, StopsAtTheFirstNul)
{
    server.Serve("/t.txt", std::string("ab\0cd", 5));
    std::string text;
    EXPECT_EQ(DownloadTextFile(product, server.Address("/t.txt"), text, 100, false), 1);
    EXPECT_EQ(text, "ab");
}

TEST_F(TextDownloadTest, KeepsOrDeletesTheLocalCopy)
{
    server.Serve("/t.txt", "x");
    std::string text;
    DownloadTextFile(product, server.Address("/t.txt"), text, 100, false);
    EXPECT_FALSE(std::filesystem::is_empty(cache.Folder()));
    DownloadTextFile(product, server.Address("/t.txt"), text, 100, true);
    EXPECT_TRUE(std::filesystem::is_empty(cache.Folder()));
}

TEST_F(TextDownloadTest, FailedDownloadLeavesTheTextAlone)
{
    std::string text = "before";
    EXPECT_EQ(DownloadTextFile(product, server.Address("/none.txt"), text, 100, true), -1);
    EXPECT_EQ(text, "before");
}
