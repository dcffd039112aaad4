#include "app/ServiceWarmUp.h"

#include "run/ServicePreparation.h"
#include "run/ServiceQuery.h"
#include "run/ServiceStarter.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

// Ticking several languages in a row asks once.
const int PrepareDelay = 300; // milliseconds

} // namespace

ServiceWarmUp::ServiceWarmUp(
    QObject* parent, std::function<std::string()> url, std::function<std::vector<PlanStep>()> plan)
    : QObject(parent), url(std::move(url)), plan(std::move(plan)),
      preparation(new ServicePreparation(this)), holding(new ServiceQuery(this)),
      delay(new QTimer(this))
{
    delay->setSingleShot(true);
    delay->setInterval(PrepareDelay);
    connect(delay, &QTimer::timeout, this, [this] { Send(); });
}

void ServiceWarmUp::Start(ServiceStarter& serviceStarter, std::function<void()> up)
{
    starter = &serviceStarter;
    if (!starter->LooksAfter(url()))
        return;
    starter->Prepare(url(), [this, up = std::move(up)](const ServiceReadiness& readiness) {
        if (readiness.failed)
            return;
        serviceUp = true;
        Hold(readiness.url);
        if (up)
            up();
        Send();
    });
}

void ServiceWarmUp::PlanChanged()
{
    if (serviceUp)
        delay->start();
}

// The service ends soon after the last window that holds it has gone.
void ServiceWarmUp::Hold(const std::string& serviceUrl)
{
    holding->Post(serviceUrl, "/hold",
        "window=" + std::to_string(QCoreApplication::applicationPid()),
        [](const ServiceAnswer&) {});
}

// The steps are what the service needs to know; a plan whose steps were
// prepared already asks nothing.
void ServiceWarmUp::Send()
{
    if (!starter || !starter->LooksAfter(url()))
        return;
    std::vector<PlanStep> steps = PlanSteps(plan());
    if (steps.empty() || steps == prepared)
        return;
    preparation->Send(starter->ResolvedUrl(url()), steps);
    prepared = std::move(steps);
}
