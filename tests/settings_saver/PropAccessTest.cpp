#include "TestForm.h"
#include "platform/WindowHooks.h"
#include "settings/TextForms.h"
#include "settings/saver/rsCustomProperties.h"
#include "settings/saver/rsPropAccess.h"
#include "tests/support/QtPrinters.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

class PropAccessTest : public testing::Test {
protected:
    PropAccessTest() { cell.SetTarget(&scratch); }

    // Reads the value a path names into the cell; false when it has none.
    bool Read(const std::string& path)
    {
        QObject* instance = &form;
        std::string rest = path;
        return FindInstance(instance, rest) && GetPropertyValueEx(context, instance, rest);
    }

    void Write(const std::string& path)
    {
        QObject* instance = &form;
        std::string rest = path;
        ASSERT_TRUE(FindInstance(instance, rest)) << path;
        SetPropertyValueEx(context, instance, rest);
    }

    void AddItems(std::initializer_list<int> values)
    {
        for (int value : values)
            static_cast<TestItem*>(form.collection->Add())->Value = value;
    }

    TestForm form;
    TestControl& control = *form.control;
    TrsValue scratch;
    TrsKeyWrapper cell;
    TrsPropertyContext context { &form, &cell, false };
};

TEST_F(PropAccessTest, PathToAControlPropertyResolvesToTheControl)
{
    QObject* instance = &form;
    std::string path = "CheckBoxPause.Checked";
    ASSERT_TRUE(FindInstance(instance, path));
    EXPECT_EQ(instance, form.pause);
    EXPECT_EQ(path, "Checked");
}

TEST_F(PropAccessTest, PlainNameResolvesToTheOwner)
{
    QObject* instance = &form;
    std::string path = "Left";
    ASSERT_TRUE(FindInstance(instance, path));
    EXPECT_EQ(instance, &form);
    EXPECT_EQ(path, "Left");
}

TEST_F(PropAccessTest, MissingComponentDoesNotResolve)
{
    QObject* instance = &form;
    std::string path = "LanguageComboBox.ItemIndex";
    EXPECT_FALSE(FindInstance(instance, path));
}

TEST_F(PropAccessTest, ComponentNameAloneResolvesToTheComponent)
{
    QObject* instance = &form;
    std::string path = "control";
    ASSERT_TRUE(FindInstance(instance, path));
    EXPECT_EQ(instance, &control);
    EXPECT_TRUE(path.empty());
}

TEST_F(PropAccessTest, ObjectPropertiesLeadFurtherAlongThePath)
{
    control.Partner = form.pause;
    form.pause->setChecked(false);
    ASSERT_TRUE(Read("Control.Partner.Checked"));
    EXPECT_EQ(cell.GetAsString(), "False");
}

TEST_F(PropAccessTest, BooleanIsKeptAsTheStringTrueOrFalse)
{
    ASSERT_TRUE(Read("CheckBoxPause.Checked"));
    EXPECT_EQ(cell.GetKeyType(), vtString);
    EXPECT_EQ(cell.GetAsString(), "True");
}

TEST_F(PropAccessTest, BooleanValueIsWrittenBackLikeItsText)
{
    cell.SetAsBoolean(false);
    Write("CheckBoxPause.Checked");
    EXPECT_FALSE(form.pause->isChecked());
    cell.SetAsString("true");
    Write("CheckBoxPause.Checked");
    EXPECT_TRUE(form.pause->isChecked());
}

TEST_F(PropAccessTest, UnknownElementNameWritesNothingAndIsReported)
{
    cell.SetAsString("maybe");
    EXPECT_THROW(Write("CheckBoxPause.Checked"), ConversionError);
    EXPECT_TRUE(form.pause->isChecked());
    cell.SetAsString("shNone");
    EXPECT_THROW(Write("Control.Tone"), ConversionError);
}

TEST_F(PropAccessTest, EnumerationIsKeptByElementName)
{
    control.Tone = TestControl::shDark;
    ASSERT_TRUE(Read("Control.Tone"));
    EXPECT_EQ(cell.GetAsString(), "shDark");
    cell.SetAsString("shMedium");
    Write("Control.Tone");
    EXPECT_EQ(control.Tone, TestControl::shMedium);
}

TEST_F(PropAccessTest, EmptySetIsKeptAsEmptyBrackets)
{
    ASSERT_TRUE(Read("Control.FontStyle"));
    EXPECT_EQ(cell.GetAsString(), "[]");
}

TEST_F(PropAccessTest, SetIsKeptAsItsNamesInAscendingOrder)
{
    control.FontStyle = TestControl::Styles(TestControl::fsUnderline | TestControl::fsBold);
    ASSERT_TRUE(Read("Control.FontStyle"));
    EXPECT_EQ(cell.GetAsString(), "[fsBold,fsUnderline]");
}

TEST_F(PropAccessTest, SetIsWrittenFromNamesOrFromBits)
{
    cell.SetAsString("[fsStrikeOut,fsItalic,fsNothing]");
    Write("Control.FontStyle");
    EXPECT_EQ(static_cast<int>(control.FontStyle), 10);
    cell.SetAsInteger(5);
    Write("Control.FontStyle");
    EXPECT_EQ(static_cast<int>(control.FontStyle), 5);
    cell.SetAsString("[]");
    Write("Control.FontStyle");
    EXPECT_EQ(static_cast<int>(control.FontStyle), 0);
}

TEST_F(PropAccessTest, NumbersKeepTheirTypes)
{
    control.Count = -12;
    control.Loops = 4000000000u;
    control.Ratio = 2.5;
    control.Big = 1LL << 40;
    ASSERT_TRUE(Read("Control.Count"));
    EXPECT_EQ(cell.GetKeyType(), vtInteger);
    EXPECT_EQ(cell.GetAsInteger(), -12);
    ASSERT_TRUE(Read("Control.Ratio"));
    EXPECT_EQ(cell.GetKeyType(), vtFloat);
    EXPECT_EQ(cell.GetAsFloat(), 2.5);
    ASSERT_TRUE(Read("Control.Big"));
    EXPECT_EQ(cell.GetKeyType(), vtInt64);
    EXPECT_EQ(cell.GetAsInt64(), 1LL << 40);
}

TEST_F(PropAccessTest, TextThatIsNoNumberRaisesTheConversionError)
{
    cell.SetAsString("abc");
    EXPECT_THROW(Write("Control.Count"), ConversionError);
    EXPECT_EQ(control.Count, 0);
}

TEST_F(PropAccessTest, StringListIsItsLinesSeparatedByCrLf)
{
    control.Lines = { QStringLiteral("The weather is nice."), QStringLiteral("We will go out.") };
    ASSERT_TRUE(Read("Control.Lines"));
    EXPECT_EQ(cell.GetAsString(), "The weather is nice.\r\nWe will go out.");
    cell.SetAsString("one\r\ntwo\r\n");
    Write("Control.Lines");
    EXPECT_EQ(control.Lines, (QStringList { QStringLiteral("one"), QStringLiteral("two") }));
}

TEST_F(PropAccessTest, EmptyStringListIsTheEmptyString)
{
    ASSERT_TRUE(Read("Control.Lines"));
    EXPECT_EQ(cell.GetKeyType(), vtString);
    EXPECT_EQ(cell.GetAsString(), "");
}

TEST_F(PropAccessTest, ComponentReferenceIsKeptByName)
{
    control.Partner = form.pause;
    ASSERT_TRUE(Read("Control.Partner"));
    EXPECT_EQ(cell.GetAsString(), "CheckBoxPause");
    control.Partner = nullptr;
    Write("Control.Partner");
    EXPECT_EQ(control.Partner, form.pause);
}

TEST_F(PropAccessTest, ComponentOfAnotherWindowIsKeptBehindItsWindowName)
{
    TestForm other;
    other.setObjectName(QStringLiteral("OtherForm"));
    control.Partner = other.pause;
    ASSERT_TRUE(Read("Control.Partner"));
    EXPECT_EQ(cell.GetAsString(), "OtherForm.CheckBoxPause");
    control.Partner = nullptr;
    Write("Control.Partner");
    EXPECT_EQ(control.Partner, other.pause);
}

TEST_F(PropAccessTest, UnknownComponentNameLeavesTheReference)
{
    control.Partner = form.pause;
    cell.SetAsString("Nowhere.Nobody");
    Write("Control.Partner");
    EXPECT_EQ(control.Partner, form.pause);
}

TEST_F(PropAccessTest, EmptyReferenceHasNoValue)
{
    EXPECT_FALSE(Read("Control.Partner"));
}

TEST_F(PropAccessTest, UnhandledKindAndUnknownPropertyHaveNoValue)
{
    EXPECT_FALSE(Read("Control.Area"));
    EXPECT_FALSE(Read("Control.Colour"));
}

TEST_F(PropAccessTest, VariantPropertyKeepsTheVariantsType)
{
    control.Any = QVariant(17);
    ASSERT_TRUE(Read("Control.Any"));
    EXPECT_EQ(cell.GetKeyType(), vtInteger);
    cell.SetAsString("seventeen");
    Write("Control.Any");
    EXPECT_EQ(control.Any, QVariant(QStringLiteral("seventeen")));
}

TEST_F(PropAccessTest, CollectionOfThreeIsKeptAsQuotedCommaList)
{
    AddItems({ 1, 2, 3 });
    ASSERT_TRUE(Read("Items.Value"));
    EXPECT_EQ(cell.GetAsString(), "\"1,2,3\"");
}

TEST_F(PropAccessTest, EmptyCollectionIsTheEmptyString)
{
    ASSERT_TRUE(Read("Items.Value"));
    EXPECT_EQ(cell.GetAsString(), "");
}

TEST_F(PropAccessTest, LoadingIntoFiveItemsFreesTheLastTwo)
{
    AddItems({ 9, 9, 9, 9, 9 });
    cell.SetAsString("\"1,2,3\"");
    Write("Items.Value");
    ASSERT_EQ(form.collection->Count(), 3);
    EXPECT_EQ(form.collection->items[2]->Value, 3);
    EXPECT_EQ(form.collection->updates, 0);
    EXPECT_EQ(cell.GetAsString(), "\"1,2,3\"");
}

TEST_F(PropAccessTest, LoadingAddsMissingItems)
{
    AddItems({ 9 });
    cell.SetAsString("\"4,5\"");
    Write("Items.Value");
    ASSERT_EQ(form.collection->Count(), 2);
    EXPECT_EQ(form.collection->items[1]->Value, 5);
}

TEST_F(PropAccessTest, KeptItemCountNeitherAddsNorFrees)
{
    context.KeepCollectionCount = true;
    AddItems({ 9, 9, 9, 9, 9 });
    cell.SetAsString("\"1,2,3\"");
    Write("Items.Value");
    ASSERT_EQ(form.collection->Count(), 5);
    EXPECT_EQ(form.collection->items[2]->Value, 3);
    EXPECT_EQ(form.collection->items[3]->Value, 9);
    form.collection->Free(4);
    form.collection->Free(3);
    form.collection->Free(2);
    cell.SetAsString("\"7,8,9,10\"");
    Write("Items.Value");
    EXPECT_EQ(form.collection->Count(), 2);
    EXPECT_EQ(form.collection->items[1]->Value, 8);
}

TEST_F(PropAccessTest, WholeComponentStateComesBack)
{
    control.Count = 42;
    control.Caption = QStringLiteral("two\r\nlines");
    control.Tone = TestControl::shDark;
    ASSERT_TRUE(Read("Control"));
    EXPECT_EQ(cell.GetKeyType(), vtBuffer);
    control.Count = 0;
    control.Caption.clear();
    control.Tone = TestControl::shLight;
    Write("Control");
    EXPECT_EQ(control.Count, 42);
    EXPECT_EQ(control.Caption, QStringLiteral("two\r\nlines"));
    EXPECT_EQ(control.Tone, TestControl::shDark);
}

TEST(GlobalComponentTest, PlainNameIsAComponentOfTheOwner)
{
    TestForm form;
    EXPECT_EQ(rsFindGlobalComponent(&form, "checkboxpause"), form.pause);
    EXPECT_EQ(rsFindGlobalComponent(&form, "Nobody"), nullptr);
}

TEST(GlobalComponentTest, WindowPartMustMatchExactly)
{
    TestForm form;
    EXPECT_EQ(rsFindGlobalComponent(nullptr, "TestForm.CheckBoxPause"), form.pause);
    EXPECT_EQ(rsFindGlobalComponent(nullptr, "testform.CheckBoxPause"), nullptr);
}

class CustomPropertiesTest : public testing::Test {
protected:
    TestForm form;
    TrsCustomProperties provider { &form };
    TrsComponent saver;
};

TEST_F(CustomPropertiesTest, BaseProviderSuppliesNothing)
{
    TrsAddInProperties base;
    EXPECT_TRUE(base.GetPropertyValue(&saver, form.control, "Anything").IsEmpty());
}

TEST_F(CustomPropertiesTest, FirstSuitableItemOfTheNameAnswers)
{
    TrsCustomProperty* widgets = provider.Properties()->AddItem();
    widgets->PropClass = "QWidget";
    widgets->PropName = "Shade";
    widgets->OnGetProperty = [](TrsComponent*, QObject*, Variant& value) { value = "widget"; };
    TrsCustomProperty* controls = provider.Properties()->AddItem();
    controls->PropClass = "TestControl";
    controls->PropName = "Shade";
    controls->OnGetProperty = [](TrsComponent*, QObject*, Variant& value) { value = "control"; };
    EXPECT_EQ(provider.GetPropertyValue(&saver, form.control, "shade"), Variant("widget"));
    widgets->InDescendants = false;
    EXPECT_EQ(provider.GetPropertyValue(&saver, form.control, "shade"), Variant("control"));
    EXPECT_TRUE(provider.GetPropertyValue(&saver, &form, "Other").IsEmpty());
}

TEST_F(CustomPropertiesTest, SetHandlerGetsACopyAndTheSender)
{
    TrsCustomProperty* item = provider.Properties()->AddItem();
    item->PropClass = "TestControl";
    item->PropName = "Shade";
    TrsComponent* sender = nullptr;
    Variant seen;
    item->OnSetProperty = [&](TrsComponent* from, QObject*, Variant& value) {
        sender = from;
        seen = value;
        value = "changed";
    };
    const Variant value("dark");
    provider.SetPropertyValue(&saver, form.control, "Shade", value);
    EXPECT_EQ(sender, &saver);
    EXPECT_EQ(seen, Variant("dark"));
    EXPECT_EQ(value, Variant("dark"));
}

class FormPlacementTextTest : public testing::Test {
protected:
    TestForm form;
};

TEST_F(FormPlacementTextTest, TextHoldsTenNumbers)
{
    form.show();
    form.move(265, 279);
    const QRect frame = form.frameGeometry();
    EXPECT_EQ(GetFormPlacement(&form),
        "0,1,-1,-1,-1,-1,265,279," + std::to_string(frame.right() + 1) + ","
            + std::to_string(frame.bottom() + 1));
}

TEST_F(FormPlacementTextTest, CentredWindowOpensWhereItWasLeft)
{
    platform::WindowEvents::Of(&form)->SetPosition(platform::WindowPosition::ScreenCenter);
    SetFormPlacement(&form, "0,1,-1,-1,-1,-1,20,30,420,330", pfpAll, false);
    form.show();
    EXPECT_EQ(form.frameGeometry(), QRect(20, 30, 400, 300));
    EXPECT_EQ(platform::WindowEvents::Of(&form)->Position(), platform::WindowPosition::Designed);
}

TEST_F(FormPlacementTextTest, MaximizedWindowRestoresToItsSavedRectangle)
{
    SetFormPlacement(&form, "0,3,-1,-1,-1,-1,20,30,420,330", pfpAll, false);
    form.show();
    QTRY_VERIFY(form.isMaximized());
    EXPECT_EQ(GetFormPlacement(&form), "0,3,-1,-1,-1,-1,20,30,420,330");
    form.showNormal();
    QTRY_COMPARE(form.frameGeometry(), QRect(20, 30, 400, 300));
}

TEST_F(FormPlacementTextTest, OnlyTheChosenPartsAreApplied)
{
    form.show();
    const QRect before = form.frameGeometry();
    SetFormPlacement(&form, "0,3,-1,-1,-1,-1,20,30,420,330", pfpSize, false);
    EXPECT_EQ(form.frameGeometry(), QRect(before.topLeft(), QSize(400, 300)));
    EXPECT_FALSE(form.isMaximized());
    SetFormPlacement(&form, "0,1,-1,-1,-1,-1,50,60,70,80", pfpPlacement, false);
    EXPECT_EQ(form.frameGeometry(), QRect(50, 60, 400, 300));
}

TEST_F(FormPlacementTextTest, MinimizedStateMayComeBackAsNormal)
{
    form.show();
    SetFormPlacement(&form, "0,2,-1,-1,-1,-1,20,30,420,330", pfpAll, true);
    EXPECT_FALSE(form.isMinimized());
    SetFormPlacement(&form, "0,2,-1,-1,-1,-1,20,30,420,330", pfpAll, false);
    EXPECT_TRUE(form.windowState() & Qt::WindowMinimized);
}

TEST_F(FormPlacementTextTest, TextWithoutTenFieldsIsIgnored)
{
    form.show();
    const QRect before = form.frameGeometry();
    SetFormPlacement(&form, "0,1,-1,-1,-1,-1,20,30,420", pfpAll, false);
    SetFormPlacement(&form, "", pfpAll, false);
    EXPECT_EQ(form.frameGeometry(), before);
}

TEST_F(FormPlacementTextTest, FieldThatIsNoIntegerRaises)
{
    EXPECT_THROW(
        SetFormPlacement(&form, "0,1,-1,-1,-1,-1,abc,30,420,330", pfpAll, false), ConversionError);
}

} // namespace
