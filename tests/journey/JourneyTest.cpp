// The journey of a run as the engine reports it, its chart's geometry and
// the page that is saved from it.
#include "journey/Journey.h"
#include "journey/JourneyPage.h"
#include "journey/SurvivalChart.h"
#include "run/LanguageTable.h"
#include "run/RunReports.h"

#include "tests/support/QtPrinters.h"

#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace {

StepReport Report(const char* entry, const char* before, const char* after, int round = 1)
{
    const std::string text = entry;
    const std::size_t bar = text.find('|');
    StepReport report;
    report.entry = entry;
    report.sourceCode = text.substr(0, bar);
    report.targetCode = text.substr(bar + 1);
    report.textBefore = before;
    report.textAfter = after;
    report.round = round;
    return report;
}

// Out to French and back, then out to German and back, losing a word each
// time the text comes home.
Journey FourSteps(bool untilStable = false)
{
    Journey journey;
    journey.Start("The old man walks his dog.\r\n", "en", untilStable);
    journey.Add(
        Report("en|fr", "The old man walks his dog.\r\n", "Le vieil homme promène son chien."));
    journey.Add(
        Report("fr|en", "Le vieil homme promène son chien.", "The old man walks his hound.", 1));
    journey.Add(Report("en|de", "The old man walks his hound.", "Der alte Mann geht.", 2));
    journey.Add(Report("de|en", "Der alte Mann geht.", "The old man goes.", 2));
    return journey;
}

TEST(Journey, NumbersStepsAcrossRoundsAndNamesTheirLanguages)
{
    const Journey journey = FourSteps();
    ASSERT_EQ(journey.Steps().size(), 4u);
    std::vector<std::string> languages;
    for (const JourneyStep& step : journey.Steps()) {
        EXPECT_EQ(step.number, static_cast<int>(languages.size()) + 1);
        languages.push_back(LanguagesText(step));
    }
    EXPECT_EQ(languages,
        (std::vector<std::string> { "English \u2192 French", "French \u2192 English",
            "English \u2192 German", "German \u2192 English" }));
    EXPECT_EQ(journey.Steps()[3].text, "The old man goes.");
    EXPECT_EQ(LanguageNameOfCode("xx"), "xx");
}

std::vector<std::string> Marked(const JourneyStep& step)
{
    std::vector<std::string> marked;
    static const char* const signs[] = { "", "+", "~", "-" };
    for (const DiffPiece& piece : step.changes)
        if (piece.change != Change::Same)
            marked.push_back(signs[static_cast<int>(piece.change)] + piece.text);
    return marked;
}

TEST(Journey, EachStepIsComparedWithTheLastTextInItsLanguage)
{
    const Journey journey = FourSteps();
    using Words = std::vector<std::string>;
    EXPECT_EQ(Marked(journey.Steps()[0]), Words {}) << "French's first text";
    EXPECT_EQ(Marked(journey.Steps()[1]), (Words { "-dog", "~hound" })) << "against the input";
    EXPECT_EQ(Marked(journey.Steps()[2]), Words {}) << "German's first text";
    EXPECT_EQ(Marked(journey.Steps()[3]), (Words { "-walks", "-his", "-hound", "~goes" }))
        << "against the English text the trip to German started from";

    Journey again;
    again.Start("a b", "en", false);
    again.Add(Report("en|fr", "a b", "x y"));
    again.Add(Report("fr|en", "x y", "a c"));
    // Reset to the input before the next language: that is the text the
    // trip out starts from.
    again.Add(Report("en|fr", "a b", "x z"));
    again.Add(Report("fr|en", "x z", "a b d"));
    again.Add(Report("en|en", "a b d", "a d"));
    EXPECT_EQ(Marked(again.Steps()[2]), (Words { "-y", "~z" })) << "against French's last text";
    EXPECT_EQ(Marked(again.Steps()[3]), (Words { "+d" })) << "against the input it was reset to";
    EXPECT_EQ(Marked(again.Steps()[4]), (Words { "-b" })) << "against the text it was sent";
}

TEST(Journey, EveryStepHomeAddsAPointOfTheSurvivalCurve)
{
    const Journey journey = FourSteps();
    EXPECT_FALSE(journey.Steps()[0].returnsHome);
    EXPECT_TRUE(journey.Steps()[1].returnsHome);
    // "hound" for "dog"; then "goes" for "walks", "his hound" gone.
    EXPECT_EQ(journey.Survival(),
        (std::vector<SurvivalPoint> { { 0, 1.0 }, { 2, 5.0 / 6 }, { 4, 3.0 / 6 } }));
    EXPECT_EQ(PercentText(journey.Steps()[1].survival), "83 %");
}

TEST(Journey, RoundsAreMarkedOnlyInARunUntilStable)
{
    const Journey journey = FourSteps(true);
    std::vector<bool> opens;
    for (const JourneyStep& step : journey.Steps())
        opens.push_back(step.opensRound);
    EXPECT_EQ(opens, (std::vector<bool> { true, false, true, false }));
    EXPECT_EQ(journey.RoundBoundaries(), (std::vector<double> { 2.5 }));
    EXPECT_TRUE(FourSteps(false).RoundBoundaries().empty());
    EXPECT_FALSE(FourSteps(false).Steps()[2].opensRound);
}

TEST(Journey, StartingAgainForgetsTheLastJourney)
{
    Journey journey = FourSteps();
    journey.Finish("Aborted.");
    journey.Start("Hi", "fr", false);
    EXPECT_TRUE(journey.Empty());
    EXPECT_EQ(journey.Outcome(), "");
    EXPECT_EQ(journey.Survival(), (std::vector<SurvivalPoint> { { 0, 1.0 } }));
    EXPECT_EQ(journey.Add(Report("fr|en", "Hi", "Hello")).number, 1);
}

TEST(SurvivalChart, StartAtTheLeftLastStepAtTheRightSharesUpward)
{
    const Journey journey = FourSteps();
    const ChartArea area { 10, 20, 400, 100 };
    const std::vector<ChartPoint> placed = PlaceSurvival(journey, area);
    ASSERT_EQ(placed.size(), 3u);
    EXPECT_DOUBLE_EQ(placed[0].x, 10);
    EXPECT_DOUBLE_EQ(placed[0].y, 20);
    EXPECT_DOUBLE_EQ(placed[1].x, 210);
    EXPECT_DOUBLE_EQ(placed[2].x, 410);
    EXPECT_DOUBLE_EQ(placed[2].y, 70);
    EXPECT_DOUBLE_EQ(ShareY(0, area), 120);
    EXPECT_DOUBLE_EQ(ShareY(1.5, area), 20) << "shares stay inside the area";
}

// The page read back as XML: the texts of the table's cells, the rounds'
// headings and how many points the chart has.
struct ReadPage {
    explicit ReadPage(const std::string& page)
    {
        QXmlStreamReader xml(QByteArray::fromStdString(page));
        QString cell;
        bool inCell = false;
        while (!xml.atEnd()) {
            xml.readNext();
            const QString name = xml.name().toString();
            if (xml.isStartElement()) {
                if (name == QStringLiteral("td") || name == QStringLiteral("th")) {
                    inCell = true;
                    cell.clear();
                }
                circles += name == QStringLiteral("circle");
                external += xml.attributes().hasAttribute(QStringLiteral("src"))
                    || xml.attributes().hasAttribute(QStringLiteral("href"));
                if (name == QStringLiteral("tr"))
                    rows.emplace_back();
            } else if (xml.isCharacters() && inCell) {
                cell += xml.text();
            } else if (xml.isEndElement()
                && (name == QStringLiteral("td") || name == QStringLiteral("th"))) {
                rows.back().push_back(cell.toStdString());
                inCell = false;
            } else if (xml.isEndElement() && name == QStringLiteral("html")) {
                finished = true;
            }
        }
        error = xml.errorString().toStdString();
    }

    std::vector<std::vector<std::string>> rows;
    int circles = 0;
    int external = 0;
    bool finished = false;
    std::string error;
};

TEST(JourneyPage, IsWellFormedWithOneRowPerStepAndAPointPerReturnHome)
{
    const std::string page = JourneyPage(FourSteps());
    const ReadPage read(page);
    EXPECT_EQ(read.error, "");
    EXPECT_TRUE(read.finished);
    ASSERT_EQ(read.rows.size(), 5u);
    EXPECT_EQ(read.rows[0], (std::vector<std::string> { "Step", "Languages", "Text" }));
    EXPECT_EQ(read.rows[1][0], "1");
    EXPECT_EQ(read.rows[1][1], "English \u2192 French");
    EXPECT_EQ(read.rows[2][1], "French \u2192 English83 % of the words kept");
    EXPECT_EQ(read.rows[4][2], "The old man walks his hound goes.");
    EXPECT_EQ(read.circles, 3);
    EXPECT_EQ(read.external, 0);
    EXPECT_EQ(page.find("url("), std::string::npos);
    EXPECT_EQ(page.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("<p class=\"input\">The old man walks his dog.</p>"), std::string::npos)
        << "the input's final line break adds no line";
}

TEST(JourneyPage, EscapesEveryTextAndDropsWhatXmlCannotHold)
{
    Journey journey;
    const std::string nasty = "<script>&amp; \"it's\"</script>\x01\xff ]]>";
    journey.Start(nasty, "en", false);
    journey.Add(Report("en|fr", nasty.c_str(), ("fr " + nasty).c_str()));
    journey.Finish("<Aborted & done>");
    const std::string page = JourneyPage(journey);
    EXPECT_EQ(page.find("<script"), std::string::npos);
    const ReadPage read(page);
    EXPECT_EQ(read.error, "");
    ASSERT_EQ(read.rows.size(), 2u);
    EXPECT_EQ(read.rows[1][2], "fr <script>&amp; \"it's\"</script>\ufffd ]]>");
    EXPECT_EQ(read.rows[1][1], "English \u2192 French");
    EXPECT_NE(page.find("&lt;Aborted &amp; done&gt;"), std::string::npos);
}

TEST(JourneyPage, MarksTheRoundsOfARunUntilStable)
{
    Journey journey = FourSteps(true);
    journey.Finish("Stable after 2 rounds.");
    const std::string page = JourneyPage(journey);
    const ReadPage read(page);
    EXPECT_EQ(read.error, "");
    ASSERT_EQ(read.rows.size(), 7u);
    EXPECT_EQ(read.rows[1], (std::vector<std::string> { "Round 1" }));
    EXPECT_EQ(read.rows[4], (std::vector<std::string> { "Round 2" }));
    EXPECT_NE(page.find("stroke-dasharray"), std::string::npos) << "the chart marks the rounds";
    EXPECT_NE(page.find("<p>Stable after 2 rounds.</p>"), std::string::npos);
}

} // namespace
