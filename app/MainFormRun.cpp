// The window's side of a run: "Translate Now" builds the plan from the
// controls and hands the run to the engine; the engine's reports become the
// status bar, the debug memo, the output memo and the clipboard.
#include "app/MainFormUnit.h"

#include "app/ComboBox.h"
#include "app/Memo.h"
#include "app/ReachableLanguages.h"
#include "app/StatusBar.h"
#include "platform/UserInterface.h"
#include "run/RunEngine.h"
#include "run/ServiceStarter.h"
#include "transfer/acHTTP.h"

#include <QCheckBox>
#include <QPushButton>

void TMainForm::setupRun()
{
    runEngine = new RunEngine(this);
    achtp = runEngine->Component();
    runEngine->OnServiceStarting
        = [this] { StatusBar->SetText("Starting the translation service ..."); };
    runEngine->OnStepStarting = [this](const StepStart& step) {
        StatusBar->SetText(TranslatingText(step.planIndex, step.entry));
    };
    runEngine->OnOutputMarker = [this](const MarkerReport& marker) { ShowOutputAtMarker(marker); };
    runEngine->OnDebugText = [this](const std::string& text) { MemoDebugInfo->Append(text); };
    runEngine->OnEnd = [this](const RunEnd& end) { EndRun(end); };
    reachableLanguages = new ReachableLanguages(*CheckListBoxLangs, this);
    connect(ComboBoxHomeLanguage, &QComboBox::currentIndexChanged, reachableLanguages,
        [this] { reachableLanguages->ShowMarks(); });
}

void TMainForm::WatchServiceLanguages()
{
    reachableLanguages->Watch(
        [this] { return achtp->URL; }, [this] { return ComboBoxHomeLanguage->ItemIndex(); });
}

void TMainForm::ButtonTranslateClick(QObject*)
{
    ButtonTranslate->setEnabled(false);
    ButtonStop->setEnabled(true);
    if (CheckBoxShowOriginalInOutput->isChecked())
        TranslatedTextMemo->SetText(OriginalTextMemo->Text());
    else
        TranslatedTextMemo->Clear();
    MemoDebugInfo->Clear();
    const std::string input = OriginalTextMemo->Text();
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
    runEngine->Start({ input, Plan, achtp->URL, LiveRunInputs() }, serviceStarter);
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
// of it; any other end leaves both alone.
void TMainForm::EndRun(const RunEnd& end)
{
    if (end.EndedInReply())
        ShowFinalResult(end.text);
    else if (end.kind == RunEndKind::FinishedAtMarker)
        AutoCopy(TranslatedTextMemo->Text());
    StatusMessage = end.message;
    FinishRun();
    // The run may have started the service, or found another one.
    reachableLanguages->Refresh();
}

void TMainForm::FinishRun()
{
    ButtonTranslate->setEnabled(true);
    ButtonStop->setEnabled(false);
    StatusBar->SetText(ReadyText(StatusMessage));
    StatusMessage.clear();
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
