#include "SettingsFiles.h"

#include "settings/TextForms.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

const char ProgramFile[]
    = "[MainForm.rsPropSaver1]\r\n"
      "acNumberEditLoops.Value=1\r\n"
      "acSplitterPanelMain.SplitterPos=323\r\n"
      "CheckBoxAdvancedChaining.Checked=\"False\"\r\n"
      "CheckBoxAutoCopyClipboard.Checked=\"False\"\r\n"
      "CheckBoxPause.Checked=\"True\"\r\n"
      "CheckBoxResetAfterEach.Checked=\"False\"\r\n"
      "CheckBoxReverseOrder.Checked=\"False\"\r\n"
      "CheckBoxShowEach.Checked=\"False\"\r\n"
      "CheckBoxShowOriginalInOutput.Checked=\"True\"\r\n"
      "ChecklistString=\"2,13,15\"\r\n"
      "ComboBoxHomeLanguage.ItemIndex=9\r\n"
      "FormPlacement=\"0,1,-1,-1,-1,-1,265,279,741,806\"\r\n"
      "Height=527\r\n"
      "Left=265\r\n"
      "OriginalTextMemo.Lines=text:\"The weather is nice.$0D$0AWe will go out.\"\r\n"
      "Top=279\r\n"
      "Width=476\r\n"
      "\r\n";

// The saver writes its entries in its own order, not the file's.
void StoreProgramValues(TrsStorage& storage)
{
    storage.SetRootSection("MainForm.rsPropSaver1");
    storage.WriteInteger("Left", 265);
    storage.WriteInteger("Top", 279);
    storage.WriteInteger("Width", 476);
    storage.WriteInteger("Height", 527);
    storage.WriteString("CheckBoxShowEach.Checked", "False");
    storage.WriteInteger("acSplitterPanelMain.SplitterPos", 323);
    storage.WriteInteger("acNumberEditLoops.Value", 1);
    storage.WriteString("ChecklistString", "2,13,15");
    storage.WriteString("CheckBoxPause.Checked", "True");
    storage.WriteString("CheckBoxResetAfterEach.Checked", "False");
    storage.WriteString("CheckBoxReverseOrder.Checked", "False");
    storage.WriteString("OriginalTextMemo.Lines", "The weather is nice.\r\nWe will go out.");
    storage.WriteString("CheckBoxShowOriginalInOutput.Checked", "True");
    storage.WriteString("CheckBoxAutoCopyClipboard.Checked", "False");
    storage.WriteInteger("ComboBoxHomeLanguage.ItemIndex", 9);
    storage.WriteString("CheckBoxAdvancedChaining.Checked", "False");
    storage.WriteString("FormPlacement", "0,1,-1,-1,-1,-1,265,279,741,806");
}

class IniFileTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    IniFile file { folder.File("Tornalo.ini") };
    TrsStorage& storage = file.storage;

    // The value of one key after the image was loaded.
    TrsValue LoadedValue(const std::string& image, const std::string& key)
    {
        file.LoadImage(image);
        const int index = storage.KeyFindAddItem(key, false);
        return index < 0 ? TrsValue() : storage.GetKeyItem(index).Value;
    }
    std::string ImageOf(const std::function<void()>& write)
    {
        storage.ClearAll();
        storage.SetRootSection("S");
        write();
        return file.Image();
    }
};

TEST_F(IniFileTest, ProgramFileIsWrittenByteForByte)
{
    StoreProgramValues(storage);
    storage.Save();
    EXPECT_EQ(ReadFileBytes(folder.File("Tornalo.ini")), ProgramFile);
}

TEST_F(IniFileTest, ProgramFileReadsBackIntoTheSameTree)
{
    StoreProgramValues(storage);
    TrsStorage written;
    IniFile reread(folder.File("Tornalo.ini"));
    storage.Save();
    reread.storage.Load();
    ASSERT_EQ(reread.storage.KeyItemCount(), storage.KeyItemCount());
    for (int i = 0; i < storage.KeyItemCount(); ++i) {
        EXPECT_EQ(reread.storage.KeyFullName(i), storage.KeyFullName(i));
        EXPECT_TRUE(reread.storage.GetKeyItem(i).Value.EqualValue(storage.GetKeyItem(i).Value))
            << storage.KeyFullName(i);
    }
    EXPECT_EQ(reread.storage.ReadString("\\MainForm.rsPropSaver1\\OriginalTextMemo.Lines", ""),
        "The weather is nice.\r\nWe will go out.");
}

TEST_F(IniFileTest, MissingFileLoadsNothingAndFirstSaveCreatesIt)
{
    storage.WriteInteger("\\S\\K", 1);
    storage.Load();
    EXPECT_EQ(storage.KeyItemCount(), 0);
    storage.WriteInteger("\\S\\K", 1);
    storage.Save();
    EXPECT_EQ(ReadFileBytes(folder.File("Tornalo.ini")), "[S]\r\nK=1\r\n\r\n");
}

TEST_F(IniFileTest, UnknownSectionsAndKeysSurviveLoadAndSave)
{
    const std::string image = "[MainForm.rsPropSaver1]\r\nLeft=5\r\nUnknown=int64:7\r\n\r\n"
                              "[Other]\r\nA=\"x\"\r\n\r\n";
    WriteFileBytes(folder.File("Tornalo.ini"), image);
    storage.Load();
    storage.WriteInteger("\\MainForm.rsPropSaver1\\Left", 5);
    storage.Save();
    EXPECT_EQ(ReadFileBytes(folder.File("Tornalo.ini")), image);
}

// --- Key names -------------------------------------------------------------

TEST_F(IniFileTest, KeyNamesWithCommentMarksAreWrittenButSkippedOnLoad)
{
    for (const char* name : { "#a", ";b", "/c", "\\d" }) {
        const std::string image = "[S]\r\n" + std::string(name) + "=1\r\nkept=2\r\n";
        EXPECT_EQ(LoadedValue(image, std::string("\\S\\") + (name + 1)).Type, vtEmpty) << name;
        EXPECT_EQ(storage.KeyItemCount(), 1) << name;
    }
    storage.ClearAll();
    storage.GetKeyItem(storage.KeyFindAddItem("\\S\\x", true)).Name = "#hidden";
    EXPECT_NE(file.Image().find("#hidden=\r\n"), std::string::npos);
}

TEST_F(IniFileTest, KeyNameHoldingEqualsSignComesBackCut)
{
    const std::string image = ImageOf([&] {
        storage.KeyFindAddItem("a", true);
        storage.GetKeyItem(storage.KeyFindAddItem("a", false)).Name = "a=b";
        storage.Key().SetAsString("v");
    });
    EXPECT_EQ(image, "[S]\r\na=b=\"v\"\r\n\r\n");
    EXPECT_EQ(LoadedValue(image, "\\S\\a").Bytes, "b=\"v\"");
}

TEST_F(IniFileTest, BlanksBeforeKeyNameAreLostAndBlanksBeforeEqualsKept)
{
    EXPECT_EQ(LoadedValue("[S]\r\n   name =1\r\n", "\\S\\name ").Integer, 1);
    EXPECT_EQ(storage.KeyItemCount(), 1);
}

TEST_F(IniFileTest, KeysComeOutInCaseInsensitiveNameOrder)
{
    const std::string image = ImageOf([&] {
        storage.WriteInteger("b", 1);
        storage.WriteInteger("C", 2);
        storage.WriteInteger("a", 3);
    });
    EXPECT_EQ(image, "[S]\r\na=3\r\nb=1\r\nC=2\r\n\r\n");
}

// --- Strings -----------------------------------------------------------------

TEST_F(IniFileTest, QuotedStringGetsAnotherPairOfQuotesAndReadsBackWithItsOwn)
{
    const std::string image = ImageOf([&] { storage.WriteString("K", "\"x\""); });
    EXPECT_EQ(image, "[S]\r\nK=\"\"x\"\"\r\n\r\n");
    EXPECT_EQ(LoadedValue(image, "\\S\\K").Bytes, "\"x\"");
}

TEST_F(IniFileTest, StringWithLineBreakAndDollarComesBackThroughTextForm)
{
    const std::string image = ImageOf([&] { storage.WriteString("K", "a\r\nb$"); });
    EXPECT_EQ(image, "[S]\r\nK=text:\"a$0D$0Ab$$\"\r\n\r\n");
    EXPECT_EQ(LoadedValue(image, "\\S\\K").Bytes, "a\r\nb$");
}

TEST_F(IniFileTest, StringWithDollarOnlyIsQuotedWithoutDoubling)
{
    EXPECT_EQ(ImageOf([&] { storage.WriteString("K", "b$"); }), "[S]\r\nK=\"b$\"\r\n\r\n");
}

TEST_F(IniFileTest, StringWithNulByteIsEscapedSoNothingAfterItIsLost)
{
    const std::string text("a\0b", 3);
    const std::string image = ImageOf([&] { storage.WriteString("K", text); });
    EXPECT_EQ(image, "[S]\r\nK=text:\"a$00b\"\r\n\r\n");
    EXPECT_EQ(LoadedValue(image, "\\S\\K").Bytes, text);
}

TEST_F(IniFileTest, EmptyStringAndEmptyKeyWriteNothingAfterEquals)
{
    const std::string image = ImageOf([&] {
        storage.WriteString("A", "");
        storage.KeyFindAddItem("B", true);
    });
    EXPECT_EQ(image, "[S]\r\nA=\r\nB=\r\n\r\n");
    EXPECT_EQ(LoadedValue(image, "\\S\\B").Type, vtString);
}

TEST_F(IniFileTest, QuotedValueWithoutClosingQuoteKeepsItsOpeningQuote)
{
    EXPECT_EQ(LoadedValue("[S]\r\nK=\"abc\r\n", "\\S\\K").Bytes, "\"abc");
}

TEST_F(IniFileTest, TextFormDecodesEitherCaseAndNonHexAsZero)
{
    EXPECT_EQ(
        LoadedValue("[S]\r\nK=TEXT:\"$0a$4g\"\r\n", "\\S\\K").Bytes, std::string("\n\x40", 2));
}

TEST_F(IniFileTest, UnknownTextIsAStringUnchanged)
{
    EXPECT_EQ(LoadedValue("[S]\r\nK=yes\r\n", "\\S\\K").Bytes, "yes");
    EXPECT_EQ(LoadedValue("[S]\r\nK=Cat\r\n", "\\S\\K").Bytes, "Cat");
    EXPECT_EQ(LoadedValue("[S]\r\nK= 5\r\n", "\\S\\K").Bytes, " 5");
}

// --- Numbers -----------------------------------------------------------------

TEST_F(IniFileTest, ThirtyTwoBitLimitDecidesBetweenIntegerAndInt64)
{
    EXPECT_EQ(LoadedValue("[S]\r\nK=2147483647\r\n", "\\S\\K").Type, vtInteger);
    EXPECT_EQ(LoadedValue("[S]\r\nK=2147483648\r\n", "\\S\\K").Type, vtInt64);
    EXPECT_EQ(LoadedValue("[S]\r\nK=-2147483648\r\n", "\\S\\K").Type, vtInteger);
    EXPECT_EQ(LoadedValue("[S]\r\nK=-2147483649\r\n", "\\S\\K").Type, vtInt64);
    EXPECT_EQ(LoadedValue("[S]\r\nK=+12\r\n", "\\S\\K").Integer, 12);
}

TEST_F(IniFileTest, SixtyFourBitLimitDecidesBetweenInt64AndString)
{
    EXPECT_EQ(LoadedValue("[S]\r\nK=9223372036854775807\r\n", "\\S\\K").Int64, INT64_MAX);
    EXPECT_EQ(LoadedValue("[S]\r\nK=-9223372036854775808\r\n", "\\S\\K").Int64, INT64_MIN);
    EXPECT_EQ(LoadedValue("[S]\r\nK=9223372036854775808\r\n", "\\S\\K").Type, vtString);
    EXPECT_EQ(LoadedValue("[S]\r\nK=123456789012345678901\r\n", "\\S\\K").Type, vtString);
}

TEST_F(IniFileTest, SmallInt64IsWrittenWithPrefixAndReadsBackAsInt64)
{
    const std::string image = ImageOf([&] {
        storage.WriteInt64("A", 5);
        storage.WriteInt64("B", 5'000'000'000);
    });
    EXPECT_EQ(image, "[S]\r\nA=int64:5\r\nB=5000000000\r\n\r\n");
    EXPECT_EQ(LoadedValue(image, "\\S\\A").Type, vtInt64);
    EXPECT_EQ(LoadedValue(image, "\\S\\B").Int64, 5'000'000'000);
}

TEST_F(IniFileTest, WholeFloatIsWrittenWithPointZeroAndReadsBackAsFloat)
{
    const std::string image = ImageOf([&] {
        storage.WriteFloat("A", 2);
        storage.WriteFloat("B", 1.5);
    });
    EXPECT_EQ(image, "[S]\r\nA=2.0\r\nB=1.5\r\n\r\n");
    const TrsValue value = LoadedValue(image, "\\S\\A");
    EXPECT_EQ(value.Type, vtFloat);
    EXPECT_EQ(value.Real, 2.0);
}

TEST_F(IniFileTest, FloatsThatWouldNeedAnExponentReadBackAsFloats)
{
    for (double number : { 1e20, -3.5e-7, 1e300, 0.1 + 0.2 }) {
        const std::string image = ImageOf([&] { storage.WriteFloat("K", number); });
        const TrsValue value = LoadedValue(image, "\\S\\K");
        EXPECT_EQ(value.Type, vtFloat) << image;
        EXPECT_EQ(value.Real, number) << image;
    }
}

TEST_F(IniFileTest, CommaDecimalIsAStringThatStillReadsAsFloat)
{
    EXPECT_EQ(LoadedValue("[S]\r\nK=1,5\r\n", "\\S\\K").Type, vtString);
    EXPECT_EQ(storage.ReadFloat("\\S\\K", 0), 1.5);
}

// --- Booleans, points, currency, dates ----------------------------------------

TEST_F(IniFileTest, BooleansAreRecognisedInAnyCase)
{
    EXPECT_EQ(LoadedValue("[S]\r\nK=TRUE\r\n", "\\S\\K").Type, vtBoolean);
    EXPECT_EQ(LoadedValue("[S]\r\nK=false\r\n", "\\S\\K").Integer, 0);
    EXPECT_NE(LoadedValue("[S]\r\nK=True\r\n", "\\S\\K").Integer, 0);
    EXPECT_EQ(LoadedValue("[S]\r\nK=Truely\r\n", "\\S\\K").Type, vtString);
    EXPECT_EQ(ImageOf([&] { storage.WriteBoolean("K", true); }), "[S]\r\nK=True\r\n\r\n");
}

TEST_F(IniFileTest, PointCurrencyAndDateForms)
{
    const double date = EncodeDateTime({ 2010, 5, 3, 14, 7, 9, 0 });
    const std::string image = ImageOf([&] {
        storage.WritePoint("P", { -3, 40 });
        storage.WriteCurrency("C", { 15000 });
        storage.WriteDateTime("D", date);
        storage.WriteDateTime("M", EncodeDateTime({ 2010, 5, 3 }));
    });
    EXPECT_EQ(image,
        "[S]\r\nC=curr:1.5\r\nD=date:2010-05-03 14:07:09\r\nM=date:2010-05-03\r\n"
        "P=point:-3,40\r\n\r\n");
    EXPECT_EQ(LoadedValue(image, "\\S\\P").Point, (TPoint { -3, 40 }));
    EXPECT_EQ(LoadedValue(image, "\\S\\C").Int64, 15000);
    EXPECT_TRUE(LoadedValue(image, "\\S\\D").EqualValue(file.storage.GetKeyItem(1).Value));
}

TEST_F(IniFileTest, FixedDateFormKeepsMilliseconds)
{
    file.ini.FixedDateTimeFormat = true;
    const double date = EncodeDateTime({ 2010, 5, 3, 14, 7, 9, 5 });
    const std::string image = ImageOf([&] { storage.WriteDateTime("D", date); });
    EXPECT_EQ(image, "[S]\r\nD=fxdate:2010-05-03T14:07:09.5\r\n\r\n");
    const TrsValue value = LoadedValue(image, "\\S\\D");
    EXPECT_EQ(value.Type, vtDateTime);
    EXPECT_NEAR(value.Real, date, 1e-9);
}

TEST_F(IniFileTest, InvalidFixedDateIsReportedAndNotStored)
{
    for (const char* bad : { "2010-05-03 14:07:09.5", "2010-13-03T14:07:09.5" }) {
        file.LoadImage("[S]\r\nA=fxdate:" + std::string(bad) + "\r\nB=1\r\n");
        EXPECT_FALSE(storage.KeyExist("\\S\\A")) << bad;
        EXPECT_TRUE(storage.KeyExist("\\S\\B")) << bad;
        EXPECT_EQ(file.ini.LoadFaults().First().Text,
            "'" + std::string(bad) + "' is not a valid date and time for A; the default is used");
    }
}

TEST_F(IniFileTest, UnparsableTypedValueIsReportedAndTheLoadGoesOn)
{
    for (const char* bad : { "curr:x", "date:x", "int64:x", "point:1;2" }) {
        file.LoadImage("[S]\r\nA=1\r\nB=" + std::string(bad) + "\r\nC=2\r\n");
        EXPECT_TRUE(storage.KeyExist("\\S\\A")) << bad;
        EXPECT_FALSE(storage.KeyExist("\\S\\B")) << bad;
        EXPECT_TRUE(storage.KeyExist("\\S\\C")) << bad;
        EXPECT_EQ(file.ini.LoadFaults().Count(), 1) << bad;
        EXPECT_EQ(file.ini.LoadFaults().First().Line, 3) << bad;
    }
}

// --- Buffers -------------------------------------------------------------------

class IniBufferTest : public IniFileTest {
protected:
    std::string Bytes(int count)
    {
        std::string bytes;
        for (int i = 0; i < count; ++i)
            bytes += static_cast<char>(i * 37 + 1);
        return bytes;
    }
};

TEST_F(IniBufferTest, LongBufferWrapsOntoContinuationLinesAndReadsBack)
{
    const std::string bytes = Bytes(30);
    const std::string image = ImageOf([&] { storage.WriteBuffer("TenLetters", bytes.data(), 30); });
    const std::size_t body = image.find("hex:");
    const std::string value = image.substr(body, image.size() - body - 4);
    const std::size_t wrap = value.find(",\\\r\n  ");
    ASSERT_NE(wrap, std::string::npos) << image;
    EXPECT_EQ(value.find("\r\n", wrap + 4), std::string::npos) << "more than two lines";
    // The counter starts at 17 and passes 76 after the twentieth byte.
    const std::string firstLine = value.substr(4, wrap - 4);
    EXPECT_EQ(std::count(firstLine.begin(), firstLine.end(), ','), 19) << firstLine;
    EXPECT_EQ(LoadedValue(image, "\\S\\TenLetters").Bytes, bytes);
}

TEST_F(IniBufferTest, NoLineBreakIsInsertedBeforeALoneLastByte)
{
    for (int count : { 21, 22 }) {
        const std::string bytes = Bytes(count);
        const std::string image
            = ImageOf([&] { storage.WriteBuffer("TenLetters", bytes.data(), count); });
        EXPECT_EQ(image.find(",\\\r\n") != std::string::npos, count == 22) << image;
        EXPECT_EQ(LoadedValue(image, "\\S\\TenLetters").Bytes, bytes);
    }
}

TEST_F(IniBufferTest, CompactHexIsOneRunOfDigits)
{
    file.ini.CompactOptions = coHexStr;
    const std::string bytes = Bytes(30);
    const std::string image = ImageOf([&] { storage.WriteBuffer("TenLetters", bytes.data(), 30); });
    const std::size_t start = image.find("hex:") + 4;
    EXPECT_EQ(image.find("\r\n", start) - start, 60u);
    EXPECT_EQ(LoadedValue(image, "\\S\\TenLetters").Bytes, bytes);
}

TEST_F(IniBufferTest, HexAcceptsEitherCaseAndInvalidDigitsGiveAnEmptyBufferAndAreReported)
{
    EXPECT_EQ(LoadedValue("[S]\r\nK=HEX:ab,Cd\r\n", "\\S\\K").Bytes, "\xAB\xCD");
    const TrsValue invalid = LoadedValue("[S]\r\nK=hex:ab,c\r\nL=1\r\n", "\\S\\K");
    EXPECT_EQ(invalid.Type, vtBuffer);
    EXPECT_EQ(invalid.Bytes, "");
    EXPECT_EQ(file.ini.LoadFaults().First().Text,
        "'ab,c' is not a valid hexadecimal value for K; it is read as an empty value");
    EXPECT_EQ(LoadedValue("[S]\r\nK=hex:zz,\\\r\n  01\r\nL=1\r\n", "\\S\\L").Integer, 1);
    EXPECT_EQ(file.ini.LoadFaults().Count(), 1);
    EXPECT_EQ(LoadedValue("[S]\r\nK=hex:\r\n", "\\S\\K").Type, vtBuffer);
    EXPECT_TRUE(file.ini.LoadFaults().Empty());
}

TEST_F(IniBufferTest, ParsingGoesOnAfterTheLastContinuationLine)
{
    file.LoadImage("[S]\r\nK=hex:01,02,\\\r\n  03,\r\n  04\r\nL=5\r\n");
    EXPECT_EQ(storage.ReadString("\\S\\L", ""), "5");
    char bytes[8];
    EXPECT_EQ(storage.ReadBuffer("\\S\\K", bytes, 8), 4);
    EXPECT_EQ(std::string(bytes, 4), "\x01\x02\x03\x04");
}

// --- Sections and templates ------------------------------------------------------

TEST_F(IniFileTest, EmptySectionIsWrittenOnlyWithItsOption)
{
    storage.SectionAdd("\\Empty");
    storage.WriteInteger("\\Full\\K", 1);
    EXPECT_EQ(file.Image(), "[Full]\r\nK=1\r\n\r\n");
    storage.Options |= soSaveEmptySection;
    EXPECT_EQ(file.Image(), "[]\r\n[Empty]\r\n[Full]\r\nK=1\r\n\r\n");
}

TEST_F(IniFileTest, RootKeysAndNestedSectionsUseFullNames)
{
    storage.WriteInteger("\\R", 1);
    storage.WriteInteger("\\A\\B\\K", 2);
    const std::string image = file.Image();
    EXPECT_EQ(image, "[]\r\nR=1\r\n\r\n[A\\B]\r\nK=2\r\n\r\n");
    file.LoadImage(image);
    EXPECT_EQ(storage.ReadInteger("\\A\\B\\K", 0), 2);
    EXPECT_EQ(storage.ReadInteger("\\R", 0), 1);
}

TEST_F(IniFileTest, TemplateLinesSurroundTheBodyAndThePrefixIsSkippedOnLoad)
{
    file.ini.Template = { "; before", "%BODY%", "; after" };
    storage.WriteInteger("\\S\\K", 1);
    const std::string image = file.Image();
    EXPECT_EQ(image, "; before\r\n[S]\r\nK=1\r\n\r\n; after\r\n");
    EXPECT_TRUE(file.ini.IsTemplateStored());
    file.LoadImage("x=1\r\n  [no]\r\n" + image);
    EXPECT_EQ(storage.KeyItemCount(), 1);
    EXPECT_FALSE(storage.SectionExist("\\no"));
}

TEST_F(IniFileTest, TemplateWithoutMarkerGoesBeforeTheBody)
{
    file.ini.Template = { "; head" };
    storage.WriteInteger("\\S\\K", 1);
    EXPECT_EQ(file.Image(), "; head\r\n[S]\r\nK=1\r\n\r\n");
}

TEST_F(IniFileTest, TemplateRestOfJustALineBreakIsLeftOut)
{
    file.ini.Template = { "%BODY%", "" };
    storage.WriteInteger("\\S\\K", 1);
    EXPECT_EQ(file.Image(), "[S]\r\nK=1\r\n\r\n");
    EXPECT_TRUE(file.ini.IsTemplateStored());
    file.ini.Template = { "%BODY%" };
    EXPECT_FALSE(file.ini.IsTemplateStored());
}

TEST_F(IniFileTest, PiecesLargerThanTheWriteBufferKeepTheirPlace)
{
    const std::string large(10000, 'x');
    const std::string image = ImageOf([&] {
        storage.WriteString("A", "before");
        storage.WriteString("B", large);
        storage.WriteString("C", "after");
    });
    EXPECT_EQ(image, "[S]\r\nA=\"before\"\r\nB=\"" + large + "\"\r\nC=\"after\"\r\n\r\n");
}

TEST_F(IniFileTest, UtfSixteenFilesAreDecoded)
{
    std::string little = "\xFF\xFE", big = "\xFE\xFF";
    for (unsigned char c : std::string("[S]\r\nK=\"")) {
        little += { static_cast<char>(c), '\0' };
        big += { '\0', static_cast<char>(c) };
    }
    little += "\xE9\x00\"\x00"s;
    big += "\x00\xE9\x00\""s;
    EXPECT_EQ(LoadedValue(little, "\\S\\K").Bytes, "\xC3\xA9");
    EXPECT_EQ(LoadedValue(big, "\\S\\K").Bytes, "\xC3\xA9");
}

TEST_F(IniFileTest, ProgressCountsKeysAndReportsOnlyRisingPercentages)
{
    std::vector<int> reported;
    file.ini.OnProgress = [&](TrsComponent*, int percent) { reported.push_back(percent); };
    for (int i = 0; i < 7; ++i)
        storage.WriteInteger("\\S\\K" + std::to_string(i), i);
    storage.Save();
    ASSERT_FALSE(reported.empty());
    EXPECT_EQ(reported.back(), 100);
    EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    EXPECT_EQ(std::adjacent_find(reported.begin(), reported.end()), reported.end());
}

} // namespace
