// The request side of the transfer procedure: address, session, connection,
// request, sending with its retries, and the reply's headers.
#include "transfer/acHTTPProcedure.h"

#include "text/AsciiText.h"
#include "transfer/acFileAttributes.h"

#include <QFileDevice>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <map>

namespace {

using platform::InternetHeader;

// A header's number, 0 when absent or not a 32-bit integer.
int ToInteger(const std::optional<std::string>& text)
{
    if (!text)
        return 0;
    const std::string trimmed(text::Trim(*text));
    int value = 0;
    const char* end = trimmed.data() + trimmed.size();
    const auto [stop, error] = std::from_chars(trimmed.data(), end, value);
    return error == std::errc() && stop == end ? value : 0;
}

const char* StatusText(std::uint32_t code)
{
    static const std::map<std::uint32_t, const char*> texts {
        { 10, "Resolving name" },
        { 11, "Name resolved" },
        { 20, "Connecting to server" },
        { 21, "Connected" },
        { 30, "Sending Request" },
        { 31, "Request sent" },
        { 40, "Receiving response" },
        { 41, "Response received" },
        { 42, "CTL Response received" },
        { 43, "Prefetch" },
        { 50, "Closing connection" },
        { 51, "Connection closed" },
        { 60, "Handle created" },
        { 70, "Handle closing" },
        { 100, "Request complete" },
        { 110, "Redirect" },
        { 120, "Intermediate response" },
        { 200, "State change" },
    };
    const auto found = texts.find(code);
    return found == texts.end() ? "Unknown status" : found->second;
}

// The realm of a WWW-Authenticate value: what follows its first `="`, less
// its last character (the closing quote).
std::string Realm(const std::optional<std::string>& value)
{
    if (!value)
        return {};
    const size_t quote = value->find("=\"");
    if (quote == std::string::npos)
        return *value;
    std::string realm = value->substr(quote + 2);
    if (!realm.empty())
        realm.pop_back();
    return realm;
}

// A ranged request takes none of the cache options but the forced reload.
void ApplyCacheOptions(
    TacCacheOptions options, bool ranged, platform::InternetRequestSettings& settings)
{
    const auto cache = [&](TacCacheOption option) { return options.testFlag(option) && !ranged; };
    settings.NeedFile = !settings.Secure && cache(coCreateTempFilesIfCantCache);
    settings.Reload = options.testFlag(coAlwaysReload);
    settings.Hyperlink = cache(coReloadIfNoExpireInformation);
    settings.Resynchronize = cache(coReloadUpdatedObjects);
    settings.PragmaNoCache = cache(coPragmaNoCache);
    settings.NoCacheWrite = cache(coNoCacheWrite);
    settings.CacheIfNetFail = cache(coUseCacheIfNetFail);
}

void ApplyInternetOptions(TacInternetOptions options, platform::InternetRequestSettings& settings)
{
    settings.IgnoreCertificateName = options.testFlag(ioIgnoreCertificateInvalid);
    settings.IgnoreCertificateDate = options.testFlag(ioIgnoreCertificateDateInvalid);
    settings.AllowRedirectToHttp = options.testFlag(ioIgnoreRedirectToHTTP);
    settings.AllowRedirectToHttps = options.testFlag(ioIgnoreRedirectToHTTPS);
    settings.KeepConnection = options.testFlag(ioKeepConnection);
    settings.NoAuthentication = options.testFlag(ioNoAuthentication);
    settings.NoAutoRedirect = options.testFlag(ioNoAutoRedirect);
    settings.NoCookies = options.testFlag(ioNoCookies);
}

} // namespace

std::uint64_t TickCount()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void TacHTTPTransfer::ReleaseStream(bool deleteFile)
{
    if (!stream)
        return;
    FlushStream();
    stream->close();
    stream.reset();
    if (!outputFileInUse)
        return;
    outputFileInUse = false;
    const TacOutputFileAttributes& attributes = settings.OutputFileAttributes;
    if (attributes.Incomplete != TacFileAttributes { atrArchive })
        SetOutputFileAttributes(settings.OutputFileName, attributes.Incomplete);
    if (deleteFile)
        DeleteOutputFile(settings.OutputFileName);
}

bool TacHTTPTransfer::WriteToStream(const char* data, std::size_t size)
{
    if (outputFileInUse)
        return fileWriter.Write(*stream, data, size);
    return stream->write(data, static_cast<qint64>(size)) == static_cast<qint64>(size);
}

// A file written from its start is not truncated when it is opened but here:
// truncating a file to nothing and writing it again makes the file system
// write it out on close, at a cost that exceeds the rest of a small request.
bool TacHTTPTransfer::FlushStream()
{
    if (!outputFileInUse || !stream)
        return true;
    auto& file = static_cast<QFileDevice&>(*stream);
    const bool flushed = fileWriter.Flush(file);
    if (formerLength > file.pos()) {
        if (!file.resize(file.pos()))
            return false;
        formerLength = 0;
    }
    return flushed;
}

void TacHTTPTransfer::TakeOver(bool deleteFile)
{
    std::lock_guard lock(streamMutex);
    abandoned.store(true);
    interrupt->store(true);
    ReleaseStream(deleteFile);
    requestBusy.store(false);
    transferBusy.store(false);
}

// ---------------------------------------------------------------------------

void TacHTTPTransferProcedure::Run()
{
    RunSteps();
    // A stop asked for while the worker was blocked interrupts the blocking
    // call, whose failure is then the stop's doing, not the server's.
    if (!t_.ok && run_.GetTerminated())
        Stop();
    if (!t_.ok)
        KeepFailure();
}

// The step that failed last is the one furthest along.
void TacHTTPTransferProcedure::KeepFailure()
{
    platform::InternetFailure failure;
    if (request_)
        failure = request_->LastFailure();
    else if (connection_)
        failure = connection_->LastFailure();
    else if (session_)
        failure = session_->LastFailure();
    else if (urlRejected_)
        failure = { platform::InternetError::InvalidUrl, {} };
    std::lock_guard lock(t_.streamMutex);
    ExitIfAbandoned();
    t_.failure = std::move(failure);
}

void TacHTTPTransferProcedure::RunSteps()
{
    t_.uploadSent = false;
    t_.contentType.clear();
    t_.status = -1;
    blockSize_ = static_cast<size_t>(std::max(255, s_.TransferBufferSize));
    t_.startTick = TickCount();
    t_.continueDownload = true;
    // Any other scheme would be spoken to as HTTP, at a server that is not one.
    const auto spoken = [this] {
        return text::SameText(url_.Scheme, "http") || text::SameText(url_.Scheme, "https")
            || text::SameText(url_.Scheme, "file");
    };
    if (!ParseURL(s_.URL, url_) || !spoken()) {
        urlRejected_ = true;
        Check();
        return;
    }
    target_ = (url_.URLPath.empty() ? "/" : url_.URLPath) + URLEncode(url_.ExtraInfo);
    userName_ = url_.UserName.empty() ? s_.Username : url_.UserName;
    password_ = url_.Password.empty() ? s_.Password : url_.Password;
    Check();
    // Each restart drops the range or follows a failed positioning of the
    // output file; a few are plenty, and a file that cannot be positioned
    // again and again must not keep the worker busy for ever.
    constexpr int restartLimit = 3;
    if (text::SameText(url_.Scheme, "file")) {
        for (int attempt = 0; attempt <= restartLimit; ++attempt) {
            OpenLocalFile();
            if (ReceiveBody() != Step::Restart)
                return;
        }
        return;
    }
    OpenSession();
    for (int attempt = 0; attempt <= restartLimit; ++attempt) {
        const Step sent = ConnectAndSend();
        if (sent == Step::Restart)
            continue;
        if (sent == Step::End || ReceiveBody() != Step::Restart)
            return;
    }
    t_.ok = false;
}

void TacHTTPTransferProcedure::Check()
{
    run_.WaitWhileSuspended();
    if (run_.GetTerminated())
        Stop();
}

void TacHTTPTransferProcedure::Stop()
{
    ExitIfAbandoned();
    request_.reset();
    connection_.reset();
    session_.reset();
    localFile_.reset();
    buffer_ = {};
    {
        std::lock_guard lock(t_.streamMutex);
        ExitIfAbandoned();
        t_.ReleaseStream(t_.deleteOnAbort.load());
    }
    // The busy state ends before OnAborted, so its handler may read again.
    run_.Synchronize([this] {
        t_.requestBusy.store(false);
        t_.transferBusy.store(false);
        if (component_.OnAborted)
            component_.OnAborted(&component_);
    });
    throw TacThreadExit {};
}

void TacHTTPTransferProcedure::ExitIfAbandoned() const
{
    if (t_.abandoned.load())
        throw TacThreadExit {};
}

void TacHTTPTransferProcedure::HandOver(const TThreadMethod& method)
{
    run_.Synchronize(method);
    ExitIfAbandoned();
}

std::string TacHTTPTransferProcedure::Verb() const
{
    if (s_.RequestMethod == rmGET)
        return "GET";
    if (s_.RequestMethod == rmPOST || !s_.POSTData.empty() || s_.Upload)
        return "POST";
    return "GET";
}

std::string TacHTTPTransferProcedure::ExtraHeaders(bool wholeResource) const
{
    std::string text;
    for (const std::string& line : s_.AddHeaders)
        text += line + "\r\n";
    if (wholeResource)
        text += "RANGE: bytes=0-\r\n";
    else if (Ranged())
        text += "RANGE: bytes=" + std::to_string(t_.rangeStart) + "-"
            + (t_.rangeEnd != 0 ? std::to_string(t_.rangeEnd) : std::string()) + "\r\n";
    return text;
}

platform::InternetRequestSettings TacHTTPTransferProcedure::RequestSettings() const
{
    platform::InternetRequestSettings settings;
    settings.Verb = Verb();
    settings.Target = target_;
    settings.Referrer = s_.Referer;
    settings.AcceptTypes = { s_.AcceptTypes };
    settings.Secure = text::SameText(url_.Scheme, "https");
    ApplyCacheOptions(s_.CacheOptions, Ranged(), settings);
    ApplyInternetOptions(s_.InternetOptions, settings);
    settings.MaximumBody = s_.MaximumReplySize;
    return settings;
}

void TacHTTPTransferProcedure::OpenSession()
{
    platform::InternetSessionSettings settings;
    settings.Agent = s_.Agent;
    settings.Access = s_.Proxy.AccessType == atDirect ? platform::InternetAccess::Direct
        : s_.Proxy.AccessType == atUseProxy           ? platform::InternetAccess::UseProxy
                                                      : platform::InternetAccess::Preconfig;
    if (s_.Proxy.AccessType == atUseProxy) {
        settings.ProxyServer = s_.Proxy.ProxyServer;
        settings.ProxyPort = s_.Proxy.ProxyPort;
        settings.ProxyBypass = s_.Proxy.ProxyBypass;
    }
    settings.Offline = s_.WorkOffline;
    settings.TrustedAuthorityFile = s_.TrustedAuthorityFile;
    settings.Interrupt = t_.interrupt;
    session_ = std::make_unique<platform::InternetSession>(std::move(settings));
    session_->SetStatusCallback(
        [this](platform::InternetStatus status, const std::string& information) {
            StatusChanged(status, information);
        });
    t_.ok = true;
}

void TacHTTPTransferProcedure::StatusChanged(
    platform::InternetStatus status, const std::string& information) const
{
    if (t_.abandoned.load())
        return;
    const auto code = static_cast<std::uint32_t>(status);
    if (s_.OnStatusChanged)
        s_.OnStatusChanged(t_.sender, code, StatusText(code));
    if (status == platform::InternetStatus::Redirect && s_.OnRedirected)
        s_.OnRedirected(t_.sender, information);
}

void TacHTTPTransferProcedure::CloseRequest()
{
    request_.reset();
    connection_.reset();
}

TacHTTPTransferProcedure::Step TacHTTPTransferProcedure::ConnectAndSend()
{
    Check();
    connection_ = session_->Connect(url_.HostName, url_.Port, userName_, password_);
    t_.ok = connection_ != nullptr;
    if (!t_.ok)
        return Step::End;
    if (const Step opened = OpenRequest(); opened != Step::Next)
        return opened;
    if (const Step sent = SendLoop(); sent != Step::Next)
        return sent;
    Check();
    TakeReplyHeaders();
    if (s_.HeaderInfoAssigned) {
        HandOverHeaderInfo();
        if (!t_.continueDownload)
            return Step::End;
    }
    return Step::Next;
}

TacHTTPTransferProcedure::Step TacHTTPTransferProcedure::OpenRequest()
{
    Check();
    request_ = connection_->OpenRequest(RequestSettings());
    t_.ok = request_ != nullptr;
    if (!t_.ok)
        return Step::End;
    Check();
    const TacHTTPTimeouts& timeouts = s_.Timeouts;
    if (timeouts.ConnectTimeout != 0)
        request_->SetConnectTimeout(timeouts.ConnectTimeout);
    if (timeouts.ReceiveTimeout != 0)
        request_->SetReceiveTimeout(timeouts.ReceiveTimeout);
    if (timeouts.SendTimeout != 0)
        request_->SetSendTimeout(timeouts.SendTimeout);
    request_->SetIgnoreUnknownAuthority(
        s_.InternetOptions.testFlag(ioIgnoreUnknownCertificateAuthority));
    const TacHTTPProxy& proxy = s_.Proxy;
    if (proxy.AccessType != atDirect && !proxy.ProxyUsername.empty()
        && !proxy.ProxyPassword.empty())
        request_->SetProxyCredentials(proxy.ProxyUsername, proxy.ProxyPassword);
    if (s_.OnBeforeSendRequest)
        s_.OnBeforeSendRequest(t_.sender, request_.get());
    const std::string headers = ExtraHeaders(false);
    // Rejected header lines end the transfer with the request still "ok",
    // which the completion reports as an output-file error.
    if (!headers.empty() && !request_->AddHeaders(headers))
        return Step::End;
    return Step::Next;
}

TacHTTPTransferProcedure::Step TacHTTPTransferProcedure::SendLoop()
{
    for (;;) {
        Check();
        bool retry = false;
        t_.ok = SendOnce();
        ExitIfAbandoned();
        if (!t_.ok)
            return Step::End;
        Check();
        const auto status = request_->Query(InternetHeader::StatusCode);
        t_.ok = status.has_value();
        if (status) {
            t_.status = ToInteger(status);
            t_.uploadSent = false;
        }
        if (t_.status == 416 && Ranged())
            return WholeResourceAfterRangeRefused();
        if (t_.status == 401 && s_.PasswordRequestAssigned)
            AskForPassword(retry);
        if (t_.status == 407 && s_.ProxyAuthenticationAssigned)
            AskForProxyAuthentication(retry);
        if (!retry)
            return Step::Next;
    }
}

bool TacHTTPTransferProcedure::SendOnce()
{
    if (s_.Upload)
        return SendUpload();
    if (Verb() == "GET")
        return request_->Send();
    return request_->Send("Content-Type: application/x-www-form-urlencoded", s_.POSTData);
}

bool TacHTTPTransferProcedure::SendUpload()
{
    const std::string& body = s_.UploadBody;
    if (!request_->BeginUpload(s_.UploadHeader, body.size()))
        return false;
    t_.uploadSent = true;
    size_t sent = 0;
    while (sent < body.size()) {
        Check();
        const size_t size = std::min(blockSize_, body.size() - sent);
        const std::int64_t written = request_->Write(body.data() + sent, size);
        ExitIfAbandoned();
        if (written <= 0)
            break;
        sent += static_cast<size_t>(written);
        if (s_.UploadProgressAssigned)
            HandOverUploadProgress(static_cast<std::int64_t>(sent));
    }
    return request_->EndUpload();
}

TacHTTPTransferProcedure::Step TacHTTPTransferProcedure::WholeResourceAfterRangeRefused()
{
    request_->AddHeaders(ExtraHeaders(true), platform::HeaderMode::Replace);
    Check();
    const bool sent = request_->Send();
    ExitIfAbandoned();
    if (const auto status = request_->Query(InternetHeader::StatusCode); sent && status)
        t_.status = ToInteger(status);
    const std::int64_t fullLength = sent && IsSuccess(t_.status)
        ? ToInteger(request_->Query(InternetHeader::ContentLength))
        : 0;
    Check();
    // Nothing lies beyond the range start: the completion reports it as an
    // output-file error, the request itself having gone well.
    if (fullLength <= static_cast<std::int64_t>(t_.rangeStart)) {
        t_.ok = true;
        return Step::End;
    }
    t_.status = -1;
    t_.rangeStart = t_.rangeEnd = 0;
    CloseRequest();
    return Step::Restart;
}

void TacHTTPTransferProcedure::AskForPassword(bool& retry)
{
    const std::string realm = Realm(request_->Query(InternetHeader::WwwAuthenticate));
    HandOver([&] {
        bool tryAgain = retry;
        if (component_.OnPasswordRequest)
            component_.OnPasswordRequest(&component_, realm, tryAgain);
        retry = tryAgain;
        t_.retryUsername = component_.Username;
        t_.retryPassword = component_.Password;
    });
    request_->SetCredentials(t_.retryUsername, t_.retryPassword);
}

void TacHTTPTransferProcedure::AskForProxyAuthentication(bool& retry)
{
    HandOver([&] {
        bool tryAgain = retry;
        TacHTTPProxy& proxy = component_.Proxy;
        if (component_.OnProxyAuthenticationRequest)
            component_.OnProxyAuthenticationRequest(
                &component_, proxy.ProxyUsername, proxy.ProxyPassword, tryAgain);
        retry = tryAgain;
        t_.retryProxyUsername = proxy.ProxyUsername;
        t_.retryProxyPassword = proxy.ProxyPassword;
    });
    request_->SetProxyCredentials(t_.retryProxyUsername, t_.retryProxyPassword);
}

void TacHTTPTransferProcedure::TakeReplyHeaders()
{
    if (const auto type = request_->Query(InternetHeader::ContentType))
        t_.contentType = *type;
    const auto length = request_->Query(InternetHeader::ContentLength);
    t_.dataSize = ToInteger(length);
    t_.ok = length.has_value();
    // A reply without Content-Range ignored the range and brings the whole
    // resource, so the range goes before it could shorten the length.
    if (!request_->Query(InternetHeader::ContentRange))
        t_.rangeStart = t_.rangeEnd = 0;
    // A range's end is inclusive: bytes=0-50 brings 51 bytes.
    if (t_.rangeEnd != 0 && t_.rangeEnd >= t_.rangeStart) {
        const std::int64_t rangeLength = static_cast<std::int64_t>(t_.rangeEnd) - t_.rangeStart + 1;
        if (rangeLength < t_.dataSize)
            t_.dataSize = rangeLength;
    }
}

void TacHTTPTransferProcedure::HandOverHeaderInfo()
{
    const auto text
        = [this](InternetHeader header) { return request_->Query(header).value_or(std::string()); };
    const std::string raw = text(InternetHeader::RawHeaders);
    const std::string language = text(InternetHeader::ContentLanguage);
    const std::string encoding = text(InternetHeader::ContentEncoding);
    const std::string location = text(InternetHeader::Location);
    const std::string tag = text(InternetHeader::ETag);
    const TDateTime date = HeaderDateToDateTime(text(InternetHeader::Date));
    const TDateTime modified = HeaderDateToDateTime(text(InternetHeader::LastModified));
    const TDateTime expires = HeaderDateToDateTime(text(InternetHeader::Expires));
    const int length = static_cast<int>(t_.dataSize + t_.rangeStart);
    HandOver([&] {
        bool continueDownload = true;
        if (component_.OnHeaderInfo)
            component_.OnHeaderInfo(&component_, t_.status, raw, t_.contentType, language, encoding,
                length, location, date, modified, expires, tag, continueDownload);
        t_.continueDownload = continueDownload;
    });
}

void TacHTTPTransferProcedure::HandOverProgress()
{
    {
        std::lock_guard lock(t_.streamMutex);
        ExitIfAbandoned();
        t_.FlushStream();
    }
    HandOver([this] {
        if (!component_.OnProgress)
            return;
        const TacProgressValues values
            = ComputeProgress(t_.dataSize, t_.bytesRead, t_.rangeStart, TickCount() - t_.startTick);
        component_.OnProgress(&component_, t_.contentType, values.DataSize, values.BytesRead,
            values.ElapsedTime, values.EstimatedTimeLeft, values.PercentsDone, values.TransferRate,
            t_.stream.get());
    });
}

void TacHTTPTransferProcedure::HandOverUploadProgress(std::int64_t sent)
{
    const auto total = static_cast<std::int64_t>(s_.UploadBody.size());
    HandOver([this, sent, total] {
        if (!component_.OnUploadProgress)
            return;
        const TacProgressValues values
            = ComputeProgress(total, sent, 0, TickCount() - t_.startTick);
        component_.OnUploadProgress(&component_, values.DataSize, values.BytesRead,
            values.ElapsedTime, values.EstimatedTimeLeft, values.PercentsDone, values.TransferRate);
    });
}

void RunTransferProcedure(
    TacCustomHTTP& component, const std::shared_ptr<TacHTTPTransfer>& transfer)
{
    TacHTTPTransferProcedure procedure(component, transfer);
    procedure.Run();
}
