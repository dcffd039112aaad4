#include "platform/InternetRequestPrivate.h"

#include "text/AsciiText.h"
#include "text/MemoLines.h"
#include "text/PercentCoding.h"

#include <algorithm>
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

using Private = InternetRequest::Private;

// curl's largest read from the connection at a time: a large body comes in
// few system calls.
constexpr long ReceiveSize = 256 * 1024;

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
    const InternetSession::Private* session = static_cast<KeptConnections*>(user)->Listener();
    if (session)
        session->Notify(InternetStatus::ClosingConnection);
    const int result = close(socket);
    if (session)
        session->Notify(InternetStatus::ConnectionClosed);
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

bool StandsOnRequestLine(unsigned char byte)
{
    return byte > 0x20 && byte < 0x7F && byte != '#';
}

// The target goes on the request line as given, except for the bytes that
// cannot stand there at all.
std::string WireTarget(const std::string& target)
{
    const std::string root = target.starts_with('/') ? "" : "/";
    return root + text::PercentEncode(target, StandsOnRequestLine, text::Blank::Escaped);
}

std::string BuildUrl(const TransferTarget& target, const InternetRequestSettings& settings)
{
    const bool address6
        = target.host.find(':') != std::string::npos && !target.host.starts_with('[');
    // Built by appending: GCC 12 at -O3 misreads the temporaries of
    // "x" + string as overlapping copies.
    std::string url = settings.Secure ? "https://" : "http://";
    if (address6)
        url += '[';
    url += target.host;
    if (address6)
        url += ']';
    if (target.port != 0) {
        url += ':';
        url += std::to_string(target.port);
    }
    url += WireTarget(settings.Target);
    return url;
}

// Splits header text into lines; nothing when a line has no "Name:".
std::optional<std::vector<std::string>> HeaderLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (const auto& line : text::SplitMemoText(text)) {
        const std::string trimmed(text::Trim(line));
        if (trimmed.empty())
            continue;
        const auto colon = trimmed.find(':');
        if (colon == std::string::npos || colon == 0
            || text::Trim(trimmed.substr(0, colon)).empty())
            return std::nullopt;
        lines.push_back(trimmed);
    }
    return lines;
}

std::string HeaderName(const std::string& line)
{
    return std::string(text::Trim(line.substr(0, line.find(':'))));
}

bool HasHeader(const std::vector<std::string>& lines, std::string_view name)
{
    return std::any_of(lines.begin(), lines.end(),
        [name](const std::string& line) { return text::SameText(HeaderName(line), name); });
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

} // namespace

Private::Private(InternetSession::Private& sessionState, TransferTarget targetGiven,
    InternetRequestSettings settingsGiven)
    : session(sessionState), target(std::move(targetGiven)), settings(std::move(settingsGiven)),
      url(BuildUrl(target, settings)), verb(settings.Verb)
{
    Configure();
}

Private::~Private()
{
    Stop();
    curl_slist_free_all(headerList);
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
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, ReceiveSize);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, ProgressCallback);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(easy, CURLOPT_RESOLVER_START_FUNCTION, ResolverStartCallback);
    curl_easy_setopt(easy, CURLOPT_RESOLVER_START_DATA, this);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETFUNCTION, OpenSocketCallback);
    curl_easy_setopt(easy, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(easy, CURLOPT_CLOSESOCKETFUNCTION, CloseSocketCallback);
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
    if (!settings.NoCookies) {
        curl_easy_setopt(easy, CURLOPT_SHARE, session.share);
        // An empty file name switches the cookie engine on without a file.
        curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    }
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

// Every option of a connection that curl does not compare itself before it
// reuses one: how its certificate was checked and which proxy, with which
// credentials, it goes through.
std::string Private::ConnectionKey() const
{
    const InternetSessionSettings& given = session.settings;
    return Joined(
        { std::to_string(policy.Key()), given.TrustSystemAuthorities ? "system" : "",
            given.TrustedAuthorityFile, std::to_string(int(given.Access)), given.ProxyServer,
            std::to_string(given.ProxyPort), given.ProxyBypass, proxyUserName, proxyPassword },
        std::string(1, '\0'));
}

bool Private::CredentialsGiven() const
{
    const std::string& user = userName.empty() ? target.userName : userName;
    return !user.empty() && !settings.NoAuthentication && !credentialsDropped;
}

} // namespace platform
