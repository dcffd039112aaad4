#include "widgets/acEdit.h"

#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "tests/support/QtPrinters.h"

namespace {

// The main window's Loops box: value 1, largest value 10.
class NumberEditTest : public testing::Test {
protected:
    void SetUp() override
    {
        edit.SetMaxValue(10);
        edit.SetValue(1);
        edit.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
        edit.setFocus();
        edit.setCursorPosition(edit.text().size());
    }

    void Clear()
    {
        edit.selectAll();
        QTest::keyClick(&edit, Qt::Key_Backspace);
    }

    TacNumberEdit edit;
};

} // namespace

TEST(NumberEditDefaults, StartsAtZeroInDecimalWithoutLimit)
{
    TacNumberEdit edit;
    EXPECT_EQ(edit.Kind(), TacNumberEdit::neDec);
    EXPECT_EQ(edit.Value(), 0u);
    EXPECT_EQ(edit.MaxValue(), 0);
    EXPECT_EQ(edit.text(), QStringLiteral("0"));
}

TEST_F(NumberEditTest, ElevenIsRefusedAndTheBoxKeepsOne)
{
    QTest::keyClicks(&edit, QStringLiteral("1"));
    EXPECT_EQ(edit.text(), QStringLiteral("1"));
    EXPECT_EQ(edit.Value(), 1u);
    EXPECT_EQ(edit.cursorPosition(), 1);
}

TEST_F(NumberEditTest, TenIsAccepted)
{
    QTest::keyClicks(&edit, QStringLiteral("0"));
    EXPECT_EQ(edit.text(), QStringLiteral("10"));
    EXPECT_EQ(edit.Value(), 10u);
}

TEST_F(NumberEditTest, ClearingGivesZero)
{
    Clear();
    EXPECT_EQ(edit.text(), QString());
    EXPECT_EQ(edit.Value(), 0u);
}

TEST_F(NumberEditTest, LeadingZeroIsRemovedAndTheCaretGoesToTheEnd)
{
    Clear();
    QTest::keyClicks(&edit, QStringLiteral("05"));
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
    EXPECT_EQ(edit.Value(), 5u);
    EXPECT_EQ(edit.cursorPosition(), 1);
}

TEST_F(NumberEditTest, ZeroTypedBeforeADigitKeepsTheCaretInPlace)
{
    edit.SetValue(5);
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, QStringLiteral("0"));
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
    EXPECT_EQ(edit.cursorPosition(), 0);
}

TEST_F(NumberEditTest, ZeroAfterZeroStaysOneZero)
{
    edit.SetValue(0);
    edit.setCursorPosition(1);
    QTest::keyClicks(&edit, QStringLiteral("0"));
    EXPECT_EQ(edit.text(), QStringLiteral("0"));
    EXPECT_EQ(edit.Value(), 0u);
}

TEST_F(NumberEditTest, LettersAndSignsCannotBeTyped)
{
    Clear();
    QTest::keyClicks(&edit, QStringLiteral("a-+ 7x."));
    EXPECT_EQ(edit.text(), QStringLiteral("7"));
    EXPECT_EQ(edit.Value(), 7u);
}

TEST_F(NumberEditTest, BackspaceAndDeleteWork)
{
    edit.SetValue(10);
    edit.setCursorPosition(2);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("1"));
    EXPECT_EQ(edit.Value(), 1u);
    edit.setCursorPosition(0);
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QString());
    EXPECT_EQ(edit.Value(), 0u);
}

TEST_F(NumberEditTest, RefusedKeyPutsBackTextAndCaret)
{
    edit.SetValue(1);
    edit.setCursorPosition(0);
    QTest::keyClicks(&edit, QStringLiteral("9"));
    EXPECT_EQ(edit.text(), QStringLiteral("1"));
    EXPECT_EQ(edit.cursorPosition(), 0);
    EXPECT_EQ(edit.Value(), 1u);
}

TEST_F(NumberEditTest, WritingAValueAboveTheMaximumShowsTheMaximum)
{
    edit.SetValue(25);
    EXPECT_EQ(edit.Value(), 10u);
    EXPECT_EQ(edit.text(), QStringLiteral("10"));
}

TEST_F(NumberEditTest, LoweringTheMaximumLowersTheValue)
{
    edit.SetValue(9);
    edit.SetMaxValue(4);
    EXPECT_EQ(edit.Value(), 4u);
    EXPECT_EQ(edit.text(), QStringLiteral("4"));
    edit.SetMaxValue(0);
    edit.SetValue(4000000000u);
    EXPECT_EQ(edit.text(), QStringLiteral("4000000000"));
}

TEST_F(NumberEditTest, PropertiesAreReachableByName)
{
    EXPECT_TRUE(edit.setProperty("Value", 7u));
    EXPECT_EQ(edit.property("Value").toUInt(), 7u);
    EXPECT_EQ(edit.property("MaxValue").toInt(), 10);
    EXPECT_TRUE(edit.setProperty("Kind", QStringLiteral("neBin")));
    EXPECT_EQ(edit.Kind(), TacNumberEdit::neBin);
    EXPECT_EQ(edit.text(), QStringLiteral("111"));
}

TEST(NumberEditUnlimited, NumberTooLargeForThirtyTwoBitsIsRefused)
{
    TacNumberEdit edit;
    edit.SetValue(4294967295u);
    edit.setCursorPosition(10);
    QTest::keyClicks(&edit, QStringLiteral("0"));
    EXPECT_EQ(edit.text(), QStringLiteral("4294967295"));
    EXPECT_EQ(edit.Value(), 4294967295u);
}

TEST(NumberEditUnlimited, PastedTextThatIsNoNumberIsPutBack)
{
    TacNumberEdit edit;
    edit.SetValue(12);
    edit.setCursorPosition(2);
    edit.insert(QStringLiteral("x"));
    emit edit.textEdited(edit.text());
    EXPECT_EQ(edit.text(), QStringLiteral("12"));
    EXPECT_EQ(edit.Value(), 12u);
}

TEST(NumberEditKinds, HexAcceptsBothCasesAndShowsUpperCase)
{
    TacNumberEdit edit;
    edit.SetKind(TacNumberEdit::neHex);
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("fFg1"));
    EXPECT_EQ(edit.text(), QStringLiteral("fF1"));
    EXPECT_EQ(edit.Value(), 0xFF1u);
    edit.SetValue(255);
    EXPECT_EQ(edit.text(), QStringLiteral("FF"));
}

TEST(NumberEditKinds, HexMaximumComparesDigitsWithoutCase)
{
    TacNumberEdit edit;
    edit.SetKind(TacNumberEdit::neHex);
    edit.SetMaxValue(0xAB);
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("a0"));
    EXPECT_EQ(edit.Value(), 0xA0u);
    QTest::keyClicks(&edit, QStringLiteral("0"));
    EXPECT_EQ(edit.text(), QStringLiteral("a0"));
}

TEST(NumberEditKinds, HexKeepsLeadingZerosButTheLengthRuleRefusesThem)
{
    TacNumberEdit edit;
    edit.SetKind(TacNumberEdit::neHex);
    edit.SetMaxValue(0xF);
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("0"));
    QTest::keyClicks(&edit, QStringLiteral("5"));
    EXPECT_EQ(edit.text(), QStringLiteral("0"));
    EXPECT_EQ(edit.Value(), 0u);
}

TEST(NumberEditKinds, BinaryTakesOnlyZeroAndOne)
{
    TacNumberEdit edit;
    edit.SetKind(TacNumberEdit::neBin);
    edit.selectAll();
    QTest::keyClicks(&edit, QStringLiteral("1021"));
    EXPECT_EQ(edit.text(), QStringLiteral("101"));
    EXPECT_EQ(edit.Value(), 5u);
    edit.SetKind(TacNumberEdit::neDec);
    EXPECT_EQ(edit.text(), QStringLiteral("5"));
}

TEST(NumberEditDialogKeys, EnterPressesTheDefaultButtonAndEscapeCancels)
{
    QDialog dialog;
    auto* edit = new TacNumberEdit(&dialog);
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->move(0, 40);
    ok->setDefault(true);
    int clicks = 0;
    QObject::connect(ok, &QPushButton::clicked, &dialog, [&clicks] { ++clicks; });
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(edit->text(), QStringLiteral("0"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(NumberEditText, ConvertsInEachBase)
{
    std::uint32_t value = 0;
    EXPECT_TRUE(ParseNumberEditText(QStringLiteral("0019"), TacNumberEdit::neDec, value));
    EXPECT_EQ(value, 19u);
    EXPECT_FALSE(ParseNumberEditText(QStringLiteral("4294967296"), TacNumberEdit::neDec, value));
    EXPECT_FALSE(ParseNumberEditText(QStringLiteral("12"), TacNumberEdit::neBin, value));
    EXPECT_FALSE(ParseNumberEditText(QString(), TacNumberEdit::neDec, value));
    EXPECT_EQ(NumberEditText(10, TacNumberEdit::neBin), QStringLiteral("1010"));
    EXPECT_EQ(NumberEditText(0, TacNumberEdit::neHex), QStringLiteral("0"));
}
