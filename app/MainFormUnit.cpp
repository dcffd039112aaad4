#include "app/MainFormUnit.h"

#include "ProgramVersion.h"
#include "app/CheckListBox.h"
#include "app/ComboBox.h"
#include "app/JourneyView.h"
#include "app/MainFormSettings.h"
#include "app/Memo.h"
#include "app/ProgramIcon.h"
#include "app/StatusBar.h"
#include "platform/WindowHooks.h"
#include "run/LanguageTable.h"
#include "run/RunEngine.h"
#include "run/ServiceStarter.h"
#include "widgets/acEdit.h"
#include "widgets/acSplitterPanel.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

const char* const Caption = "Tornalo v" TORNALO_VERSION;

QString Text(const char* text)
{
    return QString::fromUtf8(text);
}

struct PaneSizes {
    int splitterMinimum; // the least the splitter leaves the pane
    int minimumHeight;
};

// One of the main splitter's two panes.
TacSplitterPanel* AddPane(
    TacSplitterPanel* splitter, const char* name, TacSplitterPanel::TAlign align, PaneSizes sizes)
{
    auto* pane = new TacSplitterPanel(splitter);
    pane->setObjectName(Text(name));
    pane->SetAlign(align);
    pane->SetMinSize(sizes.splitterMinimum);
    pane->setMinimumHeight(sizes.minimumHeight);
    pane->SetPane(true);
    return pane;
}

void SetBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
}

std::vector<std::string> LanguageNameList()
{
    return { LanguageNames.begin(), LanguageNames.end() };
}

} // namespace

TMainForm::TMainForm(const std::string& programDirectory, QWidget* parent) : QMainWindow(parent)
{
    setupWindow();
    setupMenu();
    setupSplitter();
    setupUpperPane();
    setupLowerPane();
    setupStatusBar();
    sizes = std::make_unique<TMainFormSizes>(*this);
    run = new TMainFormRun(*this, serviceStarter, programDirectory);
    achtp = run->runEngine->Component();
    commands = new TMainFormCommands(*this, *run, programDirectory);
    setupHandlers();
    setupShortcuts();
    sizes->FitToFonts();
    sizes->PlaceAtScreenCentre();

    serviceStarter = new ServiceStarter(programDirectory, this);
    run->FinishRun();
    settings = std::make_unique<TMainFormSettings>(*this, *CheckListBoxLangs, programDirectory);
    platform::WindowEvents::Of(this)->NotifyCreated();
    // The saved Left and Top are each applied alone, so the place they give
    // together is checked once both are.
    sizes->BringWithinReach();
}

TMainForm::~TMainForm()
{
    platform::WindowEvents::Of(this)->NotifyDestroying();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    sizes->KeepMinimumFrame();
}

void TMainForm::setupWindow()
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(Text(Caption));
    setWindowIcon(ProgramIcon());
}

void TMainForm::setupMenu()
{
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    QMenu* file = menuBar()->addMenu(Text("&File"));
    file->setObjectName(QStringLiteral("File1"));
    AddEditFavorites1 = file->addAction(Text("&Add to and Edit Favorites"));
    AddEditFavorites1->setObjectName(QStringLiteral("AddEditFavorites1"));
    SaveJourney1 = file->addAction(Text("Save Journey..."));
    SaveJourney1->setObjectName(QStringLiteral("SaveJourney1"));
    SaveJourney1->setEnabled(false);
    file->addSeparator();
    Quit1 = file->addAction(Text("&Quit"));
    Quit1->setObjectName(QStringLiteral("Quit1"));
    Quit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    QMenu* help = menuBar()->addMenu(Text("&Help"));
    help->setObjectName(QStringLiteral("Help1"));
    ContentsMenuItem = help->addAction(Text("&Contents"));
    ContentsMenuItem->setObjectName(QStringLiteral("ContentsMenuItem"));
    help->addSeparator();
    ItemCheckforUpdates = help->addAction(Text("Check for &Updates"));
    ItemCheckforUpdates->setObjectName(QStringLiteral("ItemCheckforUpdates"));
    help->addSeparator();
    VisitInternetForumItem = help->addAction(Text("&Visit Internet Forum"));
    VisitInternetForumItem->setObjectName(QStringLiteral("VisitInternetForumItem"));
    AboutItem = help->addAction(Text("&About"));
    AboutItem->setObjectName(QStringLiteral("AboutItem"));
}

void TMainForm::setupSplitter()
{
    acSplitterPanelMain = new TacSplitterPanel(this);
    acSplitterPanelMain->setObjectName(QStringLiteral("acSplitterPanelMain"));
    acSplitterPanelMain->SetAlign(TacSplitterPanel::alClient);
    setCentralWidget(acSplitterPanelMain);

    acSplitterPanelTop
        = AddPane(acSplitterPanelMain, "acSplitterPanelTop", TacSplitterPanel::alTop, { 303, 200 });
    acSplitterPanelBottom = AddPane(
        acSplitterPanelMain, "acSplitterPanelBottom", TacSplitterPanel::alClient, { 80, 40 });
}

void TMainForm::setupUpperPane()
{
    auto* layout = new QVBoxLayout(acSplitterPanelTop);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    auto* caption = new QLabel(Text("TYPE TEXT HERE TO TORNALO TRANSLATE"), acSplitterPanelTop);
    caption->setObjectName(QStringLiteral("LabelTypeText"));
    caption->setAlignment(Qt::AlignHCenter);
    layout->addWidget(caption);

    OriginalTextMemo = new TMemo(acSplitterPanelTop);
    OriginalTextMemo->setObjectName(QStringLiteral("OriginalTextMemo"));
    OriginalTextMemo->setMinimumHeight(12);
    OriginalTextMemo->setTabChangesFocus(true);
    layout->addWidget(OriginalTextMemo, 1);

    setupOptionsPanel();
    layout->addWidget(PanelOptions);
}

void TMainForm::setupOptionsPanel()
{
    PanelOptions = new QWidget(acSplitterPanelTop);
    PanelOptions->setObjectName(QStringLiteral("PanelOptions"));
    auto* layout = new QHBoxLayout(PanelOptions);
    layout->setContentsMargins(2, 2, 1, 2);
    layout->setSpacing(3);
    setupLanguageChoice(PanelOptions);
    setupRightColumn(PanelOptions);
}

void TMainForm::setupLanguageChoice(QWidget* panel)
{
    auto* column = new QVBoxLayout();
    column->setSpacing(2);
    auto* homeRow = new QHBoxLayout();
    auto* label = new QLabel(Text("Home Language:"), panel);
    label->setObjectName(QStringLiteral("LabelHomeLanguage"));
    homeRow->addWidget(label);

    ComboBoxHomeLanguage = new TComboBox(panel);
    ComboBoxHomeLanguage->setObjectName(QStringLiteral("ComboBoxHomeLanguage"));
    for (const char* name : LanguageNames)
        ComboBoxHomeLanguage->addItem(Text(name));
    ComboBoxHomeLanguage->SetItemIndex(DefaultHomeRow);
    ComboBoxHomeLanguage->setToolTip(Text("Specify language of the above input text."));
    label->setBuddy(ComboBoxHomeLanguage);
    homeRow->addWidget(ComboBoxHomeLanguage, 1);
    column->addLayout(homeRow);

    CheckListBoxLangs = new TCheckListBox(panel);
    CheckListBoxLangs->setObjectName(QStringLiteral("CheckListBoxLangs"));
    CheckListBoxLangs->SetColumns(3);
    CheckListBoxLangs->SetItems(LanguageNameList());
    column->addWidget(CheckListBoxLangs, 1);
    static_cast<QHBoxLayout*>(panel->layout())->addLayout(column, 1);
}

void TMainForm::setupRightColumn(QWidget* panel)
{
    auto* column = new QWidget(panel);
    column->setObjectName(QStringLiteral("PanelRightColumn"));
    // A narrow gap between box and caption leaves the checklist room for
    // its longest names.
    column->setStyleSheet(QStringLiteral("QCheckBox { spacing: 3px; }"));
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    ButtonTranslate = new QPushButton(Text("Translate Now"), column);
    ButtonTranslate->setObjectName(QStringLiteral("ButtonTranslate"));
    layout->addWidget(ButtonTranslate);
    ButtonStop = new QPushButton(Text("Abort"), column);
    ButtonStop->setObjectName(QStringLiteral("ButtonStop"));
    ButtonStop->setEnabled(false);
    layout->addWidget(ButtonStop);
    setupLoops(column);

    CheckBoxShowEach = AddCheckBox(column, "CheckBoxShowEach", "Show Each Step", false,
        "Show the result of each language translation step.");
    CheckBoxResetAfterEach = AddCheckBox(column, "CheckBoxResetAfterEach", "Reset After Each",
        false,
        "Reset the starting text after each language (so each output is a single translation to "
        "a language and back); less interesting.");
    CheckBoxPause = AddCheckBox(column, "CheckBoxPause", "Pause between calls?", true,
        "Avoid overloading the translation service by pausing between translations; recommended.");
    CheckBoxReverseOrder = AddCheckBox(column, "CheckBoxReverseOrder", "Reverse Order", false,
        "Perform translations through the language list in reverse order (ie starting with "
        "Vietnamese).");
    CheckBoxAdvancedChaining = AddCheckBox(column, "CheckBoxAdvancedChaining", "Foreign Chaining",
        false, "Loop from language to language, not circling back until end; experimental.");
    CheckBoxUntilStable = AddCheckBox(column, "CheckBoxUntilStable", "Until Stable", false,
        "Run the whole translation again, from the text reached, until a round ends with the "
        "text it started with (at most 20 rounds).");
    CheckBoxShowOriginalInOutput
        = AddCheckBox(column, "CheckBoxShowOriginalInOutput", "Show Original in Output", true,
            "Show original text in output memo preceding translated text.");
    CheckBoxAutoCopyClipboard = AddCheckBox(column, "CheckBoxAutoCopyClipboard",
        "Autocopy to Clipboard", false, "Copy translated text to clipboard automatically.");
    panel->layout()->addWidget(column);
}

void TMainForm::setupLoops(QWidget* column)
{
    auto* row = new QHBoxLayout();
    row->setContentsMargins(0, 2, 0, 2);
    acNumberEditLoops = new TacNumberEdit(column);
    acNumberEditLoops->setObjectName(QStringLiteral("acNumberEditLoops"));
    acNumberEditLoops->setFixedSize(30, 21);
    acNumberEditLoops->SetMaxValue(10);
    acNumberEditLoops->SetValue(1);
    acNumberEditLoops->setToolTip(Text("If greater than 1, then the entire translation loop "
                                       "through languages is performed multiple times."));
    TacAttachedLabel* label = acNumberEditLoops->AttachedLabel();
    label->SetCaption(Text("Loops"));
    label->SetPosition(TacAttachedLabel::lpRight);
    label->SetTransparent(true);
    label->SetVisible(true);
    row->addWidget(acNumberEditLoops);
    // The attached label places itself to the right of the edit.
    row->addStretch(1);
    static_cast<QVBoxLayout*>(column->layout())->addLayout(row);
}

QCheckBox* TMainForm::AddCheckBox(
    QWidget* column, const char* name, const char* caption, bool checked, const char* hint)
{
    auto* box = new QCheckBox(Text(caption), column);
    box->setObjectName(Text(name));
    box->setChecked(checked);
    box->setToolTip(Text(hint));
    column->layout()->addWidget(box);
    return box;
}

void TMainForm::setupLowerPane()
{
    auto* layout = new QVBoxLayout(acSplitterPanelBottom);
    layout->setContentsMargins(0, 0, 0, 0);
    PageControl1 = new QTabWidget(acSplitterPanelBottom);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    layout->addWidget(PageControl1);

    TranslatedTextMemo = new TMemo();
    TranslatedTextMemo->setObjectName(QStringLiteral("TranslatedTextMemo"));
    TranslatedTextMemo->setReadOnly(true);
    TranslatedTextMemo->setFocusPolicy(Qt::ClickFocus);
    TranslatedTextMemo->setTabChangesFocus(true);
    TranslatedTextMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetBackground(TranslatedTextMemo, palette().color(QPalette::ToolTipBase));
    TranslatedTextMemo->SetText("\r\n");
    PageControl1->addTab(TranslatedTextMemo, Text("Translated Text"));

    MemoDebugInfo = new TMemo();
    MemoDebugInfo->setObjectName(QStringLiteral("MemoDebugInfo"));
    MemoDebugInfo->setTabChangesFocus(true);
    MemoDebugInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetBackground(MemoDebugInfo, QColor(0xCC, 0xFF, 0xCC));
    PageControl1->addTab(MemoDebugInfo, Text("Debug Information"));

    JourneyView = new TJourneyView();
    JourneyView->setObjectName(QStringLiteral("JourneyView"));
    PageControl1->addTab(JourneyView, Text("Journey"));
}

void TMainForm::setupStatusBar()
{
    StatusBar = new TStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    setStatusBar(StatusBar);
}

void TMainForm::setupHandlers()
{
    connect(AddEditFavorites1, &QAction::triggered, this,
        [this] { AddEditFavorites1Click(AddEditFavorites1); });
    connect(SaveJourney1, &QAction::triggered, this, [this] { SaveJourney1Click(SaveJourney1); });
    connect(ContentsMenuItem, &QAction::triggered, this,
        [this] { ContentsMenuItemClick(ContentsMenuItem); });
    connect(ItemCheckforUpdates, &QAction::triggered, this,
        [this] { ItemCheckforUpdatesClick(ItemCheckforUpdates); });
    connect(VisitInternetForumItem, &QAction::triggered, this,
        [this] { VisitInternetForumItemClick(VisitInternetForumItem); });
    connect(AboutItem, &QAction::triggered, this, [this] { AboutItemClick(AboutItem); });
    connect(ButtonTranslate, &QPushButton::clicked, this,
        [this] { ButtonTranslateClick(ButtonTranslate); });
    connect(ButtonStop, &QPushButton::clicked, this, [this] { ButtonStopClick(ButtonStop); });
    connect(CheckBoxShowEach, &QCheckBox::clicked, this,
        [this] { CheckBoxShowEachClick(CheckBoxShowEach); });
    OriginalTextMemo->OnKeyDown = [this](QObject* Sender, int& Key, Qt::KeyboardModifiers Shift) {
        OriginalTextMemoKeyDown(Sender, Key, Shift);
    };
    TranslatedTextMemo->OnKeyDown = [this](QObject* Sender, int& Key, Qt::KeyboardModifiers Shift) {
        TranslatedTextMemoKeyDown(Sender, Key, Shift);
    };
    MemoDebugInfo->OnKeyDown = [this](QObject* Sender, int& Key, Qt::KeyboardModifiers Shift) {
        MemoDebugInfoKeyDown(Sender, Key, Shift);
    };
}

// The keys act on the buttons, so they do nothing while their button is
// disabled. Enter on a focused button presses it, as Space does.
void TMainForm::setupShortcuts()
{
    connect(Quit1, &QAction::triggered, this, &QWidget::close);
    TranslateShortcut = new QAction(this);
    TranslateShortcut->setObjectName(QStringLiteral("TranslateShortcut"));
    TranslateShortcut->setShortcuts(
        { QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter) });
    connect(TranslateShortcut, &QAction::triggered, ButtonTranslate, &QPushButton::click);
    AbortShortcut = new QAction(this);
    AbortShortcut->setObjectName(QStringLiteral("AbortShortcut"));
    AbortShortcut->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(AbortShortcut, &QAction::triggered, ButtonStop, &QPushButton::click);
    addActions({ TranslateShortcut, AbortShortcut });
    ButtonTranslate->setAutoDefault(true);
    ButtonStop->setAutoDefault(true);
}

void TMainForm::CheckBoxShowEachClick(QObject*)
{
    // The option is read only when the next plan is built.
}

void TMainForm::OriginalTextMemoKeyDown(QObject*, int& Key, Qt::KeyboardModifiers Shift)
{
    SelectAllOnControlA(OriginalTextMemo, Key, Shift);
}

void TMainForm::TranslatedTextMemoKeyDown(QObject*, int& Key, Qt::KeyboardModifiers Shift)
{
    SelectAllOnControlA(TranslatedTextMemo, Key, Shift);
}

void TMainForm::MemoDebugInfoKeyDown(QObject*, int& Key, Qt::KeyboardModifiers Shift)
{
    SelectAllOnControlA(MemoDebugInfo, Key, Shift);
}

// Other modifiers may be held too: Control+Shift+A selects all as well.
void TMainForm::SelectAllOnControlA(TMemo* memo, int& Key, Qt::KeyboardModifiers Shift)
{
    if (Key == Qt::Key_A && Shift.testFlag(Qt::ControlModifier)) {
        memo->selectAll();
        Key = 0;
    }
}
