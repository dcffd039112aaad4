#include "run/TranslationRequest.h"

#include "tests/support/QtPrinters.h"

#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

// Decodes a form body the way a form parser does: "+" is a space, then
// percent-decoding, field by field.
QList<QPair<QString, QString>> ParseForm(const std::string& body)
{
    QString text = QString::fromUtf8(body);
    text.replace(QLatin1Char('+'), QStringLiteral("%20"));
    return QUrlQuery(text).queryItems(QUrl::FullyDecoded);
}

std::string TextField(const std::string& body)
{
    return body.substr(body.find("&text=") + 1);
}

} // namespace

TEST(SplitFirst, SplitsAStepEntryIntoItsCodes)
{
    std::string source = "en|fr";
    std::string head;
    EXPECT_TRUE(SplitFirst(source, head, "|", true));
    EXPECT_EQ(head, "en");
    EXPECT_EQ(source, "fr");
}

TEST(SplitFirst, TrimsBothPartsWhenAsked)
{
    std::string source = " 3 , 15";
    std::string head;
    EXPECT_TRUE(SplitFirst(source, head, ",", true));
    EXPECT_EQ(head, "3");
    EXPECT_EQ(source, "15");

    source = " 3 , 15";
    EXPECT_TRUE(SplitFirst(source, head, ",", false));
    EXPECT_EQ(head, " 3 ");
    EXPECT_EQ(source, " 15");
}

TEST(SplitFirst, WithoutSeparatorTakesEverything)
{
    std::string source = "7";
    std::string head;
    EXPECT_TRUE(SplitFirst(source, head, ",", true));
    EXPECT_EQ(head, "7");
    EXPECT_TRUE(source.empty());
}

TEST(SplitFirst, EmptyPartsAroundTheSeparator)
{
    std::string source = ",x";
    std::string head = "old";
    EXPECT_TRUE(SplitFirst(source, head, ",", false));
    EXPECT_EQ(head, "");
    EXPECT_EQ(source, "x");

    source = "x,";
    EXPECT_TRUE(SplitFirst(source, head, ",", false));
    EXPECT_EQ(head, "x");
    EXPECT_EQ(source, "");
}

TEST(SplitFirst, EmptySourceReturnsFalseAndLeavesHead)
{
    std::string source;
    std::string head = "kept";
    EXPECT_FALSE(SplitFirst(source, head, "|", true));
    EXPECT_EQ(head, "kept");
}

TEST(RequestText, IsPassedOnUnchanged)
{
    EXPECT_EQ(PrepareRequestText("a & b\r\nc"), "a & b\r\nc");
}

TEST(RequestBody, KeepsTheFieldsInOrder)
{
    EXPECT_EQ(RequestBody("en", "fr", "Good morning"),
        "sl=en&tl=fr&hl=en&ie=UTF-8&oe=UTF-8&prev=_t&js=n&submit=Translate&text=Good+morning");
    EXPECT_EQ(RequestBody("zh-CN", "iw", "x").substr(0, 17), "sl=zh-CN&tl=iw&hl");
}

TEST(RequestBody, FormParserGetsTheTextBackExactly)
{
    const std::string text = "a & b+c% x&tl=ja = \r\nline two \xc3\xa9";
    const auto fields = ParseForm(RequestBody("en", "fr", text));
    ASSERT_EQ(fields.size(), 9);
    const QStringList names { QStringLiteral("sl"), QStringLiteral("tl"), QStringLiteral("hl"),
        QStringLiteral("ie"), QStringLiteral("oe"), QStringLiteral("prev"), QStringLiteral("js"),
        QStringLiteral("submit"), QStringLiteral("text") };
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(fields[i].first, names[i]);
    EXPECT_EQ(fields[1].second, QStringLiteral("fr"));
    EXPECT_EQ(fields[8].second, QString::fromUtf8(text));
}

TEST(RequestBody, EncodesEveryByteButTheUnreservedOnes)
{
    EXPECT_EQ(TextField(RequestBody("en", "fr", "a & b+c%")), "text=a+%26+b%2Bc%25");
    EXPECT_EQ(TextField(RequestBody("en", "fr", "-._~\r\n")), "text=-._~%0D%0A");
}

TEST(RequestBlock, FramesTheEntryAndTheTextAsTyped)
{
    const std::string dashes30(30, '-');
    EXPECT_EQ(RequestBlock("en|fr", "a & b"),
        "\n" + dashes30 + " TRANSLATING: en|fr " + dashes30 + "  \n:a & b\n" + std::string(78, '-')
            + "  \n:");
}
