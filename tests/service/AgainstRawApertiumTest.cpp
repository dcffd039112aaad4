// The service against raw Apertium ("apertium -u -f txt") on texts from
// outside the project: the licence texts every Debian machine has, which are
// hard-wrapped English prose. Every line must come back, a line that
// continues a sentence must not be capitalised much more often than raw
// Apertium does it, and the user's characters that Apertium reserves or uses
// as marks must all come back.
#include "service/ApertiumEngine.h"
#include "service/TextLines.h"

#include "ServiceTestSupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

using service::SplitLines;
using Lines = std::vector<std::string>;

namespace {

const std::string InstalledModes = "/usr/share/apertium/modes";

// On words Apertium translates, and at the start of a continued line.
const std::string MarkLines = "I love my #house, @home and *friends* ^ $ [x] a\\b c/d <e> {f}.\n"
                              "Follow #news and\n"
                              "@friends, *stars* and ^tags$ for [more] news, 2^\n";
constexpr std::size_t MarkLineCount = 3;
const std::string MarkCharacters = "#@*^$[]\\/<>{}";

// The first bytes of a licence text, up to a whole line.
std::string Excerpt(const std::string& name, std::size_t size)
{
    std::ifstream stream("/usr/share/common-licenses/" + name, std::ios::binary);
    std::string text { std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>() };
    return text.substr(0, text.rfind('\n', size) + 1);
}

std::string Corpus()
{
    return MarkLines + "\n" + Excerpt("GPL-3", 5000) + "\n" + Excerpt("Apache-2.0", 3000) + "\n"
        + Excerpt("BSD", 1500);
}

// Raw Apertium with the mode file the service runs, put where "-d" looks.
std::string RawApertium(const std::string& modeFile, const std::string& text)
{
    TemporaryFolder data;
    const std::string name = std::filesystem::path(modeFile).stem().string();
    std::filesystem::create_directory(data.File("modes"));
    std::filesystem::copy_file(modeFile, data.File("modes/" + name + ".mode"));
    QProcess apertium;
    apertium.start(QStringLiteral("apertium"),
        { QStringLiteral("-u"), QStringLiteral("-f"), QStringLiteral("txt"), QStringLiteral("-d"),
            QString::fromStdString(data.Path()), QString::fromStdString(name) });
    apertium.write(text.data(), static_cast<qint64>(text.size()));
    apertium.closeWriteChannel();
    if (!apertium.waitForFinished(60000) || apertium.exitCode() != 0)
        return "(apertium failed)";
    return apertium.readAllStandardOutput().toStdString();
}

QChar FirstCharacter(const std::string& line)
{
    const QString trimmed = QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    return trimmed.trimmed().isEmpty() ? QChar() : trimmed.trimmed().front();
}

// Lines that start with a small letter in the request and a capital in the
// translation.
int CapitalisedContinuations(const Lines& request, const Lines& translation)
{
    int capitalised = 0;
    for (std::size_t i = 0; i < std::min(request.size(), translation.size()); ++i) {
        if (FirstCharacter(request[i]).isLower() && FirstCharacter(translation[i]).isUpper())
            ++capitalised;
    }
    return capitalised;
}

std::string MarkCharactersOf(const Lines& lines)
{
    std::string marks;
    for (std::size_t i = 0; i < std::min(MarkLineCount, lines.size()); ++i) {
        for (const char c : lines[i]) {
            if (MarkCharacters.find(c) != std::string::npos)
                marks += c;
        }
    }
    std::sort(marks.begin(), marks.end());
    return marks;
}

struct Pair {
    std::string from;
    std::string to;
};

void PrintTo(const Pair& pair, std::ostream* out)
{
    *out << pair.from << ">" << pair.to;
}

class AgainstRawApertium : public testing::TestWithParam<Pair> {
protected:
    void SetUp() override
    {
        settings.ownModesFolder = ownModes.Path();
        engine = std::make_unique<service::ApertiumEngine>(settings);
        translation = std::make_unique<service::TranslationService>(
            std::vector<service::TranslationEngine*> { engine.get() });
        running = std::make_unique<service_test::RunningService>(*translation);
        modes = service::FindModeFiles({ InstalledModes, ownModes.Path() });
    }

    std::string ThroughService(const Pair& pair, const std::string& text)
    {
        const auto reply = running->Post(pair.from, pair.to, text);
        if (!reply || reply->status != 200)
            return "(no reply)";
        const auto extraction = service_test::ExtractFromPage(reply->body);
        return extraction.statusMessage.empty() ? extraction.text : extraction.statusMessage;
    }

    TemporaryFolder ownModes;
    service::ApertiumSettings settings;
    std::unique_ptr<service::ApertiumEngine> engine;
    std::unique_ptr<service::TranslationService> translation;
    std::unique_ptr<service_test::RunningService> running;
    service::ModeFiles modes;
};

} // namespace

// A text in another language than English is raw Apertium's translation of
// the English one.
TEST_P(AgainstRawApertium, KeepsTheLinesTheFlowAndTheUsersCharacters)
{
    const Pair pair = GetParam();
    if (QStandardPaths::findExecutable(QStringLiteral("apertium")).isEmpty())
        GTEST_SKIP() << "apertium is not installed here";
    for (const auto& direction :
        { service::Direction { "en", pair.from }, { pair.from, pair.to } }) {
        if (direction.first != direction.second && !modes.contains(direction))
            GTEST_SKIP() << "no Apertium pair " << direction.first << ">" << direction.second;
    }
    ASSERT_EQ(engine->Route(pair.from, pair.to).size(), 2u) << "not a direct pair";
    const std::string text
        = pair.from == "en" ? Corpus() : RawApertium(modes.at({ "en", pair.from }), Corpus());
    const Lines request = SplitLines(text);
    const Lines raw = SplitLines(RawApertium(modes.at({ pair.from, pair.to }), text));
    const Lines service = SplitLines(ThroughService(pair, text));

    EXPECT_EQ(service.size(), request.size()) << service.front();
    const int rawCapitalised = CapitalisedContinuations(request, raw);
    EXPECT_LE(CapitalisedContinuations(request, service), 2 * rawCapitalised + 5)
        << "raw Apertium capitalised " << rawCapitalised;
    EXPECT_EQ(MarkCharactersOf(service), MarkCharactersOf(request)) << service[0] << "\n"
                                                                    << service[1] << "\n"
                                                                    << service[2];
}

INSTANTIATE_TEST_SUITE_P(OfflinePairs, AgainstRawApertium,
    testing::Values(Pair { "en", "es" }, Pair { "en", "ca" }, Pair { "en", "gl" },
        Pair { "en", "hr" }, Pair { "en", "sr" }, Pair { "es", "en" }, Pair { "es", "fr" },
        Pair { "es", "pt" }, Pair { "es", "it" }, Pair { "es", "ro" }, Pair { "gl", "en" },
        Pair { "hr", "sl" }, Pair { "hr", "en" }),
    [](const testing::TestParamInfo<Pair>& info) { return info.param.from + "_" + info.param.to; });
