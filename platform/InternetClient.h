// The program's internet client: sessions, connections and requests over HTTP
// and HTTPS, shaped after the steps of one transfer: open a session, connect,
// open a request, set its options and headers, send, query the reply's status
// and headers, read the body one block at a time, close.
//
// Every call blocks the calling thread. A session and everything made from it
// are used by one thread at a time; the one thing meant to be touched from
// another thread meanwhile is the session's interrupt flag: once it is set, any blocking call of
// the session's requests gives up within about 100 ms with InternetError::Cancelled.
//
// A session outlives its connections, a connection its requests. Closing a
// handle is destroying it.
//
// A request with KeepConnection leaves its network connection open when it
// closes, for the whole process: the next request to the same server with the
// same certificate and proxy options goes out on it, whatever session it
// belongs to. A kept connection that the server has closed meanwhile is
// replaced without the request noticing. A request without KeepConnection
// opens a connection of its own and closes it at its end.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class InternetError {
    None,
    InvalidUrl,
    Offline,
    NameNotResolved,
    ConnectionRefused,
    HostUnreachable,
    TimedOut,
    ConnectionLost,
    // The server's answer is not HTTP (a status that is not a number...).
    InvalidReply,
    CertificateNameInvalid,
    CertificateDateInvalid,
    CertificateUnknownAuthority,
    CertificateInvalid,
    SecureChannelFailed,
    RedirectRefused,
    TooManyRedirects,
    // The body went past the request's MaximumBody; what came before is kept.
    ReplyTooLarge,
    HeadersRejected,
    WrongState,
    Cancelled,
    Other,
};

struct InternetFailure {
    InternetError Code = InternetError::None;
    std::string Text;
};

// The notifications a session reports while its requests run. The numbers are
// the ones the transfer's status handler knows.
enum class InternetStatus : std::uint32_t {
    ResolvingName = 10,
    NameResolved = 11,
    ConnectingToServer = 20,
    ConnectedToServer = 21,
    SendingRequest = 30,
    RequestSent = 31,
    ReceivingResponse = 40,
    ResponseReceived = 41,
    ClosingConnection = 50,
    ConnectionClosed = 51,
    HandleCreated = 60,
    HandleClosing = 70,
    Redirect = 110,
};

// Information is the host name (resolving), the address (resolved,
// connecting, connected), a byte count (sent, received), the new address
// (redirect), or empty.
using InternetStatusCallback
    = std::function<void(InternetStatus status, const std::string& information)>;

using InternetInterruptFlag = std::shared_ptr<std::atomic<bool>>;

enum class InternetAccess { Preconfig, Direct, UseProxy };

struct InternetSessionSettings {
    std::string Agent;
    // Preconfig takes the proxy from the environment, Direct uses none.
    InternetAccess Access = InternetAccess::Preconfig;
    std::string ProxyServer;
    int ProxyPort = 8080;
    // Host names, domains and addresses reached without the proxy, separated
    // by ";", "," or blanks; "*.example.org" covers the domain.
    std::string ProxyBypass;
    // No network in this mode: every send fails with InternetError::Offline.
    bool Offline = false;
    // A PEM file of authorities trusted besides the system's (tests use their
    // own authority); empty = the system's only.
    std::string TrustedAuthorityFile;
    bool TrustSystemAuthorities = true;
    // Shared with whoever may abandon the transfer; made when left empty.
    InternetInterruptFlag Interrupt;
};

struct InternetRequestSettings {
    std::string Verb = "GET";
    // Path and extra part, already encoded as they go on the wire.
    std::string Target = "/";
    std::string Referrer;
    std::vector<std::string> AcceptTypes;
    bool Secure = false;
    // Use a kept connection and keep this one (see above).
    bool KeepConnection = false;
    bool NoCookies = false;
    bool NoAuthentication = false;
    bool NoAutoRedirect = false;
    // Redirects that change the scheme are refused unless allowed here.
    bool AllowRedirectToHttp = false;
    bool AllowRedirectToHttps = false;
    bool IgnoreCertificateName = false;
    bool IgnoreCertificateDate = false;
    bool PragmaNoCache = false;
    // Cache directives: kept with the request, but there is no local cache
    // for them to act on.
    bool Reload = false;
    bool Hyperlink = false;
    bool Resynchronize = false;
    bool NeedFile = false;
    bool NoCacheWrite = false;
    bool CacheIfNetFail = false;
    // The most bytes of a final reply's body that are taken; the transfer
    // fails once the server sends more. 0 takes any length.
    std::int64_t MaximumBody = 0;
};

// What Query can ask of a reply; RawHeaders is the status line and every
// header line of the final reply, each followed by CR LF, and a closing CR LF.
enum class InternetHeader {
    StatusCode,
    ContentType,
    ContentLength,
    ContentRange,
    WwwAuthenticate,
    RawHeaders,
    ContentLanguage,
    ContentEncoding,
    Location,
    ETag,
    Date,
    LastModified,
    Expires,
};

enum class HeaderMode { Add, Replace };

class InternetSession;
class InternetConnection;

class InternetRequest {
public:
    ~InternetRequest();
    InternetRequest(const InternetRequest&) = delete;
    InternetRequest& operator=(const InternetRequest&) = delete;

    const InternetRequestSettings& Settings() const;

    // Zero keeps the library's own default (no limit for sending and
    // receiving). Connect limits the connection set-up, send and receive
    // the time without any byte going out or coming in.
    void SetConnectTimeout(std::uint32_t milliseconds);
    void SetSendTimeout(std::uint32_t milliseconds);
    void SetReceiveTimeout(std::uint32_t milliseconds);
    void SetCredentials(const std::string& userName, const std::string& password);
    void SetProxyCredentials(const std::string& userName, const std::string& password);
    void SetIgnoreUnknownAuthority(bool ignore);

    // Header lines separated by CR LF ("Name: value"); Replace drops earlier
    // lines of the same names. False (HeadersRejected) for a line without a
    // name and colon; nothing is added then.
    bool AddHeaders(const std::string& text, HeaderMode mode = HeaderMode::Add);

    // Sends the request with the given extra header lines and body and waits
    // for the final reply's status line and headers (after the redirects that
    // are followed). A body is sent with its Content-Length, even when empty,
    // whenever the verb is not GET. May be called again to send anew.
    bool Send(const std::string& headers = {}, const std::string& body = {});

    // Upload: announces totalLength, then Write hands the body over block by
    // block (returns the bytes taken, or -1), and EndUpload waits for the reply
    // headers like Send. An upload does not follow redirects.
    bool BeginUpload(const std::string& headers, std::uint64_t totalLength);
    std::int64_t Write(const char* data, std::size_t size);
    bool EndUpload();

    // The value of the final reply's header, empty when present but empty,
    // nothing when absent or before a reply.
    std::optional<std::string> Query(InternetHeader header) const;
    std::optional<std::string> Header(const std::string& name) const;

    // Fills the buffer with up to size bytes of the body; fewer only at its
    // end. Returns the count, 0 once the body has ended, -1 on failure. The
    // body is as it came (a chunked one unchained, nothing decompressed), and
    // never longer than an announced Content-Length.
    std::int64_t Read(char* buffer, std::size_t size);
    // Read without the copy: the bytes stay in the request's own buffer, and
    // data points at them until the next call on the request.
    std::int64_t ReadInPlace(const char*& data, std::size_t size);

    // The address the final reply came from.
    std::string Url() const;
    const InternetFailure& LastFailure() const;

    struct Private;

private:
    friend class InternetConnection;
    explicit InternetRequest(std::unique_ptr<Private> state);
    std::unique_ptr<Private> d;
};

class InternetConnection {
public:
    ~InternetConnection();
    InternetConnection(const InternetConnection&) = delete;
    InternetConnection& operator=(const InternetConnection&) = delete;

    // Nothing on failure (an empty verb); see LastFailure.
    std::unique_ptr<InternetRequest> OpenRequest(const InternetRequestSettings& settings);
    const InternetFailure& LastFailure() const;

private:
    friend class InternetSession;
    InternetConnection(InternetSession& session, std::string host, std::uint16_t port,
        std::string userName, std::string password);
    InternetSession& session_;
    std::string host_;
    std::uint16_t port_;
    std::string userName_;
    std::string password_;
    InternetFailure failure_;
};

class InternetSession {
public:
    explicit InternetSession(InternetSessionSettings settings);
    ~InternetSession();
    InternetSession(const InternetSession&) = delete;
    InternetSession& operator=(const InternetSession&) = delete;

    // Called on the thread that drives the requests, also while a request or
    // the session itself is being closed; never again once the interrupt flag
    // is set, so an abandoned transfer reports nothing more.
    void SetStatusCallback(InternetStatusCallback callback);

    const InternetInterruptFlag& Interrupt() const;

    // The service is HTTP; a zero port means the scheme's default, chosen
    // per request. Nothing on failure (an empty host); see LastFailure.
    std::unique_ptr<InternetConnection> Connect(const std::string& host, std::uint16_t port,
        const std::string& userName = {}, const std::string& password = {});
    const InternetFailure& LastFailure() const;

    struct Private;

private:
    friend class InternetConnection;
    Private& Shared();
    std::unique_ptr<Private> d;
};

// The parts of an address; escapes (%xx) in the user name, password, path and
// extra part are undone. Port is the scheme's default when none is given
// (80 for http, 443 for https, 21 for ftp, 0 otherwise). Nothing when the
// address cannot be read.
struct InternetUrlParts {
    std::string Scheme;
    std::string HostName;
    std::uint16_t Port = 0;
    std::string UserName;
    std::string Password;
    std::string UrlPath;
    // The query with its "?" and the fragment with its "#".
    std::string ExtraInfo;
};

std::optional<InternetUrlParts> CrackUrl(const std::string& url);

} // namespace platform
