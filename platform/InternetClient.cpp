#include "platform/InternetClient.h"

namespace platform {

struct InternetRequest::Private {
    InternetRequestSettings settings;
    InternetFailure failure { InternetError::Other, "not available yet" };
};

struct InternetSession::Private {
    InternetSessionSettings settings;
    InternetStatusCallback callback;
    InternetFailure failure;
};

InternetRequest::InternetRequest(std::unique_ptr<Private> state) : d(std::move(state)) { }

InternetRequest::~InternetRequest() = default;
const InternetRequestSettings& InternetRequest::Settings() const
{
    return d->settings;
}
void InternetRequest::SetConnectTimeout(std::uint32_t) { }
void InternetRequest::SetSendTimeout(std::uint32_t) { }
void InternetRequest::SetReceiveTimeout(std::uint32_t) { }
void InternetRequest::SetCredentials(const std::string&, const std::string&) { }
void InternetRequest::SetProxyCredentials(const std::string&, const std::string&) { }
void InternetRequest::SetIgnoreUnknownAuthority(bool) { }
bool InternetRequest::AddHeaders(const std::string&, HeaderMode)
{
    return false;
}
bool InternetRequest::Send(const std::string&, const std::string&)
{
    return false;
}
bool InternetRequest::BeginUpload(const std::string&, std::uint64_t)
{
    return false;
}
std::int64_t InternetRequest::Write(const char*, std::size_t)
{
    return -1;
}
bool InternetRequest::EndUpload()
{
    return false;
}
std::optional<std::string> InternetRequest::Query(InternetHeader) const
{
    return {};
}
std::optional<std::string> InternetRequest::Header(const std::string&) const
{
    return {};
}
std::int64_t InternetRequest::Read(char*, std::size_t)
{
    return -1;
}
std::string InternetRequest::Url() const
{
    return {};
}
const InternetFailure& InternetRequest::LastFailure() const
{
    return d->failure;
}

InternetConnection::InternetConnection(InternetSession& session, std::string host,
    std::uint16_t port, std::string userName, std::string password)
    : session_(session), host_(std::move(host)), port_(port), userName_(std::move(userName)),
      password_(std::move(password))
{
}

InternetConnection::~InternetConnection() = default;

std::unique_ptr<InternetRequest> InternetConnection::OpenRequest(
    const InternetRequestSettings& settings)
{
    auto state = std::make_unique<InternetRequest::Private>();
    state->settings = settings;
    return std::unique_ptr<InternetRequest>(new InternetRequest(std::move(state)));
}

const InternetFailure& InternetConnection::LastFailure() const
{
    return failure_;
}

InternetSession::InternetSession(InternetSessionSettings settings) : d(std::make_unique<Private>())
{
    d->settings = std::move(settings);
    if (!d->settings.Interrupt)
        d->settings.Interrupt = std::make_shared<std::atomic<bool>>(false);
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

std::optional<InternetUrlParts> CrackUrl(const std::string&)
{
    return {};
}

} // namespace platform
