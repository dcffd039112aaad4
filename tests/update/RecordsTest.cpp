#include "platform/Records.h"
#include "tests/update/UpdateTestSupport.h"

#include <gtest/gtest.h>

using platform::ReadRecordValue;

const char* const key = "SOFTWARE\\Vendor\\Uninstall\\Thing_is1";

TEST(RecordsDirectory, DefaultsToTheSystemRecordsFolder)
{
    EXPECT_EQ(platform::RecordsDirectory(), "/etc/xdg/tornalo/records/");
}

class RecordsTest : public testing::Test {
protected:
    RecordsFolderScope records;
};

TEST_F(RecordsTest, ReadsTheValueFromTheFileNamedAfterTheKeysLastPart)
{
    records.Write("Thing_is1", "DisplayName=Thing\nInstallLocation=/opt/thing/\n");
    EXPECT_EQ(ReadRecordValue(key, "InstallLocation"), "/opt/thing/");
    EXPECT_EQ(ReadRecordValue("Other/Thing_is1", "DisplayName"), "Thing");
}

TEST_F(RecordsTest, ValueNamesMatchInAnyLetterCase)
{
    records.Write("Thing_is1", "installLOCATION=/opt/thing/\n");
    EXPECT_EQ(ReadRecordValue(key, "InstallLocation"), "/opt/thing/");
}

TEST_F(RecordsTest, ValueIsTheRestOfTheLineWithoutItsCarriageReturn)
{
    records.Write("Thing_is1", "InstallLocation = /opt/a=b/ \r\n");
    EXPECT_EQ(ReadRecordValue(key, "InstallLocation"), " /opt/a=b/ ");
}

TEST_F(RecordsTest, MissingRecordOrValueGivesNothing)
{
    records.Write("Thing_is1", "DisplayName=Thing\nno equals sign\n");
    EXPECT_EQ(ReadRecordValue(key, "InstallLocation"), "");
    EXPECT_EQ(ReadRecordValue("SOFTWARE\\Missing_is1", "DisplayName"), "");
}

TEST_F(RecordsTest, KeysThatNameNoFileGiveNothing)
{
    records.Write("Thing_is1", "DisplayName=Thing\n");
    EXPECT_EQ(ReadRecordValue("SOFTWARE\\..", "DisplayName"), "");
    EXPECT_EQ(ReadRecordValue("", "DisplayName"), "");
    EXPECT_EQ(ReadRecordValue("SOFTWARE\\Thing_is1\\", "DisplayName"), "Thing");
}

TEST_F(RecordsTest, SettingAFolderGivesBackTheOneInPlace)
{
    const std::string outer = platform::RecordsDirectory();
    EXPECT_NE(outer, "/etc/xdg/tornalo/records/");
    const std::string previous = platform::SetRecordsDirectory("/elsewhere");
    EXPECT_EQ(platform::RecordsDirectory(), "/elsewhere/");
    EXPECT_EQ(platform::SetRecordsDirectory(previous), "/elsewhere");
    EXPECT_EQ(platform::RecordsDirectory(), outer);
}
