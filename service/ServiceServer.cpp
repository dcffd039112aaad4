#include "service/ServiceServer.h"

#include "service/FormFields.h"

#include <malloc.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <thread>

namespace service {

namespace {

constexpr auto WatchInterval = std::chrono::milliseconds(200);
constexpr auto HousekeepingInterval = std::chrono::seconds(5);
constexpr int ListenBacklog = 128;
const std::string HtmlType = "text/html; charset=utf-8";

std::chrono::steady_clock::rep Now()
{
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

// The version lets a program tell a service of another version, which it
// asks to stop and replaces.
std::string IndexPage(const std::string& version)
{
    return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
           "<meta name=\"tornalo-version\" content=\""
        + version
        + "\">"
          "<title>Tornalo translation service</title></head>\n<body>\n"
          "<p>Tornalo translation service. POST a form with sl, tl and "
          "text to this address; GET /languages lists the pairs.</p>\n"
          "</body></html>\n";
}

// A window says so with this header on its translations, which then do not
// count as tornalo-cli's use.
const std::string WindowHeader = "x-tornalo-window";

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The page for a text no pipeline could take in time, with the reason where
// the program reads the service's reasons. The reasons are the engines' own
// words and language codes, which hold no markup.
HttpReply BusyReply(const std::string& reason)
{
    return { 503, HtmlType,
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
        "<title>Tornalo translation service</title></head>\n<body>\n"
        "<p>The translation service is busy; try again in a moment.</p>\n"
        "<p id=\"tornalo-reason\">"
            + reason + "</p>\n</body></html>\n",
        { "Retry-After: 5" }, false };
}

const std::vector<std::string>& OwnHostNames()
{
    static const std::vector<std::string> names = { "localhost", "127.0.0.1", "[::1]" };
    return names;
}

// A Host header a browser sends only for a page of this machine: a page
// whose name an attacker's DNS turned to 127.0.0.1 names its own host.
bool IsOwnHost(const std::string& host, int port)
{
    const std::string name = Lower(host);
    const std::string withPort = ":" + std::to_string(port);
    return std::any_of(OwnHostNames().begin(), OwnHostNames().end(),
        [&](const std::string& own) { return name == own || name == own + withPort; });
}

bool IsOwnOrigin(const std::string& origin, int port)
{
    const std::string name = Lower(origin);
    return std::any_of(OwnHostNames().begin(), OwnHostNames().end(), [&](const std::string& own) {
        const std::string address = "http://" + own;
        return name == address + ":" + std::to_string(port) || (port == 80 && name == address);
    });
}

// Browsers mark what another site's page sends: an Origin, or for requests
// without one, Sec-Fetch-Site.
bool IsFromAnotherSite(const HttpRequest& request, int port)
{
    const std::string site = Lower(request.Header("sec-fetch-site"));
    if (site == "cross-site" || site == "same-site")
        return true;
    return request.HasHeader("origin") && !IsOwnOrigin(request.Header("origin"), port);
}

struct Address {
    std::string path;
    std::vector<std::string> methods;
};

const std::vector<Address>& Addresses()
{
    static const std::vector<Address> addresses
        = { { "/", { "GET", "POST" } }, { "/languages", { "GET" } }, { "/prepare", { "POST" } },
              { "/hold", { "POST" } }, { "/stop", { "POST" } } };
    return addresses;
}

// The methods each address answers; others get 405, unknown addresses 404.
std::optional<HttpReply> RouteRefusal(const HttpRequest& request)
{
    const std::string path = request.Path();
    const auto address = std::find_if(Addresses().begin(), Addresses().end(),
        [&](const Address& known) { return known.path == path; });
    if (address == Addresses().end())
        return TextReply(404,
            "nothing here: POST / translates, GET /languages lists the pairs, POST /prepare "
            "starts the pipelines of pairs");
    const auto& methods = address->methods;
    if (std::find(methods.begin(), methods.end(), request.method) != methods.end())
        return std::nullopt;
    HttpReply refusal = TextReply(405, "that method is not served here");
    std::string allow = "Allow: " + methods.front();
    for (std::size_t i = 1; i < methods.size(); ++i)
        allow += ", " + methods[i];
    refusal.headers.push_back(allow);
    return refusal;
}

// Free memory at the top of the heap, and whole free pages inside it, go back
// to the system: a burst of large requests would otherwise leave the
// service holding their memory until it exits.
void GiveBackFreeMemory()
{
    malloc_trim(0);
}

// The library default of many servers sets SO_REUSEPORT, with which a second
// service binds the same port and takes half the requests; SO_REUSEADDR
// alone makes the port exclusive and still allows a start while an earlier
// connection on it lingers in TIME_WAIT.
void ExclusivePortOptions(int socket)
{
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

sockaddr_in LoopbackAddress(int port)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// A connection tells a listener from a connection that lingers.
std::string WhyBindFails(int error, int port)
{
    if (error != EADDRINUSE)
        return std::strerror(error);
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = LoopbackAddress(port);
    const bool listening = probe >= 0
        && connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (probe >= 0)
        close(probe);
    if (listening)
        return "another program is already listening on that port";
    return "the port is still held by a connection that has just closed; try again in a minute";
}

int BoundPort(int socket)
{
    sockaddr_in address {};
    socklen_t length = sizeof address;
    getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

} // namespace

ServiceServer::ServiceServer(
    TranslationService& service, ServerSettings settings, std::function<void()> housekeeping)
    : service_(service), settings_(settings), housekeeping_(std::move(housekeeping)),
      lastActivity_(Now()), lastOtherUse_(0)
{
}

ServiceServer::~ServiceServer()
{
    if (listener_ >= 0)
        close(listener_);
}

bool ServiceServer::Bind()
{
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listener_ < 0) {
        bindError_ = std::strerror(errno);
        return false;
    }
    ExclusivePortOptions(listener_);
    const sockaddr_in address = LoopbackAddress(settings_.port);
    if (bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || listen(listener_, ListenBacklog) != 0) {
        bindError_ = WhyBindFails(errno, settings_.port);
        close(listener_);
        listener_ = -1;
        return false;
    }
    port_ = BoundPort(listener_);
    return true;
}

void ServiceServer::Run()
{
    finished_ = false;
    ConnectionLimits limits;
    limits.maximumBody = settings_.maximumBody;
    limits.deadline = settings_.requestDeadline;
    connections_ = std::make_unique<HttpConnections>(
        listener_, limits, [this](const HttpRequest& request) { return Screen(request); },
        [this](const HttpRequest& request) { return Answer(request); });
    std::thread watcher([this] { WatchIdle(); });
    connections_->Run();
    // Clients that come now are refused at once instead of waiting unheard.
    close(listener_);
    listener_ = -1;
    finished_ = true;
    watcher.join();
}

// Only asks: the watcher stops the connections, since a signal handler may
// call this.
void ServiceServer::Stop()
{
    stopRequested_ = true;
}

// Refused requests do not count as activity: a page that posts again and
// again must not keep the service from its idle exit.
std::optional<HttpReply> ServiceServer::Screen(const HttpRequest& request) const
{
    if (request.peerUser && *request.peerUser != geteuid())
        return TextReply(403, "this translation service belongs to another user of this machine");
    if (!IsOwnHost(request.Header("host"), port_))
        return TextReply(421,
            "this service answers only programs on this machine, which address it as "
            "localhost, 127.0.0.1 or [::1]");
    if (IsFromAnotherSite(request, port_))
        return TextReply(403, "this service does not answer requests that web pages send");
    if (auto refusal = RouteRefusal(request))
        return refusal;
    if (request.method == "POST" && !IsFormType(request.Header("content-type")))
        return TextReply(415, "the body must be " + FormType);
    return std::nullopt;
}

HttpReply ServiceServer::Answer(const HttpRequest& request)
{
    struct BusyMark {
        ServiceServer& server;
        explicit BusyMark(ServiceServer& owner) : server(owner)
        {
            ++server.busy_;
            server.lastActivity_ = Now();
        }
        ~BusyMark()
        {
            server.lastActivity_ = Now();
            server.servedSinceTrim_ = true;
            --server.busy_;
        }
    } mark(*this);
    if (request.Path() == "/" && request.method == "POST" && !request.HasHeader(WindowHeader))
        lastOtherUse_ = Now();
    try {
        ServiceReply reply = Reply(request);
        return { reply.status, reply.contentType, std::move(reply.body), {}, false };
    } catch (const ServiceBusy& busy) {
        return BusyReply(busy.what());
    }
}

ServiceReply ServiceServer::Reply(const HttpRequest& request)
{
    const std::string path = request.Path();
    const std::string type = request.Header("content-type");
    if (path == "/languages")
        return service_.Languages();
    if (path == "/prepare")
        return service_.Prepare(request.body, type);
    if (path == "/hold")
        return Hold(request.body);
    if (path == "/stop")
        return StopOnRequest();
    if (request.method == "POST")
        return service_.HandleForm(request.body, type);
    return { 200, HtmlType, IndexPage(version_) };
}

// "window=PID": the window's process, which holds the service until it ends.
ServiceReply ServiceServer::Hold(const std::string& body)
{
    const std::string field = "window=";
    pid_t process = 0;
    if (body.starts_with(field)) {
        const char* digits = body.data() + field.size();
        std::from_chars(digits, body.data() + body.size(), process);
    }
    if (!windows_.Hold(process))
        return { 400, "text/plain; charset=utf-8", "no window process of this user named\n" };
    return { 202, "text/plain; charset=utf-8", "held\n" };
}

ServiceReply ServiceServer::StopOnRequest()
{
    Stop();
    return { 202, "text/plain; charset=utf-8", "stopping\n" };
}

// The idle exit's time without a request; or, once the last window that
// held the service has gone, a short while, when tornalo-cli has not used it
// within the idle exit's time either.
bool ServiceServer::IdleLongEnough(std::chrono::steady_clock::time_point now) const
{
    if (settings_.idleExit.count() <= 0 || busy_ != 0)
        return false;
    const auto idle = std::chrono::steady_clock::duration(Now() - lastActivity_);
    if (idle >= settings_.idleExit)
        return true;
    const auto otherUse = std::chrono::steady_clock::duration(Now() - lastOtherUse_);
    return windows_.AllGone() && windows_.GoneFor(now) >= settings_.afterLastWindow
        && idle >= settings_.afterLastWindow && otherUse >= settings_.idleExit;
}

// Stops the server when asked to or once it has been idle for the idle
// exit's time: the copy the window program starts must not outlive its use.
void ServiceServer::WatchIdle()
{
    auto lastHousekeeping = std::chrono::steady_clock::now();
    bool stopIssued = false;
    while (!finished_) {
        std::this_thread::sleep_for(WatchInterval);
        const auto now = std::chrono::steady_clock::now();
        if (now - lastHousekeeping >= HousekeepingInterval) {
            if (housekeeping_)
                housekeeping_();
            windows_.Prune(now);
            if (busy_ == 0 && servedSinceTrim_.exchange(false))
                GiveBackFreeMemory();
            lastHousekeeping = now;
        }
        if ((stopRequested_ || IdleLongEnough(now)) && !stopIssued) {
            connections_->Stop();
            stopIssued = true;
        }
    }
}

} // namespace service
