#include "run/TranslationReply.h"

#include "tests/support/TemporaryFolder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

class RecordingLog : public TDebugLog {
public:
    void Append(const std::string& text) override { blocks.push_back(text); }
    std::vector<std::string> blocks;
};

const std::string PieceMarker = "this.style.backgroundColor='#fff'\">";

std::string Piece(const std::string& text)
{
    return "<span title=\"x\" onmouseover=\"" + PieceMarker + text + "</span>";
}

std::string Page(const std::string& pieces)
{
    return "<html><title>Translate</title><body><span id=result_box class=\"short_text\">" + pieces
        + "</span></body></html>";
}

class ExtractTranslationTest : public testing::Test {
protected:
    std::string Extract(const std::string& page)
    {
        std::ofstream(replyFile, std::ios::binary) << page;
        return ExtractTranslation(replyFile, status, log);
    }

    TemporaryFolder folder;
    const std::string replyFile = folder.File("translator_replypage.htm");
    std::string status;
    RecordingLog log;
};

} // namespace

TEST_F(ExtractTranslationTest, JoinsPiecesWithOneSpace)
{
    EXPECT_EQ(Extract(Page(Piece("Bonjour") + Piece("le monde"))), "Bonjour le monde");
    EXPECT_TRUE(status.empty());
}

TEST_F(ExtractTranslationTest, AnEmptyPieceStillGetsItsSpace)
{
    EXPECT_EQ(Extract(Page(Piece("abc") + Piece("") + Piece("def"))), "abc  def");
}

TEST_F(ExtractTranslationTest, APieceWithoutClosingTagEndsTheLoop)
{
    const std::string page
        = "Translate <span id=result_box>" + Piece("kept") + PieceMarker + "lost";
    EXPECT_EQ(Extract(page), "kept");
}

TEST_F(ExtractTranslationTest, PiecesAfterTheResultBoxCountToo)
{
    const std::string page = Page(Piece("one")) + "<div>" + Piece("two") + "</div>";
    EXPECT_EQ(Extract(page), "one two");
}

TEST_F(ExtractTranslationTest, PiecesBeforeTheResultBoxDoNotCount)
{
    const std::string page = "Translate " + Piece("early") + "<span id=result_box>" + Piece("late");
    EXPECT_EQ(Extract(page), "late");
}

TEST_F(ExtractTranslationTest, WritesTheRawAndFixedBlocks)
{
    Extract(Page(Piece("a &amp;#39;b")));
    const std::string stars(39, '*');
    ASSERT_EQ(log.blocks.size(), 2u);
    EXPECT_EQ(
        log.blocks[0], "\n************ RAW REPLY ***************\na &amp;#39;b\n" + stars + "\n");
    EXPECT_EQ(log.blocks[1], "\n************FIXED REPLY ***************\na 'b\n" + stars + "\n");
}

TEST_F(ExtractTranslationTest, TheSearchEndsAtTheFirstZeroByte)
{
    const std::string page = Page(Piece("a"));
    std::string cut = page.substr(0, page.find(PieceMarker)) + std::string(1, '\0') + page;
    EXPECT_EQ(Extract(cut), "");
    EXPECT_EQ(status, "Error: improper result translation on result page (type 4).");
}

struct FailingPage {
    const char* name;
    std::string page;
    std::string message;
};

void PrintTo(const FailingPage& failing, std::ostream* out)
{
    *out << failing.name;
}

class ExtractionFailures : public ExtractTranslationTest,
                           public testing::WithParamInterface<FailingPage> { };

TEST_P(ExtractionFailures, GiveNoTextAndTheirMessage)
{
    EXPECT_EQ(Extract(GetParam().page), "");
    EXPECT_EQ(status, GetParam().message);
    EXPECT_TRUE(log.blocks.empty());
}

INSTANTIATE_TEST_SUITE_P(Pages, ExtractionFailures,
    testing::Values(FailingPage { "RefusalAfterAValidResult",
                        Page(Piece("Bonjour")) + "Sorry, this text cannot be translated",
                        "Error: text could not be translated sensibly." },
        FailingPage { "EmptyFile", "", "Error: could not find result translation on result page." },
        FailingPage { "NoTranslateWord", "<span id=result_box>" + Piece("x"),
            "Error: could not find result translation on result page." },
        FailingPage { "ResultBoxOnlyBeforeTranslate",
            "<span id=result_box> Translate " + Piece("x"),
            "Error: improper result translation on result page (type 1)." },
        FailingPage { "NoPieces", Page("nothing here"),
            "Error: improper result translation on result page (type 4)." },
        FailingPage { "OnlyEmptyPieces", Page(Piece("") + Piece("")),
            "Error: improper result translation on result page (type 4)." }),
    [](const testing::TestParamInfo<FailingPage>& info) { return std::string(info.param.name); });

TEST(ExtractTranslationFile, AMissingFileCannotBeOpened)
{
    TemporaryFolder folder;
    std::string status;
    class : public TDebugLog {
        void Append(const std::string&) override { ADD_FAILURE() << "no block on failure"; }
    } log;
    EXPECT_EQ(ExtractTranslation(folder.File("missing.htm"), status, log), "");
    EXPECT_EQ(status, "Error: could not open result file.");
}

TEST(FixReplyText, LineBreakTagsBecomeLineFeeds)
{
    EXPECT_EQ(FixReplyText("a &lt;br&gt; b"), "a\n b");
    EXPECT_EQ(FixReplyText("a  &lt;br&gt;  b"), "a\nb");
    EXPECT_EQ(FixReplyText("a&lt;br/&gt;b&lt;br /&gt;c"), "a\nb\nc");
    EXPECT_EQ(FixReplyText("a<br>b\n<br>c\r<br>d"), "a\nb\nc\nd");
}

TEST(FixReplyText, AtMostTwoSpacesGoBeforeALineFeed)
{
    EXPECT_EQ(FixReplyText("a  \nb"), "a\nb");
    EXPECT_EQ(FixReplyText("a   \nb"), "a \nb");
}

TEST(FixReplyText, NoBreakSpaceAfterALineFeedGoes)
{
    EXPECT_EQ(FixReplyText("a\n\xc2\xa0 b"), "a\nb");
    EXPECT_EQ(FixReplyText("a\n\xc2\xa0\xc2\xa0 b"), "a\n\xc2\xa0 b");
}

TEST(FixReplyText, EntitiesForAmpersandAndQuote)
{
    EXPECT_EQ(FixReplyText("&quot;a&quot; &amp; b"), "\"a\" & b");
    EXPECT_EQ(FixReplyText("&amp;lt;"), "&lt;");
}

TEST(FixReplyText, DecimalReferencesOfOneToThreeDigits)
{
    EXPECT_EQ(FixReplyText("it&#39;s"), "it's");
    EXPECT_EQ(FixReplyText("&amp;#39;"), "'");
    EXPECT_EQ(FixReplyText("x&#65;"), "xA");
    EXPECT_EQ(FixReplyText("&#5;"), "\x05");
    EXPECT_EQ(FixReplyText("&#060;b&#062;"), "<b>");
}

TEST(FixReplyText, HighReferencesGiveTheirWindows1252CharactersInUtf8)
{
    EXPECT_EQ(FixReplyText("caf&#233;"), "caf\xc3\xa9");
    EXPECT_EQ(FixReplyText("&#128;"), "\xe2\x82\xac");
    EXPECT_EQ(FixReplyText("&#160;"), "\xc2\xa0");
    EXPECT_EQ(FixReplyText("&#255;"), "\xc3\xbf");
    EXPECT_EQ(FixReplyText("&#159;"), "\xc5\xb8");
}

TEST(FixReplyText, ReferencesThatDecodeNothingStay)
{
    for (const char* kept : { "&#;", "&#300;", "&#1234;", "&# 5;", "&#x41;", "&#0;", "&#5", "&#" })
        EXPECT_EQ(FixReplyText(kept), kept);
    EXPECT_EQ(FixReplyText("&&#65;"), "&A");
}

TEST(FixReplyText, ASemicolonWithoutAValueIsPassedOver)
{
    EXPECT_EQ(FixReplyText("&#;7;"), "\x07");
    EXPECT_EQ(FixReplyText("&#0;7;"), "\x07");
    EXPECT_EQ(FixReplyText("&#0;x"), "&#0;x");
}
