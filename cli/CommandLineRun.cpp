#include "cli/CommandLineRun.h"

#include "run/ServiceStarter.h"
#include "text/AsciiText.h"

#include <QEventLoop>
#include <optional>

CommandLineRun::CommandLineRun(CommandLineOptions options, std::string programDirectory,
    CommandLineStreams streams, std::string serviceUrl)
    : options(std::move(options)), programDirectory(std::move(programDirectory)),
      serviceUrl(std::move(serviceUrl)), streams(streams),
      progress(streams.err, streams.errIsTerminal), engine(new RunEngine(this))
{
    engine->SetReplyFolder(ReplyFolderFor(this->programDirectory));
    engine->OnServiceStarting = [this] { progress.Show("Starting the translation service ..."); };
    engine->OnStepStarting = [this](const StepStart& step) {
        progress.Show(TranslatingText(step.planIndex, step.entry));
    };
    engine->OnStepDone = [this](const StepReport& step) { steps.push_back(step); };
    engine->OnOutputMarker
        = [this](const MarkerReport& marker) { markerTexts.push_back(marker.text); };
}

CommandLineRun::~CommandLineRun() = default;

// The text is taken as the window's input memo would hold it, so that both
// send the service the same requests.
int CommandLineRun::Run(const std::string& text)
{
    if (text::Trim(text).empty()) {
        streams.err << "Please type some text in to translate first.\n";
        return ExitFailed;
    }
    const std::string input = MemoText(text);
    const TranslationPlan plan = BuildPlan(options.plan);
    std::optional<RunEnd> end;
    QEventLoop loop;
    engine->OnEnd = [&](const RunEnd& reported) {
        end = reported;
        loop.quit();
    };
    ServiceStarter starter(programDirectory, nullptr, serviceUrl);
    engine->Start({ input, plan.entries, options.url,
                      FixedRunInputs(input, options.plan.resetAfterEach,
                          options.plan.foreignChaining, options.pause),
                      options.untilStable, options.maxRounds,
                      static_cast<std::uint32_t>(options.timeoutSeconds) * 1000 },
        &starter);
    if (!end)
        loop.exec();
    engine->OnEnd = nullptr;
    progress.Clear();
    if (!Write(*end, input, plan.route))
        return ExitFailed;
    return ExitStatus(*end, interrupted);
}

void CommandLineRun::Interrupt()
{
    interrupted = true;
    engine->Abort();
}

bool CommandLineRun::Write(const RunEnd& end, const std::string& input, const std::string& route)
{
    if (options.json) {
        streams.out << RunJson(route, steps, end, interrupted);
    } else {
        OutputText output(input, options.showOriginal);
        for (const std::string& text : markerTexts)
            output.AddMarkerText(text);
        if (end.StoppedEarly())
            output.AddMarkerText(end.StoppedOutput());
        else if (end.EndedInReply())
            output.ShowFinal(end.text);
        streams.out << output.Lines();
    }
    streams.out.flush();
    if (!end.details.empty())
        streams.err << end.details << "\n";
    if (!end.message.empty())
        streams.err << end.message << "\n";
    if (streams.out)
        return true;
    streams.err << "Error. The result could not be written to standard output.\n";
    return false;
}

int CommandLineRun::ExitStatus(const RunEnd& end, bool interrupted)
{
    if (interrupted)
        return ExitInterrupted;
    return end.Failed() ? ExitFailed : ExitDone;
}
