#include "run/ServicePreparation.h"

#include "run/ServiceQuery.h"
#include "run/TranslationPlan.h"
#include "run/TranslationRequest.h"

#include <algorithm>

std::vector<std::string> PlanSteps(const std::vector<std::string>& plan)
{
    std::vector<std::string> steps;
    for (const std::string& entry : plan) {
        if (entry != OutputMarker && std::find(steps.begin(), steps.end(), entry) == steps.end())
            steps.push_back(entry);
    }
    return steps;
}

std::string PrepareForm(const std::vector<std::string>& steps)
{
    std::string pairs;
    for (const std::string& step : steps)
        pairs += (pairs.empty() ? "" : ",") + step;
    return "pairs=" + FormEncode(pairs);
}

ServicePreparation::ServicePreparation(QObject* parent)
    : QObject(parent), query(new ServiceQuery(this))
{
}

void ServicePreparation::Send(
    const std::string& url, const std::vector<std::string>& plan, std::function<void()> done)
{
    const std::vector<std::string> steps = PlanSteps(plan);
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
