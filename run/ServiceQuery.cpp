#include "run/ServiceQuery.h"

#include "platform/InternetClient.h"

#include <cstdlib>

namespace {

const std::uint32_t ConnectTimeout = 500; // milliseconds
const std::uint32_t ReplyTimeout = 1000;
// The language list is a few kilobytes; a listener that sends more is not
// the service.
const std::size_t BodyLimit = 1 << 20;
const char* const FormContentType = "Content-Type: application/x-www-form-urlencoded";

std::string BodyOf(platform::InternetRequest& request)
{
    std::string body;
    char block[16384];
    std::int64_t got = 0;
    while (body.size() < BodyLimit && (got = request.Read(block, sizeof block)) > 0)
        body.append(block, static_cast<std::size_t>(got));
    return body;
}

int StatusOf(const platform::InternetRequest& request)
{
    const auto status = request.Query(platform::InternetHeader::StatusCode);
    return status ? std::atoi(status->c_str()) : 0;
}

// Proxies are not for the service on this machine.
ServiceAnswer Ask(const std::string& host, std::uint16_t port, const std::string& target,
    const std::string* form, const std::shared_ptr<std::atomic<bool>>& interrupt)
{
    platform::InternetSessionSettings settings;
    settings.Access = platform::InternetAccess::Direct;
    settings.Interrupt = interrupt;
    platform::InternetSession session(std::move(settings));
    const auto connection = session.Connect(host == "localhost" ? "127.0.0.1" : host, port);
    if (!connection)
        return { ServiceListener::Other, 0, {} };
    platform::InternetRequestSettings requestSettings;
    requestSettings.Target = target;
    if (form)
        requestSettings.Verb = "POST";
    const auto request = connection->OpenRequest(requestSettings);
    if (!request)
        return { ServiceListener::Other, 0, {} };
    request->SetConnectTimeout(ConnectTimeout);
    request->SetReceiveTimeout(ReplyTimeout);
    const bool sent
        = form ? request->Send(std::string(FormContentType) + "\r\n", *form) : request->Send();
    if (!sent) {
        const bool refused
            = request->LastFailure().Code == platform::InternetError::ConnectionRefused;
        return { refused ? ServiceListener::Nobody : ServiceListener::Other, 0, {} };
    }
    return { ServiceListener::Answering, StatusOf(*request), BodyOf(*request) };
}

} // namespace

ServiceAnswer GetFromService(const std::string& host, std::uint16_t port, const std::string& target,
    const std::shared_ptr<std::atomic<bool>>& interrupt)
{
    return Ask(host, port, target, nullptr, interrupt);
}

ServiceAnswer PostToService(const std::string& host, std::uint16_t port, const std::string& target,
    const std::string& form, const std::shared_ptr<std::atomic<bool>>& interrupt)
{
    return Ask(host, port, target, &form, interrupt);
}

ServiceQuery::ServiceQuery(QObject* parent) : QObject(parent) { }

ServiceQuery::~ServiceQuery()
{
    if (!worker.joinable())
        return;
    interrupt->store(true);
    worker.join();
}

// The thread hands its answer over as a queued call to this object: one
// still queued when the object goes is dropped with it, and the destructor
// waits for the thread, so no call reaches a destroyed object.
bool ServiceQuery::Get(const std::string& url, const std::string& target,
    std::function<void(const ServiceAnswer&)> done)
{
    return Ask(
        url,
        [target](const std::string& host, std::uint16_t port, const auto& interrupt) {
            return GetFromService(host, port, target, interrupt);
        },
        std::move(done));
}

bool ServiceQuery::Post(const std::string& url, const std::string& target, const std::string& form,
    std::function<void(const ServiceAnswer&)> done)
{
    return Ask(
        url,
        [target, form](const std::string& host, std::uint16_t port, const auto& interrupt) {
            return PostToService(host, port, target, form, interrupt);
        },
        std::move(done));
}

bool ServiceQuery::Ask(
    const std::string& url, Question question, std::function<void(const ServiceAnswer&)> done)
{
    const auto parts = platform::CrackUrl(url);
    if (worker.joinable() || !parts)
        return false;
    interrupt = std::make_shared<std::atomic<bool>>(false);
    worker = std::thread(
        [this, host = parts->HostName, port = parts->Port, question = std::move(question),
            flag = interrupt, done = std::move(done)]() mutable {
            ServiceAnswer answer = question(host, port, flag);
            if (flag->load())
                return;
            QMetaObject::invokeMethod(
                this,
                [this, answer = std::move(answer), done = std::move(done)] {
                    worker.join();
                    done(answer);
                },
                Qt::QueuedConnection);
        });
    return true;
}
