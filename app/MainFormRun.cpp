#include "app/MainFormRun.h"

#include "app/CheckListBox.h"
#include "app/ComboBox.h"
#include "app/FormControl.h"
#include "app/JourneyView.h"
#include "app/Memo.h"
#include "app/ReachableLanguages.h"
#include "app/ServiceWarmUp.h"
#include "app/StatusBar.h"
#include "platform/UserInterface.h"
#include "run/LanguageTable.h"
#include "run/RunEngine.h"
#include "run/ServiceAddress.h"
#include "run/ServiceStarter.h"
#include "run/TranslationPlan.h"
#include "transfer/acHTTP.h"
#include "widgets/acEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QMainWindow>
#include <QPushButton>

TMainFormRun::TMainFormRun(
    QMainWindow& form, ServiceStarter*& serviceStarter, const std::string& programDirectory)
    : QObject(&form), runEngine(new RunEngine(this)), StatusMessage(ServiceNotice), form(form),
      serviceStarter(serviceStarter),
      OriginalTextMemo(FormControl<TMemo>(form, "OriginalTextMemo")),
      TranslatedTextMemo(FormControl<TMemo>(form, "TranslatedTextMemo")),
      MemoDebugInfo(FormControl<TMemo>(form, "MemoDebugInfo")),
      StatusBar(FormControl<TStatusBar>(form, "StatusBar")),
      JourneyView(FormControl<TJourneyView>(form, "JourneyView")),
      SaveJourney1(FormControl<QAction>(form, "SaveJourney1")),
      ButtonTranslate(FormControl<QPushButton>(form, "ButtonTranslate")),
      ButtonStop(FormControl<QPushButton>(form, "ButtonStop")),
      ComboBoxHomeLanguage(FormControl<TComboBox>(form, "ComboBoxHomeLanguage")),
      CheckListBoxLangs(FormControl<TCheckListBox>(form, "CheckListBoxLangs")),
      acNumberEditLoops(FormControl<TacNumberEdit>(form, "acNumberEditLoops")),
      CheckBoxShowEach(FormControl<QCheckBox>(form, "CheckBoxShowEach")),
      CheckBoxResetAfterEach(FormControl<QCheckBox>(form, "CheckBoxResetAfterEach")),
      CheckBoxPause(FormControl<QCheckBox>(form, "CheckBoxPause")),
      CheckBoxReverseOrder(FormControl<QCheckBox>(form, "CheckBoxReverseOrder")),
      CheckBoxAdvancedChaining(FormControl<QCheckBox>(form, "CheckBoxAdvancedChaining")),
      CheckBoxUntilStable(FormControl<QCheckBox>(form, "CheckBoxUntilStable")),
      CheckBoxShowOriginalInOutput(FormControl<QCheckBox>(form, "CheckBoxShowOriginalInOutput")),
      CheckBoxAutoCopyClipboard(FormControl<QCheckBox>(form, "CheckBoxAutoCopyClipboard"))
{
    runEngine->SetReplyFolder(ReplyFolderFor(programDirectory));
    runEngine->SetOwnServiceHeaders(
        { "X-Tornalo-Window: " + std::to_string(QCoreApplication::applicationPid()) });
    ConnectEngine();
    reachableLanguages = new ReachableLanguages(CheckListBoxLangs, this);
    connect(&ComboBoxHomeLanguage, &QComboBox::currentIndexChanged, reachableLanguages,
        [this] { reachableLanguages->ShowMarks(); });
    SetUpServiceWarmUp();
}

void TMainFormRun::ConnectEngine()
{
    runEngine->OnServiceStarting
        = [this] { StatusBar.SetText("Starting the translation service ..."); };
    runEngine->OnStepStarting = [this](const StepStart& step) {
        StatusBar.SetText(TranslatingText(step.planIndex, step.entry));
    };
    runEngine->OnStepDone = [this](const StepReport& step) {
        JourneyView.AddStep(step);
        SaveJourney1.setEnabled(true);
    };
    runEngine->OnOutputMarker = [this](const MarkerReport& marker) { ShowOutputAtMarker(marker); };
    runEngine->OnDebugText = [this](const std::string& text) { MemoDebugInfo.Append(text); };
    runEngine->OnEnd = [this](const RunEnd& end) { EndRun(end); };
}

// The steps change with the languages, the home language and the two
// options that decide whether the plan goes out and back.
void TMainFormRun::SetUpServiceWarmUp()
{
    serviceWarmUp = new ServiceWarmUp(
        this, [this] { return Url(); },
        [this] { return ::BuildPlan(CurrentPlanOptions()).entries; });
    const auto planChanged = [this] { serviceWarmUp->PlanChanged(); };
    connect(&CheckListBoxLangs, &QListWidget::itemChanged, serviceWarmUp, planChanged);
    connect(&ComboBoxHomeLanguage, &QComboBox::currentIndexChanged, serviceWarmUp, planChanged);
    connect(&CheckBoxAdvancedChaining, &QCheckBox::toggled, serviceWarmUp, planChanged);
    connect(&CheckBoxResetAfterEach, &QCheckBox::toggled, serviceWarmUp, planChanged);
}

const std::string& TMainFormRun::Url() const
{
    return runEngine->Component()->URL;
}

void TMainFormRun::WatchServiceLanguages()
{
    reachableLanguages->Watch([this] { return serviceStarter->ResolvedUrl(Url()); },
        [this] { return ComboBoxHomeLanguage.ItemIndex(); });
    serviceWarmUp->Start(*serviceStarter, [this] { reachableLanguages->Refresh(); });
}

std::string TMainFormRun::HomeLanguageCode() const
{
    return ::HomeLanguageCode(ComboBoxHomeLanguage.ItemIndex());
}

void TMainFormRun::BuildPlan()
{
    TranslationPlan plan = ::BuildPlan(CurrentPlanOptions());
    Plan = std::move(plan.entries);
    PlanCount = static_cast<int>(Plan.size());
    Route = std::move(plan.route);
}

PlanOptions TMainFormRun::CurrentPlanOptions() const
{
    PlanOptions options;
    for (int row = 0; row < LanguageCount; ++row)
        options.ticked[static_cast<std::size_t>(row)] = CheckListBoxLangs.Checked(row);
    options.homeRow = ComboBoxHomeLanguage.ItemIndex();
    options.loops = static_cast<int>(acNumberEditLoops.Value());
    options.reverseOrder = CheckBoxReverseOrder.isChecked();
    options.resetAfterEach = CheckBoxResetAfterEach.isChecked();
    options.foreignChaining = CheckBoxAdvancedChaining.isChecked();
    options.showEachStep = CheckBoxShowEach.isChecked();
    return options;
}

void TMainFormRun::Translate()
{
    MoveFocusOffDisabledButton(ButtonTranslate, OriginalTextMemo);
    ButtonTranslate.setEnabled(false);
    ButtonStop.setEnabled(true);
    if (CheckBoxShowOriginalInOutput.isChecked())
        TranslatedTextMemo.SetText(OriginalTextMemo.Text());
    else
        TranslatedTextMemo.Clear();
    MemoDebugInfo.Clear();
    const std::string input = OriginalTextMemo.Text();
    JourneyView.Start(input, HomeLanguageCode(), CheckBoxUntilStable.isChecked());
    SaveJourney1.setEnabled(false);
    if (input.empty()) {
        platform::ShowMessageBox(
            &form, { "Please type some text in to translate first.", "Tornalo" });
        FinishRun();
        return;
    }
    BuildPlan();
    if (PlanCount == 0) {
        StatusMessage = "Error: please specify some languages to translate.";
        FinishRun();
        return;
    }
    runEngine->Start(
        { input, Plan, Url(), LiveRunInputs(), CheckBoxUntilStable.isChecked() }, serviceStarter);
}

// The run reads these controls where it needs them, so a change during the
// run takes effect at the next marker or reply.
RunInputs TMainFormRun::LiveRunInputs()
{
    return { [this] { return OriginalTextMemo.Text(); },
        [this] { return CheckBoxResetAfterEach.isChecked(); },
        [this] { return CheckBoxAdvancedChaining.isChecked(); },
        [this] { return CheckBoxPause.isChecked(); } };
}

void TMainFormRun::Abort()
{
    runEngine->Abort();
}

void TMainFormRun::ShowOutputAtMarker(const MarkerReport& marker)
{
    if (!TranslatedTextMemo.IsEmpty())
        TranslatedTextMemo.Append(OutputSeparator);
    TranslatedTextMemo.Append(marker.text);
}

// Ending in a reply rewrites the output memo and copies the final text;
// ending at a marker keeps the memo as the markers left it and copies all
// of it; a failure or abort keeps it too and adds where the run stopped and
// the text it had reached. A reply that comes in after the run has ended
// belongs to no journey.
void TMainFormRun::EndRun(const RunEnd& end)
{
    if (end.StoppedEarly())
        ShowWhereRunStopped(end);
    else if (end.EndedInReply())
        ShowFinalResult(end.text);
    else if (end.kind == RunEndKind::FinishedAtMarker)
        AutoCopy(TranslatedTextMemo.Text());
    if (end.kind != RunEndKind::UnexpectedReply)
        JourneyView.Finish(end.message);
    StatusMessage = end.message;
    FinishRun();
    // The run may have started the service, or found another one.
    reachableLanguages->Refresh();
}

void TMainFormRun::FinishRun()
{
    ButtonTranslate.setEnabled(true);
    MoveFocusOffDisabledButton(ButtonStop, ButtonTranslate);
    ButtonStop.setEnabled(false);
    StatusBar.SetText(ReadyText(StatusMessage));
    StatusMessage.clear();
}

// A button that is disabled while it has the focus hands it to the next
// control in the tab order, the Loops box, where the next key would change
// the loop count; the focus goes where the user can type or press instead.
void TMainFormRun::MoveFocusOffDisabledButton(QWidget& button, QWidget& target)
{
    if (form.focusWidget() == &button)
        target.setFocus();
}

void TMainFormRun::ShowWhereRunStopped(const RunEnd& end)
{
    if (!TranslatedTextMemo.IsEmpty())
        TranslatedTextMemo.Append(OutputSeparator);
    TranslatedTextMemo.Append(end.StoppedOutput());
    AutoCopy(TranslatedTextMemo.Text());
}

void TMainFormRun::ShowFinalResult(const std::string& text)
{
    if (CheckBoxShowOriginalInOutput.isChecked())
        TranslatedTextMemo.SetText(OriginalTextMemo.Text() + OutputSeparator + text);
    else
        TranslatedTextMemo.SetText(text);
    AutoCopy(text);
}

// Neither the beep nor the clipboard is worth stopping for.
void TMainFormRun::AutoCopy(const std::string& text)
{
    if (!CheckBoxAutoCopyClipboard.isChecked())
        return;
    try {
        platform::Beep();
        platform::SetClipboardText(text);
    } catch (...) {
    }
}
