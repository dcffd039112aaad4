#include "transfer/acHTTPValues.h"

#include <QDateTime>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

// The local day count of a GMT moment, computed independently of the parser.
TDateTime LocalDayCount(int year, int month, int day, int hour, int minute, int second)
{
    const QDateTime local
        = QDateTime(QDate(year, month, day), QTime(hour, minute, second), QTimeZone::utc())
              .toLocalTime();
    return QDate(1899, 12, 30).daysTo(local.date())
        + local.time().msecsSinceStartOfDay() / 86400000.0;
}

TEST(ProgressTest, ThreeAndAnEighthBlocksGiveThirtyTwoSixtyFourNinetySixAndAHundred)
{
    const std::vector<std::pair<int, int>> steps { { 32000, 32 }, { 64000, 64 }, { 96000, 96 },
        { 100000, 100 } };
    for (const auto& [read, percents] : steps)
        EXPECT_EQ(ComputeProgress(100000, read, 0, 0).PercentsDone, percents);
}

TEST(ProgressTest, HalvesRoundToEven)
{
    EXPECT_EQ(ComputeProgress(200, 1, 0, 0).PercentsDone, 0); // 0.5
    EXPECT_EQ(ComputeProgress(200, 3, 0, 0).PercentsDone, 2); // 1.5
    EXPECT_EQ(ComputeProgress(200, 5, 0, 0).PercentsDone, 2); // 2.5
    EXPECT_EQ(ComputeProgress(200, 7, 0, 0).PercentsDone, 4); // 3.5
    // 3 of 4 blocks after 2 s: 4/3 * 2 = 2.67 -> 3, so 1 s left.
    EXPECT_EQ(ComputeProgress(4000, 3000, 0, 2000).EstimatedTimeLeft, 1);
    // 8 of 10 after 2 s: 2.5 -> 2, so 0 s left.
    EXPECT_EQ(ComputeProgress(10, 8, 0, 2000).EstimatedTimeLeft, 0);
}

TEST(ProgressTest, TheRangeStartCountsInSizesAndPercentsButNotInTheEstimate)
{
    const TacProgressValues values = ComputeProgress(1000, 500, 1000, 4000);
    EXPECT_EQ(values.DataSize, 2000);
    EXPECT_EQ(values.BytesRead, 1500);
    EXPECT_EQ(values.PercentsDone, 75);
    EXPECT_EQ(values.ElapsedTime, 4);
    EXPECT_EQ(values.EstimatedTimeLeft, 4);
}

TEST(ProgressTest, UnknownSizeAndRate)
{
    const TacProgressValues values = ComputeProgress(0, 2048, 0, 2999);
    EXPECT_EQ(values.PercentsDone, 0);
    EXPECT_EQ(values.ElapsedTime, 2);
    EXPECT_EQ(values.EstimatedTimeLeft, -2);
    EXPECT_FLOAT_EQ(values.TransferRate, 1.0f);
    EXPECT_FLOAT_EQ(ComputeProgress(0, 2048, 0, 999).TransferRate, 2.0f);
}

TEST(HeaderDateTest, TheThreeHttpFormsGiveTheSameMoment)
{
    const TDateTime expected = LocalDayCount(1994, 11, 6, 8, 49, 37);
    EXPECT_DOUBLE_EQ(HeaderDateToDateTime("Sun, 06 Nov 1994 08:49:37 GMT"), expected);
    EXPECT_DOUBLE_EQ(HeaderDateToDateTime("Sunday, 06-Nov-94 08:49:37 GMT"), expected);
    EXPECT_DOUBLE_EQ(HeaderDateToDateTime("Sun Nov  6 08:49:37 1994"), expected);
    EXPECT_DOUBLE_EQ(HeaderDateToDateTime("  Sun, 06 Nov 1994 08:49:37 GMT  "), expected);
}

TEST(HeaderDateTest, TwoDigitYearsAndZoneOffsets)
{
    EXPECT_DOUBLE_EQ(HeaderDateToDateTime("Thursday, 01-Jan-15 00:00:00 GMT"),
        LocalDayCount(2015, 1, 1, 0, 0, 0));
    EXPECT_DOUBLE_EQ(
        HeaderDateToDateTime("Friday, 01-Jan-99 00:00:00 GMT"), LocalDayCount(1999, 1, 1, 0, 0, 0));
    EXPECT_DOUBLE_EQ(HeaderDateToDateTime("Sun, 06 Nov 1994 10:49:37 +0200"),
        LocalDayCount(1994, 11, 6, 8, 49, 37));
}

TEST(HeaderDateTest, EmptyOrUnreadableGivesZero)
{
    EXPECT_EQ(HeaderDateToDateTime(""), 0);
    EXPECT_EQ(HeaderDateToDateTime("yesterday"), 0);
    EXPECT_EQ(HeaderDateToDateTime("Sun, 31 Feb 1994 08:49:37 GMT"), 0);
    EXPECT_EQ(HeaderDateToDateTime("Sun, 06 Nov 1994 25:49:37 GMT"), 0);
}

TEST(MimeTypeTest, ByExtensionCaseInsensitively)
{
    EXPECT_EQ(MimeTypeForFileName("photo.JPG"), "image/jpeg");
    EXPECT_EQ(MimeTypeForFileName("dir.v2/readme"), "application/octet-stream");
    EXPECT_EQ(MimeTypeForFileName("notes.txt"), "text/plain");
    EXPECT_EQ(MimeTypeForFileName("archive.unknown"), "application/octet-stream");
}

} // namespace
