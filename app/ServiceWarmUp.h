// Keeps the local translation service ready for the run the window's
// controls describe: brought up when the window opens, without the window
// waiting for it, and held by the window until its process ends, and asked to prepare the steps of
// that plan whenever the ticked languages or the home language change, so that the first run waits
// for nothing that could have started before it. A window whose service is
// elsewhere is left as it is.
#pragma once

#include "run/PlanStep.h"

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QTimer;
class ServicePreparation;
class ServiceQuery;
class ServiceStarter;

class ServiceWarmUp : public QObject {
public:
    // url gives the service's address and plan the entries of the plan the
    // controls describe, both read again whenever they are needed.
    ServiceWarmUp(QObject* parent, std::function<std::string()> url,
        std::function<std::vector<PlanStep>()> plan);

    // Starts the service through starter when the address is its own; up is
    // called once it answers, then the plan is prepared.
    void Start(ServiceStarter& starter, std::function<void()> up);
    // The plan may have changed: it is prepared again shortly, once for
    // several changes in a row.
    void PlanChanged();

    bool ServiceUp() const { return serviceUp; }

private:
    void Hold(const std::string& serviceUrl);
    void Send();

    std::function<std::string()> url;
    std::function<std::vector<PlanStep>()> plan;
    ServiceStarter* starter = nullptr;
    ServicePreparation* preparation;
    ServiceQuery* holding;
    QTimer* delay;
    bool serviceUp = false;
    std::vector<PlanStep> prepared;
};
