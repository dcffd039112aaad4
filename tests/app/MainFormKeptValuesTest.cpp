#include "app/CheckListBox.h"
#include "app/ComboBox.h"
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "platform/UserInterface.h"
#include "settings/saver/rsPropAccess.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TemporaryFolder.h"
#include "widgets/acEdit.h"
#include "widgets/acSplitterPanel.h"

#include <QCheckBox>
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

    static QCheckBox* Box(TMainForm& form, const char* name)
    {
        return form.findChild<QCheckBox*>(QString::fromUtf8(name));
    }

    std::string FileBytes(const std::string& name = "Tornalo.ini") const
    {
        std::ifstream file(folder.File(name), std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
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
    const std::string splitterPos = std::to_string(form->acSplitterPanelMain->SplitterPos());
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
    form->ComboBoxHomeLanguage->SetItemIndex(13);
    form->acNumberEditLoops->SetValue(7);
    for (int row : { 0, 13, 40 })
        form->CheckListBoxLangs->SetChecked(row, true);
    form->OriginalTextMemo->SetText("The weather is nice.\r\nWe will go out.");
    form->show();
    form->acSplitterPanelMain->SetSplitterPos(350);
    const int splitterPos = form->acSplitterPanelMain->SplitterPos();
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
    EXPECT_EQ(again->ComboBoxHomeLanguage->ItemIndex(), 13);
    EXPECT_EQ(again->acNumberEditLoops->Value(), 7u);
    EXPECT_EQ(again->OriginalTextMemo->Text(), "The weather is nice.\r\nWe will go out.\r\n");
    std::vector<int> ticked;
    for (int row = 0; row < again->CheckListBoxLangs->Count(); ++row) {
        if (again->CheckListBoxLangs->Checked(row))
            ticked.push_back(row);
    }
    EXPECT_EQ(ticked, (std::vector<int> { 0, 13, 40 }));
    again->show();
    EXPECT_EQ(again->acSplitterPanelMain->SplitterPos(), splitterPos);
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
    EXPECT_FALSE(form->CheckBoxPause->isChecked());
    EXPECT_EQ(form->acNumberEditLoops->Value(), 3u);
    EXPECT_TRUE(form->CheckListBoxLangs->Checked(15));
    EXPECT_FALSE(form->CheckBoxUntilStable->isChecked());
    form->CheckBoxUntilStable->setChecked(true);
    form->show();
    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_NE(FileBytes().find("\r\nCheckBoxUntilStable.Checked=\"True\"\r\n"), std::string::npos)
        << FileBytes();
    EXPECT_TRUE(OpenWindow()->CheckBoxUntilStable->isChecked());
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

TEST_F(MainFormKeptValuesTest, TextStoredForLeftShowsTheErrorAndStopsThePass)
{
    WriteFile("[MainForm.rsPropSaver1]\r\nCheckBoxPause.Checked=\"False\"\r\nLeft=\"abc\"\r\n\r\n");
    auto form = OpenWindow();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "'abc' is not a valid integer value");
    EXPECT_TRUE(form->CheckBoxPause->isChecked());
    form->show();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(MainFormKeptValuesTest, DamagedFileOpensTheWindowAndIsKeptAsBackup)
{
    const std::string damaged = "[MainForm.rsPropSaver1]\r\nCheckBoxPause.Checked=\"False\"\r\n"
                                "Left=curr:abc\r\n\r\n";
    WriteFile(damaged);
    auto form = OpenWindow();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_FALSE(form->CheckBoxPause->isChecked());
    form->show();
    ASSERT_TRUE(form->close());
    form.reset();
    EXPECT_EQ(FileBytes("Tornalo.ini.bak"), damaged);
    const std::string text = FileBytes();
    EXPECT_NE(text.find("CheckBoxPause.Checked=\"False\"\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("curr:"), std::string::npos) << text;
    EXPECT_EQ(messages.size(), 1u);
}

} // namespace
