// cmake --install puts every file where the file-system layout expects it,
// and the installed programs find their data and each other from there.
#include "tests/install/InstalledCopy.h"

#include "tests/support/QtPrinters.h"
#include "tests/support/StandInService.h"

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string DescriptorVersion()
{
    const std::string text = ReadFile(DESCRIPTOR_SOURCE);
    const std::size_t start = text.rfind("<Version>") + 9;
    return text.substr(start, text.find("</Version>", start) - start);
}

std::string Unzipped(const std::string& path)
{
    const ProgramOutput gzip
        = RunWithoutDisplay("gzip", { QStringLiteral("-dc"), QString::fromStdString(path) });
    return gzip.exitCode == 0 ? gzip.output : std::string();
}

bool IsExecutable(const std::string& path)
{
    std::error_code error;
    const fs::perms permissions = fs::status(path, error).permissions();
    return !error && (permissions & fs::perms::others_exec) != fs::perms::none;
}

} // namespace

class Installation : public testing::Test {
protected:
    static void SetUpTestSuite() { copy = std::make_unique<InstalledCopy>(); }
    static void TearDownTestSuite() { copy.reset(); }

    void SetUp() override { ASSERT_EQ(copy->Error(), ""); }

    static std::string At(const std::string& relative) { return copy->Prefix() + relative; }

    static std::unique_ptr<InstalledCopy> copy;
};

std::unique_ptr<InstalledCopy> Installation::copy;

TEST_F(Installation, BinHoldsTheThreeProgramsAndNothingElse)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(copy->Bin()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string> { "tornalo", "tornalo-cli", "tornalo-service" }));
    for (const std::string& name : names)
        EXPECT_TRUE(IsExecutable(copy->Bin() + name)) << name;
}

TEST_F(Installation, DataFilesAreTheSourcesInTheDataFolder)
{
    EXPECT_EQ(ReadFile(copy->Data() + "ReadMe.txt"), ReadFile(README_SOURCE));
    EXPECT_EQ(ReadFile(copy->Data() + "Tornalo.qvupdate"), ReadFile(DESCRIPTOR_SOURCE));
}

TEST_F(Installation, DesktopFilesAreWhereDesktopsLookForThem)
{
    for (const char* file : { "share/applications/tornalo.desktop",
             "share/metainfo/example.tornalo.tornalo.metainfo.xml",
             "share/icons/hicolor/scalable/apps/tornalo.svg", "share/doc/tornalo/copyright",
             "share/doc/tornalo/changelog.gz" })
        EXPECT_TRUE(fs::is_regular_file(At(file))) << file;
    const std::string desktop = ReadFile(At("share/applications/tornalo.desktop"));
    EXPECT_NE(desktop.find("\nExec=tornalo\n"), std::string::npos);
    EXPECT_NE(desktop.find("\nIcon=tornalo\n"), std::string::npos);
}

TEST_F(Installation, EachIconHasTheSizeOfItsFolder)
{
    for (const int size : { 64, 128, 256 }) {
        const std::string side = std::to_string(size);
        const QImage icon(QString::fromStdString(
            At("share/icons/hicolor/" + side + "x" + side + "/apps/tornalo.png")));
        EXPECT_EQ(icon.width(), size);
        EXPECT_EQ(icon.height(), size);
    }
}

TEST_F(Installation, MetadataAndManualPagesCarryTheDescriptorVersion)
{
    const std::string metadata
        = ReadFile(At("share/metainfo/example.tornalo.tornalo.metainfo.xml"));
    EXPECT_NE(metadata.find("<release version=\"" + DescriptorVersion() + "\""), std::string::npos);
    for (const char* program : { "tornalo", "tornalo-cli", "tornalo-service" }) {
        const std::string page = Unzipped(At("share/man/man1/" + std::string(program) + ".1.gz"));
        EXPECT_EQ(page.rfind(".TH ", 0), 0u) << program;
        EXPECT_NE(page.find("\"Tornalo " + DescriptorVersion() + "\""), std::string::npos)
            << program;
        EXPECT_EQ(page.find('@'), std::string::npos) << program << ": a placeholder is left";
    }
}

// Debian ships the licence's text; the tree carries the same text.
TEST_F(Installation, LicenceIsTheGnuGplVersion3OrLater)
{
    const std::string licence = ReadFile(SOURCE_FOLDER "/LICENSE");
    EXPECT_NE(licence.find("GNU GENERAL PUBLIC LICENSE\n                       Version 3"),
        std::string::npos);
    if (fs::is_regular_file("/usr/share/common-licenses/GPL-3")) {
        EXPECT_EQ(licence, ReadFile("/usr/share/common-licenses/GPL-3"));
    }
    const std::string copyright = ReadFile(At("share/doc/tornalo/copyright"));
    for (const char* line :
        { "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n",
            "\nFiles: *\n", "\nLicense: GPL-3+\n", "\"/usr/share/common-licenses/GPL-3\"" })
        EXPECT_NE(copyright.find(line), std::string::npos) << line;
    EXPECT_EQ(copyright.find("rights are reserved"), std::string::npos);
    EXPECT_NE(ReadFile(At("share/metainfo/example.tornalo.tornalo.metainfo.xml"))
                  .find("<project_license>GPL-3.0-or-later</project_license>"),
        std::string::npos);
}

// Every build binds its symbols at load and makes its relocations read-only
// then; in a hardened one (Release, which the package is made from) each
// program calls the stack protector's failure, and the checked C library
// functions are called wherever the compiler could not validate a call
// itself: by the window and the service, not by tornalo-cli.
TEST_F(Installation, ProgramsAreHardened)
{
    int fortified = 0;
    for (const char* program : { "tornalo", "tornalo-cli", "tornalo-service" }) {
        const QString path = QString::fromStdString(copy->Bin() + program);
        const ProgramOutput elf = RunWithoutDisplay("readelf", { QStringLiteral("-dlW"), path });
        ASSERT_EQ(elf.exitCode, 0) << program << elf.error;
        EXPECT_NE(elf.output.find("GNU_RELRO"), std::string::npos) << program;
        EXPECT_NE(elf.output.find("BIND_NOW"), std::string::npos) << program;
        if (!BUILD_IS_HARDENED)
            continue;
        const ProgramOutput symbols
            = RunWithoutDisplay("nm", { QStringLiteral("-D"), QStringLiteral("-u"), path });
        ASSERT_EQ(symbols.exitCode, 0) << program << symbols.error;
        EXPECT_NE(symbols.output.find(" __stack_chk_fail@"), std::string::npos) << program;
        std::istringstream lines(symbols.output);
        for (std::string line; std::getline(lines, line);) {
            if (line.find("_chk@") != std::string::npos
                && line.find("__stack_chk_fail@") == std::string::npos) {
                ++fortified;
                break;
            }
        }
    }
    if (!BUILD_IS_HARDENED)
        GTEST_SKIP() << "a Debug build is not hardened; the Release build is";
    EXPECT_GE(fortified, 2) << "programs that call checked C library functions";
}

struct VersionCase {
    const char* program;
    const char* option;
};

void PrintTo(const VersionCase& test, std::ostream* out)
{
    *out << test.program << " " << test.option;
}

class InstalledProgram : public Installation, public testing::WithParamInterface<VersionCase> { };

TEST_P(InstalledProgram, AnswersWithoutADisplayAndExits)
{
    const VersionCase& test = GetParam();
    const ProgramOutput run
        = RunWithoutDisplay(copy->Bin() + test.program, { QString::fromUtf8(test.option) });
    ASSERT_TRUE(run.finished) << run.error;
    EXPECT_EQ(run.exitCode, 0) << run.error;
    if (std::string(test.option) == "--version")
        EXPECT_EQ(run.output,
            std::string(test.program) + " " + DescriptorVersion()
                + "\nLicense GPL-3.0-or-later: GNU GPL version 3 or later "
                  "<https://gnu.org/licenses/gpl.html>\nThis is free software: you are free to "
                  "change and redistribute it. There is NO WARRANTY, to the extent permitted by "
                  "law.\n");
    else
        EXPECT_EQ(run.output.rfind("Usage: " + std::string(test.program), 0), 0u) << run.output;
}

INSTANTIATE_TEST_SUITE_P(Installation, InstalledProgram,
    testing::Values(VersionCase { "tornalo", "--version" },
        VersionCase { "tornalo-service", "--version" }, VersionCase { "tornalo-cli", "--version" },
        VersionCase { "tornalo", "--help" }, VersionCase { "tornalo-service", "--help" },
        VersionCase { "tornalo-cli", "--help" }),
    [](const testing::TestParamInfo<VersionCase>& info) {
        std::string name = std::string(info.param.program) + info.param.option;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

TEST_F(Installation, WindowProgramWithoutItsDataSaysItKnowsNoVersion)
{
    TemporaryFolder elsewhere;
    fs::copy_file(copy->Bin() + "tornalo", elsewhere.File("tornalo"));
    const ProgramOutput run
        = RunWithoutDisplay(elsewhere.File("tornalo"), { QStringLiteral("--version") });
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.output, "");
    EXPECT_NE(run.error.find("no version known"), std::string::npos) << run.error;
}

// Started from a folder it cannot write, as from a menu or "/", an installed
// tornalo-cli keeps its reply page in the user's cache folder.
TEST_F(Installation, CommandLineKeepsItsReplyPageInTheUsersCacheFolder)
{
    StandInService service;
    TemporaryFolder cache;
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), QString::fromStdString(cache.Path()));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QStringLiteral("/"));
    process.start(QString::fromStdString(At("bin/tornalo-cli")),
        { QStringLiteral("--url"), QString::fromStdString(service.URL()), QStringLiteral("--langs"),
            QStringLiteral("fr"), QStringLiteral("Hello") });
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.readAllStandardOutput().toStdString(), "en:fr:Hello\n");
    EXPECT_TRUE(fs::is_regular_file(cache.Path() + "tornalo/translator_replypage.htm"));
    EXPECT_FALSE(fs::exists("/translator_replypage.htm"));
}
