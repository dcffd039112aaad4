#include "service/ApertiumModes.h"
#include "service/LanguageCodes.h"
#include "service/Routes.h"

#include "tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace service;
using Route = std::vector<std::string>;

namespace {

void WriteFile(const std::string& path, const std::string& content)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>() };
}

} // namespace

TEST(LanguageCodes, ApertiumNamesMapToProgramCodes)
{
    EXPECT_EQ(CodesOfApertiumSource("eng"), (Route { "en" }));
    EXPECT_EQ(CodesOfApertiumSource("hbs"), (Route { "hr", "sr" }));
    EXPECT_EQ(CodesOfApertiumTarget("hbs_SR"), (Route { "sr" }));
    EXPECT_TRUE(CodesOfApertiumTarget("hbs").empty());
    EXPECT_TRUE(CodesOfApertiumTarget("eng_US").empty());
    EXPECT_EQ(CodesOfApertiumTarget("bul"), (Route { "bg" }));
    EXPECT_EQ(CodesOfApertiumSource("mkd"), (Route { "mk" }));
    EXPECT_FALSE(IsProgramLanguageCode("mk"));
    EXPECT_EQ(ProgramLanguageCodes().size(), 41u);
    EXPECT_TRUE(IsProgramLanguageCode("zh-CN"));
    EXPECT_FALSE(IsProgramLanguageCode("zh-cn"));
}

TEST(ModeFiles, PlainDirectionsAreFoundAndVariantsOfOtherLanguagesSkipped)
{
    TemporaryFolder folder;
    for (const std::string name : { "eng-spa", "spa-eng_US", "eng-hbs_HR", "hbs-slv", "eng-cat",
             "ro-es-anmor", "Cyrl-Latn", "eng-eng" })
        WriteFile(folder.File(name + ".mode"), "cat\n");
    WriteFile(folder.File("README"), "not a mode");
    const ModeFiles modes = FindModeFiles({ folder.Path() });
    std::set<Direction> found;
    for (const auto& [direction, file] : modes)
        found.insert(direction);
    const std::set<Direction> expected
        = { { "en", "es" }, { "en", "hr" }, { "hr", "sl" }, { "sr", "sl" }, { "en", "ca" } };
    EXPECT_EQ(found, expected);
    EXPECT_EQ(modes.at({ "en", "es" }), folder.File("eng-spa.mode"));
}

TEST(ModeFiles, AnEarlierFolderWins)
{
    TemporaryFolder first;
    TemporaryFolder second;
    WriteFile(first.File("en-es.mode"), "cat\n");
    WriteFile(second.File("eng-spa.mode"), "cat\n");
    WriteFile(second.File("spa-eng.mode"), "cat\n");
    const ModeFiles modes = FindModeFiles({ first.Path(), second.Path(), "/nonexistent" });
    EXPECT_EQ(modes.at({ "en", "es" }), first.File("en-es.mode"));
    EXPECT_EQ(modes.at({ "es", "en" }), second.File("spa-eng.mode"));
}

class UninstalledModes : public testing::Test {
protected:
    void SetUp() override
    {
        pair = data.File("apertium-es-ro");
        WriteFile(pair + "/modes.xml",
            "<modes>\n"
            "  <mode name=\"ro-es\" install=\"yes\"><pipeline>\n"
            "    <program name=\"lt-proc\"><file name=\"ro-es.bin\"/></program>\n"
            "  </pipeline></mode>\n"
            "  <mode name=\"es-ro\" install=\"no\"><pipeline>\n"
            "    <program name=\"lt-proc\"><file name=\"es-ro.automorf.bin\"/></program>\n"
            "    <program name=\"apertium-pretransfer\"/>\n"
            "    <program name=\"lt-proc $1\"><file name=\"es-ro.autogen.bin\"/></program>\n"
            "  </pipeline></mode>\n"
            "  <mode name=\"es-ro-anmor\" install=\"no\"><pipeline>\n"
            "    <program name=\"lt-proc\"><file name=\"es-ro.automorf.bin\"/></program>\n"
            "  </pipeline></mode>\n"
            "</modes>\n");
        WriteFile(pair + "/es-ro.automorf.bin", "x");
    }

    TemporaryFolder data;
    TemporaryFolder own;
    std::string pair;
};

TEST_F(UninstalledModes, APlainUninstalledDirectionGetsAModeFile)
{
    WriteFile(pair + "/es-ro.autogen.bin", "x");
    EXPECT_EQ(WriteUninstalledModes(data.Path(), own.Path()), 1);
    EXPECT_EQ(ReadFile(own.File("es-ro.mode")),
        "lt-proc '" + pair + "/es-ro.automorf.bin' | apertium-pretransfer | lt-proc $1 '" + pair
            + "/es-ro.autogen.bin'\n");
    EXPECT_FALSE(std::filesystem::exists(own.File("ro-es.mode")));
    EXPECT_FALSE(std::filesystem::exists(own.File("es-ro-anmor.mode")));
}

TEST_F(UninstalledModes, AModeWhoseDataIsIncompleteIsNotWritten)
{
    EXPECT_EQ(WriteUninstalledModes(data.Path(), own.Path()), 0);
    EXPECT_FALSE(std::filesystem::exists(own.File("es-ro.mode")));
}

// Mode files are run as programs: a folder another user could fill is not
// a place for them.
TEST(PrivateFolder, OnlyAFolderOfTheUserThatNoOneElseWritesIsPrivate)
{
    TemporaryFolder root;
    const auto folder = [&](const std::string& name, mode_t mode) {
        const std::string path = root.File(name);
        mkdir(path.c_str(), 0700);
        chmod(path.c_str(), mode);
        return path;
    };
    const std::string own = folder("own", 0700);
    const std::string link = root.File("link");
    ASSERT_EQ(symlink(own.c_str(), link.c_str()), 0);
    const std::string others = folder("others", 0700);
    const bool asRoot = geteuid() == 0 && chown(others.c_str(), 65534, 65534) == 0;
    const std::vector<std::pair<std::string, bool>> cases = { { own, true }, { own + "/", true },
        { folder("readable", 0755), true }, { folder("open", 0777), false },
        { folder("group", 0770), false }, { folder("sticky", 01777), false }, { link, false },
        { link + "/", false }, { root.File("missing"), false }, { others, !asRoot } };
    for (const auto& [path, isPrivate] : cases)
        EXPECT_EQ(IsPrivateFolder(path), isPrivate) << path;
}

// Another user may have made the service's folder in the shared temporary
// folder first, or made it open to all: a fresh private one is used then.
TEST(PrivateFolder, ModeFilesGoWhereOnlyTheUserWrites)
{
    TemporaryFolder root;
    const std::string runtime = root.File("runtime");
    const std::string temporary = root.File("tmp");
    for (const std::string& path : { runtime, temporary })
        mkdir(path.c_str(), 0700);
    const std::string planted = temporary + "/tornalo-" + std::to_string(geteuid());
    struct Case {
        const char* runtimeFolder;
        mode_t plantedMode;
        std::string expected;
    };
    const std::vector<Case> cases = { { runtime.c_str(), 0, runtime + "/tornalo/modes" },
        { nullptr, 0, planted + "/modes" }, { nullptr, 0777, "" }, { nullptr, 01777, "" } };
    for (const Case& row : cases) {
        std::filesystem::remove_all(planted);
        if (row.plantedMode != 0) {
            mkdir(planted.c_str(), 0700);
            chmod(planted.c_str(), row.plantedMode);
        }
        if (row.runtimeFolder)
            setenv("XDG_RUNTIME_DIR", row.runtimeFolder, 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        unsetenv("XDG_CACHE_HOME");
        unsetenv("HOME");
        setenv("TMPDIR", temporary.c_str(), 1);
        const std::string folder = DefaultOwnModesFolder();
        EXPECT_TRUE(IsPrivateFolder(folder)) << folder;
        if (row.expected.empty()) {
            EXPECT_TRUE(folder.starts_with(planted + "-")) << folder;
            EXPECT_TRUE(std::filesystem::is_empty(planted));
        } else {
            EXPECT_EQ(folder, row.expected);
        }
    }
}

class Routes : public testing::Test {
protected:
    std::set<Direction> directions = { { "en", "es" }, { "es", "en" }, { "en", "ca" },
        { "ca", "en" }, { "es", "fr" }, { "fr", "es" }, { "ca", "fr" }, { "es", "pt" },
        { "en", "hr" }, { "hr", "sl" }, { "ca", "oc" }, { "oc", "xx" }, { "xx", "yy" } };
};

TEST_F(Routes, ADirectPairNeedsNoPivot)
{
    EXPECT_EQ(FindRoute(directions, "en", "es"), (Route { "en", "es" }));
}

TEST_F(Routes, SpanishIsThePreferredPivot)
{
    EXPECT_EQ(FindRoute(directions, "en", "fr"), (Route { "en", "es", "fr" }));
    EXPECT_EQ(FindRoute(directions, "fr", "en"), (Route { "fr", "es", "en" }));
}

TEST_F(Routes, OtherPivotsServeWhereSpanishAndCatalanCannot)
{
    EXPECT_EQ(FindRoute(directions, "en", "sl"), (Route { "en", "hr", "sl" }));
    EXPECT_EQ(FindRoute(directions, "en", "oc"), (Route { "en", "ca", "oc" }));
}

TEST_F(Routes, TheFewestHopsWinOverPreferredPivots)
{
    directions.insert({ { "en", "it" }, { "it", "xx" } });
    EXPECT_EQ(FindRoute(directions, "en", "xx"), (Route { "en", "it", "xx" }));
}

TEST_F(Routes, LongerWaysAreFoundWhereThereIsNoShorterOne)
{
    EXPECT_EQ(FindRoute(directions, "en", "yy"), (Route { "en", "ca", "oc", "xx", "yy" }));
    EXPECT_EQ(
        FindRoute(directions, "fr", "yy"), (Route { "fr", "es", "en", "ca", "oc", "xx", "yy" }));
    EXPECT_TRUE(FindRoute(directions, "pt", "en").empty());
    EXPECT_TRUE(FindRoute(directions, "en", "en").empty());
}
