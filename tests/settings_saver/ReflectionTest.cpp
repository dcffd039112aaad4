#include "platform/Reflection.h"
#include "TestForm.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using platform::FindProperty;
using platform::PropertyKind;

class ReflectionTest : public testing::Test {
protected:
    TestForm form;
    TestControl& control = *form.control;
};

TEST_F(ReflectionTest, LooksPropertiesUpIgnoringCase)
{
    EXPECT_EQ(FindProperty(form.pause, "Checked").Name(), "checked");
    EXPECT_EQ(FindProperty(&control, "COUNT").Name(), "Count");
    EXPECT_FALSE(FindProperty(&control, "Missing").IsValid());
}

TEST_F(ReflectionTest, OwnPropertyWinsOverTheBaseClassesOfOtherCase)
{
    // QWidget has a read-only "width"; the window's own "Width" is the frame.
    EXPECT_TRUE(FindProperty(&form, "Width").IsWritable());
    EXPECT_TRUE(FindProperty(&form, "width").IsWritable());
}

TEST_F(ReflectionTest, MapsEachTypeToItsKind)
{
    const std::pair<const char*, PropertyKind> expected[] = {
        { "Count", PropertyKind::Integer },
        { "Loops", PropertyKind::Integer },
        { "Flag", PropertyKind::Enumeration },
        { "Tone", PropertyKind::Enumeration },
        { "FontStyle", PropertyKind::Set },
        { "Ratio", PropertyKind::Float },
        { "Caption", PropertyKind::String },
        { "Bytes", PropertyKind::String },
        { "Lines", PropertyKind::StringList },
        { "Big", PropertyKind::Int64 },
        { "Any", PropertyKind::Variant },
        { "Partner", PropertyKind::Object },
        { "Area", PropertyKind::None },
    };
    for (const auto& [name, kind] : expected)
        EXPECT_EQ(FindProperty(&control, name).Kind(), kind) << name;
}

TEST_F(ReflectionTest, BooleanElementsAreFalseAndTrue)
{
    const auto flag = FindProperty(&control, "Flag");
    EXPECT_EQ(flag.ElementName(0), "False");
    EXPECT_EQ(flag.ElementName(1), "True");
    EXPECT_EQ(flag.ElementOrdinal("true"), 1);
    EXPECT_EQ(flag.ElementOrdinal("yes"), -1);
    ASSERT_TRUE(flag.SetOrdinal(1));
    EXPECT_TRUE(control.Flag);
}

TEST_F(ReflectionTest, EnumerationElementsAreTheirNames)
{
    const auto tone = FindProperty(&control, "Tone");
    EXPECT_EQ(tone.ElementName(2), "shDark");
    EXPECT_EQ(tone.ElementOrdinal("SHMEDIUM"), 1);
    ASSERT_TRUE(tone.SetOrdinal(2));
    EXPECT_EQ(control.Tone, TestControl::shDark);
    EXPECT_EQ(tone.Ordinal(), 2);
}

TEST_F(ReflectionTest, SetElementsAreIndexedByBitNumber)
{
    const auto style = FindProperty(&control, "FontStyle");
    EXPECT_EQ(style.SetElementNames(),
        (std::vector<std::string> { "fsBold", "fsItalic", "fsUnderline", "fsStrikeOut" }));
    EXPECT_EQ(style.ElementOrdinal("fsUnderline"), 2);
    ASSERT_TRUE(style.SetOrdinal(5));
    EXPECT_EQ(static_cast<int>(control.FontStyle), 5);
}

TEST_F(ReflectionTest, StringListTextSeparatesLinesByCrLf)
{
    const auto lines = FindProperty(&control, "Lines");
    ASSERT_TRUE(lines.SetStringListText("one\r\ntwo\nthree"));
    EXPECT_EQ(control.Lines,
        (QStringList { QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three") }));
    EXPECT_EQ(lines.StringListText(), "one\r\ntwo\r\nthree");
}

TEST_F(ReflectionTest, ReadOnlyPropertiesRefuseWrites)
{
    const auto fixed = FindProperty(&control, "Fixed");
    EXPECT_FALSE(fixed.SetOrdinal(3));
    EXPECT_EQ(fixed.Ordinal(), 7);
}

TEST_F(ReflectionTest, ObjectPropertiesTakeAnyQObject)
{
    const auto partner = FindProperty(&control, "Partner");
    ASSERT_TRUE(partner.SetObject(form.pause));
    EXPECT_EQ(partner.Object(), form.pause);
}

TEST_F(ReflectionTest, StringsAreUtf8Bytes)
{
    ASSERT_TRUE(FindProperty(&control, "Caption").SetString("caf\xC3\xA9"));
    EXPECT_EQ(control.Caption, QString::fromUtf8("café"));
    EXPECT_EQ(FindProperty(&control, "Caption").String(), "caf\xC3\xA9");
}

TEST_F(ReflectionTest, FindsOwnedComponentsAtAnyDepthIgnoringCase)
{
    auto* nested = new QCheckBox(form.control);
    nested->setObjectName(QStringLiteral("Inner"));
    EXPECT_EQ(platform::FindOwnedComponent(&form, "checkboxpause"), form.pause);
    EXPECT_EQ(platform::FindOwnedComponent(&form, "INNER"), nested);
    EXPECT_EQ(platform::FindOwnedComponent(&form, "Nobody"), nullptr);
}

TEST_F(ReflectionTest, ClassNamesRunFromTheClassToQObject)
{
    const auto names = platform::ClassAndAncestorNames(form.pause);
    ASSERT_GE(names.size(), 3u);
    EXPECT_EQ(names.front(), "QCheckBox");
    EXPECT_EQ(names.back(), "QObject");
}

TEST_F(ReflectionTest, OpenWindowsAreFoundByTheirExactName)
{
    EXPECT_EQ(platform::FindOpenWindow("TestForm"), &form);
    EXPECT_EQ(platform::FindOpenWindow("testform"), nullptr);
}

TEST_F(ReflectionTest, CollectionsAreRecognised)
{
    EXPECT_EQ(platform::AsCollection(form.collection), form.collection);
    EXPECT_EQ(platform::AsCollection(&control), nullptr);
}
