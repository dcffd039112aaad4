#include "widgets/acRichLabel.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class RichLabelTest : public testing::Test {
protected:
    void SetUp() override
    {
        label.resize(200, 10);
        lineHeight = QFontMetrics(label.font()).height();
    }

    TacRichLabel label;
    int lineHeight = 0;
};

int CountPixels(const QImage& image, QRgb color)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == color;
    return count;
}

int LeftmostInk(const QImage& image)
{
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 100)
                return x;
    return -1;
}

QImage Draw(const TRichTextOptions& options, QColor under = Qt::green)
{
    QImage image(options.width, 60, QImage::Format_RGB32);
    image.fill(under);
    QPainter painter(&image);
    DrawRichText(&painter, options);
    return image;
}

TRichTextOptions Options(const QString& text)
{
    TRichTextOptions options;
    options.text = text;
    options.width = 120;
    options.backgroundColor = Qt::white;
    options.textColor = Qt::black;
    return options;
}

} // namespace

TEST_F(RichLabelTest, DefaultsWrapAndFollowTheText)
{
    EXPECT_TRUE(label.WordWrap());
    EXPECT_TRUE(label.AutoHeight());
    EXPECT_EQ(label.MarginHorz(), 0);
    EXPECT_FALSE(label.ShowFrame());
    EXPECT_FALSE(label.ShowShadow());
    EXPECT_FALSE(label.TextStyle().PlainText);
    EXPECT_EQ(label.TextStyle().TagOpen, u'[');
    EXPECT_EQ(label.TextStyle().TagClose, u']');
}

TEST_F(RichLabelTest, AutoHeightCountsLinesMarginsAndShadow)
{
    label.SetCaption(QStringLiteral("one\r\ntwo\r\n"));
    EXPECT_EQ(label.height(), 3 * lineHeight);
    label.SetMarginVert(4);
    EXPECT_EQ(label.height(), 3 * lineHeight + 8);
    label.SetShowShadow(true);
    EXPECT_EQ(label.height(), 3 * lineHeight + 16);
}

TEST_F(RichLabelTest, NarrowerLabelGrowsTaller)
{
    label.resize(600, 10);
    label.show();
    label.SetCaption(QStringLiteral("several short words that wrap over lines"));
    EXPECT_EQ(label.height(), lineHeight);
    label.resize(60, label.height());
    EXPECT_GT(label.height(), 2 * lineHeight);
}

TEST_F(RichLabelTest, WordLongerThanTheLabelTakesOneLine)
{
    label.resize(20, 10);
    label.SetCaption(QStringLiteral("Incomprehensibilities"));
    EXPECT_EQ(label.height(), lineHeight);
}

TEST_F(RichLabelTest, WithoutAutoHeightTheHeightStays)
{
    label.SetAutoHeight(false);
    label.SetCaption(QStringLiteral("a\nb\nc"));
    EXPECT_EQ(label.height(), 10);
    EXPECT_EQ(label.TextHeight(), 3 * lineHeight);
}

TEST(DrawRichTextPainting, ColourTagPaintsInThatColour)
{
    const QImage red = Draw(Options(QStringLiteral("[RED]XXXX")));
    EXPECT_GT(CountPixels(red, qRgb(255, 0, 0)), 0);
    const QImage plain = Draw(Options(QStringLiteral("[RED][DEF]XXXX")));
    EXPECT_EQ(CountPixels(plain, qRgb(255, 0, 0)), 0);
}

TEST(DrawRichTextPainting, BoldInkIsHeavier)
{
    const QImage bold = Draw(Options(QStringLiteral("[B]IIII")));
    const QImage plain = Draw(Options(QStringLiteral("IIII")));
    EXPECT_GT(CountPixels(bold, qRgb(0, 0, 0)), CountPixels(plain, qRgb(0, 0, 0)));
}

TEST(DrawRichTextPainting, TransparentLabelKeepsWhatLiesUnder)
{
    TRichTextOptions options = Options(QStringLiteral("x"));
    options.transparent = true;
    EXPECT_EQ(Draw(options).pixel(110, 5), qRgb(0, 255, 0));
    options.transparent = false;
    EXPECT_EQ(Draw(options).pixel(110, 5), qRgb(255, 255, 255));
}

TEST(DrawRichTextPainting, AlignmentAndMargins)
{
    TRichTextOptions options = Options(QStringLiteral("ab"));
    options.marginHorz = 10;
    const int left = LeftmostInk(Draw(options));
    EXPECT_GE(left, 10);
    EXPECT_LT(left, 14);
    options.alignment = Qt::AlignRight;
    EXPECT_GT(LeftmostInk(Draw(options)), 80);
    options.alignment = Qt::AlignHCenter;
    const int centred = LeftmostInk(Draw(options));
    EXPECT_GT(centred, 35);
    EXPECT_LT(centred, 60);
}

TEST(DrawRichTextPainting, FrameAndDottedShadow)
{
    TRichTextOptions options = Options(QString());
    options.showFrame = true;
    options.showShadow = true;
    options.shadowColor = Qt::blue;
    options.frameColor = Qt::black;
    const QSize size = DrawRichText(nullptr, options);
    EXPECT_EQ(size, QSize(120, QFontMetrics(options.font).height() + 8));
    const QImage image = Draw(options);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(120 - 8, 0), qRgb(0, 0, 0));
    EXPECT_EQ(image.pixel(120 - 7, 0), qRgb(0, 255, 0));
    EXPECT_GT(CountPixels(image, qRgb(0, 0, 255)), 10);
}
