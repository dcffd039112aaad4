#include "platform/InternetClient.h"

#include "platform/InternetRequestPrivate.h"
#include "platform/InternetSessionState.h"

namespace platform {

InternetSession::Private::Private(InternetSessionSettings settingsGiven)
    : settings(std::move(settingsGiven)), share(curl_share_init())
{
    if (!settings.Interrupt)
        settings.Interrupt = std::make_shared<std::atomic<bool>>(false);
    // Every request of a session runs on one thread, so the share needs no
    // locks. Names resolved stay with the kept connections, for the process.
    curl_share_setopt(share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
}

InternetSession::Private::~Private()
{
    curl_share_cleanup(share);
}

bool InternetSession::Private::Interrupted() const
{
    return settings.Interrupt->load();
}

void InternetSession::Private::Notify(InternetStatus status, const std::string& information) const
{
    if (callback && !Interrupted())
        callback(status, information);
}

InternetSession::InternetSession(InternetSessionSettings settings)
    : d(std::make_unique<Private>(std::move(settings)))
{
}

InternetSession::~InternetSession() = default;

void InternetSession::SetStatusCallback(InternetStatusCallback callback)
{
    d->callback = std::move(callback);
}

const InternetInterruptFlag& InternetSession::Interrupt() const
{
    return d->settings.Interrupt;
}

std::unique_ptr<InternetConnection> InternetSession::Connect(const std::string& host,
    std::uint16_t port, const std::string& userName, const std::string& password)
{
    if (host.empty()) {
        d->failure = { InternetError::InvalidUrl, "No host name to connect to" };
        return nullptr;
    }
    d->failure = {};
    return std::unique_ptr<InternetConnection>(
        new InternetConnection(*this, host, port, userName, password));
}

const InternetFailure& InternetSession::LastFailure() const
{
    return d->failure;
}

InternetSession::Private& InternetSession::Shared()
{
    return *d;
}

InternetConnection::InternetConnection(InternetSession& session, std::string host,
    std::uint16_t port, std::string userName, std::string password)
    : session_(session), host_(std::move(host)), port_(port), userName_(std::move(userName)),
      password_(std::move(password))
{
    session_.Shared().Notify(InternetStatus::HandleCreated);
}

InternetConnection::~InternetConnection()
{
    session_.Shared().Notify(InternetStatus::HandleClosing);
}

std::unique_ptr<InternetRequest> InternetConnection::OpenRequest(
    const InternetRequestSettings& settings)
{
    if (settings.Verb.empty()) {
        failure_ = { InternetError::Other, "No request method" };
        return nullptr;
    }
    failure_ = {};
    auto transfer = std::make_unique<InternetRequest::Private>(
        session_.Shared(), TransferTarget { host_, port_, userName_, password_ }, settings);
    auto request = std::unique_ptr<InternetRequest>(new InternetRequest(std::move(transfer)));
    session_.Shared().Notify(InternetStatus::HandleCreated);
    return request;
}

const InternetFailure& InternetConnection::LastFailure() const
{
    return failure_;
}

} // namespace platform
