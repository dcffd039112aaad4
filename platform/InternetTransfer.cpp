#include "platform/InternetTransfer.h"

#include "platform/Text.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace platform {

namespace {

using Private = InternetRequest::Private;

constexpr int MaximumRedirects = 10;
constexpr int PollMilliseconds = 50;

Private& Of(void* user)
{
    return *static_cast<Private*>(user);
}

std::size_t HeaderCallback(char* data, std::size_t size, std::size_t count, void* user)
{
    return Of(user).OnHeader(data, size * count);
}

std::size_t BodyCallback(char* data, std::size_t size, std::size_t count, void* user)
{
    return Of(user).OnBody(data, size * count);
}

std::size_t UploadCallback(char* buffer, std::size_t size, std::size_t count, void* user)
{
    return Of(user).OnUploadRead(buffer, size * count);
}

int ProgressCallback(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent)
{
    return Of(user).OnProgress(received, sent) ? 0 : 1;
}

int ResolverStartCallback(void*, void*, void* user)
{
    Of(user).OnResolving();
    return 0;
}

std::string AddressText(const sockaddr* address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address->sa_family == AF_INET)
        inet_ntop(
            AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
    else if (address->sa_family == AF_INET6)
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text,
            sizeof text);
    return text;
}

curl_socket_t OpenSocketCallback(void* user, curlsocktype, curl_sockaddr* address)
{
    Of(user).OnSocket(AddressText(&address->addr));
    return socket(address->family, address->socktype, address->protocol);
}

int CloseSocketCallback(void* user, curl_socket_t socket)
{
    const auto& session = *static_cast<InternetSession::Private*>(user);
    session.Notify(InternetStatus::ClosingConnection);
    const int result = close(socket);
    session.Notify(InternetStatus::ConnectionClosed);
    return result;
}

int PrerequestCallback(void* user, char* address, char*, int, int)
{
    Of(user).OnConnected(address);
    return CURL_PREREQFUNC_OK;
}

CURLcode SslContextCallback(CURL*, void* sslContext, void* user)
{
    auto& transfer = Of(user);
    return InstallCertificateCheck(sslContext, transfer.policy, transfer.certificateVerdict)
        ? CURLE_OK
        : CURLE_SSL_CACERT_BADFILE;
}

bool IsSecureUrl(const std::string& url)
{
    return url.size() >= 8 && SameText(std::string_view(url).substr(0, 8), "https://");
}

bool IsWebUrl(const std::string& url)
{
    return IsSecureUrl(url)
        || (url.size() >= 7 && SameText(std::string_view(url).substr(0, 7), "http://"));
}

std::string HostOf(const std::string& url)
{
    std::string host;
    CURLU* parts = curl_url();
    char* text = nullptr;
    if (curl_url_set(parts, CURLUPART_URL, url.c_str(), 0) == CURLUE_OK
        && curl_url_get(parts, CURLUPART_HOST, &text, 0) == CURLUE_OK)
        host = text;
    curl_free(text);
    curl_url_cleanup(parts);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    return host;
}

// The target goes on the request line as given, except for the bytes that
// cannot stand there at all.
std::string WireTarget(const std::string& target)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string wire = target.starts_with('/') ? "" : "/";
    for (const char c : target) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '#') {
            wire += '%';
            wire += digits[byte >> 4];
            wire += digits[byte & 15];
        } else {
            wire += c;
        }
    }
    return wire;
}

std::string BuildUrl(const TransferTarget& target, const InternetRequestSettings& settings)
{
    const bool address6
        = target.host.find(':') != std::string::npos && !target.host.starts_with('[');
    std::string url = settings.Secure ? "https://" : "http://";
    url += address6 ? "[" + target.host + "]" : target.host;
    if (target.port != 0)
        url += ":" + std::to_string(target.port);
    return url + WireTarget(settings.Target);
}

// Splits header text into lines; nothing when a line has no "Name:".
std::optional<std::vector<std::string>> HeaderLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (const auto& line : SplitMemoText(text)) {
        const std::string trimmed = Trim(line);
        if (trimmed.empty())
            continue;
        const auto colon = trimmed.find(':');
        if (colon == std::string::npos || colon == 0 || Trim(trimmed.substr(0, colon)).empty())
            return std::nullopt;
        lines.push_back(trimmed);
    }
    return lines;
}

std::string HeaderName(const std::string& line)
{
    return Trim(line.substr(0, line.find(':')));
}

bool HasHeader(const std::vector<std::string>& lines, std::string_view name)
{
    return std::any_of(lines.begin(), lines.end(),
        [name](const std::string& line) { return SameText(HeaderName(line), name); });
}

std::string Joined(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string joined;
    for (const auto& part : parts)
        joined += (joined.empty() ? "" : separator) + part;
    return joined;
}

// Bypass entries as the proxy settings write them ("*.example.org;127.0.0.1;<local>")
// turned into curl's list of hosts and domains.
std::string NoProxyList(const std::string& bypass)
{
    std::vector<std::string> hosts;
    std::string entry;
    for (const char c : bypass + ";") {
        if (c != ';' && c != ',' && c != ' ' && c != '\t') {
            entry += c;
            continue;
        }
        if (entry.starts_with("*."))
            entry.erase(0, 2);
        if (!entry.empty() && entry != "<local>")
            hosts.push_back(entry);
        entry.clear();
    }
    return Joined(hosts, ",");
}

bool IsFollowedStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

Private::Private(InternetSession::Private& sessionState, TransferTarget targetGiven,
    InternetRequestSettings settingsGiven)
    : session(sessionState), target(std::move(targetGiven)), settings(std::move(settingsGiven)),
      easy(curl_easy_init()), url(BuildUrl(target, settings)), verb(settings.Verb)
{
    Configure();
}

Private::~Private()
{
    Stop();
    curl_easy_cleanup(easy);
    curl_slist_free_all(headerList);
}

bool Private::Fail(InternetError code, std::string text)
{
    failure = { code, std::move(text) };
    return false;
}

void Private::Configure()
{
    curl_easy_setopt(easy, CURLOPT_PRIVATE, this);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, HeaderCallback);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, BodyCallback);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, UploadCallback);
    curl_easy_setopt(easy, CURLOPT_READDATA, this);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, ProgressCallback);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy, CURLOPT_RESOLVER_START_FUNCTION, ResolverStartCallback);
    curl_easy_setopt(easy, CURLOPT_RESOLVER_START_DATA, this);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, OpenSocketCallback);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
    // A connection may outlive the request that opened it, not the session.
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, CloseSocketCallback);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, &session);
    curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, PrerequestCallback);
    curl_easy_setopt(easy, CURLOPT_PREREQDATA, this);
    // OpenSSL checks the certificate itself (see InternetCertificates), so
    // curl's own checks stay off; resumed TLS sessions would skip that check.
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_SESSIONID_CACHE, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_FUNCTION, SslContextCallback);
    curl_easy_setopt(easy, CURLOPT_SSL_CTX_DATA, this);
    curl_easy_setopt(easy, CURLOPT_FORBID_REUSE, settings.KeepConnection ? 0L : 1L);
    if (!settings.NoCookies)
        curl_easy_setopt(easy, CURLOPT_SHARE, session.share);
    if (!session.settings.Agent.empty())
        curl_easy_setopt(easy, CURLOPT_USERAGENT, session.settings.Agent.c_str());
    if (!settings.Referrer.empty())
        curl_easy_setopt(easy, CURLOPT_REFERER, settings.Referrer.c_str());
    ApplyProxy();
}

void Private::ApplyProxy()
{
    const auto& sessionSettings = session.settings;
    if (sessionSettings.Access == InternetAccess::Direct) {
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
    } else if (sessionSettings.Access == InternetAccess::UseProxy) {
        curl_easy_setopt(easy, CURLOPT_PROXY, sessionSettings.ProxyServer.c_str());
        curl_easy_setopt(easy, CURLOPT_PROXYPORT, long(sessionSettings.ProxyPort));
        curl_easy_setopt(easy, CURLOPT_NOPROXY, NoProxyList(sessionSettings.ProxyBypass).c_str());
    }
}

void Private::ApplyCredentials()
{
    const std::string& user = userName.empty() ? target.userName : userName;
    const std::string& secret = userName.empty() ? target.password : password;
    const bool send = CredentialsGiven();
    curl_easy_setopt(easy, CURLOPT_USERNAME, send ? user.c_str() : nullptr);
    curl_easy_setopt(easy, CURLOPT_PASSWORD, send ? secret.c_str() : nullptr);
    curl_easy_setopt(easy, CURLOPT_HTTPAUTH, long(CURLAUTH_BASIC | CURLAUTH_DIGEST));
    const bool proxy = !proxyUserName.empty();
    curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, proxy ? proxyUserName.c_str() : nullptr);
    curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, proxy ? proxyPassword.c_str() : nullptr);
    curl_easy_setopt(easy, CURLOPT_PROXYAUTH, long(CURLAUTH_BASIC | CURLAUTH_DIGEST));
}

void Private::ApplyMethod()
{
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, nullptr);
    if (verb == "GET") {
        curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
        return;
    }
    if (verb == "HEAD") {
        curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
        return;
    }
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, uploading ? nullptr : body.data());
    curl_easy_setopt(
        easy, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(uploading ? uploadTotal : body.size()));
    if (verb != "POST")
        curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb.c_str());
}

bool Private::ApplyHeaders()
{
    auto lines = HeaderLines(sendHeaders);
    if (!lines)
        return Fail(InternetError::HeadersRejected, "A header line has no name");
    lines->insert(lines->begin(), extraHeaders.begin(), extraHeaders.end());
    // curl would add its own defaults for these; the request carries only
    // what the caller gave.
    if (!HasHeader(*lines, "Accept"))
        lines->push_back(settings.AcceptTypes.empty()
                ? "Accept:"
                : "Accept: " + Joined(settings.AcceptTypes, ", "));
    if (!HasHeader(*lines, "Content-Type"))
        lines->push_back("Content-Type:");
    if (settings.PragmaNoCache && !HasHeader(*lines, "Pragma"))
        lines->push_back("Pragma: no-cache");
    lines->push_back("Expect:");
    curl_slist_free_all(headerList);
    headerList = nullptr;
    for (const auto& line : *lines)
        headerList = curl_slist_append(headerList, line.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList);
    return true;
}

void Private::ResetReply()
{
    reply.Clear();
    replyReady = false;
    finished = false;
    result = CURLE_OK;
    pending.clear();
    wanted = 0;
    discardBody = false;
    redirectPending = false;
    receivePaused = false;
    sendPaused = false;
    uploadAsked = false;
    connected = false;
    resolveAnnounced = false;
    newConnection = false;
    requestSentAnnounced = false;
    lastReceived = lastSent = 0;
    errorText[0] = '\0';
    certificateVerdict = std::make_shared<CertificateVerdict>();
}

bool Private::Start()
{
    Stop();
    ResetReply();
    failure = {};
    if (session.Interrupted())
        return Fail(InternetError::Cancelled, "The transfer was abandoned");
    if (session.settings.Offline)
        return Fail(InternetError::Offline, "The session works offline");
    if (!ApplyHeaders())
        return false;
    ApplyMethod();
    ApplyCredentials();
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, long(connectTimeout));
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    policy = { settings.IgnoreCertificateName, settings.IgnoreCertificateDate,
        ignoreUnknownAuthority, session.settings.TrustSystemAuthorities,
        session.settings.TrustedAuthorityFile, HostOf(url) };
    multi = session.MultiFor(policy.Key());
    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        return Fail(InternetError::Other, "The request could not be started");
    running = true;
    Touch();
    return true;
}

void Private::Stop()
{
    if (!running)
        return;
    curl_multi_remove_handle(multi, easy);
    running = false;
}

Private::Outcome Private::Drive(const std::function<bool()>& reached, std::uint32_t idleLimit)
{
    for (;;) {
        if (reached())
            return Outcome::Reached;
        if (session.Interrupted()) {
            Fail(InternetError::Cancelled, "The transfer was abandoned");
            return Outcome::Failed;
        }
        if (finished || !running)
            return Outcome::Finished;
        int active = 0;
        if (const CURLMcode code = curl_multi_perform(multi, &active); code != CURLM_OK) {
            Fail(InternetError::Other, curl_multi_strerror(code));
            return Outcome::Failed;
        }
        Collect();
        if (reached())
            return Outcome::Reached;
        if (finished)
            return Outcome::Finished;
        if (idleLimit != 0 && connected
            && Clock::now() - lastActivity > std::chrono::milliseconds(idleLimit)) {
            Fail(InternetError::TimedOut, "The server did not answer in time");
            return Outcome::Failed;
        }
        curl_multi_poll(multi, nullptr, 0, PollMilliseconds, nullptr);
    }
}

void Private::Collect()
{
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        void* owner = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
        if (!owner)
            continue;
        Of(owner).finished = true;
        Of(owner).result = message->data.result;
    }
}

bool Private::FailFromResult()
{
    const std::string text = errorText[0] ? errorText : curl_easy_strerror(result);
    switch (result) {
    case CURLE_OK:
        return Fail(InternetError::ConnectionLost, "The server closed the connection");
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return Fail(InternetError::NameNotResolved, text);
    case CURLE_COULDNT_CONNECT: {
        long systemError = 0;
        curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &systemError);
        return Fail(systemError == ECONNREFUSED ? InternetError::ConnectionRefused
                                                : InternetError::HostUnreachable,
            text);
    }
    case CURLE_OPERATION_TIMEDOUT:
        return Fail(InternetError::TimedOut, text);
    case CURLE_ABORTED_BY_CALLBACK:
        return Fail(InternetError::Cancelled, "The transfer was abandoned");
    case CURLE_URL_MALFORMAT:
    case CURLE_UNSUPPORTED_PROTOCOL:
        return Fail(InternetError::InvalidUrl, text);
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return Fail(InternetError::ConnectionLost, text);
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
        return FailSecure(text);
    default:
        return Fail(InternetError::Other, text);
    }
}

bool Private::FailSecure(const std::string& text)
{
    if (const int error = certificateVerdict->refusedError; error != 0)
        return Fail(CertificateErrorOf(error), CertificateErrorText(error));
    return Fail(InternetError::SecureChannelFailed, text);
}

bool Private::WaitForReply()
{
    for (;;) {
        const Outcome outcome = Drive([this] { return replyReady; }, receiveTimeout);
        if (outcome == Outcome::Reached)
            return true;
        if (outcome == Outcome::Failed)
            return false;
        if (redirectPending) {
            if (!FollowRedirect())
                return false;
            continue;
        }
        if (result == CURLE_OK && reply.Complete())
            return replyReady = true;
        return FailFromResult();
    }
}

bool Private::FollowRedirect()
{
    redirectPending = false;
    char* location = nullptr;
    curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location);
    if (!location)
        return Fail(InternetError::Other, "The redirect has no usable address");
    const std::string next = location;
    if (++redirects > MaximumRedirects)
        return Fail(InternetError::TooManyRedirects, "Too many redirects");
    if (!IsWebUrl(next))
        return Fail(InternetError::RedirectRefused,
            "Redirect to an address that is not on the web: " + next);
    if (IsSecureUrl(url) && !IsSecureUrl(next) && !settings.AllowRedirectToHttp)
        return Fail(InternetError::RedirectRefused, "Redirect from https to http refused: " + next);
    if (!IsSecureUrl(url) && IsSecureUrl(next) && !settings.AllowRedirectToHttps)
        return Fail(InternetError::RedirectRefused, "Redirect from http to https refused: " + next);
    const int status = reply.StatusCode();
    if ((status == 303 && verb != "HEAD") || ((status == 301 || status == 302) && verb == "POST")) {
        verb = "GET";
        body.clear();
    }
    // Credentials are meant for the host they were given for.
    if (HostOf(next) != HostOf(url))
        credentialsDropped = true;
    session.Notify(InternetStatus::Redirect, next);
    url = next;
    return Start();
}

bool Private::Send(const std::string& headers, const std::string& bodyGiven)
{
    uploading = false;
    sendHeaders = headers;
    body = bodyGiven;
    return Start() && WaitForReply();
}

bool Private::BeginUpload(const std::string& headers, std::uint64_t totalLength)
{
    uploading = true;
    uploadTotal = totalLength;
    uploadTaken = 0;
    uploadBuffer.clear();
    sendHeaders = headers;
    body.clear();
    if (!Start())
        return false;
    const Outcome outcome = Drive([this] { return uploadAsked || replyReady; }, sendTimeout);
    if (outcome == Outcome::Reached)
        return true;
    return outcome == Outcome::Finished ? FailFromResult() : false;
}

std::int64_t Private::Write(const char* data, std::size_t size)
{
    failure = {};
    if (!uploading || !running)
        return Fail(InternetError::WrongState, "No upload is under way"), -1;
    if (uploadTaken + uploadBuffer.size() + size > uploadTotal)
        return Fail(InternetError::WrongState, "More bytes than announced"), -1;
    uploadBuffer.append(data, size);
    ResumeTransfer();
    const Outcome outcome = Drive([this] { return uploadBuffer.empty(); }, sendTimeout);
    if (outcome == Outcome::Reached)
        return std::int64_t(size);
    if (outcome == Outcome::Finished)
        FailFromResult();
    return -1;
}

bool Private::EndUpload()
{
    failure = {};
    if (!uploading || !running)
        return Fail(InternetError::WrongState, "No upload is under way");
    if (uploadTaken != uploadTotal)
        return Fail(InternetError::WrongState, "Fewer bytes than announced");
    return WaitForReply();
}

void Private::ResumeTransfer()
{
    if (!receivePaused && !sendPaused)
        return;
    receivePaused = sendPaused = false;
    curl_easy_pause(easy, CURLPAUSE_CONT);
}

std::int64_t Private::Read(char* buffer, std::size_t size)
{
    failure = {};
    if (!replyReady)
        return Fail(InternetError::WrongState, "No reply to read"), -1;
    wanted = size;
    if (pending.size() < size && !finished) {
        session.Notify(InternetStatus::ReceivingResponse);
        ResumeTransfer();
        if (Drive([this] { return pending.size() >= wanted; }, receiveTimeout) == Outcome::Failed)
            return -1;
        session.Notify(
            InternetStatus::ResponseReceived, std::to_string(std::min(size, pending.size())));
    }
    const std::size_t count = std::min(size, pending.size());
    std::memcpy(buffer, pending.data(), count);
    pending.erase(0, count);
    if (count > 0 || result == CURLE_OK)
        return std::int64_t(count);
    FailFromResult();
    return -1;
}

std::size_t Private::OnHeader(const char* data, std::size_t size)
{
    Touch();
    const std::string_view line(data, size);
    if (line.starts_with("HTTP/")) {
        AnnounceRequestSent();
        replyReady = discardBody = redirectPending = false;
    }
    if (reply.AddLine(line))
        OnHeadersComplete();
    return size;
}

void Private::AnnounceRequestSent()
{
    if (requestSentAnnounced)
        return;
    requestSentAnnounced = true;
    long requestSize = 0;
    curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &requestSize);
    session.Notify(InternetStatus::RequestSent, std::to_string(requestSize));
    session.Notify(InternetStatus::ReceivingResponse);
}

void Private::OnHeadersComplete()
{
    const int status = reply.StatusCode();
    if (status >= 100 && status < 200)
        return;
    long headerSize = 0;
    curl_easy_getinfo(easy, CURLINFO_HEADER_SIZE, &headerSize);
    session.Notify(InternetStatus::ResponseReceived, std::to_string(headerSize));
    if (!settings.NoAutoRedirect && !uploading && IsFollowedStatus(status)
        && reply.Header("Location")) {
        discardBody = redirectPending = true;
        return;
    }
    // curl answers these challenges itself when it holds the credentials;
    // the reply is final only once its body comes (or the transfer ends).
    const bool challenge
        = (status == 401 && CredentialsGiven()) || (status == 407 && !proxyUserName.empty());
    if (!challenge)
        replyReady = true;
}

bool Private::CredentialsGiven() const
{
    const std::string& user = userName.empty() ? target.userName : userName;
    return !user.empty() && !settings.NoAuthentication && !credentialsDropped;
}

std::size_t Private::OnBody(const char* data, std::size_t size)
{
    Touch();
    if (discardBody)
        return size;
    replyReady = true;
    if (pending.size() >= wanted) {
        receivePaused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    pending.append(data, size);
    return size;
}

std::size_t Private::OnUploadRead(char* buffer, std::size_t size)
{
    Touch();
    uploadAsked = true;
    if (uploadBuffer.empty()) {
        sendPaused = true;
        return CURL_READFUNC_PAUSE;
    }
    const std::size_t count = std::min(size, uploadBuffer.size());
    std::memcpy(buffer, uploadBuffer.data(), count);
    uploadBuffer.erase(0, count);
    uploadTaken += count;
    return count;
}

bool Private::OnProgress(std::int64_t received, std::int64_t sent)
{
    if (received != lastReceived || sent != lastSent) {
        lastReceived = received;
        lastSent = sent;
        Touch();
    }
    return !session.Interrupted();
}

void Private::OnResolving()
{
    if (resolveAnnounced)
        return;
    resolveAnnounced = true;
    session.Notify(InternetStatus::ResolvingName, policy.host);
}

void Private::OnSocket(const std::string& address)
{
    OnResolving();
    newConnection = true;
    session.Notify(InternetStatus::NameResolved, address);
    session.Notify(InternetStatus::ConnectingToServer, address);
}

void Private::OnConnected(const std::string& address)
{
    connected = true;
    Touch();
    if (newConnection)
        session.Notify(InternetStatus::ConnectedToServer, address);
    newConnection = false;
    requestSentAnnounced = false;
    session.Notify(InternetStatus::SendingRequest);
}

} // namespace platform
