#include "service/ReplyPage.h"
#include "service/TextLines.h"

#include "ServiceTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using service::JoinLines;
using service::RefusalPage;
using service::ResultPage;
using service::SplitLines;
using service_test::ExtractFromPage;

namespace {

// What the program should get back: the lines joined by line feeds.
std::string RoundTrip(const std::string& text)
{
    return ExtractFromPage(ResultPage(SplitLines(text), { "apertium", { "hr", "mk" } })).text;
}

} // namespace

class ResultPageThroughExtraction : public testing::TestWithParam<std::string> { };

TEST_P(ResultPageThroughExtraction, GivesBackTheTextByteForByte)
{
    const std::string text = GetParam();
    EXPECT_EQ(RoundTrip(text), JoinLines(SplitLines(text)));
}

INSTANTIATE_TEST_SUITE_P(AwkwardTexts, ResultPageThroughExtraction,
    testing::Values("plain words", "Tom & Jerry <friends> said \"hi\" and it's 'fine'",
        "&amp; &quot; &lt;br&gt; &lt;br/&gt; &lt;br /&gt;", "literal &#65; and &#39; stay",
        "a <br> b", "two  lines\nhere", "ends in spaces   \nnext", "  \n  ", "first\n\nthird",
        "ends with a break\n", "\nstarts with a break",
        "\xC2\xA0no-break space first\n\xC2\xA0 too", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
        "Sorry, this text cannot be translated, I said",
        "this.style.backgroundColor='#fff'\"> and </span>", "tab\there", "&#", "&#;", "&",
        "trailing &#6"));

TEST(ResultPage, CarriageReturnsBecomeLineFeeds)
{
    EXPECT_EQ(RoundTrip("one\r\ntwo\rthree\n"), "one\ntwo\nthree\n");
}

TEST(ResultPage, RandomMixesOfMarkupSurvive)
{
    const std::vector<std::string> atoms = { "a", " ", "  ", "&", "#", ";", "<", ">", "\"", "'",
        "br", "&lt;", "&amp;", "\n", "\r\n", "\xC2\xA0", "1", "65", "Sorry", "</span>", "\t" };
    std::mt19937 random(20261209);
    for (int round = 0; round < 400; ++round) {
        std::string text = "x";
        const int count = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i)
            text += atoms[random() % atoms.size()];
        ASSERT_EQ(RoundTrip(text), JoinLines(SplitLines(text))) << "text: " << text;
    }
}

TEST(ResultPage, OnePiecePerLine)
{
    const std::string page = ResultPage({ "one", "two", "three" }, { "apertium", {} });
    std::size_t pieces = 0;
    for (std::size_t at = page.find("backgroundColor='#fff'\">"); at != std::string::npos;
         at = page.find("backgroundColor='#fff'\">", at + 1))
        ++pieces;
    EXPECT_EQ(pieces, 3u);
}

// The program reads the route from the head, and the reason from its element.
TEST(ResultPage, TheHeadTellsTheRoute)
{
    struct Case {
        service::HopRoute route;
        const char* head;
    };
    for (const Case& c :
        std::initializer_list<Case> {
            { { "apertium", { "hr", "mk" } },
                "<meta name=\"tornalo-engine\" content=\"apertium\">\n"
                "<meta name=\"tornalo-via\" content=\"hr,mk\">\n" },
            { { "none", {} },
                "<meta name=\"tornalo-engine\" content=\"none\">\n"
                "<meta name=\"tornalo-via\" content=\"\">\n" },
            // An address holding what the program searches the page for.
            { { "libretranslate http://h/Translate?a=\"1\"&b=<this.style.backgroundColor>", {} },
                "<meta name=\"tornalo-engine\" content=\"libretranslate "
                "http://h/%54ranslate?a=&quot;1&quot;&amp;b=&lt;%74his.style.backgroundColor&gt;\">"
                "\n<meta name=\"tornalo-via\" content=\"\">\n" },
        }) {
        const std::string page = ResultPage({ "Hola" }, c.route);
        const std::size_t headEnd = page.find("</head>");
        EXPECT_NE(page.substr(0, headEnd).find(c.head), std::string::npos) << page;
        EXPECT_EQ(page.find("Translate"), page.find("value=\"Translate\"") + 7) << page;
        EXPECT_EQ(ExtractFromPage(page).text, "Hola");
    }
}

TEST(RefusalPage, ReadsAsUntranslatableAndGivesTheReason)
{
    const std::string page = RefusalPage("no translation engine here reaches <German> & \"co\"");
    const auto extraction = ExtractFromPage(page);
    EXPECT_EQ(extraction.text, "");
    EXPECT_EQ(extraction.statusMessage, "Error: text could not be translated sensibly.");
    EXPECT_NE(
        page.find("<p id=\"tornalo-reason\">no translation engine here reaches &lt;German&gt; "
                  "&amp; &quot;co&quot;</p>\n"),
        std::string::npos)
        << page;
}

TEST(TextLines, SplitKeepsEveryBreakKindAndAFinalEmptyLine)
{
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (std::vector<std::string> { "a", "b", "c", "d" }));
    EXPECT_EQ(SplitLines("a\n"), (std::vector<std::string> { "a", "" }));
    EXPECT_EQ(SplitLines(""), (std::vector<std::string> { "" }));
    EXPECT_EQ(JoinLines({ "a", "", "b" }), "a\n\nb");
}
