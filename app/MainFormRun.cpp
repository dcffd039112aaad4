// The window's side of a run: "Translate Now" builds the plan from the
// controls and hands the run to the engine; the engine's reports become the
// status bar, the debug memo, the output memo and the clipboard.
#include "app/MainFormUnit.h"

#include "app/CheckListBox.h"
#include "app/ComboBox.h"
#include "app/JourneyView.h"
#include "app/Memo.h"
#include "app/ReachableLanguages.h"
#include "app/ServiceWarmUp.h"
#include "app/StatusBar.h"
#include "platform/UserInterface.h"
#include "run/RunEngine.h"
#include "run/ServiceStarter.h"
#include "run/TranslationPlan.h"
#include "transfer/acHTTP.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QPushButton>

void TMainForm::setupRun()
{
    runEngine = new RunEngine(this);
    runEngine->SetReplyFolder(ReplyFolderFor(programDirectory));
    runEngine->SetOwnServiceHeaders(
        { "X-Tornalo-Window: " + std::to_string(QCoreApplication::applicationPid()) });
    achtp = runEngine->Component();
    runEngine->OnServiceStarting
        = [this] { StatusBar->SetText("Starting the translation service ..."); };
    runEngine->OnStepStarting = [this](const StepStart& step) {
        StatusBar->SetText(TranslatingText(step.planIndex, step.entry));
    };
    runEngine->OnStepDone = [this](const StepReport& step) {
        JourneyView->AddStep(step);
        SaveJourney1->setEnabled(true);
    };
    runEngine->OnOutputMarker = [this](const MarkerReport& marker) { ShowOutputAtMarker(marker); };
    runEngine->OnDebugText = [this](const std::string& text) { MemoDebugInfo->Append(text); };
    runEngine->OnEnd = [this](const RunEnd& end) { EndRun(end); };
    reachableLanguages = new ReachableLanguages(*CheckListBoxLangs, this);
    connect(ComboBoxHomeLanguage, &QComboBox::currentIndexChanged, reachableLanguages,
        [this] { reachableLanguages->ShowMarks(); });
    setupServiceWarmUp();
}

// The steps change with the languages, the home language and the two
// options that decide whether the plan goes out and back.
void TMainForm::setupServiceWarmUp()
{
    serviceWarmUp = new ServiceWarmUp(
        this, [this] { return achtp->URL; },
        [this] { return ::BuildPlan(CurrentPlanOptions()).entries; });
    const auto planChanged = [this] { serviceWarmUp->PlanChanged(); };
    connect(CheckListBoxLangs, &QListWidget::itemChanged, serviceWarmUp, planChanged);
    connect(ComboBoxHomeLanguage, &QComboBox::currentIndexChanged, serviceWarmUp, planChanged);
    connect(CheckBoxAdvancedChaining, &QCheckBox::toggled, serviceWarmUp, planChanged);
    connect(CheckBoxResetAfterEach, &QCheckBox::toggled, serviceWarmUp, planChanged);
}

void TMainForm::WatchServiceLanguages()
{
    reachableLanguages->Watch([this] { return serviceStarter->ResolvedUrl(achtp->URL); },
        [this] { return ComboBoxHomeLanguage->ItemIndex(); });
    serviceWarmUp->Start(*serviceStarter, [this] { reachableLanguages->Refresh(); });
}

void TMainForm::ButtonTranslateClick(QObject*)
{
    MoveFocusOffDisabledButton(ButtonTranslate, OriginalTextMemo);
    ButtonTranslate->setEnabled(false);
    ButtonStop->setEnabled(true);
    if (CheckBoxShowOriginalInOutput->isChecked())
        TranslatedTextMemo->SetText(OriginalTextMemo->Text());
    else
        TranslatedTextMemo->Clear();
    MemoDebugInfo->Clear();
    const std::string input = OriginalTextMemo->Text();
    JourneyView->Start(input, HomeLanguageCode(), CheckBoxUntilStable->isChecked());
    SaveJourney1->setEnabled(false);
    if (input.empty()) {
        platform::ShowMessageBox(
            this, { "Please type some text in to translate first.", "Tornalo" });
        FinishRun();
        return;
    }
    BuildPlan();
    if (PlanCount == 0) {
        StatusMessage = "Error: please specify some languages to translate.";
        FinishRun();
        return;
    }
    runEngine->Start({ input, Plan, achtp->URL, LiveRunInputs(), CheckBoxUntilStable->isChecked() },
        serviceStarter);
}

// The run reads these controls where it needs them, so a change during the
// run takes effect at the next marker or reply.
RunInputs TMainForm::LiveRunInputs()
{
    return { [this] { return OriginalTextMemo->Text(); },
        [this] { return CheckBoxResetAfterEach->isChecked(); },
        [this] { return CheckBoxAdvancedChaining->isChecked(); },
        [this] { return CheckBoxPause->isChecked(); } };
}

void TMainForm::ButtonStopClick(QObject*)
{
    runEngine->Abort();
}

void TMainForm::ShowOutputAtMarker(const MarkerReport& marker)
{
    if (!TranslatedTextMemo->IsEmpty())
        TranslatedTextMemo->Append(OutputSeparator);
    TranslatedTextMemo->Append(marker.text);
}

// Ending in a reply rewrites the output memo and copies the final text;
// ending at a marker keeps the memo as the markers left it and copies all
// of it; a failure or abort keeps it too and adds where the run stopped and
// the text it had reached. A reply that comes in after the run has ended
// belongs to no journey.
void TMainForm::EndRun(const RunEnd& end)
{
    if (end.StoppedEarly())
        ShowWhereRunStopped(end);
    else if (end.EndedInReply())
        ShowFinalResult(end.text);
    else if (end.kind == RunEndKind::FinishedAtMarker)
        AutoCopy(TranslatedTextMemo->Text());
    if (end.kind != RunEndKind::UnexpectedReply)
        JourneyView->Finish(end.message);
    StatusMessage = end.message;
    FinishRun();
    // The run may have started the service, or found another one.
    reachableLanguages->Refresh();
}

void TMainForm::FinishRun()
{
    ButtonTranslate->setEnabled(true);
    MoveFocusOffDisabledButton(ButtonStop, ButtonTranslate);
    ButtonStop->setEnabled(false);
    StatusBar->SetText(ReadyText(StatusMessage));
    StatusMessage.clear();
}

// A button that is disabled while it has the focus hands it to the next
// control in the tab order, the Loops box, where the next key would change
// the loop count; the focus goes where the user can type or press instead.
void TMainForm::MoveFocusOffDisabledButton(QWidget* button, QWidget* target)
{
    if (focusWidget() == button)
        target->setFocus();
}

void TMainForm::ShowWhereRunStopped(const RunEnd& end)
{
    if (!TranslatedTextMemo->IsEmpty())
        TranslatedTextMemo->Append(OutputSeparator);
    TranslatedTextMemo->Append(end.StoppedOutput());
    AutoCopy(TranslatedTextMemo->Text());
}

void TMainForm::ShowFinalResult(const std::string& text)
{
    if (CheckBoxShowOriginalInOutput->isChecked())
        TranslatedTextMemo->SetText(OriginalTextMemo->Text() + OutputSeparator + text);
    else
        TranslatedTextMemo->SetText(text);
    AutoCopy(text);
}

// Neither the beep nor the clipboard is worth stopping for.
void TMainForm::AutoCopy(const std::string& text)
{
    if (!CheckBoxAutoCopyClipboard->isChecked())
        return;
    try {
        platform::Beep();
        platform::SetClipboardText(text);
    } catch (...) {
    }
}
