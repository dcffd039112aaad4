// Tornalo's only window: the input memo, the run options, the output and
// debug memos. The window builds its controls and answers their events; its
// side of a run, its menu commands and its sizes are helpers that work on
// those controls. A run itself is the run engine's.
#pragma once

#include "app/MainFormCommands.h"
#include "app/MainFormRun.h"
#include "app/MainFormSizes.h"

#include <QMainWindow>
#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QPushButton;
class QTabWidget;
class QWidget;
class ServiceStarter;
class TacHTTP;
class TacNumberEdit;
class TacSplitterPanel;
class TCheckListBox;
class TComboBox;
class TJourneyView;
class TMainFormSettings;
class TMemo;
class TStatusBar;

class TMainForm : public QMainWindow {
    Q_OBJECT
    // The outer frame rectangle, as the saved placement records it; the
    // settings saver reads and writes these by name.
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)

public:
    // programDirectory: the folder of the program's own file, ending in "/".
    explicit TMainForm(const std::string& programDirectory, QWidget* parent = nullptr);
    ~TMainForm() override;

    int Left() const { return sizes->Left(); }
    void SetLeft(int value) { sizes->SetLeft(value); }
    int Top() const { return sizes->Top(); }
    void SetTop(int value) { sizes->SetTop(value); }
    int Width() const { return sizes->Width(); }
    void SetWidth(int value) { sizes->SetWidth(value); }
    int Height() const { return sizes->Height(); }
    void SetHeight(int value) { sizes->SetHeight(value); }

    std::string HomeLanguageCode() const { return run->HomeLanguageCode(); }
    void BuildPlan() { run->BuildPlan(); }
    // The program entry calls it once the window is shown.
    void WatchServiceLanguages() { run->WatchServiceLanguages(); }

    void ButtonTranslateClick(QObject*) { run->Translate(); }
    void ButtonStopClick(QObject*) { run->Abort(); }
    void CheckBoxShowEachClick(QObject* Sender);
    void AddEditFavorites1Click(QObject*) { commands->AddToFavorites(); }
    void SaveJourney1Click(QObject*) { commands->SaveJourney(); }
    void ContentsMenuItemClick(QObject*) { commands->OpenContents(); }
    void ItemCheckforUpdatesClick(QObject*) { commands->CheckUpdates(); }
    void VisitInternetForumItemClick(QObject*) { commands->VisitForum(); }
    void AboutItemClick(QObject*) { commands->ShowAbout(); }
    void OriginalTextMemoKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);
    void TranslatedTextMemoKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);
    void MemoDebugInfoKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);

    // The helpers own the state they work on: the plan and the pending
    // message are the run's, the program's folder and the about box the
    // commands'.
    TMainFormRun& Run() { return *run; }
    TMainFormCommands& Commands() { return *commands; }

    // The run engine's request component, under the window's name for it.
    TacHTTP* achtp = nullptr;
    // Brings up the local service before a run's first request; tests and
    // benchmarks put their own in its place.
    ServiceStarter* serviceStarter = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setupWindow();
    void setupMenu();
    void setupSplitter();
    void setupUpperPane();
    void setupOptionsPanel();
    void setupLanguageChoice(QWidget* panel);
    void setupRightColumn(QWidget* panel);
    void setupLoops(QWidget* column);
    void setupLowerPane();
    void setupStatusBar();
    void setupHandlers();
    void setupShortcuts();
    QCheckBox* AddCheckBox(
        QWidget* column, const char* name, const char* caption, bool checked, const char* hint);
    void SelectAllOnControlA(TMemo* memo, int& Key, Qt::KeyboardModifiers Shift);

    // The controls and menu commands. Each carries its member's name as its
    // object name, by which the saver, the helpers and the tests find it.
    TacSplitterPanel* acSplitterPanelMain = nullptr;
    TacSplitterPanel* acSplitterPanelTop = nullptr;
    TacSplitterPanel* acSplitterPanelBottom = nullptr;
    TMemo* OriginalTextMemo = nullptr;
    QWidget* PanelOptions = nullptr;
    TComboBox* ComboBoxHomeLanguage = nullptr;
    TCheckListBox* CheckListBoxLangs = nullptr;
    QPushButton* ButtonTranslate = nullptr;
    QPushButton* ButtonStop = nullptr;
    TacNumberEdit* acNumberEditLoops = nullptr;
    QCheckBox* CheckBoxShowEach = nullptr;
    QCheckBox* CheckBoxResetAfterEach = nullptr;
    QCheckBox* CheckBoxPause = nullptr;
    QCheckBox* CheckBoxReverseOrder = nullptr;
    QCheckBox* CheckBoxAdvancedChaining = nullptr;
    QCheckBox* CheckBoxUntilStable = nullptr;
    QCheckBox* CheckBoxShowOriginalInOutput = nullptr;
    QCheckBox* CheckBoxAutoCopyClipboard = nullptr;
    QTabWidget* PageControl1 = nullptr;
    TMemo* TranslatedTextMemo = nullptr;
    TMemo* MemoDebugInfo = nullptr;
    TJourneyView* JourneyView = nullptr;
    TStatusBar* StatusBar = nullptr;
    QAction* AddEditFavorites1 = nullptr;
    QAction* SaveJourney1 = nullptr;
    QAction* Quit1 = nullptr;
    // Control+Return presses "Translate Now", Escape "Abort", from anywhere
    // in the window.
    QAction* TranslateShortcut = nullptr;
    QAction* AbortShortcut = nullptr;
    QAction* ContentsMenuItem = nullptr;
    QAction* ItemCheckforUpdates = nullptr;
    QAction* VisitInternetForumItem = nullptr;
    QAction* AboutItem = nullptr;

    std::unique_ptr<TMainFormSizes> sizes;
    // Children of the window, so that they go with it after its controls.
    TMainFormRun* run = nullptr;
    TMainFormCommands* commands = nullptr;
    std::unique_ptr<TMainFormSettings> settings;
};
