#include "settings/saver/rsProperty.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct EntryCase {
    std::string line;
    std::string name;
    std::string defaultValue;
    std::string nameInData;
    std::string flags;
};

class PropertyEntryTest : public testing::TestWithParam<EntryCase> { };

TEST_P(PropertyEntryTest, ParsesNameDefaultKeyAndFlags)
{
    const EntryCase& expected = GetParam();
    TrsProperty entry;
    entry.SetAsString(expected.line);
    EXPECT_EQ(entry.Name, expected.name);
    EXPECT_EQ(entry.DefaultValue, expected.defaultValue);
    EXPECT_EQ(entry.NameInData, expected.nameInData);
    EXPECT_EQ(entry.GetParams(), expected.flags);
}

INSTANTIATE_TEST_SUITE_P(Lines, PropertyEntryTest,
    testing::Values(EntryCase { "Left", "Left", "", "", "EPD" },
        EntryCase { "ChecklistString,\"\",\"ChecklistString\",EUD", "ChecklistString", "",
            "ChecklistString", "EUD" },
        EntryCase { "X,\"5\",\"Y\",EPW", "X", "5", "Y", "EPW" },
        EntryCase { "X,\"5\",", "X", "5", "", "EPD" },
        EntryCase { "X,\"\",\"\",DPD", "X", "", "", "DPD" },
        EntryCase { "X,\"\",\"\",EPRC", "X", "", "", "EPRC" },
        EntryCase { "Memo.Lines,\"a,b\",\"Text\",ECD", "Memo.Lines", "a,b", "Text", "ECD" },
        EntryCase { "X,7,", "X", "7", "", "EPD" }, EntryCase { "A,B", "A,B", "", "", "EPD" },
        EntryCase { "Ab", "Ab", "", "", "EPD" }));

TEST(PropertyFlagsTest, UnknownLettersGiveThatPositionsDefault)
{
    TrsProperty entry;
    entry.SetAsString("X,\"\",\"\",EUR");
    entry.SetAsString("Y,\"\",\"\",EZQ");
    EXPECT_EQ(entry.PropType, ptPublished);
    EXPECT_EQ(entry.PropState, psNormal);
    EXPECT_TRUE(entry.Enabled);
}

TEST(PropertyFlagsTest, AnyFirstLetterButEDisables)
{
    TrsProperty entry;
    entry.SetAsString("X,\"\",\"\",XPD");
    EXPECT_FALSE(entry.Enabled);
}

TEST(PropertyFlagsTest, KeyNameFallsBackToName)
{
    TrsProperty entry;
    entry.SetAsString("X,\"5\",");
    EXPECT_EQ(entry.KeyName(), "X");
    entry.SetAsString("X,\"5\",\"Y\",EPD");
    EXPECT_EQ(entry.KeyName(), "Y");
}

TEST(CanonicalEntryTest, PlainEntryIsItsName)
{
    TrsProperty entry;
    entry.Name = "CheckBoxPause.Checked";
    EXPECT_EQ(entry.GetAsString(), "CheckBoxPause.Checked");
}

TEST(CanonicalEntryTest, QuotedFieldsFollowWhenAnyDiffers)
{
    TrsProperty entry;
    entry.Name = "X";
    entry.DefaultValue = "5";
    EXPECT_EQ(entry.GetAsString(), "X,\"5\",\"\",");
    entry.PropType = ptUser;
    entry.NameInData = "Y";
    EXPECT_EQ(entry.GetAsString(), "X,\"5\",\"Y\",EUD");
}

TEST(CanonicalEntryTest, ParsingTheCanonicalTextGivesTheEntryBack)
{
    TrsProperty entry;
    entry.Name = "Panel.Width";
    entry.DefaultValue = "1,5";
    entry.NameInData = "Sub\\Width";
    entry.Enabled = false;
    entry.PropType = ptCustom;
    entry.PropState = psWrite;
    entry.Encrypted = true;
    TrsProperty parsed;
    parsed.SetAsString(entry.GetAsString());
    EXPECT_EQ(parsed.Name, entry.Name);
    EXPECT_EQ(parsed.DefaultValue, entry.DefaultValue);
    EXPECT_EQ(parsed.NameInData, entry.NameInData);
    EXPECT_EQ(parsed.GetParams(), "DCWC");
}

} // namespace
