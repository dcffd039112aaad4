#include "platform/Download.h"
#include "tests/update/LoopbackServer.h"
#include "tests/update/UpdateTestSupport.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

using platform::DownloadToCacheFile;

namespace {

std::string Contents(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::size_t FilesIn(const std::string& folder)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

} // namespace

class DownloadTest : public testing::Test {
protected:
    CacheFolderScope cache;
    LoopbackServer server;
};

TEST_F(DownloadTest, WholeFileLandsInTheCacheFolder)
{
    const std::string body(200000, 'x');
    server.Serve("/big.txt", body);
    const std::string path = DownloadToCacheFile(server.Address("/big.txt"));
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(std::filesystem::path(path).parent_path(),
        std::filesystem::path(cache.Folder()).parent_path());
    EXPECT_EQ(Contents(path), body);
}

TEST_F(DownloadTest, TheFileNameKeepsTheAddresssLastPart)
{
    server.Serve("/app/version.txt", "v");
    const std::string path = DownloadToCacheFile(server.Address("/app/version.txt?x=1"));
    const std::string name = std::filesystem::path(path).filename().string();
    EXPECT_EQ(name.substr(name.size() - 12), "-version.txt") << name;
}

TEST_F(DownloadTest, TheSameAddressReplacesItsEarlierCopy)
{
    server.Serve("/v.txt", "first");
    const std::string first = DownloadToCacheFile(server.Address("/v.txt"));
    server.Serve("/v.txt", "second");
    const std::string second = DownloadToCacheFile(server.Address("/v.txt"));
    EXPECT_EQ(first, second);
    EXPECT_EQ(Contents(second), "second");
    EXPECT_EQ(FilesIn(cache.Folder()), 1u);
}

TEST_F(DownloadTest, DifferentAddressesGetDifferentFiles)
{
    server.Serve("/a/v.txt", "a");
    server.Serve("/b/v.txt", "b");
    EXPECT_NE(DownloadToCacheFile(server.Address("/a/v.txt")),
        DownloadToCacheFile(server.Address("/b/v.txt")));
}

TEST_F(DownloadTest, AnErrorPageIsAFailureThatKeepsTheEarlierCopy)
{
    server.Serve("/v.txt", "kept");
    const std::string path = DownloadToCacheFile(server.Address("/v.txt"));
    LoopbackServer other;
    EXPECT_EQ(DownloadToCacheFile(other.Address("/v.txt")), "");
    EXPECT_EQ(Contents(path), "kept");
    EXPECT_EQ(FilesIn(cache.Folder()), 1u);
}

TEST_F(DownloadTest, FollowsRedirects)
{
    server.Redirect("/moved.txt", server.Address("/here.txt"));
    server.Serve("/here.txt", "here");
    EXPECT_EQ(Contents(DownloadToCacheFile(server.Address("/moved.txt"))), "here");
}

TEST_F(DownloadTest, RefusedConnectionFails)
{
    std::string address;
    {
        LoopbackServer closed;
        address = closed.Address("/v.txt");
    }
    EXPECT_EQ(DownloadToCacheFile(address), "");
}

TEST_F(DownloadTest, OnlyWebAddressesAreFetched)
{
    WriteFile(cache.Folder() + "../local.txt", "local");
    EXPECT_EQ(DownloadToCacheFile("file://" + cache.Folder() + "../local.txt"), "");
    EXPECT_EQ(DownloadToCacheFile("not an address"), "");
}

TEST_F(DownloadTest, GivesUpWhenNoDataArrivesForTooLong)
{
    server.ServeWithPause("/slow.txt", std::string(100, 's'), 10, std::chrono::seconds(3));
    const platform::DownloadLimits impatient { std::chrono::seconds(30), std::chrono::seconds(1) };
    EXPECT_EQ(DownloadToCacheFile(server.Address("/slow.txt"), impatient), "");
}

TEST_F(DownloadTest, APauseShorterThanTheLimitIsWaitedFor)
{
    server.ServeWithPause("/slow.txt", std::string(100, 's'), 10, std::chrono::milliseconds(500));
    const platform::DownloadLimits patient { std::chrono::seconds(30), std::chrono::seconds(5) };
    EXPECT_EQ(
        Contents(DownloadToCacheFile(server.Address("/slow.txt"), patient)), std::string(100, 's'));
}

TEST_F(DownloadTest, AFileLargerThanTheLimitIsAFailure)
{
    server.Serve("/big.txt", std::string(300000, 'b'));
    platform::DownloadLimits small;
    small.largest = 100000;
    EXPECT_EQ(DownloadToCacheFile(server.Address("/big.txt"), small), "");
    small.largest = 300000;
    EXPECT_NE(DownloadToCacheFile(server.Address("/big.txt"), small), "");
}

TEST_F(DownloadTest, UnwritableCacheFolderFails)
{
    server.Serve("/v.txt", "v");
    WriteFile(cache.Folder().substr(0, cache.Folder().size() - 1), "a file in the folder's place");
    EXPECT_EQ(DownloadToCacheFile(server.Address("/v.txt")), "");
}
