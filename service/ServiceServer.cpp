#include "service/ServiceServer.h"

#include <httplib.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

namespace service {

namespace {

constexpr auto WatchInterval = std::chrono::milliseconds(200);
constexpr auto HousekeepingInterval = std::chrono::seconds(5);
// A client silent this long in the middle of its request is dropped: the
// window's requests arrive whole at once over loopback.
constexpr auto RequestReadTimeout = std::chrono::seconds(1);
// Enough workers that clients who hold a connection open, slow or kept
// alive, leave room for the window's requests.
constexpr std::size_t Workers = 64;

std::chrono::steady_clock::rep Now()
{
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

const char* const IndexPage = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                              "<title>Tornalo translation service</title></head>\n<body>\n"
                              "<p>Tornalo translation service. POST a form with sl, tl and "
                              "text to this address; GET /languages lists the pairs.</p>\n"
                              "</body></html>\n";

std::string ErrorText(int status)
{
    switch (status) {
    case 404:
        return "nothing here: POST / translates, GET /languages lists the pairs\n";
    case 405:
        return "that method is not served here\n";
    case 413:
        return "the request body is too large for the service\n";
    default:
        return "the request was refused (status " + std::to_string(status) + ")\n";
    }
}

// The library's default sets SO_REUSEPORT, with which a second service
// binds the same port and takes half the requests; SO_REUSEADDR alone makes
// the port exclusive and still allows a start while an earlier connection on
// it lingers in TIME_WAIT.
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

// The error of one attempt to bind or connect to the port, 0 when it works.
int SocketError(int port, bool listen)
{
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return errno;
    ExclusivePortOptions(probe);
    const sockaddr_in address = LoopbackAddress(port);
    const auto* name = reinterpret_cast<const sockaddr*>(&address);
    const int result
        = listen ? bind(probe, name, sizeof address) : connect(probe, name, sizeof address);
    const int error = result == 0 ? 0 : errno;
    close(probe);
    return error;
}

// The library does not say why a bind failed: the same bind, tried once more,
// does, and a connection tells a listener from a connection that lingers.
std::string WhyBindFails(int port)
{
    const int error = SocketError(port, true);
    if (error == 0)
        return "the port was busy for a moment";
    if (error != EADDRINUSE)
        return std::strerror(error);
    if (SocketError(port, false) == 0)
        return "another program is already listening on that port";
    return "the port is still held by a connection that has just closed; try again in a minute";
}

} // namespace

ServiceServer::ServiceServer(
    TranslationService& service, ServerSettings settings, std::function<void()> housekeeping)
    : service_(service), settings_(settings), housekeeping_(std::move(housekeeping)),
      server_(std::make_unique<httplib::Server>()), lastActivity_(Now())
{
    Route();
}

ServiceServer::~ServiceServer() = default;

bool ServiceServer::Bind()
{
    const std::string loopback = "127.0.0.1";
    if (settings_.port == 0) {
        port_ = server_->bind_to_any_port(loopback);
        return port_ > 0;
    }
    port_ = settings_.port;
    if (server_->bind_to_port(loopback, port_))
        return true;
    bindError_ = WhyBindFails(port_);
    return false;
}

void ServiceServer::Run()
{
    finished_ = false;
    std::thread watcher([this] { WatchIdle(); });
    server_->listen_after_bind();
    finished_ = true;
    watcher.join();
}

// Only asks: the watcher stops the server, since a stop before the server
// has begun to listen would be lost, and a signal handler may call this.
void ServiceServer::Stop()
{
    stopRequested_ = true;
}

void ServiceServer::Route()
{
    server_->set_socket_options(ExclusivePortOptions);
    // Without it a reply's body waits for the client's delayed acknowledgement
    // of its header on a kept connection.
    server_->set_tcp_nodelay(true);
    server_->set_payload_max_length(settings_.maximumBody);
    server_->set_read_timeout(RequestReadTimeout);
    server_->new_task_queue = [] { return new httplib::ThreadPool(Workers); };
    // Read through a content reader: the library refuses a form body over its
    // own compiled limit (8 KiB in Debian's build) before the handler would
    // run, whereas ours is maximumBody, beyond which the reader gives 413.
    server_->Post("/",
        [this](const httplib::Request& request, httplib::Response& response,
            const httplib::ContentReader& reader) {
            std::string body;
            const bool whole = reader([&](const char* data, std::size_t length) {
                body.append(data, length);
                return true;
            });
            if (!whole)
                return;
            Serve(
                [&] { return service_.HandleForm(body, request.get_header_value("Content-Type")); },
                response);
        });
    server_->Get("/languages", [this](const httplib::Request&, httplib::Response& response) {
        Serve([&] { return service_.Languages(); }, response);
    });
    server_->Get("/", [this](const httplib::Request&, httplib::Response& response) {
        Serve([] { return ServiceReply { 200, "text/html; charset=utf-8", IndexPage }; }, response);
    });
    server_->set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty())
            response.set_content(ErrorText(response.status), "text/plain; charset=utf-8");
    });
    server_->set_exception_handler([](const httplib::Request&, httplib::Response& response,
                                       std::exception_ptr) {
        response.status = 500;
        response.set_content("the service failed on this request\n", "text/plain; charset=utf-8");
    });
}

void ServiceServer::Serve(const std::function<ServiceReply()>& answer, httplib::Response& response)
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
            --server.busy_;
        }
    } mark(*this);
    const ServiceReply reply = answer();
    response.status = reply.status;
    response.set_content(reply.body, reply.contentType);
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
        if (housekeeping_ && now - lastHousekeeping >= HousekeepingInterval) {
            housekeeping_();
            lastHousekeeping = now;
        }
        const auto idle = std::chrono::steady_clock::duration(Now() - lastActivity_);
        const bool idleExit
            = settings_.idleExit.count() > 0 && busy_ == 0 && idle >= settings_.idleExit;
        if ((stopRequested_ || idleExit) && !stopIssued && server_->is_running()) {
            server_->stop();
            stopIssued = true;
        }
    }
}

} // namespace service
