#include "platform/InternetRequestPrivate.h"

#include "text/AsciiText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {

namespace {

using Private = InternetRequest::Private;

constexpr int MaximumRedirects = 10;
constexpr int PollMilliseconds = 50;
// How much of the body is taken from curl before the reader asks for it, so
// that curl is paused and resumed once per many blocks rather than per block.
constexpr std::size_t ReadAhead = 1024 * 1024;

Private& Of(void* user)
{
    return *static_cast<Private*>(user);
}

bool IsSecureUrl(const std::string& url)
{
    return text::StartsWithText(url, "https://");
}

bool IsWebUrl(const std::string& url)
{
    return IsSecureUrl(url) || text::StartsWithText(url, "http://");
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

bool IsFollowedStatus(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// How a kept connection that the server has closed meanwhile fails a request.
bool IsLostConnection(CURLcode result)
{
    return result == CURLE_GOT_NOTHING || result == CURLE_SEND_ERROR || result == CURLE_RECV_ERROR;
}

} // namespace

bool Private::Fail(InternetError code, std::string text)
{
    failure = { code, std::move(text) };
    return false;
}

void Private::ResetReply()
{
    reply.Clear();
    replyReady = false;
    finished = false;
    result = CURLE_OK;
    pending.Clear();
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
    bodyTaken = 0;
    bodyTooLarge = false;
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
    if (const std::string key = ConnectionKey(); !connections || connections->Key() != key)
        connections = BorrowConnections(key);
    connections->SetListener(&session);
    // The connection keeps what it was opened with, and may outlive this
    // request: its closing is told to whoever holds the handle then.
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETDATA, connections.get());
    // An upload cannot be sent again, so it never goes out on a connection
    // that may have been closed meanwhile.
    const bool fresh = !settings.KeepConnection || uploading || sentAgain;
    curl_easy_setopt(easy, CURLOPT_FRESH_CONNECT, fresh ? 1L : 0L);
    if (curl_multi_add_handle(connections->Multi(), easy) != CURLM_OK)
        return Fail(InternetError::Other, "The request could not be started");
    running = true;
    Touch();
    return true;
}

void Private::Stop()
{
    if (!running)
        return;
    curl_multi_remove_handle(connections->Multi(), easy);
    running = false;
}

std::uint32_t Private::IdleLimit(Wait wait) const
{
    if (wait == Wait::Sending)
        return sendTimeout;
    if (wait == Wait::Receiving)
        return receiveTimeout;
    const auto outgoing = std::int64_t(uploading ? uploadTotal : body.size());
    return lastSent < outgoing ? sendTimeout : receiveTimeout;
}

Private::Outcome Private::Drive(const std::function<bool()>& reached, Wait wait)
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
        if (const CURLMcode code = curl_multi_perform(connections->Multi(), &active);
            code != CURLM_OK) {
            Fail(InternetError::Other, curl_multi_strerror(code));
            return Outcome::Failed;
        }
        Collect();
        if (reached())
            return Outcome::Reached;
        if (finished)
            return Outcome::Finished;
        const std::uint32_t idleLimit = IdleLimit(wait);
        if (idleLimit != 0 && connected
            && Clock::now() - lastActivity > std::chrono::milliseconds(idleLimit)) {
            Fail(InternetError::TimedOut, "The server did not answer in time");
            return Outcome::Failed;
        }
        curl_multi_poll(connections->Multi(), nullptr, 0, PollMilliseconds, nullptr);
    }
}

void Private::Collect()
{
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(connections->Multi(), &left)) {
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
    if (bodyTooLarge)
        return Fail(InternetError::ReplyTooLarge,
            "The reply is larger than " + std::to_string(settings.MaximumBody) + " bytes");
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
    case CURLE_UNSUPPORTED_PROTOCOL:
        // curl also says so of a reply it cannot read.
        return Fail(connected ? InternetError::InvalidReply : InternetError::InvalidUrl, text);
    case CURLE_WEIRD_SERVER_REPLY:
        return Fail(InternetError::InvalidReply, text);
    case CURLE_URL_MALFORMAT:
        return Fail(InternetError::InvalidUrl, text);
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return Fail(InternetError::ConnectionLost, text);
    case CURLE_OUT_OF_MEMORY:
        // curl says so of a header line longer than it keeps, too.
        return Fail(InternetError::Other,
            connected && !replyReady ? "The reply's header lines are too long" : text);
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
        const Outcome outcome = Drive([this] { return replyReady; }, Wait::Reply);
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
        if (!MaySendAgainOnFreshConnection())
            return FailFromResult();
        sentAgain = true;
        if (!Start())
            return false;
    }
}

// A kept connection that the server closed just as the request went out
// fails it before any answer. curl sends the request again on a new
// connection for some of those failures only; the others are sent again
// here, once, so that the caller never notices the connection was kept.
bool Private::MaySendAgainOnFreshConnection() const
{
    if (sentAgain || uploading || reply.HasStatus() || !IsLostConnection(result))
        return false;
    long connects = 0;
    curl_easy_getinfo(easy, CURLINFO_NUM_CONNECTS, &connects);
    return connects == 0;
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
    sentAgain = false;
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
    const Outcome outcome = Drive([this] { return uploadAsked || replyReady; }, Wait::Sending);
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
    const Outcome outcome = Drive([this] { return uploadBuffer.empty(); }, Wait::Sending);
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
    const std::int64_t count = Available(size);
    if (count > 0) {
        std::memcpy(buffer, pending.Data(), std::size_t(count));
        pending.Consume(std::size_t(count));
    }
    return count;
}

std::int64_t Private::ReadInPlace(const char*& data, std::size_t size)
{
    const std::int64_t count = Available(size);
    data = pending.Data();
    if (count > 0)
        pending.Consume(std::size_t(count));
    return count;
}

// Waits until size bytes are there or the body has ended; the count that can
// be taken now, 0 at the end, -1 on failure.
std::int64_t Private::Available(std::size_t size)
{
    failure = {};
    if (!replyReady)
        return Fail(InternetError::WrongState, "No reply to read"), -1;
    if (size == 0)
        return Fail(InternetError::WrongState, "No room to read into"), -1;
    wanted = size;
    if (pending.Size() < size && !finished) {
        session.Notify(InternetStatus::ReceivingResponse);
        ResumeTransfer();
        if (Drive([this] { return pending.Size() >= wanted; }, Wait::Receiving) == Outcome::Failed)
            return -1;
        session.Notify(
            InternetStatus::ResponseReceived, std::to_string(std::min(size, pending.Size())));
    }
    const std::size_t count = std::min(size, pending.Size());
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

std::size_t Private::OnBody(const char* data, std::size_t size)
{
    Touch();
    if (discardBody)
        return size;
    replyReady = true;
    if (pending.Size() >= std::max(wanted, ReadAhead)) {
        receivePaused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    // Only the bytes within the limit are kept; answering fewer than were
    // given makes curl end the transfer.
    const std::int64_t room = settings.MaximumBody - bodyTaken;
    if (settings.MaximumBody > 0 && std::int64_t(size) > room) {
        pending.Append(data, std::size_t(room));
        bodyTaken += room;
        bodyTooLarge = true;
        return 0;
    }
    pending.Append(data, size);
    bodyTaken += std::int64_t(size);
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
