// The main window as it comes up: its controls, their captions, defaults and
// hints, the layout values, the start-up status text and the key handlers.
#include "app/CheckListBox.h"
#include "app/ComboBox.h"
#include "app/JourneyView.h"
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "app/StatusBar.h"
#include "run/LanguageTable.h"
#include "run/RunEngine.h"
#include "transfer/acHTTP.h"
#include "widgets/acEdit.h"
#include "widgets/acSplitterPanel.h"

#include "tests/support/Child.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TemporaryFolder.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>

class MainFormAtStart : public testing::Test {
protected:
    template <typename T> T* Find(const char* name)
    {
        T* child = form.findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }

    TemporaryFolder folder;
    TMainForm form { folder.Path() };
};

TEST_F(MainFormAtStart, StatusBarShowsReadyAndTheNoticeWithFourSpacesBetween)
{
    EXPECT_EQ(Find<TStatusBar>("StatusBar")->Text(),
        "Ready.    Tornalo uses the localhost translation service.");
    EXPECT_EQ(form.Run().StatusMessage, "");
}

TEST_F(MainFormAtStart, StartsIdleWithOnlyTranslateEnabled)
{
    EXPECT_TRUE(Find<QPushButton>("ButtonTranslate")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("ButtonStop")->isEnabled());
    EXPECT_EQ(form.Run().runEngine->Step(), -1);
    EXPECT_EQ(form.Run().PlanCount, 0);
    EXPECT_EQ(form.Run().Route, "");
}

TEST_F(MainFormAtStart, ProgramFolderComesFromTheProgramEntry)
{
    EXPECT_EQ(form.Commands().ExeDir, folder.Path());
}

// The design's client area is the least; the fonts here may ask for more
// (what the window then holds is the layout tests' to check).
TEST_F(MainFormAtStart, CaptionAndClientSize)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tornalo v1.10.01"));
    EXPECT_GE(form.width(), 460);
    EXPECT_GE(form.height() - form.menuBar()->sizeHint().height(), 462);
}

TEST_F(MainFormAtStart, WindowCannotShrinkBelowItsMinimum)
{
    form.show();
    form.resize(100, 100);
    EXPECT_GE(form.frameGeometry().width(), 460);
    EXPECT_GE(form.frameGeometry().height(), 424);
}

TEST_F(MainFormAtStart, WindowIsCentredOnTheScreen)
{
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    const QPoint windowCentre = form.geometry().center();
    EXPECT_LE((screenCentre - windowCentre).manhattanLength(), 2);
}

TEST_F(MainFormAtStart, PlacementPropertiesAreTheOuterFrame)
{
    form.show();
    const QRect frame = form.frameGeometry();
    EXPECT_EQ(form.property("Left").toInt(), frame.left());
    EXPECT_EQ(form.property("Top").toInt(), frame.top());
    EXPECT_EQ(form.property("Width").toInt(), frame.width());
    EXPECT_EQ(form.property("Height").toInt(), frame.height());
    form.setProperty("Width", 600);
    form.setProperty("Left", 10);
    EXPECT_EQ(form.frameGeometry().width(), 600);
    EXPECT_EQ(form.frameGeometry().left(), 10);
}

TEST_F(MainFormAtStart, HomeLanguageListHoldsTheNamesWithEnglishSelected)
{
    TComboBox* combo = Find<TComboBox>("ComboBoxHomeLanguage");
    ASSERT_EQ(combo->count(), LanguageCount);
    for (int row = 0; row < LanguageCount; ++row)
        EXPECT_EQ(combo->itemText(row), QString::fromUtf8(LanguageNames[row])) << row;
    EXPECT_EQ(combo->property("ItemIndex").toInt(), 9);
    EXPECT_EQ(combo->currentText(), QStringLiteral("English"));
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->toolTip(), QStringLiteral("Specify language of the above input text."));
    EXPECT_EQ(form.HomeLanguageCode(), "en");
}

TEST_F(MainFormAtStart, NoHomeRowSelectedMeansEnglish)
{
    Find<TComboBox>("ComboBoxHomeLanguage")->setProperty("ItemIndex", -1);
    EXPECT_EQ(form.HomeLanguageCode(), "en");
    Find<TComboBox>("ComboBoxHomeLanguage")->setProperty("ItemIndex", 13);
    EXPECT_EQ(form.HomeLanguageCode(), "fr");
}

TEST_F(MainFormAtStart, ChecklistHoldsTheNamesUntickedInThreeColumns)
{
    form.show();
    TCheckListBox* list = Find<TCheckListBox>("CheckListBoxLangs");
    ASSERT_EQ(list->Count(), LanguageCount);
    for (int row = 0; row < LanguageCount; ++row) {
        EXPECT_EQ(list->item(row)->text(), QString::fromUtf8(LanguageNames[row])) << row;
        EXPECT_FALSE(list->Checked(row)) << row;
    }
    EXPECT_EQ(list->Columns(), 3);
    const int columnWidth = list->viewport()->width() / 3;
    int secondColumnStart = -1;
    for (int row = 1; row < LanguageCount && secondColumnStart < 0; ++row)
        if (list->visualItemRect(list->item(row)).left() > 0)
            secondColumnStart = list->visualItemRect(list->item(row)).left();
    EXPECT_EQ(secondColumnStart, columnWidth);
}

struct CheckBoxDesign {
    const char* name;
    const char* caption;
    bool checked;
    const char* hint;
};

TEST_F(MainFormAtStart, OptionBoxesHaveTheirCaptionsDefaultsAndHints)
{
    const CheckBoxDesign boxes[] = {
        { "CheckBoxShowEach", "Show Each Step", false,
            "Show the result of each language translation step." },
        { "CheckBoxResetAfterEach", "Reset After Each", false,
            "Reset the starting text after each language (so each output is a single "
            "translation to a language and back); less interesting." },
        { "CheckBoxPause", "Pause between calls?", true,
            "Avoid overloading the translation service by pausing between translations; "
            "recommended." },
        { "CheckBoxReverseOrder", "Reverse Order", false,
            "Perform translations through the language list in reverse order (ie starting with "
            "Vietnamese)." },
        { "CheckBoxAdvancedChaining", "Foreign Chaining", false,
            "Loop from language to language, not circling back until end; experimental." },
        { "CheckBoxUntilStable", "Until Stable", false,
            "Run the whole translation again, from the text reached, until a round ends with the "
            "text it started with (at most 20 rounds)." },
        { "CheckBoxShowOriginalInOutput", "Show Original in Output", true,
            "Show original text in output memo preceding translated text." },
        { "CheckBoxAutoCopyClipboard", "Autocopy to Clipboard", false,
            "Copy translated text to clipboard automatically." },
    };
    for (const CheckBoxDesign& design : boxes) {
        QCheckBox* box = Box(design.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), QString::fromUtf8(design.caption)) << design.name;
        EXPECT_EQ(box->isChecked(), design.checked) << design.name;
        EXPECT_EQ(box->toolTip(), QString::fromUtf8(design.hint)) << design.name;
    }
}

TEST_F(MainFormAtStart, ButtonsHaveTheirCaptions)
{
    EXPECT_EQ(Find<QPushButton>("ButtonTranslate")->text(), QStringLiteral("Translate Now"));
    EXPECT_EQ(Find<QPushButton>("ButtonStop")->text(), QStringLiteral("Abort"));
}

TEST_F(MainFormAtStart, LoopsEditStartsAtOneWithItsLabelOnTheRight)
{
    form.show();
    TacNumberEdit* loops = Find<TacNumberEdit>("acNumberEditLoops");
    EXPECT_EQ(loops->property("Value").toUInt(), 1u);
    EXPECT_EQ(loops->property("MaxValue").toInt(), 10);
    EXPECT_EQ(loops->text(), QStringLiteral("1"));
    EXPECT_EQ(loops->size(), QSize(30, 21));
    EXPECT_EQ(loops->toolTip(),
        QStringLiteral("If greater than 1, then the entire translation loop through languages "
                       "is performed multiple times."));
    TacAttachedLabel* label = loops->AttachedLabel();
    EXPECT_EQ(label->Caption(), QStringLiteral("Loops"));
    EXPECT_EQ(label->Position(), TacAttachedLabel::lpRight);
    EXPECT_TRUE(label->Visible());
}

TEST_F(MainFormAtStart, SplitterDividesTheUpperAndLowerPanes)
{
    TacSplitterPanel* main = Find<TacSplitterPanel>("acSplitterPanelMain");
    TacSplitterPanel* top = Find<TacSplitterPanel>("acSplitterPanelTop");
    TacSplitterPanel* bottom = Find<TacSplitterPanel>("acSplitterPanelBottom");
    EXPECT_EQ(form.centralWidget(), main);
    EXPECT_GE(main->SplitterPos(), 323);
    EXPECT_EQ(main->Pane1(), top);
    EXPECT_EQ(main->Pane2(), bottom);
    EXPECT_FALSE(main->IsVerticalSplit());
    EXPECT_EQ(top->MinSize(), 303);
    EXPECT_EQ(top->minimumHeight(), 200);
    EXPECT_EQ(bottom->MinSize(), 80);
    EXPECT_EQ(bottom->minimumHeight(), 40);
    form.show();
    EXPECT_EQ(top->height(), main->SplitterPos());
    EXPECT_EQ(bottom->y(), main->SplitterPos() + 3);
}

// The upper pane grows with the options panel, so the input memo keeps the
// height the design gives it.
TEST_F(MainFormAtStart, UpperPaneHoldsInputMemoAboveTheOptionsPanel)
{
    form.show();
    TMemo* input = Find<TMemo>("OriginalTextMemo");
    QWidget* options = Find<QWidget>("PanelOptions");
    EXPECT_GE(options->height(), 238);
    EXPECT_EQ(options->height() - 238,
        Find<TacSplitterPanel>("acSplitterPanelMain")->SplitterPos() - 323);
    EXPECT_EQ(options->geometry().bottom(), Find<QWidget>("acSplitterPanelTop")->height() - 1);
    EXPECT_LT(input->geometry().bottom(), options->y());
    EXPECT_GE(input->height(), 12);
    EXPECT_EQ(input->Text(), "");
}

TEST_F(MainFormAtStart, OutputMemoIsReadOnlySkippedByTabAndStartsWithOneEmptyLine)
{
    TMemo* output = Find<TMemo>("TranslatedTextMemo");
    EXPECT_TRUE(output->isReadOnly());
    EXPECT_FALSE(output->focusPolicy() & Qt::TabFocus);
    EXPECT_EQ(output->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(output->palette().color(QPalette::Base), form.palette().color(QPalette::ToolTipBase));
    EXPECT_EQ(output->Text(), "\r\n");
}

TEST_F(MainFormAtStart, DebugMemoIsEditableAndLightGreen)
{
    TMemo* debug = Find<TMemo>("MemoDebugInfo");
    EXPECT_FALSE(debug->isReadOnly());
    EXPECT_EQ(debug->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    const QColor background = debug->palette().color(QPalette::Base);
    EXPECT_GT(background.green(), background.red());
    EXPECT_GT(background.green(), background.blue());
    EXPECT_GT(background.lightness(), 180);
}

TEST_F(MainFormAtStart, TabsHoldTheOutputAndDebugMemosAndTheJourney)
{
    QTabWidget* tabs = Find<QTabWidget>("PageControl1");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Translated Text"));
    EXPECT_EQ(tabs->widget(0), Find<TMemo>("TranslatedTextMemo"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Debug Information"));
    EXPECT_EQ(tabs->widget(1), Find<TMemo>("MemoDebugInfo"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Journey"));
    EXPECT_EQ(tabs->widget(2), Find<TJourneyView>("JourneyView"));
    EXPECT_EQ(tabs->currentIndex(), 0);
}

TEST_F(MainFormAtStart, MenusHoldTheirItemsWithMnemonics)
{
    const QList<QAction*> menus = form.menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("&File"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("&Help"));
    const QList<QAction*> file = menus[0]->menu()->actions();
    ASSERT_EQ(file.size(), 4);
    EXPECT_EQ(file[0]->text(), QStringLiteral("&Add to and Edit Favorites"));
    EXPECT_EQ(file[0]->objectName(), QStringLiteral("AddEditFavorites1"));
    EXPECT_EQ(file[1]->text(), QStringLiteral("Save Journey..."));
    EXPECT_EQ(file[1]->objectName(), QStringLiteral("SaveJourney1"));
    EXPECT_FALSE(file[1]->isEnabled()) << "no journey to save before the first run";
    EXPECT_TRUE(file[2]->isSeparator());
    EXPECT_EQ(file[3]->text(), QStringLiteral("&Quit"));
    EXPECT_EQ(file[3]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    const QList<QAction*> help = menus[1]->menu()->actions();
    ASSERT_EQ(help.size(), 6);
    EXPECT_EQ(help[0]->text(), QStringLiteral("&Contents"));
    EXPECT_TRUE(help[1]->isSeparator());
    EXPECT_EQ(help[2]->text(), QStringLiteral("Check for &Updates"));
    EXPECT_TRUE(help[3]->isSeparator());
    EXPECT_EQ(help[4]->text(), QStringLiteral("&Visit Internet Forum"));
    EXPECT_EQ(help[5]->text(), QStringLiteral("&About"));
    EXPECT_EQ(help[0]->objectName(), QStringLiteral("ContentsMenuItem"));
    EXPECT_EQ(help[2]->objectName(), QStringLiteral("ItemCheckforUpdates"));
    EXPECT_EQ(help[4]->objectName(), QStringLiteral("VisitInternetForumItem"));
    EXPECT_EQ(help[5]->objectName(), QStringLiteral("AboutItem"));
}

class MainFormControlA : public MainFormAtStart, public testing::WithParamInterface<const char*> {
protected:
    void SetUp() override
    {
        form.show();
        memo = Find<TMemo>(GetParam());
        memo->SetText("first line\nsecond line");
        Find<QTabWidget>("PageControl1")->setCurrentWidget(memo);
        memo->setFocus();
        QTextCursor cursor = memo->textCursor();
        cursor.setPosition(3);
        memo->setTextCursor(cursor);
    }

    TMemo* memo = nullptr;
};

TEST_P(MainFormControlA, ControlASelectsTheWholeText)
{
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(memo->textCursor().selectedText(),
        QStringLiteral("first line") + QChar::ParagraphSeparator + QStringLiteral("second line")
            + QChar::ParagraphSeparator);
}

TEST_P(MainFormControlA, ControlShiftASelectsTheWholeTextToo)
{
    QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(memo->textCursor().hasSelection());
    EXPECT_EQ(memo->textCursor().selectionStart(), 0);
    EXPECT_EQ(memo->textCursor().selectionEnd(), memo->document()->characterCount() - 1);
}

TEST_P(MainFormControlA, KeyAWithoutControlReachesTheMemo)
{
    QTest::keyClick(memo, Qt::Key_A);
    EXPECT_FALSE(memo->textCursor().hasSelection());
    const std::string expected = memo->isReadOnly() ? "first line" : "firast line";
    EXPECT_EQ(memo->Lines().front(), expected);
}

INSTANTIATE_TEST_SUITE_P(EachMemo, MainFormControlA,
    testing::Values("OriginalTextMemo", "TranslatedTextMemo", "MemoDebugInfo"));

TEST_F(MainFormAtStart, ShowEachStepClickChangesOnlyItsOwnTick)
{
    form.show();
    QCheckBox* showEach = Box("CheckBoxShowEach");
    const auto otherTicks = [&] {
        std::vector<bool> ticks;
        for (QCheckBox* box : form.findChildren<QCheckBox*>())
            if (box != showEach)
                ticks.push_back(box->isChecked());
        return ticks;
    };
    const std::vector<bool> before = otherTicks();
    const std::string status = Find<TStatusBar>("StatusBar")->Text();
    QTest::mouseClick(showEach, Qt::LeftButton);
    EXPECT_TRUE(showEach->isChecked());
    EXPECT_EQ(otherTicks(), before);
    EXPECT_EQ(Find<TStatusBar>("StatusBar")->Text(), status);
    EXPECT_EQ(form.Run().PlanCount, 0);
    EXPECT_TRUE(form.Run().Plan.empty());
}

// The tests reach the controls by object name: a name the window lacks, one
// of another kind or one given twice fails the lookup, naming what it sought.
TEST_F(MainFormAtStart, ALookupByObjectNameFindsOneControlOrSaysWhatIsWrong)
{
    EXPECT_EQ(&Child<QCheckBox>(form, "CheckBoxPause"), Box("CheckBoxPause"));
    const auto failure = [](const std::function<void()>& lookup) {
        try {
            lookup();
        } catch (const std::logic_error& error) {
            return std::string(error.what());
        }
        return std::string("found");
    };
    EXPECT_EQ(failure([&] { Child<QCheckBox>(form, "CheckBoxPaus"); }),
        "MainForm has 0 QCheckBox named \"CheckBoxPaus\", not one");
    EXPECT_EQ(failure([&] { Child<QPushButton>(form, "CheckBoxPause"); }),
        "MainForm has 0 QPushButton named \"CheckBoxPause\", not one");
    QPushButton twin(&form);
    twin.setObjectName(QStringLiteral("ButtonTranslate"));
    EXPECT_EQ(failure([&] { Child<QPushButton>(form, "ButtonTranslate"); }),
        "MainForm has 2 QPushButton named \"ButtonTranslate\", not one");
}

// The window's helpers find its controls by name as they are made: made over
// a window that lacks one, a helper fails at once, naming it.
TEST(MainFormHelpers, AHelperOverAWindowWithoutItsControlsNamesTheOneMissing)
{
    QMainWindow bare;
    bare.setObjectName(QStringLiteral("Bare"));
    try {
        TMainFormSizes sizes(bare);
        FAIL() << "made without its controls";
    } catch (const std::logic_error& error) {
        EXPECT_STREQ(error.what(), "Bare has no TacSplitterPanel named \"acSplitterPanelMain\"");
    }
}

TEST_F(MainFormAtStart, RequestComponentIsSetUpForTheLocalService)
{
    TacHTTP* achtp = form.findChild<TacHTTP*>(QStringLiteral("achtp"));
    ASSERT_EQ(achtp, form.achtp);
    EXPECT_EQ(achtp->URL, "http://localhost:8787");
    EXPECT_EQ(achtp->Referer, "http://localhost:8787/language_tools");
    EXPECT_EQ(achtp->Agent, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)");
    EXPECT_EQ(achtp->RequestMethod, rmPOST);
    EXPECT_EQ(achtp->TransferBufferSize, 32000);
    // The reply comes to memory, bounded, and the run keeps the user's copy.
    EXPECT_EQ(achtp->OutputFileName, "");
    EXPECT_EQ(achtp->MaximumReplySize, 16 * 1024 * 1024);
    EXPECT_EQ(achtp->CacheOptions,
        TacCacheOptions(coAlwaysReload | coReloadIfNoExpireInformation | coReloadUpdatedObjects
            | coCreateTempFilesIfCantCache));
    EXPECT_TRUE(
        achtp->OnDone && achtp->OnAnyError && achtp->OnAborted && achtp->OnWaitTimeoutExpired);
}

TEST_F(MainFormAtStart, RequestComponentKeepsEveryCertificateCheck)
{
    EXPECT_EQ(form.achtp->InternetOptions, TacInternetOptions(ioKeepConnection));
}
