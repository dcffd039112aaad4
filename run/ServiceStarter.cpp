#include "run/ServiceStarter.h"

#include "platform/BackgroundProgram.h"
#include "platform/InternetClient.h"
#include "run/ServiceQuery.h"

#include <QTimer>

namespace {

const char* const ServiceProgramName = "tornalo-service";
// Long enough to outlast the gaps between runs of one sitting.
const int IdleExitSeconds = 600;
const auto PollInterval = std::chrono::milliseconds(100);

bool IsLoopbackHost(const std::string& host)
{
    return host == "localhost" || host == "127.0.0.1";
}

bool HasNoPath(const platform::InternetUrlParts& parts)
{
    return (parts.UrlPath.empty() || parts.UrlPath == "/") && parts.ExtraInfo.empty();
}

std::string CommandLine(const platform::ProgramCommand& command)
{
    std::string line = command.program;
    for (const std::string& argument : command.arguments)
        line += " " + argument;
    return line;
}

std::string WithoutFinalLineBreaks(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

} // namespace

bool IsDefaultServiceAddress(const std::string& url, const std::string& defaultUrl)
{
    const auto given = platform::CrackUrl(url);
    const auto expected = platform::CrackUrl(defaultUrl);
    return given && expected && given->Scheme == expected->Scheme && given->Port == expected->Port
        && IsLoopbackHost(given->HostName) && IsLoopbackHost(expected->HostName)
        && given->UserName.empty() && HasNoPath(*given);
}

bool IsLoopbackAddress(const std::string& url)
{
    const auto parts = platform::CrackUrl(url);
    return parts && IsLoopbackHost(parts->HostName);
}

ServiceStarter::ServiceStarter(
    std::string programDirectory, QObject* parent, std::string defaultUrl)
    : QObject(parent), programDirectory(std::move(programDirectory)),
      defaultUrl(std::move(defaultUrl)), query(new ServiceQuery(this)), pollTimer(new QTimer(this))
{
    if (const auto parts = platform::CrackUrl(this->defaultUrl))
        port = parts->Port;
    pollTimer->setInterval(PollInterval);
    connect(pollTimer, &QTimer::timeout, this, [this] { Poll(); });
}

ServiceStarter::~ServiceStarter() = default;

bool ServiceStarter::Prepare(
    const std::string& url, ReadyCallback ready, std::function<void()> starting)
{
    if (!LooksAfter(url)) {
        ready({});
        return false;
    }
    if (phase == Phase::Waiting && starting)
        starting();
    waiting.push_back({ std::move(ready), std::move(starting) });
    if (phase == Phase::Idle) {
        phase = Phase::Asking;
        query->Get(defaultUrl, "/", [this](const ServiceAnswer& answer) { Ask(answer); });
    }
    return true;
}

bool ServiceStarter::LooksAfter(const std::string& url) const
{
    return port != 0 && IsDefaultServiceAddress(url, defaultUrl);
}

// Anything but an HTTP answer means the service is not there. Something
// else may hold the port; the service then says so when it cannot listen.
void ServiceStarter::Ask(const ServiceAnswer& answer)
{
    if (answer.listener == ServiceListener::Answering)
        Finish({});
    else
        Start();
}

void ServiceStarter::Start()
{
    const platform::ProgramCommand start { programDirectory + ServiceProgramName,
        { "--port", std::to_string(port), "--idle-exit", std::to_string(IdleExitSeconds) },
        programDirectory };
    command = CommandLine(start);
    program = platform::StartBackgroundProgram(start);
    if (!program->Started()) {
        Finish({ true, Report("") });
        return;
    }
    phase = Phase::Waiting;
    waitEnd = std::chrono::steady_clock::now() + WaitLimit;
    pollTimer->start();
    for (const Waiter& waiter : std::vector<Waiter>(waiting))
        if (waiter.starting)
            waiter.starting();
}

// One question at a time: a listener that holds the question for a while
// makes the polls further apart.
void ServiceStarter::Poll()
{
    if (!query->Busy())
        query->Get(defaultUrl, "/", [this](const ServiceAnswer& answer) { Check(answer); });
}

void ServiceStarter::Check(const ServiceAnswer& answer)
{
    if (answer.listener == ServiceListener::Answering)
        Finish({});
    else if (!program->Running())
        Finish({ true, Report("It ended without answering.") });
    else if (std::chrono::steady_clock::now() >= waitEnd)
        Finish({ true,
            Report("It did not answer within " + std::to_string(WaitLimit.count())
                + " milliseconds.") });
}

std::string ServiceStarter::Report(const std::string& why) const
{
    const std::string output = WithoutFinalLineBreaks(program->Output());
    std::string report = command + "\n" + (output.empty() ? "(it printed nothing)" : output);
    return why.empty() ? report : report + "\n" + why;
}

// The program goes on without its output being kept. The callbacks may
// start a new wait, so they are taken out first.
void ServiceStarter::Finish(const ServiceReadiness& readiness)
{
    pollTimer->stop();
    phase = Phase::Idle;
    program.reset();
    const std::vector<Waiter> ready = std::exchange(waiting, {});
    ServiceReadiness own = readiness;
    own.ownService = true;
    for (const Waiter& waiter : ready)
        waiter.ready(own);
}
