#include "SettingsFiles.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

// A customised file the faults are put into: each case names the keys that
// must still come back.
const std::string Customised = "[MainForm.rsPropSaver1]\r\n"
                               "CheckBoxPause.Checked=\"False\"\r\n"
                               "ChecklistString=\"2,13,15\"\r\n"
                               "Height=527\r\n"
                               "Left=265\r\n"
                               "OriginalTextMemo.Lines=\"Good morning\"\r\n"
                               "Top=279\r\n"
                               "Width=476\r\n"
                               "\r\n";

std::string WithLine(const std::string& line, const std::string& after = "Height=527\r\n")
{
    std::string image = Customised;
    image.insert(image.find(after) + after.size(), line + "\r\n");
    return image;
}

struct FaultCase {
    const char* name;
    std::string image;
    int line;
    std::string text;
    // The section the keys after the fault went into.
    const char* section = "MainForm.rsPropSaver1";
};

class IniFaultTest : public testing::TestWithParam<FaultCase> {
protected:
    ScratchFolder folder;
    IniFile file { folder.File("Tornalo.ini") };
};

TEST_P(IniFaultTest, FaultIsReportedWithItsLineAndEveryOtherValueIsRead)
{
    const FaultCase& fault = GetParam();
    file.LoadImage(fault.image);
    ASSERT_EQ(file.ini.LoadFaults().Count(), 1);
    EXPECT_EQ(file.ini.LoadFaults().First().Line, fault.line);
    EXPECT_EQ(file.ini.LoadFaults().First().Text, fault.text);
    TrsStorage& storage = file.storage;
    storage.SetRootSection(fault.section);
    EXPECT_EQ(storage.ReadString("CheckBoxPause.Checked", ""), "False");
    EXPECT_EQ(storage.ReadString("ChecklistString", ""), "2,13,15");
    EXPECT_EQ(storage.ReadInteger("Left", 0), 265);
    EXPECT_EQ(storage.ReadString("OriginalTextMemo.Lines", ""), "Good morning");
    EXPECT_EQ(storage.ReadInteger("Width", 0), 476);
    EXPECT_EQ(storage.KeyCount(), 7);
}

INSTANTIATE_TEST_SUITE_P(Lines, IniFaultTest,
    testing::Values(
        FaultCase { "NeitherHeaderKeyNorComment", WithLine("no equals sign"), 5,
            "'no equals sign' is neither a section header, a setting nor a comment; it is "
            "left out" },
        FaultCase { "LongLineIsQuotedShortBetweenCharacters",
            WithLine(std::string(39, 'x') + "\xC3\xA9xx"), 5,
            "'" + std::string(39, 'x')
                + "...' is neither a section header, a setting nor a comment; it is left out" },
        FaultCase { "LoneBracket", WithLine("["), 5,
            "'[' is neither a section header, a setting nor a comment; it is left out" },
        FaultCase { "KeyBeforeTheFirstHeader", "Early=1\r\n" + Customised, 1,
            "Early stands before the first section header; it is left out" },
        FaultCase { "HeaderWithoutItsBracket", "[Kept\r\n" + Customised.substr(25), 1,
            "the section header '[Kept' lacks its closing ']'; it is read as [Kept]", "Kept" },
        FaultCase { "HeaderWithTextAfterItsBracket", "[Kept] ; old\r\n" + Customised.substr(25), 1,
            "the section header '[Kept] ; old' has text after its ']'; it is read as [Kept]",
            "Kept" },
        FaultCase { "NulByteInAValue", WithLine("Top=4\0 5"s, "Left=265\r\n"), 6,
            "the value of Top holds a NUL byte; the default is used" },
        FaultCase { "ControlByteInAValue", WithLine("Top=\x04\x05", "Left=265\r\n"), 6,
            "the value of Top holds bytes that are not text; the default is used" },
        FaultCase { "NulBytesAtTheEnd", Customised + "\0\0\0\0"s, 10,
            "the line holds a NUL byte; it is left out" },
        FaultCase { "ControlBytesInTheKeyName", WithLine("T\x01op=5", "Left=265\r\n"), 6,
            "the line holds bytes that are not text; it is left out" },
        FaultCase { "UnparsableTypedValue", WithLine("Top=int64:x", "Left=265\r\n"), 6,
            "'x' is not a valid integer value for Top; the default is used" },
        FaultCase { "FewControlBytesAreStillText", Customised + "\x01\x02\x03\x04\x05"s, 10,
            "the line holds bytes that are not text; it is left out" }),
    [](const testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

class IniTextTest : public testing::Test {
protected:
    ScratchFolder folder;
    IniFile file { folder.File("Tornalo.ini") };
};

TEST_F(IniTextTest, ByteOrderMarkIsSkippedWithoutAFault)
{
    file.LoadImage("\xEF\xBB\xBF" + Customised);
    EXPECT_TRUE(file.ini.LoadFaults().Empty());
    EXPECT_EQ(file.storage.ReadInteger("\\MainForm.rsPropSaver1\\Width", 0), 476);
    EXPECT_EQ(file.storage.KeyItemCount(), 7);
    EXPECT_EQ(file.ini.KeyLine("\\MainForm.rsPropSaver1\\CheckBoxPause.Checked"), 2);
}

// Control bytes make a file binary when there are more than three in every
// hundred and they stand on most of its lines; fewer, or on few lines, cost
// only their own lines.
struct ControlBytesCase {
    const char* name;
    std::string image;
    bool binary;
};

class IniControlBytesTest : public testing::TestWithParam<ControlBytesCase> {
protected:
    ScratchFolder folder;
    IniFile file { folder.File("Tornalo.ini") };
};

TEST_P(IniControlBytesTest, OnlyAMostlyBinaryFileIsLeftUnread)
{
    const ControlBytesCase& bytes = GetParam();
    file.LoadImage(bytes.image);
    EXPECT_EQ(file.storage.KeyExist("\\S\\A"), !bytes.binary);
    EXPECT_EQ(file.storage.SectionExist("\\S"), !bytes.binary);
    EXPECT_EQ(file.ini.LoadFaults().Count(), 1);
    const std::string& text = file.ini.LoadFaults().First().Text;
    EXPECT_EQ(text.starts_with("the file is mostly not text"), bytes.binary) << text;
    EXPECT_EQ(text == "the line holds bytes that are not text; it is left out", !bytes.binary)
        << text;
}

INSTANTIATE_TEST_SUITE_P(Shares, IniControlBytesTest,
    testing::Values(
        ControlBytesCase { "ThreeInAHundred",
            "[S]\r\n" + std::string(3, '\x01') + "\r\nA=" + std::string(88, 'x'), false },
        ControlBytesCase { "FourInAHundredOnOneLineOfThree",
            "[S]\r\n" + std::string(4, '\x01') + "\r\nA=" + std::string(87, 'x'), false },
        ControlBytesCase { "OneStrayByteInASmallFile", "[S]\r\nA=1\r\nB\x01=2\r\n", false },
        ControlBytesCase { "OnMostLines",
            "[S]\r\nA=1\r\n\x01x\r\n\x02y\r\n\x03z\r\n\x04" + std::string(60, 'w'), true }),
    [](const testing::TestParamInfo<ControlBytesCase>& info) { return info.param.name; });

TEST_F(IniTextTest, EveryFaultIsCountedAndTheLoadReachesTheEnd)
{
    file.LoadImage("A=1\r\n[S]\r\njunk\r\nB=curr:x\r\n[T\r\nC=3\r\n");
    EXPECT_EQ(file.ini.LoadFaults().Count(), 4);
    EXPECT_EQ(file.ini.LoadFaults().First().Line, 1);
    EXPECT_EQ(file.storage.ReadInteger("\\T\\C", 0), 3);
    file.LoadImage(Customised);
    EXPECT_TRUE(file.ini.LoadFaults().Empty());
}

TEST_F(IniTextTest, KeyLinesFollowTheFileWhateverTheLineBreaksAndValues)
{
    file.LoadImage("[S]\r\nA=1\n\rB=hex:01,\\\r\n  02\rC=2\r\n[t]\r\nb=1\r\nB=2\r\n");
    EXPECT_EQ(file.ini.KeyLine("\\S\\A"), 2);
    EXPECT_EQ(file.ini.KeyLine("\\s\\b"), 4);
    EXPECT_EQ(file.ini.KeyLine("\\S\\C"), 6);
    EXPECT_EQ(file.ini.KeyLine("\\T\\B"), 9);
    EXPECT_EQ(file.ini.KeyLine("\\S\\Missing"), 0);
    file.ini.Template = { "; head", "; more", "%BODY%" };
    file.LoadImage("; head\r\n; more\r\n[S]\r\nA=1\r\n");
    EXPECT_EQ(file.ini.KeyLine("\\S\\A"), 4);
}

TEST(LoadFaultsTest, SummaryNamesTheLowestLineAndCountsTheRest)
{
    TrsLoadFaults faults;
    EXPECT_EQ(faults.Summary("Tornalo.ini"), "");
    faults.Add(7, "'abc' is not a valid integer value for Width; the default is used");
    EXPECT_EQ(faults.Summary("Tornalo.ini"),
        "Tornalo.ini, line 7: 'abc' is not a valid integer value for Width; the default is "
        "used.");
    faults.Add(9, "later");
    faults.Add(3, "earlier");
    faults.Add(3, "same line, added later");
    EXPECT_EQ(faults.Summary("Tornalo.ini"),
        "Tornalo.ini, line 3: earlier. 3 more lines could not be used either.");
    faults.Clear();
    faults.Add(4, "one");
    faults.Add(0, "the whole file");
    EXPECT_EQ(
        faults.Summary("a.ini"), "a.ini: the whole file. 1 more line could not be used either.");
}

} // namespace
