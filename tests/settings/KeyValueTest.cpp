#include "settings/TextForms.h"
#include "settings/rsStorage.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

// A storage with one key per test, read through the storage's own wrapper.
class KeyValueTest : public ::testing::Test {
protected:
    TrsStorage storage;
    TrsKeyWrapper& key = storage.Key();

    void SetUp() override { storage.SetRootSection("MainForm.rsPropSaver1"); }
    TrsKeyWrapper& At(const std::string& name)
    {
        storage.KeyFindAddItem(name, true);
        return key;
    }
    std::string ErrorOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const std::exception& error) {
            return error.what();
        }
        return "no error";
    }
};

TEST_F(KeyValueTest, StringReadsAsInteger)
{
    storage.WriteString("K", "12");
    EXPECT_EQ(storage.ReadInteger("K", 0), 12);
}

TEST_F(KeyValueTest, NonNumericStringRaisesTheIntegerParserError)
{
    storage.WriteString("K", "abc");
    EXPECT_EQ(ErrorOf([&] { storage.ReadInteger("K", 0); }), "'abc' is not a valid integer value");
}

TEST_F(KeyValueTest, PointReadAsIntegerRaisesWithFullNameAndTypeWord)
{
    storage.WritePoint("Left", { 1, 2 });
    EXPECT_EQ(ErrorOf([&] { storage.ReadInteger("Left", 0); }),
        "TrsStorage get key value error: Can't read value of key "
        "\"\\MainForm.rsPropSaver1\\Left\" as integer type.");
    storage.WriteInteger("Left", 1);
    EXPECT_EQ(ErrorOf([&] {
        TPoint p;
        storage.ReadPoint("Left", p);
    }),
        "TrsStorage get key value error: Can't read value of key "
        "\"\\MainForm.rsPropSaver1\\Left\" as point type.");
}

TEST_F(KeyValueTest, RootKeyFullNameHasTwoBackslashes)
{
    storage.WritePoint("\\P", { 1, 2 });
    EXPECT_EQ(storage.KeyFullName(storage.KeyFindAddItem("\\P", false)), "\\\\P");
}

TEST_F(KeyValueTest, BooleanStringsAreCaseInsensitiveAndOthersRaise)
{
    storage.WriteString("K", "true");
    EXPECT_TRUE(storage.ReadBoolean("K", false));
    storage.WriteString("K", "FALSE");
    EXPECT_FALSE(storage.ReadBoolean("K", true));
    storage.WriteString("K", "yes");
    EXPECT_EQ(
        ErrorOf([&] { storage.ReadBoolean("K", false); }), "'yes' is not a valid boolean value");
}

TEST_F(KeyValueTest, FloatStringsAcceptCommaAndFullStop)
{
    storage.WriteString("K", "1,5");
    EXPECT_EQ(storage.ReadFloat("K", 0), 1.5);
    storage.WriteString("K", "1.5");
    EXPECT_EQ(storage.ReadFloat("K", 0), 1.5);
    storage.WriteString("K", "1.5x");
    EXPECT_THROW(storage.ReadFloat("K", 0), ConversionError);
}

TEST_F(KeyValueTest, CurrencyKeepsTheAmountFromFloatAndInteger)
{
    storage.WriteFloat("K", 1.5);
    EXPECT_EQ(storage.ReadCurrency("K", {}).Scaled, 15000);
    storage.WriteInteger("K", 7);
    EXPECT_EQ(storage.ReadCurrency("K", {}).Scaled, 70000);
    storage.WriteCurrency("K", { 15000 });
    EXPECT_EQ(storage.ReadFloat("K", 0), 1.5);
    EXPECT_EQ(storage.ReadString("K", ""), "1.5");
}

TEST_F(KeyValueTest, RoundingIsToNearestWithHalvesToEven)
{
    storage.WriteFloat("K", 2.5);
    EXPECT_EQ(storage.ReadInteger("K", 0), 2);
    storage.WriteFloat("K", 3.5);
    EXPECT_EQ(storage.ReadInt64("K", 0), 4);
    storage.WriteCurrency("K", { 25000 });
    EXPECT_EQ(storage.ReadInteger("K", 0), 2);
    storage.WriteCurrency("K", { -35000 });
    EXPECT_EQ(storage.ReadInteger("K", 0), -4);
    storage.WriteCurrency("K", { 15001 });
    EXPECT_EQ(storage.ReadInt64("K", 0), 2);
}

TEST_F(KeyValueTest, FloatTooLargeForIntegerRaisesInsteadOfWrapping)
{
    storage.WriteFloat("K", 1e20);
    EXPECT_THROW(storage.ReadInteger("K", 0), TrsException);
}

TEST_F(KeyValueTest, ConversionTableRejectsWhatItDoesNotTake)
{
    storage.WriteDateTime("D", 1.0);
    EXPECT_THROW(storage.ReadInt64("D", 0), TrsException);
    EXPECT_THROW(storage.ReadCurrency("D", {}), TrsException);
    EXPECT_THROW(storage.ReadBoolean("D", false), TrsException);
    storage.WriteBoolean("B", true);
    EXPECT_EQ(storage.ReadInteger("B", 0), 1);
    EXPECT_THROW(storage.ReadFloat("B", 0), TrsException);
    storage.WriteCurrency("C", { 1 });
    EXPECT_THROW(storage.ReadDateTime("C", 0), TrsException);
    storage.WriteInt64("I", int64_t { 1 } << 40 | 5);
    EXPECT_EQ(storage.ReadInteger("I", 0), 5) << "low 32 bits";
    int marker = 0;
    EXPECT_EQ(storage.ReadPointer("\\missing", &marker), &marker);
    storage.KeyFindAddItem("E", true);
    EXPECT_THROW(storage.ReadPointer("E", nullptr), TrsException);
}

TEST_F(KeyValueTest, EmptyCellReadsAsZeroEmptyAndFalse)
{
    storage.KeyFindAddItem("E", true);
    EXPECT_EQ(storage.ReadInteger("E", 5), 0);
    EXPECT_EQ(storage.ReadString("E", "x"), "");
    EXPECT_FALSE(storage.ReadBoolean("E", true));
    TPoint point { 3, 4 };
    storage.ReadPoint("E", point);
    EXPECT_EQ(point, (TPoint { 0, 0 }));
}

TEST_F(KeyValueTest, MissingKeysGiveTheDefaultAndNeverRaise)
{
    EXPECT_EQ(storage.ReadInteger("Missing", 7), 7);
    EXPECT_EQ(storage.ReadString("Missing", "d"), "d");
    TPoint point { 3, 4 };
    storage.ReadPoint("Missing", point);
    EXPECT_EQ(point, (TPoint { 3, 4 }));
    EXPECT_EQ(storage.ReadBuffer("Missing", nullptr, 0), 0);
    EXPECT_TRUE(storage.GetValue("Missing").IsEmpty());
    EXPECT_FALSE(storage.KeyExist("Missing"));
}

TEST_F(KeyValueTest, StringShowsEveryType)
{
    EXPECT_EQ((At("A").SetAsPoint({ -1, 2 }), key.GetAsString()), "(-1,2)");
    EXPECT_EQ((At("B").SetAsBoolean(false), key.GetAsString()), "False");
    EXPECT_EQ((At("C").SetAsBuffer("\x01\xAB", 2), key.GetAsString()), "01,AB");
    EXPECT_EQ((At("D").SetAsDateTime(EncodeDateTime({ 2001, 2, 3, 4, 5, 6 })), key.GetAsString()),
        "2001-02-03 04:05:06");
    EXPECT_EQ((At("E").SetAsFloat(0.25), key.GetAsString()), "0.25");
    EXPECT_EQ((At("F").SetAsInt64(-9), key.GetAsString()), "-9");
}

TEST_F(KeyValueTest, BufferReadsAsNumberOnlyWithTheExactWidth)
{
    const int32_t four = 0x01020304;
    At("K").SetAsBuffer(&four, 4);
    EXPECT_EQ(key.GetAsInteger(), four);
    EXPECT_THROW(key.GetAsInt64(), TrsException);
    const double eight = 2.25;
    key.SetAsBuffer(&eight, 8);
    EXPECT_EQ(key.GetAsFloat(), 2.25);
}

TEST_F(KeyValueTest, BufferCopiesAtMostTheGivenSize)
{
    At("K").SetAsString("abcdef");
    char bytes[4] = {};
    EXPECT_EQ(key.GetAsBuffer(nullptr, 0), 6);
    EXPECT_EQ(key.GetAsBuffer(bytes, 4), 4);
    EXPECT_EQ(std::string(bytes, 4), "abcd");
    key.SetAsInteger(1);
    EXPECT_EQ(key.GetAsBuffer(bytes, 4), 0);
}

TEST_F(KeyValueTest, StreamsCarryStringAndBufferBytes)
{
    std::istringstream source(std::string("a\0b", 3));
    storage.WriteStream("K", source);
    EXPECT_EQ(storage.GetKeyType("K"), vtBuffer);
    std::ostringstream target;
    storage.ReadStream("K", target);
    EXPECT_EQ(target.str(), std::string("a\0b", 3));
}

TEST_F(KeyValueTest, SettersKeepTheOptionWord)
{
    At("K").SetKeyOptions(0x41);
    key.SetAsString("x");
    key.SetAsPoint({ 1, 1 });
    EXPECT_EQ(storage.GetKeyOptions("K"), 0x41);
    EXPECT_EQ(storage.GetKeyOptions("Missing"), 0);
    key.SetKeyType(vtEmpty);
    EXPECT_EQ(storage.GetKeyType("K"), vtEmpty);
    EXPECT_EQ(storage.GetKeyType("Missing"), -1);
}

TEST_F(KeyValueTest, BooleanTrueHasAllBitsSetAndComparesByTruth)
{
    At("A").SetAsBoolean(true);
    EXPECT_EQ(key.Target()->Integer, -1);
    TrsValue other;
    other.Type = vtBoolean;
    other.Integer = 1;
    EXPECT_TRUE(key.EqualValue(other));
}

// --- Equality -------------------------------------------------------------------

TEST(EqualValue, EmptyCellsAreEqualAndDifferentTagsAreNot)
{
    TrsValue a, b;
    EXPECT_TRUE(a.EqualValue(b));
    TrsKeyWrapper wrapA, wrapB;
    wrapA.SetTarget(&a);
    wrapB.SetTarget(&b);
    wrapA.SetAsInteger(1);
    wrapB.SetAsBoolean(true);
    EXPECT_FALSE(a.EqualValue(b));
}

TEST(EqualValue, DateTimesWithinOneMillisecondAreEqual)
{
    TrsValue a, b;
    TrsKeyWrapper wrapA, wrapB;
    wrapA.SetTarget(&a);
    wrapB.SetTarget(&b);
    wrapA.SetAsDateTime(40000.5);
    wrapB.SetAsDateTime(40000.5 + 0.9 / 86'400'000);
    EXPECT_TRUE(a.EqualValue(b));
    wrapB.SetAsDateTime(40000.5 + 1.1 / 86'400'000);
    EXPECT_FALSE(a.EqualValue(b));
}

TEST(EqualValue, StringsCompareByExactBytes)
{
    TrsValue a, b;
    TrsKeyWrapper wrapA, wrapB;
    wrapA.SetTarget(&a);
    wrapB.SetTarget(&b);
    wrapA.SetAsString("Abc");
    wrapB.SetAsString("abc");
    EXPECT_FALSE(a.EqualValue(b));
    wrapB.SetAsString("Abc");
    EXPECT_TRUE(a.EqualValue(b));
}

TEST(AssignValue, CopiesOptionWordTagAndBytes)
{
    TrsValue source, target;
    TrsKeyWrapper wrap;
    wrap.SetTarget(&source);
    wrap.SetAsString("bytes");
    wrap.SetKeyOptions(3);
    TrsKeyWrapper other;
    other.SetTarget(&target);
    other.AssignValue(source);
    source.Bytes[0] = 'X';
    EXPECT_EQ(target.Bytes, "bytes");
    EXPECT_EQ(target.Options, 3);
    TrsValue back;
    other.AssignValueTo(back);
    EXPECT_TRUE(back.EqualValue(target));
}

// --- Variants -------------------------------------------------------------------

class VariantTest : public ::testing::Test {
protected:
    TrsValue cell;
    TrsKeyWrapper wrap;
    void SetUp() override { wrap.SetTarget(&cell); }
    uint16_t TagOf(const Variant& value)
    {
        wrap.SetAsVariant(value);
        return cell.Type;
    }
};

TEST_F(VariantTest, KindsMapToTags)
{
    EXPECT_EQ(TagOf(Variant()), vtEmpty);
    EXPECT_EQ(TagOf(Variant::Null()), vtEmpty);
    EXPECT_EQ(TagOf(Variant::SmallInt(-2)), vtInteger);
    EXPECT_EQ(TagOf(Variant::Byte(200)), vtInteger);
    EXPECT_EQ(TagOf(Variant(7)), vtInteger);
    EXPECT_EQ(TagOf(Variant::Single(1.5f)), vtFloat);
    EXPECT_EQ(TagOf(Variant(1.5)), vtFloat);
    EXPECT_EQ(TagOf(Variant::Currency({ 5 })), vtCurrency);
    EXPECT_EQ(TagOf(Variant::Date(2.0)), vtDateTime);
    EXPECT_EQ(TagOf(Variant::WideString("w")), vtString);
    EXPECT_EQ(TagOf(Variant("s")), vtString);
    EXPECT_EQ(TagOf(Variant(true)), vtBoolean);
    EXPECT_EQ(TagOf(Variant(int64_t { 5 })), vtInt64);
    EXPECT_EQ(TagOf(Variant::Array({ Variant(1) })), vtBuffer);
}

TEST_F(VariantTest, TagsMapBackToKinds)
{
    wrap.SetAsBuffer("ab", 2);
    EXPECT_EQ(wrap.GetAsVariant(), Variant("ab"));
    wrap.SetAsPointer(reinterpret_cast<void*>(12));
    EXPECT_EQ(wrap.GetAsVariant(), Variant(12));
    wrap.SetAsCurrency({ 30000 });
    EXPECT_EQ(wrap.GetAsVariant(), Variant::Currency({ 30000 }));
    wrap.SetAsDateTime(3.25);
    EXPECT_EQ(wrap.GetAsVariant(), Variant::Date(3.25));
    wrap.SetAsPoint({ 1, 2 });
    EXPECT_TRUE(wrap.GetAsVariant().IsEmpty());
    wrap.SetAsBoolean(true);
    EXPECT_EQ(wrap.GetAsVariant(), Variant(true));
}

TEST_F(VariantTest, ArraysRoundTripThroughABuffer)
{
    const Variant array = Variant::Array({ Variant::SmallInt(-3), Variant(70000),
        Variant::Single(0.5f), Variant(2.5), Variant::Currency({ 12345 }), Variant::Date(4.5),
        Variant::WideString("wide"), Variant("narrow"), Variant(true), Variant::Byte(255) });
    wrap.SetAsArray(array);
    EXPECT_EQ(cell.Type, vtBuffer);
    EXPECT_EQ(cell.Bytes.substr(0, 8), std::string("\x0A\0\0\0\x02\0\0\0", 8));
    EXPECT_EQ(wrap.GetAsArray(), array);
}

TEST_F(VariantTest, ArrayElementOfAnotherKindRaisesTheSetError)
{
    EXPECT_THROW(wrap.SetAsArray(Variant::Array({ Variant(int64_t { 1 }) })), TrsException);
    try {
        wrap.SetAsArray(Variant::Array({ Variant::Null() }));
    } catch (const TrsException& error) {
        EXPECT_EQ(error.Group(), egSetKeyValue);
        EXPECT_NE(std::string(error.what()).find("as array type."), std::string::npos);
    }
}

TEST_F(VariantTest, EmptyBufferGivesNoArrayAndGarbageRaises)
{
    wrap.SetAsBuffer("", 0);
    EXPECT_TRUE(wrap.GetAsArray().IsEmpty());
    wrap.SetAsBuffer("\x05\0\0\0", 4);
    EXPECT_THROW(wrap.GetAsArray(), TrsException);
}

// --- Text forms -------------------------------------------------------------------

TEST(TextForms, DateTimeEncodingCountsDaysFromTheEndOf1899)
{
    EXPECT_EQ(EncodeDateTime({ 1899, 12, 30 }), 0.0);
    EXPECT_EQ(EncodeDateTime({ 1900, 1, 1, 12 }), 2.5);
    EXPECT_EQ(EncodeDateTime({ 2000, 3, 1 }), 36586.0);
    EXPECT_THROW(EncodeDateTime({ 2010, 13, 1 }), ConversionError);
    EXPECT_THROW(EncodeDateTime({ 2010, 2, 29 }), ConversionError);
    const DateTimeParts parts = DecodeDateTime(EncodeDateTime({ 1850, 6, 7, 8, 9, 10, 11 }));
    EXPECT_EQ(parts.Year, 1850);
    EXPECT_EQ(parts.Day, 7);
    EXPECT_EQ(parts.Millisecond, 11);
}

TEST(TextForms, DateTimeTextLeavesTheTimeOutAtMidnight)
{
    EXPECT_EQ(DateTimeToText(EncodeDateTime({ 2024, 2, 29 })), "2024-02-29");
    EXPECT_EQ(TextToDateTime("2024-02-29 23:59:59"), EncodeDateTime({ 2024, 2, 29, 23, 59, 59 }));
    EXPECT_THROW(TextToDateTime("29.02.2024"), ConversionError);
}

TEST(TextForms, CurrencyTextHasUpToFourDecimals)
{
    EXPECT_EQ(CurrencyToText(-5), "-0.0005");
    EXPECT_EQ(CurrencyToText(INT64_MIN), "-922337203685477.5808");
    EXPECT_EQ(TextToCurrency("-922337203685477.5808"), INT64_MIN);
    EXPECT_EQ(TextToCurrency("1,25"), 12500);
    EXPECT_THROW(TextToCurrency("1.00001"), ConversionError);
    EXPECT_THROW(TextToCurrency("922337203685477.5808"), ConversionError);
}

TEST(TextForms, IntegerParserChecksRange)
{
    EXPECT_EQ(TextToInteger("-2147483648"), INT32_MIN);
    EXPECT_THROW(TextToInteger("2147483648"), ConversionError);
    EXPECT_EQ(TextToInteger("$ff"), 255);
    EXPECT_THROW(TextToInteger(""), ConversionError);
    EXPECT_THROW(TextToInteger("1 "), ConversionError);
}

TEST(TextForms, ComparisonIgnoresAsciiCaseOnly)
{
    EXPECT_EQ(CompareText("Left", "LEFT"), 0);
    EXPECT_LT(CompareText("a", "B"), 0);
    EXPECT_LT(CompareText("Z", "_"), 0) << "letters compare as upper case";
    EXPECT_NE(CompareText("\xC3\xA9", "\xC3\x89"), 0);
}

} // namespace
