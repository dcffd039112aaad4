#include "app/CheckListBox.h"
#include "app/ComboBox.h"
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "platform/UserInterface.h"
#include "run/LanguageTable.h"
#include "settings/saver/rsPropAccess.h"
#include "tests/support/Child.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/ReadOnlyFolder.h"
#include "tests/support/TemporaryFolder.h"
#include "widgets/acEdit.h"
#include "widgets/acSplitterPanel.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

const char* const kKeptBoxes[] = {
    "CheckBoxShowEach",
    "CheckBoxPause",
    "CheckBoxResetAfterEach",
    "CheckBoxReverseOrder",
    "CheckBoxShowOriginalInOutput",
    "CheckBoxAutoCopyClipboard",
    "CheckBoxAdvancedChaining",
    "CheckBoxUntilStable",
};

class MainFormKeptValuesTest : public testing::Test {
protected:
    MainFormKeptValuesTest()
    {
        previousHandler = platform::SetMessageBoxHandler([this](const platform::MessageRequest& r) {
            messages.push_back(r.text);
            return platform::IdOk;
        });
    }
    ~MainFormKeptValuesTest() override { platform::SetMessageBoxHandler(previousHandler); }

    std::unique_ptr<TMainForm> OpenWindow() { return std::make_unique<TMainForm>(folder.Path()); }

    // The expected text with {ini} replaced by the settings file's path.
    std::string WithPath(std::string text) const
    {
        for (std::size_t at; (at = text.find("{ini}")) != std::string::npos;)
            text.replace(at, 5, folder.File("Tornalo.ini"));
        return text;
    }

    static QCheckBox* Box(TMainForm& form, const char* name)
    {
        return &Child<QCheckBox>(form, name);
    }

    std::string FileBytes(const std::string& name = "Tornalo.ini") const
    {
        std::ifstream file(folder.File(name), std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }

    // The value of a key of the file's window section.
    std::string Key(const std::string& name) const
    {
        const std::string text = FileBytes();
        const std::size_t at = text.find("\r\n" + name + "=");
        if (at == std::string::npos)
            return {};
        const std::size_t start = at + name.size() + 3;
        return text.substr(start, text.find("\r\n", start) - start);
    }

    void WriteFile(const std::string& bytes) const
    {
        std::ofstream(folder.File("Tornalo.ini"), std::ios::binary) << bytes;
    }

    TemporaryFolder folder;
    std::vector<std::string> messages;
    platform::MessageBoxHandler previousHandler;
};

TEST_F(MainFormKeptValuesTest, FirstCloseWritesTheEighteenKeys)
{
    auto form = OpenWindow();
    form->show();
    const std::string left = std::to_string(form->Left());
    const std::string top = std::to_string(form->Top());
    const std::string width = std::to_string(form->Width());
    const std::string height = std::to_string(form->Height());
    const std::string placement = GetFormPlacement(form.get());
    const std::string splitterPos
        = std::to_string(Child<TacSplitterPanel>(*form, "acSplitterPanelMain").SplitterPos());
    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_EQ(FileBytes(),
        "[MainForm.rsPropSaver1]\r\n"
        "acNumberEditLoops.Value=1\r\n"
        "acSplitterPanelMain.SplitterPos="
            + splitterPos
            + "\r\n"
              "CheckBoxAdvancedChaining.Checked=\"False\"\r\n"
              "CheckBoxAutoCopyClipboard.Checked=\"False\"\r\n"
              "CheckBoxPause.Checked=\"True\"\r\n"
              "CheckBoxResetAfterEach.Checked=\"False\"\r\n"
              "CheckBoxReverseOrder.Checked=\"False\"\r\n"
              "CheckBoxShowEach.Checked=\"False\"\r\n"
              "CheckBoxShowOriginalInOutput.Checked=\"True\"\r\n"
              "CheckBoxUntilStable.Checked=\"False\"\r\n"
              "ChecklistString=\r\n"
              "ComboBoxHomeLanguage.ItemIndex=9\r\n"
              "FormPlacement=\""
            + placement + "\"\r\nHeight=" + height + "\r\nLeft=" + left
            + "\r\nOriginalTextMemo.Lines=\r\nTop=" + top + "\r\nWidth=" + width + "\r\n\r\n");
    EXPECT_EQ(placement.substr(0, 14), "0,1,-1,-1,-1,-");
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainFormKeptValuesTest, EverythingSetUpComesBackInANewWindow)
{
    auto form = OpenWindow();
    for (const char* name : kKeptBoxes)
        Box(*form, name)->setChecked(!Box(*form, name)->isChecked());
    Child<TComboBox>(*form, "ComboBoxHomeLanguage").SetItemIndex(13);
    Child<TacNumberEdit>(*form, "acNumberEditLoops").SetValue(7);
    for (int row : { 0, 13, 40 })
        Child<TCheckListBox>(*form, "CheckListBoxLangs").SetChecked(row, true);
    Child<TMemo>(*form, "OriginalTextMemo").SetText("The weather is nice.\r\nWe will go out.");
    form->show();
    TacSplitterPanel& splitter = Child<TacSplitterPanel>(*form, "acSplitterPanelMain");
    splitter.SetSplitterPos(350);
    const int splitterPos = splitter.SplitterPos();
    form->move(30, 40);
    form->SetWidth(600);
    form->SetHeight(560);
    const QRect normal = form->frameGeometry();
    form->showMaximized();
    QTRY_VERIFY(form->isMaximized());
    ASSERT_TRUE(form->close());
    form.reset();

    const std::string text = FileBytes();
    EXPECT_NE(text.find("ChecklistString=\"0,13,40\"\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("SplitterPos=" + std::to_string(splitterPos) + "\r\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("OriginalTextMemo.Lines=text:\"The weather is nice.$0D$0AWe will go "
                        "out.\"\r\n"),
        std::string::npos)
        << text;
    EXPECT_NE(text.find("FormPlacement=\"0,3,-1,-1,-1,-1,30,40,630,600\"\r\n"), std::string::npos)
        << text;

    auto again = OpenWindow();
    for (const char* name : kKeptBoxes)
        EXPECT_EQ(Box(*again, name)->isChecked(),
            std::string(name) != "CheckBoxPause"
                && std::string(name) != "CheckBoxShowOriginalInOutput")
            << name;
    EXPECT_EQ(Child<TComboBox>(*again, "ComboBoxHomeLanguage").ItemIndex(), 13);
    EXPECT_EQ(Child<TacNumberEdit>(*again, "acNumberEditLoops").Value(), 7u);
    EXPECT_EQ(Child<TMemo>(*again, "OriginalTextMemo").Text(),
        "The weather is nice.\r\nWe will go out.\r\n");
    std::vector<int> ticked;
    const TCheckListBox& languages = Child<TCheckListBox>(*again, "CheckListBoxLangs");
    for (int row = 0; row < languages.Count(); ++row) {
        if (languages.Checked(row))
            ticked.push_back(row);
    }
    EXPECT_EQ(ticked, (std::vector<int> { 0, 13, 40 }));
    again->show();
    EXPECT_EQ(Child<TacSplitterPanel>(*again, "acSplitterPanelMain").SplitterPos(), splitterPos);
    QTRY_VERIFY(again->isMaximized());
    again->showNormal();
    QTRY_COMPARE(again->frameGeometry(), normal);
    EXPECT_TRUE(messages.empty());
}

// A file written before "Until Stable" existed loads whole; the box keeps its
// default and its key joins the file at the next save.
TEST_F(MainFormKeptValuesTest, FileWithoutTheUntilStableKeyLoadsAndGainsIt)
{
    WriteFile("[MainForm.rsPropSaver1]\r\nCheckBoxPause.Checked=\"False\"\r\n"
              "ChecklistString=\"13,15\"\r\nacNumberEditLoops.Value=3\r\n\r\n");
    auto form = OpenWindow();
    EXPECT_FALSE(Child<QCheckBox>(*form, "CheckBoxPause").isChecked());
    EXPECT_EQ(Child<TacNumberEdit>(*form, "acNumberEditLoops").Value(), 3u);
    EXPECT_TRUE(Child<TCheckListBox>(*form, "CheckListBoxLangs").Checked(15));
    EXPECT_FALSE(Child<QCheckBox>(*form, "CheckBoxUntilStable").isChecked());
    Child<QCheckBox>(*form, "CheckBoxUntilStable").setChecked(true);
    form->show();
    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_NE(FileBytes().find("\r\nCheckBoxUntilStable.Checked=\"True\"\r\n"), std::string::npos)
        << FileBytes();
    EXPECT_TRUE(Child<QCheckBox>(*OpenWindow(), "CheckBoxUntilStable").isChecked());
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainFormKeptValuesTest, KeysTheWindowDoesNotKnowSurviveAndMissingControlsLoseTheirs)
{
    WriteFile("[Elsewhere]\r\nKey=\"kept\"\r\n\r\n[MainForm.rsPropSaver1]\r\n"
              "CheckBoxDoubleChain.Checked=\"True\"\r\nExtra=5\r\n"
              "LanguageComboBox.ItemIndex=4\r\n\r\n");
    auto form = OpenWindow();
    form->show();
    form->close();
    form.reset();
    const std::string text = FileBytes();
    EXPECT_EQ(text.substr(0, 28), "[Elsewhere]\r\nKey=\"kept\"\r\n\r\n[") << text;
    EXPECT_NE(text.find("\r\nExtra=5\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("CheckBoxDoubleChain"), std::string::npos) << text;
    EXPECT_EQ(text.find("LanguageComboBox"), std::string::npos) << text;
}

TEST_F(MainFormKeptValuesTest, PlacementBringsTheCentredWindowWhereItWasLeft)
{
    WriteFile("[MainForm.rsPropSaver1]\r\nFormPlacement=\"0,1,-1,-1,-1,-1,12,34,512,534\"\r\n\r\n");
    auto form = OpenWindow();
    form->show();
    EXPECT_EQ(form->frameGeometry(), QRect(12, 34, 500, 500));
}

TEST_F(MainFormKeptValuesTest, DamagedFileOpensTheWindowAndIsKeptAsBackup)
{
    const std::string damaged = "[MainForm.rsPropSaver1]\r\nCheckBoxPause.Checked=\"False\"\r\n"
                                "Left=curr:abc\r\n\r\n";
    WriteFile(damaged);
    auto form = OpenWindow();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(Child<QCheckBox>(*form, "CheckBoxPause").isChecked());
    form->show();
    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_EQ(FileBytes("Tornalo.ini.bak"), damaged);
    const std::string text = FileBytes();
    EXPECT_NE(text.find("CheckBoxPause.Checked=\"False\"\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("curr:"), std::string::npos) << text;
    EXPECT_EQ(messages.size(), 1u);
}

// A user's file: every value differs from the window's design.
const std::string Customised = "[MainForm.rsPropSaver1]\r\n"
                               "acNumberEditLoops.Value=7\r\n"
                               "CheckBoxPause.Checked=\"False\"\r\n"
                               "CheckBoxShowEach.Checked=\"True\"\r\n"
                               "ChecklistString=\"2,13,15\"\r\n"
                               "ComboBoxHomeLanguage.ItemIndex=13\r\n"
                               "FormPlacement=\"0,1,-1,-1,-1,-1,30,40,530,560\"\r\n"
                               "OriginalTextMemo.Lines=\"Good morning\"\r\n"
                               "Width=500\r\n"
                               "\r\n";

const char* const GoodLines[] = {
    "acNumberEditLoops.Value=7\r\n",
    "CheckBoxPause.Checked=\"False\"\r\n",
    "CheckBoxShowEach.Checked=\"True\"\r\n",
    "ChecklistString=\"2,13,15\"\r\n",
    "ComboBoxHomeLanguage.ItemIndex=13\r\n",
    "OriginalTextMemo.Lines=\"Good morning\"\r\n",
};

std::string Replaced(const std::string& line, const std::string& by)
{
    std::string image = Customised;
    return image.replace(image.find(line), line.size(), by);
}

// {ini} stands for the settings file's full path.
const std::string Kept = " The file as it was is kept in {ini}.bak.";
const std::string NotText = "{ini}: the file is mostly not text (*% of its bytes are control "
                            "bytes), so it is not read; the defaults are used."
    + Kept;

// The expected text may hold one "*" standing for any text.
bool MatchesPattern(const std::string& text, const std::string& pattern)
{
    const std::size_t star = pattern.find('*');
    if (star == std::string::npos)
        return text == pattern;
    const std::string tail = pattern.substr(star + 1);
    return text.size() >= pattern.size() - 1 && text.starts_with(pattern.substr(0, star))
        && text.ends_with(tail);
}

// Bytes of every value, NUL and other control bytes among them, the same in
// every run.
std::string JunkBytes(std::size_t size)
{
    std::string bytes(size, '\0');
    uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245 + 12345;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

struct DamagedCase {
    const char* name;
    std::string text;
    // Empty when the file must load without a word.
    std::string message;
    // Bytes of junk after the text, made when the test runs.
    std::size_t junk = 0;
    bool valuesKept = true;
};

class DamagedSettingsTest : public MainFormKeptValuesTest,
                            public testing::WithParamInterface<DamagedCase> {
protected:
    void ExpectCustomisedValues(TMainForm& form)
    {
        EXPECT_EQ(Child<TacNumberEdit>(form, "acNumberEditLoops").Value(), 7u);
        EXPECT_FALSE(Child<QCheckBox>(form, "CheckBoxPause").isChecked());
        EXPECT_TRUE(Child<QCheckBox>(form, "CheckBoxShowEach").isChecked());
        EXPECT_TRUE(Child<TCheckListBox>(form, "CheckListBoxLangs").Checked(13));
        EXPECT_EQ(Child<TComboBox>(form, "ComboBoxHomeLanguage").ItemIndex(), 13);
        EXPECT_EQ(Child<TMemo>(form, "OriginalTextMemo").Text(), "Good morning\r\n");
    }
};

TEST_P(DamagedSettingsTest, UserKeepsEveryGoodValueAndTheOldFileIsKept)
{
    const DamagedCase& damaged = GetParam();
    const std::string image = damaged.text + JunkBytes(damaged.junk);
    WriteFile(image);
    auto form = OpenWindow();
    if (damaged.message.empty()) {
        EXPECT_TRUE(messages.empty()) << messages.front();
    } else {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(MatchesPattern(messages[0], WithPath(damaged.message))) << messages[0];
    }
    if (damaged.valuesKept)
        ExpectCustomisedValues(*form);
    else
        EXPECT_TRUE(Child<QCheckBox>(*form, "CheckBoxPause").isChecked());
    form->show();
    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_EQ(messages.size(), damaged.message.empty() ? 0u : 1u);
    EXPECT_EQ(std::filesystem::exists(folder.File("Tornalo.ini.bak")), !damaged.message.empty());
    if (!damaged.message.empty()) {
        EXPECT_TRUE(FileBytes("Tornalo.ini.bak") == image);
    }
    const std::string text = FileBytes();
    EXPECT_LT(text.size(), 1000u);
    EXPECT_TRUE(text.starts_with("[MainForm.rsPropSaver1]\r\n")) << text;
    for (const char* line : GoodLines)
        EXPECT_EQ(text.find(line) != std::string::npos, damaged.valuesKept) << line << text;
}

INSTANTIATE_TEST_SUITE_P(Faults, DamagedSettingsTest,
    testing::Values(
        DamagedCase { "BadInteger", Replaced("Width=500", "Width=abc"),
            "{ini}, line 9: 'abc' is not a valid integer value for Width; the default is "
            "used."
                + Kept },
        DamagedCase { "ByteOrderMark", "\xEF\xBB\xBF" + Customised, "" },
        DamagedCase { "HeaderWithoutItsBracket",
            Replaced("[MainForm.rsPropSaver1]", "[MainForm.rsPropSaver1"),
            "{ini}, line 1: the section header '[MainForm.rsPropSaver1' lacks its closing "
            "']'; it is read as [MainForm.rsPropSaver1]."
                + Kept },
        DamagedCase { "NulByte", Replaced("Width=500", std::string("Width=5\0\0", 9)),
            "{ini}, line 9: the value of Width holds a NUL byte; the default is used." + Kept },
        DamagedCase { "BadCheckBoxValue",
            Replaced("ComboBoxHomeLanguage.ItemIndex=13",
                "ComboBoxHomeLanguage.ItemIndex=13\r\nCheckBoxReverseOrder.Checked=\"maybe\""),
            "{ini}, line 7: 'maybe' is not a valid value for CheckBoxReverseOrder.Checked; "
            "the default is used."
                + Kept },
        DamagedCase { "BadPlacement",
            Replaced("0,1,-1,-1,-1,-1,30,40,530,560", "0,1,-1,-1,-1,-1,x,40,530,560"),
            "{ini}, line 7: 'x' is not a valid integer value for FormPlacement; the default "
            "is used."
                + Kept },
        DamagedCase { "SeveralFaults",
            Replaced("Width=500", "Width=abc\r\nstray text\r\nHeight=point:1,2"),
            "{ini}, line 9: 'abc' is not a valid integer value for Width; the default is "
            "used. 2 more lines could not be used either."
                + Kept },
        DamagedCase { "InvalidHexadecimalValue", Replaced("Width=500", "Width=500\r\nSplit=hex:zz"),
            "{ini}, line 10: 'zz' is not a valid hexadecimal value for Split; it is read as an "
            "empty value."
                + Kept },
        DamagedCase { "StrayControlByteOnAFewLines",
            Replaced("Width=500", "Width=5\x01\r\n" + std::string(20, '\x02')),
            "{ini}, line 9: the value of Width holds bytes that are not text; the default is used."
            " 1 more line could not be used either."
                + Kept },
        DamagedCase { "BinaryJunk", Customised, NotText, 4096, false },
        DamagedCase { "FourKilobytesOfJunk", "", NotText, 4096, false },
        DamagedCase { "TenMegabytesOfJunk", "", NotText, 10 << 20, false }),
    [](const testing::TestParamInfo<DamagedCase>& info) { return info.param.name; });

// The folder cannot be written, so neither the copy nor the file can: each
// is said once, at the start, and the file is left as it was.
TEST_F(MainFormKeptValuesTest, FileThatCannotBeCopiedIsLeftAsItIs)
{
    const std::string damaged = Replaced("Width=500", "Width=abc");
    WriteFile(damaged);
    ReadOnlyFolder readOnly(folder.Path());
    auto form = OpenWindow();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0],
        WithPath("The settings cannot be saved to {ini}. The folder "
            + folder.Path().substr(0, folder.Path().size() - 1)
            + " cannot be written to (Permission denied). Changes made now are not kept."));
    EXPECT_TRUE(MatchesPattern(messages[1],
        WithPath("{ini}, line 9: 'abc' is not a valid integer value for Width; the default is "
                 "used. It could not be copied to {ini}.bak (*), so it is left as it is.")))
        << messages[1];
    form->show();
    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(FileBytes(), damaged);
}

TEST_F(MainFormKeptValuesTest, ReadOnlyFileIsNotReplacedAndThatIsSaidOnce)
{
    WriteFile(Customised);
    std::filesystem::permissions(folder.File("Tornalo.ini"),
        std::filesystem::perms::owner_read | std::filesystem::perms::group_read
            | std::filesystem::perms::others_read);
    auto form = OpenWindow();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
        WithPath("The settings cannot be saved to {ini}. The file is read-only, so it is left as "
                 "it is. Changes made now are not kept."));
    form->show();
    Child<QCheckBox>(*form, "CheckBoxPause").setChecked(true);
    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(FileBytes(), Customised);
    EXPECT_FALSE(std::filesystem::exists(folder.File("Tornalo.ini.bak")));
}

// Nothing can be read there and nothing saved: one message at the start,
// and the folder is left as it is.
TEST_F(MainFormKeptValuesTest, FolderInTheFilesPlaceIsSaidOnceAndLeftAsItIs)
{
    std::filesystem::create_directory(folder.File("Tornalo.ini"));
    auto form = OpenWindow();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
        WithPath("Cannot open file \"{ini}\". Is a directory; the defaults are used. The "
                 "settings cannot be saved to {ini} either. It is a folder, not a file, so it is "
                 "left as it is. Changes made now are not kept."));
    form->show();
    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_EQ(messages.size(), 1u) << messages.back();
    EXPECT_TRUE(std::filesystem::is_empty(folder.File("Tornalo.ini")));
    EXPECT_FALSE(std::filesystem::exists(folder.File("Tornalo.ini.bak")));
}

// Set in code, a row the list lacks selects none; read from the file it is
// a damaged value, and Home Language keeps its default.
TEST_F(MainFormKeptValuesTest, HomeLanguageRowTheListLacksIsReportedAndTheDefaultKept)
{
    for (const std::string row : { "41", "-1", "999" }) {
        WriteFile("[MainForm.rsPropSaver1]\r\nComboBoxHomeLanguage.ItemIndex=" + row + "\r\n\r\n");
        messages.clear();
        auto form = OpenWindow();
        EXPECT_EQ(Child<TComboBox>(*form, "ComboBoxHomeLanguage").ItemIndex(), DefaultHomeRow)
            << row;
        ASSERT_EQ(messages.size(), 1u) << row;
        EXPECT_TRUE(messages[0].starts_with(WithPath("{ini}, line 2: '" + row
            + "' is not a row of the list for ComboBoxHomeLanguage.ItemIndex; the default "
              "is used.")))
            << messages[0];
        form->show();
        ASSERT_TRUE(form->close());
        form.reset();
        EXPECT_NE(FileBytes().find("\r\nComboBoxHomeLanguage.ItemIndex=9\r\n"), std::string::npos)
            << FileBytes();
        std::filesystem::remove(folder.File("Tornalo.ini.bak"));
    }
}

// A place saved by Left and Top alone, on screens no longer there.
TEST_F(MainFormKeptValuesTest, LeftAndTopOffEveryScreenComeBackWithinReach)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (const char* place : { "Left=5000\r\nTop=5000", "Left=-5000\r\nTop=-5000" }) {
        WriteFile(std::string("[MainForm.rsPropSaver1]\r\n") + place + "\r\n\r\n");
        auto form = OpenWindow();
        form->show();
        EXPECT_TRUE(screen.contains(form->frameGeometry().topLeft())) << place;
        ASSERT_TRUE(form->close());
        form.reset();
        const QPoint saved(std::stoi(Key("Left")), std::stoi(Key("Top")));
        EXPECT_TRUE(screen.contains(saved)) << place << FileBytes();
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(MainFormKeptValuesTest, EachDamagedStartKeepsItsOwnCopy)
{
    const std::string first = Replaced("Width=500", "Width=abc");
    const std::string second = Replaced("Width=500", "Width=xyz");
    for (const std::string& damaged : { first, second }) {
        WriteFile(damaged);
        auto form = OpenWindow();
        form->show();
        ASSERT_TRUE(form->close());
    }
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_TRUE(messages[1].ends_with(WithPath(" The file as it was is kept in {ini}.bak.2.")))
        << messages[1];
    EXPECT_EQ(FileBytes("Tornalo.ini.bak"), first);
    EXPECT_EQ(FileBytes("Tornalo.ini.bak.2"), second);
}

} // namespace
