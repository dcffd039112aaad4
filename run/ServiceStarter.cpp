#include "run/ServiceStarter.h"

#include "platform/InternetClient.h"
#include "platform/Shell.h"

#include <QTimer>

namespace {

const char* const ServiceProgramName = "tornalo-service";
// Long enough to outlast the gaps between runs of one sitting.
const int IdleExitSeconds = 600;
const auto PollInterval = std::chrono::milliseconds(100);
const std::uint32_t ProbeConnectTimeout = 500;
const std::uint32_t ProbeReplyTimeout = 1000;

enum class Listener { Nobody, Answering, Other };

bool IsLoopbackHost(const std::string& host)
{
    return host == "localhost" || host == "127.0.0.1";
}

bool HasNoPath(const platform::InternetUrlParts& parts)
{
    return (parts.UrlPath.empty() || parts.UrlPath == "/") && parts.ExtraInfo.empty();
}

// The service listens on IPv4 only, so it is asked there whatever the
// address's host name resolves to first. Proxies are not for loopback.
Listener Probe(std::uint16_t port)
{
    platform::InternetSessionSettings settings;
    settings.Access = platform::InternetAccess::Direct;
    platform::InternetSession session(std::move(settings));
    const auto connection = session.Connect("127.0.0.1", port);
    const auto request = connection->OpenRequest({});
    request->SetConnectTimeout(ProbeConnectTimeout);
    request->SetReceiveTimeout(ProbeReplyTimeout);
    if (request->Send())
        return Listener::Answering;
    if (request->LastFailure().Code == platform::InternetError::ConnectionRefused)
        return Listener::Nobody;
    return Listener::Other;
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

ServiceStarter::ServiceStarter(
    std::string programDirectory, QObject* parent, std::string defaultUrl)
    : QObject(parent), programDirectory(std::move(programDirectory)),
      defaultUrl(std::move(defaultUrl)), pollTimer(new QTimer(this))
{
    if (const auto parts = platform::CrackUrl(this->defaultUrl))
        port = parts->Port;
    pollTimer->setInterval(PollInterval);
    connect(pollTimer, &QTimer::timeout, this, [this] { Poll(); });
}

ServiceStarter::~ServiceStarter() = default;

bool ServiceStarter::Prepare(const std::string& url, std::function<void()> ready)
{
    const bool wait
        = IsDefaultServiceAddress(url, defaultUrl) && (pollTimer->isActive() || Start());
    if (wait)
        waiting.push_back(std::move(ready));
    else
        ready();
    return wait;
}

// Something that accepts connections but is not the service keeps the
// port; starting the service then would only fail, so it is left alone.
bool ServiceStarter::Start()
{
    if (port == 0 || Probe(port) != Listener::Nobody)
        return false;
    const platform::ShellRequest command { programDirectory + ServiceProgramName,
        "--port " + std::to_string(port) + " --idle-exit " + std::to_string(IdleExitSeconds),
        programDirectory };
    if (!platform::ShellOpen(command))
        return false;
    waitEnd = std::chrono::steady_clock::now() + WaitLimit;
    pollTimer->start();
    return true;
}

void ServiceStarter::Poll()
{
    if (Probe(port) == Listener::Nobody && std::chrono::steady_clock::now() < waitEnd)
        return;
    Finish();
}

// The callbacks may start a new wait, so they are taken out first.
void ServiceStarter::Finish()
{
    pollTimer->stop();
    const std::vector<std::function<void()>> ready = std::exchange(waiting, {});
    for (const auto& callback : ready)
        callback();
}
