#include "run/ServicePreparation.h"

#include "run/PlanStep.h"
#include "run/ServiceQuery.h"
#include "run/TranslationRequest.h"

#include <algorithm>

std::vector<PlanStep> PlanSteps(const std::vector<PlanStep>& plan)
{
    std::vector<PlanStep> steps;
    for (const PlanStep& entry : plan) {
        if (!entry.IsOutputMarker() && std::find(steps.begin(), steps.end(), entry) == steps.end())
            steps.push_back(entry);
    }
    return steps;
}

std::string PrepareForm(const std::vector<PlanStep>& steps)
{
    std::string pairs;
    for (const PlanStep& step : steps)
        pairs += (pairs.empty() ? "" : ",") + step.Text();
    return "pairs=" + FormEncode(pairs);
}

ServicePreparation::ServicePreparation(QObject* parent)
    : QObject(parent), query(new ServiceQuery(this))
{
}

void ServicePreparation::Send(
    const std::string& url, const std::vector<PlanStep>& plan, std::function<void()> done)
{
    const std::vector<PlanStep> steps = PlanSteps(plan);
    if (steps.empty()) {
        if (done)
            done();
        return;
    }
    Question question { url, PrepareForm(steps), std::move(done) };
    if (query->Busy()) {
        // The plan it replaces is no longer wanted, but whoever waits for it
        // is still told.
        if (waiting && waiting->done)
            waiting->done();
        waiting = std::move(question);
        return;
    }
    Ask(std::move(question));
}

void ServicePreparation::Ask(Question question)
{
    outstandingDone = std::move(question.done);
    if (!query->Post(
            question.url, "/prepare", question.form, [this](const ServiceAnswer&) { Answered(); }))
        Answered();
}

void ServicePreparation::Answered()
{
    if (const auto done = std::exchange(outstandingDone, {}))
        done();
    if (waiting)
        Ask(*std::exchange(waiting, std::nullopt));
}
