// The window's side of a run: "Translate Now" builds the plan from the
// controls and hands the run to the engine; the engine's reports become the
// status bar, the debug memo, the output memo and the clipboard. The run
// itself is the engine's.
#pragma once

#include "run/PlanStep.h"

#include <QObject>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QMainWindow;
class QPushButton;
class ReachableLanguages;
class RunEngine;
class ServiceStarter;
class ServiceWarmUp;
class TacNumberEdit;
class TCheckListBox;
class TComboBox;
class TJourneyView;
class TMemo;
class TStatusBar;
struct MarkerReport;
struct PlanOptions;
struct RunEnd;
struct RunInputs;

class TMainFormRun : public QObject {
public:
    // The window's controls must be in place. The starter is read where a
    // run or the language watch needs it, so that one put in its place
    // later is the one used.
    TMainFormRun(
        QMainWindow& form, ServiceStarter*& serviceStarter, const std::string& programDirectory);

    void Translate();
    void Abort();
    void FinishRun();
    void BuildPlan();
    std::string HomeLanguageCode() const;
    // Starts greying the languages that the service at the request
    // component's address cannot reach, and brings the local service up and
    // ready for the plan the controls describe.
    void WatchServiceLanguages();

    RunEngine* runEngine;
    ReachableLanguages* reachableLanguages = nullptr;

    // The plan of the latest run and the languages it visits.
    std::vector<PlanStep> Plan;
    int PlanCount = 0;
    std::string Route;

    // A pending message, shown after "Ready.  " when the run finishes.
    std::string StatusMessage;

private:
    void ConnectEngine();
    void SetUpServiceWarmUp();
    // The plan options the controls describe now.
    PlanOptions CurrentPlanOptions() const;
    const std::string& Url() const;
    RunInputs LiveRunInputs();
    void ShowOutputAtMarker(const MarkerReport& marker);
    void EndRun(const RunEnd& end);
    void ShowWhereRunStopped(const RunEnd& end);
    void MoveFocusOffDisabledButton(QWidget& button, QWidget& target);
    void ShowFinalResult(const std::string& text);
    void AutoCopy(const std::string& text);

    QMainWindow& form;
    ServiceStarter*& serviceStarter;
    ServiceWarmUp* serviceWarmUp = nullptr;

    TMemo& OriginalTextMemo;
    TMemo& TranslatedTextMemo;
    TMemo& MemoDebugInfo;
    TStatusBar& StatusBar;
    TJourneyView& JourneyView;
    QAction& SaveJourney1;
    QPushButton& ButtonTranslate;
    QPushButton& ButtonStop;
    TComboBox& ComboBoxHomeLanguage;
    TCheckListBox& CheckListBoxLangs;
    TacNumberEdit& acNumberEditLoops;
    QCheckBox& CheckBoxShowEach;
    QCheckBox& CheckBoxResetAfterEach;
    QCheckBox& CheckBoxPause;
    QCheckBox& CheckBoxReverseOrder;
    QCheckBox& CheckBoxAdvancedChaining;
    QCheckBox& CheckBoxUntilStable;
    QCheckBox& CheckBoxShowOriginalInOutput;
    QCheckBox& CheckBoxAutoCopyClipboard;
};
