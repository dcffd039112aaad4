// Tornalo's only window: the input memo, the run options, the output and
// debug memos. A run is the run engine's; the window builds the plan from
// its controls, hands the run over and shows what the engine reports.
#pragma once

#include "run/PlanStep.h"

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QTabWidget;
class QWidget;
class ReachableLanguages;
class RunEngine;
class ServiceStarter;
class ServiceWarmUp;
class TacHTTP;
class TacNumberEdit;
class TacQuickAboutBox;
class TacSplitterPanel;
class TCheckListBox;
class TComboBox;
class TJourneyView;
class TMainFormSettings;
class TMemo;
class TStatusBar;
struct MarkerReport;
struct PlanOptions;
struct RunEnd;
struct RunInputs;

class TMainForm : public QMainWindow {
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)

public:
    // programDirectory: the folder of the program's own file, ending in "/".
    explicit TMainForm(const std::string& programDirectory, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The outer frame rectangle, as the saved placement records it.
    int Left() const;
    void SetLeft(int value);
    int Top() const;
    void SetTop(int value);
    int Width() const;
    void SetWidth(int value);
    int Height() const;
    void SetHeight(int value);

    std::string HomeLanguageCode() const;
    void BuildPlan();
    // The plan options the controls describe now.
    PlanOptions CurrentPlanOptions() const;
    // Starts greying the languages that the service at achtp's address
    // cannot reach, and brings the local service up and ready for the plan
    // the controls describe; the program entry calls it once the window is
    // shown.
    void WatchServiceLanguages();
    // Closes the window as its close box does, after any dialog or message
    // box open over it: what a terminate, hang-up or interrupt signal does.
    void CloseFromOutside();

    void ButtonTranslateClick(QObject* Sender);
    void ButtonStopClick(QObject* Sender);
    void CheckBoxShowEachClick(QObject* Sender);
    void AddEditFavorites1Click(QObject* Sender);
    void SaveJourney1Click(QObject* Sender);
    void ContentsMenuItemClick(QObject* Sender);
    void ItemCheckforUpdatesClick(QObject* Sender);
    void VisitInternetForumItemClick(QObject* Sender);
    void AboutItemClick(QObject* Sender);
    void OriginalTextMemoKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);
    void TranslatedTextMemoKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);
    void MemoDebugInfoKeyDown(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift);

    // The engine's request component, under the name the tests know.
    TacHTTP* achtp = nullptr;
    RunEngine* runEngine = nullptr;
    TacQuickAboutBox* AboutBox = nullptr;
    // Brings up the local service before a run's first request.
    ServiceStarter* serviceStarter = nullptr;
    ReachableLanguages* reachableLanguages = nullptr;
    ServiceWarmUp* serviceWarmUp = nullptr;

    // The plan of the latest run and the languages it visits.
    std::vector<PlanStep> Plan;
    int PlanCount = 0;
    std::string Route;

    // A pending message, shown after "Ready.  " when the run finishes.
    std::string StatusMessage;
    std::string ExeDir;
    std::unique_ptr<TMainFormSettings> Settings;

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
    void setupRun();
    void setupServiceWarmUp();
    void setupAboutBox();
    void setupHandlers();
    void setupShortcuts();
    QCheckBox* AddCheckBox(
        QWidget* column, const char* name, const char* caption, bool checked, const char* hint);
    void FitToFonts();
    int OptionsPanelFit();
    int LowerPaneFit() const;
    int SeparatorFit() const;
    void PlaceAtScreenCentre();
    QSize FrameMargins() const;
    void ResizeFrame(QSize frame);

    RunInputs LiveRunInputs();
    void ShowOutputAtMarker(const MarkerReport& marker);
    void EndRun(const RunEnd& end);
    void ShowWhereRunStopped(const RunEnd& end);
    void MoveFocusOffDisabledButton(QWidget* button, QWidget* target);
    void FinishRun();
    void ShowFinalResult(const std::string& text);
    void AutoCopy(const std::string& text);
    void SelectAllOnControlA(TMemo* memo, int& Key, Qt::KeyboardModifiers Shift);

    // The controls and menu commands. Each carries its member's name as its
    // object name, by which the saver and the tests find it.
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

    std::string programDirectory;
};
