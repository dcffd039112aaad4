// Asks the local translation service to get ready, ahead of a run, for the
// steps of a plan (POST /prepare), so that the run does not wait for each of
// its translation engines to start in turn. Only the newest plan matters: a
// plan given while an earlier question is out replaces any other waiting
// one and is sent when that question has been answered.
#pragma once

#include "run/PlanStep.h"

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class ServiceQuery;
struct ServiceAnswer;

// The steps of a plan, each once, in the order the plan first takes them.
std::vector<PlanStep> PlanSteps(const std::vector<PlanStep>& plan);

// The form body of the question: "pairs=" and the steps joined by commas,
// form-encoded.
std::string PrepareForm(const std::vector<PlanStep>& steps);

class ServicePreparation : public QObject {
public:
    explicit ServicePreparation(QObject* parent = nullptr);

    // Asks the service at url to prepare the plan's steps; done, if given,
    // is called from the event loop once the service has answered or it is
    // clear that it will not. A plan without steps asks nothing.
    void Send(
        const std::string& url, const std::vector<PlanStep>& plan, std::function<void()> done = {});

private:
    struct Question {
        std::string url;
        std::string form;
        std::function<void()> done;
    };

    void Ask(Question question);
    void Answered();

    ServiceQuery* query;
    std::function<void()> outstandingDone;
    std::optional<Question> waiting;
};
