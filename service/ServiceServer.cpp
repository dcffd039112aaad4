#include "service/ServiceServer.h"

#include <httplib.h>

#include <thread>

namespace service {

namespace {

constexpr auto WatchInterval = std::chrono::milliseconds(200);
constexpr auto HousekeepingInterval = std::chrono::seconds(5);

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
    return server_->bind_to_port(loopback, port_);
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
    server_->set_payload_max_length(settings_.maximumBody);
    server_->set_read_timeout(std::chrono::seconds(10));
    server_->Post("/", [this](const httplib::Request& request, httplib::Response& response) {
        Serve(
            [&] {
                return service_.HandleForm(request.body, request.get_header_value("Content-Type"));
            },
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
