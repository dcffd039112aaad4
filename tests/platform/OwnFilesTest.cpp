// Files written in folders that others may write to: never through a link
// that someone else planted, and copies that never replace one another.
#include "platform/OwnFiles.h"

#include "tests/support/ForeignUser.h"
#include "tests/support/TemporaryFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string Bytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void Write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Favorites.txt in a folder that everyone may write to, as a symbolic link.
struct AppendCase {
    const char* name;
    bool linkOfAnother;
    bool fileOfAnother;
    bool appended;
};

class AppendThroughLinkTest : public testing::TestWithParam<AppendCase> {
protected:
    ForeignUser other;
    TemporaryFolder shared;
    TemporaryFolder elsewhere;
};

TEST_P(AppendThroughLinkTest, OnlyTheUsersOwnLinkToAFileOfTheirOwnIsAppendedTo)
{
    const AppendCase& planted = GetParam();
    if (!other.Available())
        GTEST_SKIP() << "No planted link as another user: " << other.Reason();
    ASSERT_TRUE(ForeignUser::MakeShared(shared.Path()));
    const std::string target = elsewhere.File("notes");
    Write(target, "mine\n");
    const std::string link = shared.File("Favorites.txt");
    fs::create_symlink(target, link);
    ASSERT_TRUE(!planted.fileOfAnother || other.Owns(target));
    ASSERT_TRUE(!planted.linkOfAnother || other.Owns(link));
    const std::string reason = platform::AppendToOwnFile(link, "entry\n");
    EXPECT_EQ(reason.empty(), planted.appended) << reason;
    EXPECT_EQ(Bytes(target), planted.appended ? "mine\nentry\n" : "mine\n");
    EXPECT_TRUE(fs::is_symlink(link));
    if (planted.linkOfAnother) {
        EXPECT_EQ(reason, "It is a link that another user made");
    } else if (planted.fileOfAnother) {
        EXPECT_EQ(reason, "It is a link to " + target + ", a file of another user");
    }
}

INSTANTIATE_TEST_SUITE_P(Links, AppendThroughLinkTest,
    testing::Values(AppendCase { "TheUsersOwn", false, false, true },
        AppendCase { "LinkOfAnotherUser", true, false, false },
        AppendCase { "LinkToAFileOfAnotherUser", false, true, false }),
    [](const testing::TestParamInfo<AppendCase>& info) { return info.param.name; });

TEST(OwnFiles, AMissingFileIsCreatedAndALinkToAFolderRefused)
{
    TemporaryFolder folder;
    EXPECT_EQ(platform::AppendToOwnFile(folder.File("new.txt"), "one\n"), "");
    EXPECT_EQ(platform::AppendToOwnFile(folder.File("new.txt"), "two\n"), "");
    EXPECT_EQ(Bytes(folder.File("new.txt")), "one\ntwo\n");
    fs::create_symlink(folder.Path(), folder.File("folder-link"));
    EXPECT_EQ(platform::ForeignLinkReason(folder.File("folder-link")),
        "It is a link to " + fs::canonical(folder.Path()).string() + ", which is not a file");
}

// Each damaged start keeps its own copy; a copy that would repeat the latest
// is not made again, and a link where a copy would go is passed over.
TEST(KeptCopies, AreNumberedNeverReplacedAndNeverWrittenThroughALink)
{
    TemporaryFolder folder;
    const std::string path = folder.File("Tornalo.ini");
    TemporaryFolder elsewhere;
    const std::string victim = elsewhere.File("victim");
    Write(victim, "untouched");
    fs::create_symlink(victim, path + ".bak.2");
    const std::vector<std::pair<std::string, std::string>> starts {
        { "first", path + ".bak" },
        { "second", path + ".bak.3" },
        { "second", path + ".bak.3" },
        { "third", path + ".bak.4" },
    };
    for (const auto& [bytes, copy] : starts) {
        Write(path, bytes);
        const platform::KeptCopy kept = platform::KeepCopy(path);
        EXPECT_EQ(kept.error, "");
        EXPECT_EQ(kept.path, copy) << bytes;
        EXPECT_EQ(Bytes(copy), bytes);
    }
    EXPECT_EQ(Bytes(path + ".bak"), "first");
    EXPECT_EQ(Bytes(victim), "untouched");
    EXPECT_FALSE(fs::exists(path + ".bak.5"));
}

TEST(KeptCopies, AFileThatCannotBeReadGivesTheReason)
{
    TemporaryFolder folder;
    const platform::KeptCopy kept = platform::KeepCopy(folder.File("missing.ini"));
    EXPECT_EQ(kept.error, "No such file or directory");
}

} // namespace
