#include "run/ServiceStarter.h"

#include "ProgramVersion.h"
#include "platform/BackgroundProgram.h"
#include "platform/InternetClient.h"
#include "platform/Paths.h"
#include "platform/SocketOwners.h"
#include "run/ServiceQuery.h"

#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const ServiceProgramName = "tornalo-service";
// Long enough to outlast the gaps between runs of one sitting.
const int IdleExitSeconds = 600;
const auto PollInterval = std::chrono::milliseconds(100);
// How long a service of another version gets to go after it was asked to.
const auto StopLimit = std::chrono::seconds(3);
const std::string VersionMark = "<meta name=\"tornalo-version\" content=\"";

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

// url with its port replaced.
std::string WithPort(const std::string& url, std::uint16_t port)
{
    const auto parts = platform::CrackUrl(url);
    if (!parts)
        return url;
    return parts->Scheme + "://" + parts->HostName + ":" + std::to_string(port);
}

// A page that names its version names another one than this program's; a
// page that names none (another program, an older service) is taken as it is.
bool IsOtherVersion(const std::string& page)
{
    const std::size_t mark = page.find(VersionMark);
    if (mark == std::string::npos)
        return false;
    const std::size_t start = mark + VersionMark.size();
    return page.compare(start, page.find('"', start) - start, TORNALO_VERSION) != 0;
}

// The runtime folder is the user's only when it is a folder of theirs that
// nobody else may enter.
bool IsPrivateFolder(const char* path)
{
    struct stat status { };
    return path && *path && stat(path, &status) == 0 && S_ISDIR(status.st_mode)
        && status.st_uid == geteuid() && (status.st_mode & 077) == 0;
}

ServiceReadiness Found(std::string url)
{
    ServiceReadiness readiness;
    readiness.url = std::move(url);
    return readiness;
}

ServiceReadiness NotStarted(std::string report)
{
    ServiceReadiness readiness;
    readiness.failed = true;
    readiness.report = std::move(report);
    return readiness;
}

std::uint16_t ReadPort(const std::string& file)
{
    std::ifstream stream(file);
    unsigned value = 0;
    return stream >> value && value > 0 && value < 65536 ? static_cast<std::uint16_t>(value) : 0;
}

} // namespace

std::string ServicePortFile(const std::string& defaultUrl)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string folder = IsPrivateFolder(runtime) ? std::string(runtime) + "/tornalo/"
                                                        : platform::UserCacheDirectory();
    const auto parts = platform::CrackUrl(defaultUrl);
    return folder + "service-" + std::to_string(parts ? parts->Port : 0) + ".port";
}

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
      defaultUrl(std::move(defaultUrl)), portFile(ServicePortFile(this->defaultUrl)),
      query(new ServiceQuery(this)), pollTimer(new QTimer(this))
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
        candidates.clear();
        if (const std::uint16_t recorded = ReadPort(portFile); recorded != 0 && recorded != port)
            candidates.push_back(recorded);
        candidates.push_back(port);
        AskNext();
    }
    return true;
}

bool ServiceStarter::LooksAfter(const std::string& url) const
{
    return port != 0 && IsDefaultServiceAddress(url, defaultUrl);
}

std::string ServiceStarter::ResolvedUrl(const std::string& url) const
{
    return foundPort != 0 && LooksAfter(url) ? WithPort(defaultUrl, foundPort) : url;
}

// When every candidate has failed, the default port is another user's: this
// user's service takes a port of its own.
void ServiceStarter::AskNext()
{
    if (candidates.empty()) {
        Start(0);
        return;
    }
    const std::uint16_t candidate = candidates.front();
    candidates.erase(candidates.begin());
    query->Get(WithPort(defaultUrl, candidate), "/",
        [this, candidate](const ServiceAnswer& answer) { Ask(candidate, answer); });
}

// Only a service of this user is used. Anything but an HTTP answer at the
// default port means no service is there; something else may hold the
// port, and the service then says so when it cannot listen.
void ServiceStarter::Ask(std::uint16_t candidate, const ServiceAnswer& answer)
{
    const bool answering = answer.listener == ServiceListener::Answering;
    if (platform::ListenerIsAnotherUsers(candidate))
        AskNext();
    else if (answering && IsOtherVersion(answer.body))
        StopOtherVersion(candidate);
    else if (answering)
        Finish(Found(WithPort(defaultUrl, candidate)));
    else if (candidate != port)
        AskNext();
    else
        Start(port);
}

void ServiceStarter::StopOtherVersion(std::uint16_t candidate)
{
    phase = Phase::Stopping;
    startPort = candidate;
    waitEnd = std::chrono::steady_clock::now() + StopLimit;
    query->Post(WithPort(defaultUrl, candidate), "/stop", {},
        [this](const ServiceAnswer&) { pollTimer->start(); });
}

// Port 0 lets the service take any free port; it records the one it took.
void ServiceStarter::Start(std::uint16_t listenPort)
{
    startPort = listenPort;
    std::error_code ignored;
    std::filesystem::remove(portFile, ignored);
    const platform::ProgramCommand start { programDirectory + ServiceProgramName,
        { "--port", std::to_string(listenPort), "--idle-exit", std::to_string(IdleExitSeconds),
            "--port-file", portFile },
        programDirectory };
    command = CommandLine(start);
    program = platform::StartBackgroundProgram(start);
    if (!program->Started()) {
        Finish(NotStarted(Report("")));
        return;
    }
    phase = Phase::Waiting;
    waitEnd = std::chrono::steady_clock::now() + WaitLimit;
    pollTimer->start();
    for (const Waiter& waiter : std::vector<Waiter>(waiting))
        if (waiter.starting)
            waiter.starting();
}

std::uint16_t ServiceStarter::StartedPort() const
{
    return startPort != 0 ? startPort : ReadPort(portFile);
}

// One question at a time: a listener that holds the question for a while
// makes the polls further apart. A service asked to stop is waited for
// until its port is free, a little while at most.
void ServiceStarter::Poll()
{
    if (query->Busy())
        return;
    const std::uint16_t listening = StartedPort();
    if (phase == Phase::Stopping) {
        query->Get(WithPort(defaultUrl, listening), "/", [this, listening](const ServiceAnswer& a) {
            if (a.listener != ServiceListener::Answering
                || std::chrono::steady_clock::now() >= waitEnd) {
                pollTimer->stop();
                Start(listening);
            }
        });
        return;
    }
    if (listening == 0) {
        Check({});
        return;
    }
    query->Get(WithPort(defaultUrl, listening), "/", [this, listening](const ServiceAnswer& a) {
        if (a.listener == ServiceListener::Answering
            && !platform::ListenerIsAnotherUsers(listening))
            Finish(Found(WithPort(defaultUrl, listening)));
        else
            Check(a);
    });
}

void ServiceStarter::Check(const ServiceAnswer&)
{
    if (!program->Running())
        Finish(NotStarted(Report("It ended without answering.")));
    else if (std::chrono::steady_clock::now() >= waitEnd)
        Finish(NotStarted(Report(
            "It did not answer within " + std::to_string(WaitLimit.count()) + " milliseconds.")));
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
    ServiceReadiness own = readiness;
    own.ownService = true;
    if (const auto parts = platform::CrackUrl(own.url); parts && !own.failed)
        foundPort = parts->Port;
    const std::vector<Waiter> ready = std::exchange(waiting, {});
    for (const Waiter& waiter : ready)
        waiter.ready(own);
}
