// How much time a run spends in the program per step, and whether the cost
// of a step stays flat as the debug memo fills. Runs a 100-step and a
// 1,000-step plan through the real window against the stand-in service on
// loopback, with the pause off.
#include "app/CheckListBox.h"
#include "app/MainFormUnit.h"
#include "app/Memo.h"
#include "platform/InternetLibrary.h"
#include "platform/Text.h"
#include "transfer/acHTTP.h"
#include "widgets/acEdit.h"

#include "tests/support/StandInService.h"
#include "tests/support/TemporaryFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

const std::string Sentence = "The quick brown fox jumps over the lazy dog.";

// Every reply has the same length, so that the work per step does not grow
// with the text and any growth comes from the program itself.
ServiceReply FixedLengthReply(const ServiceRequest& request, int)
{
    return { 200, standin::ReplyPage({ request.fields.at("tl") + ":" + Sentence }) };
}

struct RunFigures {
    int steps = 0;
    double wallSeconds = 0;
    double serviceSeconds = 0;
    // Mean time from one request's arrival to the next, less the service's
    // part, over the first and the last hundred steps.
    double firstHundredStep = 0;
    double lastHundredStep = 0;
    // Time inside the window's completion handler, which cuts the reply out,
    // writes the debug blocks and issues the next request.
    double handlerSeconds = 0;
};

double MeanStep(const std::vector<Clock::time_point>& arrivals,
    const std::vector<std::chrono::nanoseconds>& service, std::size_t from, std::size_t to)
{
    double total = 0;
    for (std::size_t i = from; i < to; ++i)
        total += Seconds(arrivals[i + 1] - arrivals[i] - service[i]).count();
    return total / static_cast<double>(to - from);
}

// languages × loops × 2 steps: each language out and back once per loop.
RunFigures TimeRun(int languages, unsigned loops)
{
    StandInService service;
    service.SetResponder(FixedLengthReply);
    TemporaryFolder programFolder;
    TMainForm form(programFolder.Path());
    form.achtp->URL = service.URL();
    form.CheckBoxPause->setChecked(false);
    form.OriginalTextMemo->SetText(Sentence);
    for (int row = 0; row < languages; ++row)
        form.CheckListBoxLangs->SetChecked(row, true);
    form.acNumberEditLoops->SetMaxValue(0);
    form.acNumberEditLoops->SetValue(loops);
    form.show();
    Clock::duration inHandler {};
    const auto done = form.achtp->OnDone;
    form.achtp->OnDone = [&](auto... arguments) {
        const Clock::time_point entered = Clock::now();
        done(arguments...);
        inHandler += Clock::now() - entered;
    };

    const Clock::time_point started = Clock::now();
    QTest::mouseClick(form.ButtonTranslate, Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return form.ButtonTranslate->isEnabled(); }, 600000))
        std::puts("the run did not end within ten minutes");
    const Clock::time_point ended = Clock::now();

    RunFigures figures;
    figures.steps = static_cast<int>(service.RequestCount());
    figures.wallSeconds = Seconds(ended - started).count();
    figures.handlerSeconds = Seconds(inHandler).count();
    const auto serviceTimes = service.ServiceTimes();
    figures.serviceSeconds = Seconds(
        std::accumulate(serviceTimes.begin(), serviceTimes.end(), std::chrono::nanoseconds(0)))
                                 .count();
    const auto arrivals = service.ArrivalTimes();
    const std::size_t count = arrivals.size();
    if (count > 100) {
        figures.firstHundredStep = MeanStep(arrivals, serviceTimes, 0, 100);
        figures.lastHundredStep = MeanStep(arrivals, serviceTimes, count - 101, count - 1);
    }
    return figures;
}

void Report(const char* name, const RunFigures& figures)
{
    const double program = (figures.wallSeconds - figures.serviceSeconds) / figures.steps;
    std::printf("%-10s %5d steps  wall %.3f s  service %.3f s  program %.3f ms per step "
                "(window's handler %.3f ms)\n",
        name, figures.steps, figures.wallSeconds, figures.serviceSeconds, program * 1000,
        figures.handlerSeconds / figures.steps * 1000);
}

// The blocks one step writes to the debug memo.
std::string StepBlocks()
{
    return "\n------------------------------ TRANSLATING: en|fr ------------------------------  \n:"
        + Sentence + "\n" + std::string(78, '-')
        + "  \n:\n************ RAW REPLY ***************\nfr:" + Sentence
        + "\n***************************************\n";
}

// Seconds per appended step when the memo already holds `steps` steps. The
// machine is shared, so the quickest of several batches is taken.
template <typename Append> double AppendCost(int steps, Append append)
{
    TMemo memo;
    const std::string blocks = StepBlocks();
    for (int i = 0; i < steps; ++i)
        append(memo, blocks);
    const int batches = 10;
    const int perBatch = 10;
    double quickest = 1e9;
    for (int batch = 0; batch < batches; ++batch) {
        const Clock::time_point started = Clock::now();
        for (int i = 0; i < perBatch; ++i)
            append(memo, blocks);
        quickest = std::min(quickest, Seconds(Clock::now() - started).count() / perBatch);
    }
    return quickest;
}

void ReportAppendGrowth()
{
    const auto cheap = [](TMemo& memo, const std::string& blocks) { memo.Append(blocks); };
    const auto reassigning
        = [](TMemo& memo, const std::string& blocks) { memo.SetText(memo.Text() + blocks); };
    const double cheap100 = AppendCost(100, cheap);
    const double cheap1000 = AppendCost(1000, cheap);
    const double reassign100 = AppendCost(100, reassigning);
    const double reassign1000 = AppendCost(1000, reassigning);
    std::printf("debug memo append per step, memo holding 100 -> 1000 steps:\n");
    std::printf("  Append             %8.1f us -> %8.1f us   ratio %.2f (flat = linear run)\n",
        cheap100 * 1e6, cheap1000 * 1e6, cheap1000 / cheap100);
    std::printf("  reference: reassign %7.1f us -> %8.1f us   ratio %.2f\n", reassign100 * 1e6,
        reassign1000 * 1e6, reassign1000 / reassign100);
}

} // namespace

int main(int argc, char** argv)
{
    platform::InternetLibraryScope internet;
    QApplication application(argc, argv);
    TemporaryFolder folder;
    QDir::setCurrent(platform::ToQString(folder.Path()));

    const RunFigures small = TimeRun(25, 2);
    const RunFigures large = TimeRun(25, 20);
    Report("reference", small);
    Report("large", large);
    const double smallPerStep = (small.wallSeconds - small.serviceSeconds) / small.steps;
    const double largePerStep = (large.wallSeconds - large.serviceSeconds) / large.steps;
    std::printf("program time per step, 1000-step run against the 100-step reference: ratio %.2f\n",
        largePerStep / smallPerStep);
    std::printf("within the 1000-step run: last 100 steps against the first 100: ratio %.2f "
                "(%.3f ms -> %.3f ms)\n",
        large.lastHundredStep / large.firstHundredStep, large.firstHundredStep * 1000,
        large.lastHundredStep * 1000);
    ReportAppendGrowth();
    return 0;
}
