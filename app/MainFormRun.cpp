// The run driver of the main window: one run carries the input text through
// the plan, one request to the translation service per step, each started
// from the completion event of the one before.
#include "app/MainFormUnit.h"

#include "app/Memo.h"
#include "app/ServiceStarter.h"
#include "app/StatusBar.h"
#include "app/TranslationPlan.h"
#include "app/TranslationReply.h"
#include "app/TranslationRequest.h"
#include "platform/UserInterface.h"
#include "transfer/acHTTP.h"

#include <QCheckBox>
#include <QPushButton>
#include <chrono>
#include <thread>

namespace {

const std::string OutputSeparator = "\n" + std::string(48, '=') + "\n";
const std::string ReplyFileName = std::string("translator_replypage") + ".htm";
const auto PauseBetweenCalls = std::chrono::milliseconds(500);

// The reply extraction writes its blocks straight into the debug memo.
class MemoDebugLog final : public TDebugLog {
public:
    explicit MemoDebugLog(TMemo& memo) : memo(memo) { }
    void Append(const std::string& text) override { memo.Append(text); }

private:
    TMemo& memo;
};

} // namespace

void TMainForm::ButtonTranslateClick(QObject*)
{
    ButtonTranslate->setEnabled(false);
    ButtonStop->setEnabled(true);
    CurrentStep = 0;
    AbortRequested = false;
    if (CheckBoxShowOriginalInOutput->isChecked())
        TranslatedTextMemo->SetText(OriginalTextMemo->Text());
    else
        TranslatedTextMemo->Clear();
    MemoDebugInfo->Clear();
    CurrentText = OriginalTextMemo->Text();
    if (CurrentText.empty()) {
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
    TotalSteps = PlanCount;
    // Abort pressed while a just-started service comes up ends the run as the
    // component would have, since no transfer is there to abort yet.
    const auto firstStep = [this] { AbortRequested ? achtpAborted(achtp) : DoNextStep(); };
    if (serviceStarter->Prepare(achtp->URL, firstStep))
        StatusBar->SetText("Starting the translation service ...");
}

void TMainForm::ButtonStopClick(QObject*)
{
    achtp->Abort(false, false);
    AbortRequested = true;
}

void TMainForm::DoNextStep()
{
    if (Plan[static_cast<std::size_t>(CurrentStep)] == OutputMarker && !ShowOutputAtMarker())
        return;
    StartRequest(Plan[static_cast<std::size_t>(CurrentStep)]);
}

// Returns whether the run goes on past the marker. The two options are read
// now, so a change during the run takes effect at the next marker.
bool TMainForm::ShowOutputAtMarker()
{
    const bool reset = CheckBoxResetAfterEach->isChecked();
    if (!TranslatedTextMemo->IsEmpty())
        TranslatedTextMemo->Append(OutputSeparator);
    TranslatedTextMemo->Append(CurrentText);
    CurrentStep += 1;
    if (CurrentStep == TotalSteps || CurrentText.empty() || AbortRequested) {
        AutoCopy(TranslatedTextMemo->Text());
        FinishRun();
        return false;
    }
    if (reset && !CheckBoxAdvancedChaining->isChecked())
        CurrentText = OriginalTextMemo->Text();
    return true;
}

void TMainForm::StartRequest(const std::string& entry)
{
    const std::string text = PrepareRequestText(CurrentText);
    achtp->OutputFileName = ReplyFileName;
    MemoDebugInfo->Append(RequestBlock(entry, text));
    std::string target = entry;
    std::string source;
    SplitFirst(target, source, "|", true);
    achtp->POSTData = RequestBody(source, target, text);
    StatusBar->SetText("Translating " + std::to_string(CurrentStep + 1) + " [" + entry + "] ...");
    if (!achtp->Read(false)) {
        StatusMessage = "Error: could not reach translation url.";
        FinishRun();
    }
}

void TMainForm::achtpDone(QObject*)
{
    if (CurrentStep < 0) {
        StatusMessage = "Error: Unexpected reply after abort.";
        FinishRun();
        return;
    }
    MemoDebugLog debugLog(*MemoDebugInfo);
    CurrentText = ExtractTranslation(achtp->OutputFileName, StatusMessage, debugLog);
    CurrentStep += 1;
    if (CurrentStep == TotalSteps || CurrentText.empty()) {
        ShowFinalResult();
        FinishRun();
        return;
    }
    // The pause keeps the load on the service low; the window is meant to
    // stand still during it.
    if (CheckBoxPause->isChecked())
        std::this_thread::sleep_for(PauseBetweenCalls);
    DoNextStep();
}

void TMainForm::achtpAnyError(QObject*)
{
    StatusMessage = "Error.";
    FinishRun();
}

void TMainForm::achtpAborted(QObject*)
{
    StatusMessage = "Aborted.";
    FinishRun();
}

void TMainForm::achtpWaitTimeoutExpired(QObject*, bool&)
{
    StatusMessage = "Error: Timeout Expired.";
    FinishRun();
}

void TMainForm::FinishRun()
{
    ButtonTranslate->setEnabled(true);
    ButtonStop->setEnabled(false);
    CurrentStep = -1;
    StatusBar->SetText(StatusMessage.empty() ? "Ready." : "Ready.  " + StatusMessage);
    StatusMessage.clear();
}

void TMainForm::ShowFinalResult()
{
    if (CheckBoxShowOriginalInOutput->isChecked())
        TranslatedTextMemo->SetText(OriginalTextMemo->Text() + OutputSeparator + CurrentText);
    else
        TranslatedTextMemo->SetText(CurrentText);
    AutoCopy(CurrentText);
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
