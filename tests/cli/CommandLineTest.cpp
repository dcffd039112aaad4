// tornalo-cli's arguments and what it writes, without running anything.
#include "cli/CommandLine.h"
#include "cli/CommandLineOutput.h"

#include "tests/support/QtPrinters.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <sstream>

using Arguments = std::vector<std::string>;
using Lines = std::vector<std::string>;

namespace {

constexpr int French = 13;
constexpr int German = 15;
constexpr int Spanish = 35;

ParsedCommandLine Parse(const Arguments& arguments)
{
    return ParseCommandLine(arguments);
}

std::vector<int> TickedRows(const PlanOptions& plan)
{
    std::vector<int> rows;
    for (int row = 0; row < LanguageCount; ++row)
        if (plan.ticked[static_cast<std::size_t>(row)])
            rows.push_back(row);
    return rows;
}

} // namespace

TEST(CommandLine, LanguagesByCodeOrNameInAnyCaseAreTickedAsInTheWindowsList)
{
    const ParsedCommandLine parsed = Parse({ "--langs", " de, FRENCH,,es ", "Hello" });
    ASSERT_EQ(parsed.action, CommandLineAction::Run) << parsed.error;
    EXPECT_EQ(TickedRows(parsed.options.plan), (std::vector<int> { French, German, Spanish }));
    EXPECT_EQ(parsed.options.plan.homeRow, DefaultHomeRow);
}

TEST(CommandLine, EveryOptionSetsWhatItNames)
{
    const ParsedCommandLine parsed = Parse({ "--home=es", "--langs=fr", "--loops", "3",
        "--show-each", "--reset", "--chain", "--reverse", "--pause", "--show-original",
        "--until-stable", "--max-rounds=7", "--url", "http://127.0.0.1:9", "--json" });
    ASSERT_EQ(parsed.action, CommandLineAction::Run) << parsed.error;
    const CommandLineOptions& options = parsed.options;
    EXPECT_EQ(options.plan.homeRow, Spanish);
    EXPECT_EQ(options.plan.loops, 3);
    EXPECT_TRUE(options.plan.showEachStep && options.plan.resetAfterEach
        && options.plan.foreignChaining && options.plan.reverseOrder);
    EXPECT_TRUE(options.pause && options.showOriginal && options.untilStable && options.json);
    EXPECT_EQ(options.maxRounds, 7);
    EXPECT_EQ(options.url, "http://127.0.0.1:9");
    EXPECT_FALSE(options.text.has_value());
}

TEST(CommandLine, DefaultsAreTheWindowsExceptTheBoxesTickedThere)
{
    const CommandLineOptions options = Parse({ "--langs", "fr" }).options;
    EXPECT_EQ(options.plan.loops, 1);
    EXPECT_FALSE(options.plan.showEachStep || options.plan.resetAfterEach
        || options.plan.foreignChaining || options.plan.reverseOrder);
    EXPECT_FALSE(options.pause || options.showOriginal || options.untilStable || options.json);
    EXPECT_EQ(options.maxRounds, 20);
    EXPECT_EQ(options.url, "http://localhost:8787");
}

TEST(CommandLine, TheTextsWordsAreJoinedAndDashesEndTheOptions)
{
    EXPECT_EQ(Parse({ "Good", "--langs", "fr", "morning" }).options.text, "Good morning");
    EXPECT_EQ(Parse({ "--langs", "fr", "--", "--reset", "-x" }).options.text, "--reset -x");
    EXPECT_EQ(Parse({ "--langs", "fr", "-" }).options.text, "-");
    EXPECT_EQ(Parse({ "--langs", "fr", "" }).options.text, "");
}

TEST(CommandLine, HelpAndVersionWinOverAnythingAfterThem)
{
    EXPECT_EQ(Parse({ "--help", "--nonsense" }).action, CommandLineAction::Help);
    EXPECT_EQ(Parse({ "-h" }).action, CommandLineAction::Help);
    EXPECT_EQ(Parse({ "--version" }).action, CommandLineAction::Version);
    EXPECT_NE(HelpText().find("--until-stable"), std::string::npos);
    EXPECT_NE(HelpText().find("Ukranian uk"), std::string::npos);
}

struct UsageCase {
    Arguments arguments;
    std::string error;
};

class CommandLineUsage : public testing::TestWithParam<UsageCase> { };

TEST_P(CommandLineUsage, IsRefusedNamingWhatIsWrong)
{
    const ParsedCommandLine parsed = Parse(GetParam().arguments);
    EXPECT_EQ(parsed.action, CommandLineAction::UsageError);
    EXPECT_EQ(parsed.error, GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Errors, CommandLineUsage,
    testing::Values(UsageCase { { "Hello" }, "no languages given (--langs LIST)" },
        UsageCase { { "--langs", " , " }, "no languages given (--langs LIST)" },
        UsageCase { { "--langs", "fr,Klingon" }, "unknown language 'Klingon'" },
        UsageCase { { "--langs", "fr", "--home", "xx" }, "unknown language 'xx'" },
        UsageCase { { "--langs", "fr", "--colour" }, "unknown option '--colour'" },
        UsageCase { { "--langs", "fr", "--json=yes" }, "unknown option '--json'" },
        UsageCase { { "--langs" }, "--langs needs a value" },
        UsageCase {
            { "--langs", "fr", "--loops", "11" }, "--loops takes a number from 0 to 10, not '11'" },
        UsageCase {
            { "--langs", "fr", "--loops", "2x" }, "--loops takes a number from 0 to 10, not '2x'" },
        UsageCase { { "--langs", "fr", "--until-stable", "--max-rounds", "0" },
            "--max-rounds takes a number from 1 to 1000, not '0'" },
        UsageCase {
            { "--langs", "fr", "--max-rounds", "5" }, "--max-rounds goes with --until-stable" }));

// The window's output memo after the same runs (tests/app/RunTest.cpp).
TEST(OutputText, FollowsTheOutputMemosRules)
{
    OutputText markers("Hello\r\n", true);
    markers.AddMarkerText("en:fr:Hello");
    markers.AddMarkerText("en:de:en:fr:Hello");
    const std::string equals(48, '=');
    EXPECT_EQ(markers.Lines(),
        "Hello\n\n" + equals + "\nen:fr:Hello\n\n" + equals + "\nen:de:en:fr:Hello\n");

    OutputText noOriginal("Hello\r\n", false);
    noOriginal.AddMarkerText("en:fr:Hello");
    EXPECT_EQ(noOriginal.Lines(), "en:fr:Hello\n");

    OutputText final("one\r\ntwo\r\n", true);
    final.AddMarkerText("ignored at the end");
    final.ShowFinal("en:fr:one\ntwo");
    EXPECT_EQ(final.Lines(), "one\ntwo\n\n" + equals + "\nen:fr:one\ntwo\n");

    OutputText empty("Hello\r\n", false);
    EXPECT_EQ(empty.Lines(), "");
}

TEST(RunJson, HoldsTheRouteEveryStepAndTheOutcome)
{
    StepReport step { 0, "en|fr", "en", "fr", "Hello", "Bonjour \"à\"", 12, 2, { "es" },
        " (via Spanish)" };
    RunEnd end;
    end.message = "Stable after 2 rounds.";
    end.text = "Hello";
    end.rounds = 2;
    end.untilStable = end.stable = true;
    const QJsonObject run = QJsonDocument::fromJson(
        QByteArray::fromStdString(RunJson("French", { step }, end, false)))
                                .object();
    EXPECT_EQ(run[QStringLiteral("route")].toString(), QStringLiteral("French"));
    const QJsonArray steps = run[QStringLiteral("steps")].toArray();
    ASSERT_EQ(steps.size(), 1);
    const QJsonObject first = steps[0].toObject();
    EXPECT_EQ(first[QStringLiteral("from")].toString(), QStringLiteral("en"));
    EXPECT_EQ(first[QStringLiteral("to")].toString(), QStringLiteral("fr"));
    EXPECT_EQ(first[QStringLiteral("via")].toArray(), QJsonArray { QStringLiteral("es") });
    EXPECT_EQ(first[QStringLiteral("text")].toString(), QString::fromUtf8("Bonjour \"à\""));
    EXPECT_EQ(first[QStringLiteral("milliseconds")].toInt(), 12);
    EXPECT_EQ(first[QStringLiteral("round")].toInt(), 2);
    const QJsonObject outcome = run[QStringLiteral("outcome")].toObject();
    EXPECT_EQ(outcome[QStringLiteral("end")].toString(), QStringLiteral("finished"));
    EXPECT_EQ(outcome[QStringLiteral("status")].toString(),
        QStringLiteral("Ready.  Stable after 2 rounds."));
    EXPECT_TRUE(outcome[QStringLiteral("stable")].toBool());
    EXPECT_FALSE(outcome[QStringLiteral("failed")].toBool());
    EXPECT_EQ(outcome[QStringLiteral("rounds")].toInt(), 2);
}

TEST(RunJson, SaysStableOnlyForARunUntilStable)
{
    RunEnd end;
    end.kind = RunEndKind::Aborted;
    end.message = "Aborted.";
    end.rounds = 1;
    const QJsonObject outcome
        = QJsonDocument::fromJson(QByteArray::fromStdString(RunJson("", {}, end, true)))
              .object()[QStringLiteral("outcome")]
              .toObject();
    EXPECT_FALSE(outcome.contains(QStringLiteral("stable")));
    EXPECT_TRUE(outcome[QStringLiteral("failed")].toBool());
    EXPECT_TRUE(outcome[QStringLiteral("interrupted")].toBool());
    EXPECT_EQ(outcome[QStringLiteral("end")].toString(), QStringLiteral("aborted"));
}

TEST(ProgressLine, ReplacesItsTextOnATerminalAndStaysSilentElsewhere)
{
    std::ostringstream terminal;
    ProgressLine shown(terminal, true);
    shown.Show("Translating 1 [en|fr] ...");
    shown.Show("Translating 2 [fr|en] ...");
    shown.Clear();
    shown.Clear();
    EXPECT_EQ(terminal.str(),
        "\r\x1b[KTranslating 1 [en|fr] ...\r\x1b[KTranslating 2 [fr|en] ...\r\x1b[K");

    std::ostringstream pipe;
    ProgressLine silent(pipe, false);
    silent.Show("Translating 1 [en|fr] ...");
    silent.Clear();
    EXPECT_EQ(pipe.str(), "");
}
