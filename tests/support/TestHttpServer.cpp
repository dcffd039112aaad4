#include "tests/support/TestHttpServer.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr Milliseconds Slice(50);
constexpr Milliseconds IdleLimit(5000);
constexpr int MaximumConnections = 64;

bool SameName(std::string_view left, std::string_view right)
{
    return std::equal(left.begin(), left.end(), right.begin(), right.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a))
            == std::tolower(static_cast<unsigned char>(b));
    });
}

std::string Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return std::string(text);
}

std::optional<std::string> Find(const HeaderList& headers, std::string_view name)
{
    for (const auto& [headerName, value] : headers)
        if (SameName(headerName, name))
            return value;
    return std::nullopt;
}

std::string ReasonFor(int status)
{
    static const std::map<int, std::string> reasons { { 200, "OK" }, { 206, "Partial Content" },
        { 301, "Moved Permanently" }, { 302, "Found" }, { 303, "See Other" },
        { 304, "Not Modified" }, { 307, "Temporary Redirect" }, { 308, "Permanent Redirect" },
        { 400, "Bad Request" }, { 401, "Unauthorized" }, { 403, "Forbidden" }, { 404, "Not Found" },
        { 407, "Proxy Authentication Required" }, { 416, "Range Not Satisfiable" },
        { 500, "Internal Server Error" }, { 503, "Service Unavailable" } };
    const auto found = reasons.find(status);
    return found == reasons.end() ? "Status" : found->second;
}

// Sleeps up to the given time, in slices, so that a stop is not held up.
bool Pause(Milliseconds duration, const std::atomic<bool>& stopping)
{
    const auto until = Clock::now() + duration;
    while (Clock::now() < until) {
        if (stopping)
            return false;
        std::this_thread::sleep_for(std::min<Clock::duration>(Slice, until - Clock::now()));
    }
    return !stopping;
}

// One accepted connection, plain or TLS, whose every read and write gives up
// at the server's stop or at a deadline.
class Channel {
public:
    Channel(int socket, SSL_CTX* tls, const std::atomic<bool>& stopping)
        : socket_(socket), stopping_(stopping)
    {
        timeval slice { 0, 50 * 1000 };
        setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &slice, sizeof slice);
        setsockopt(socket_, SOL_SOCKET, SO_SNDTIMEO, &slice, sizeof slice);
        if (tls) {
            ssl_ = SSL_new(tls);
            SSL_set_fd(ssl_, socket_);
        }
    }

    ~Channel()
    {
        if (ssl_) {
            if (!reset_)
                SSL_shutdown(ssl_);
            SSL_free(ssl_);
        }
        if (!reset_)
            shutdown(socket_, SHUT_RDWR);
        close(socket_);
    }

    // The connection ends with a reset instead of an orderly close.
    void Reset()
    {
        const linger abrupt { 1, 0 };
        setsockopt(socket_, SOL_SOCKET, SO_LINGER, &abrupt, sizeof abrupt);
        reset_ = true;
    }

    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    bool Handshake()
    {
        if (!ssl_)
            return true;
        const auto deadline = Clock::now() + IdleLimit;
        while (!stopping_ && Clock::now() < deadline) {
            const int result = SSL_accept(ssl_);
            if (result == 1)
                return true;
            if (!ShouldRetry(result))
                return false;
        }
        return false;
    }

    // Some bytes, or 0 once the peer closed, on failure, stop or deadline.
    long Receive(char* buffer, std::size_t size, Clock::time_point deadline)
    {
        while (!stopping_ && Clock::now() < deadline) {
            const long count
                = ssl_ ? SSL_read(ssl_, buffer, int(size)) : recv(socket_, buffer, size, 0);
            if (count > 0)
                return count;
            if (!ShouldRetry(int(count)))
                return 0;
        }
        return 0;
    }

    bool SendAll(std::string_view data)
    {
        const auto deadline = Clock::now() + IdleLimit;
        while (!data.empty() && !stopping_ && Clock::now() < deadline) {
            const long count = ssl_ ? SSL_write(ssl_, data.data(), int(data.size()))
                                    : send(socket_, data.data(), data.size(), MSG_NOSIGNAL);
            if (count > 0)
                data.remove_prefix(std::size_t(count));
            else if (!ShouldRetry(int(count)))
                return false;
        }
        return data.empty();
    }

private:
    bool ShouldRetry(int result) const
    {
        if (ssl_) {
            const int error = SSL_get_error(ssl_, result);
            ERR_clear_error();
            return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE;
        }
        return result < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
    }

    int socket_;
    SSL* ssl_ = nullptr;
    const std::atomic<bool>& stopping_;
    bool reset_ = false;
};

SSL_CTX* ServerContext(const TestCertificate& certificate)
{
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    BIO* certificateText = BIO_new_mem_buf(certificate.certificatePem.data(), -1);
    BIO* keyText = BIO_new_mem_buf(certificate.privateKeyPem.data(), -1);
    X509* x509 = PEM_read_bio_X509(certificateText, nullptr, nullptr, nullptr);
    EVP_PKEY* key = PEM_read_bio_PrivateKey(keyText, nullptr, nullptr, nullptr);
    const bool loaded = x509 && key && SSL_CTX_use_certificate(context, x509) == 1
        && SSL_CTX_use_PrivateKey(context, key) == 1;
    X509_free(x509);
    EVP_PKEY_free(key);
    BIO_free(certificateText);
    BIO_free(keyText);
    if (!loaded) {
        SSL_CTX_free(context);
        throw std::runtime_error("test server: certificate not usable");
    }
    return context;
}

std::optional<RecordedRequest> ParseHead(const std::string& head)
{
    RecordedRequest request;
    request.head = head;
    std::size_t lineEnd = head.find("\r\n");
    const std::string requestLine = head.substr(0, lineEnd);
    const auto firstSpace = requestLine.find(' ');
    const auto secondSpace = requestLine.find(' ', firstSpace + 1);
    if (firstSpace == std::string::npos || secondSpace == std::string::npos)
        return std::nullopt;
    request.method = requestLine.substr(0, firstSpace);
    request.target = requestLine.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    request.version = requestLine.substr(secondSpace + 1);
    for (std::size_t start = lineEnd + 2; start < head.size();) {
        lineEnd = head.find("\r\n", start);
        const std::string line = head.substr(start, lineEnd - start);
        start = lineEnd + 2;
        const auto colon = line.find(':');
        if (colon != std::string::npos)
            request.headers.emplace_back(
                Trimmed(line.substr(0, colon)), Trimmed(line.substr(colon + 1)));
    }
    return request;
}

} // namespace

std::optional<std::string> RecordedRequest::Header(std::string_view name) const
{
    return Find(headers, name);
}

ScriptedResponse ScriptedResponse::Ok(std::string body, std::string contentType)
{
    ScriptedResponse response;
    response.body = std::move(body);
    response.headers.emplace_back("Content-Type", std::move(contentType));
    return response;
}

ScriptedResponse ScriptedResponse::Status(int status, std::string body)
{
    ScriptedResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

std::vector<ConnectionEnding> ConnectionEndings(const std::string& firstBody)
{
    ScriptedResponse closing = ScriptedResponse::Ok(firstBody);
    closing.closeAfterAnswer = true;
    ScriptedResponse closed;
    closed.closeAtOnce = true;
    ScriptedResponse reset;
    reset.resetAtOnce = true;
    const ScriptedResponse answered = ScriptedResponse::Ok(firstBody);
    return { { "closed right after its answer, unannounced", closing, std::nullopt },
        { "closed on reading the next request", answered, closed },
        { "reset on reading the next request", answered, reset } };
}

ScriptedResponse ScriptedResponse::Redirect(int status, std::string location)
{
    ScriptedResponse response;
    response.status = status;
    response.headers.emplace_back("Location", std::move(location));
    response.body = "moved";
    return response;
}

ScriptedResponse ScriptedResponse::Ranged(
    const RecordedRequest& request, const std::string& resource, bool withContentRange)
{
    const auto range = request.Header("Range");
    if (!range || !SameName(range->substr(0, 6), "bytes="))
        return Ok(resource, "application/octet-stream");
    const std::string bounds = range->substr(6);
    const auto dash = bounds.find('-');
    const std::size_t start = std::stoul(bounds.substr(0, dash));
    const std::string endText = dash == std::string::npos ? "" : bounds.substr(dash + 1);
    if (start >= resource.size())
        return Status(416).With("Content-Range", "bytes */" + std::to_string(resource.size()));
    std::size_t end = endText.empty() ? resource.size() - 1 : std::stoul(endText);
    end = std::min(end, resource.size() - 1);
    ScriptedResponse response = Status(206, resource.substr(start, end - start + 1));
    response.With("Content-Type", "application/octet-stream");
    if (withContentRange)
        response.With("Content-Range",
            "bytes " + std::to_string(start) + "-" + std::to_string(end) + "/"
                + std::to_string(resource.size()));
    return response;
}

ScriptedResponse& ScriptedResponse::With(std::string name, std::string value)
{
    headers.emplace_back(std::move(name), std::move(value));
    return *this;
}

struct TestHttpServer::Private {
    explicit Private(SSL_CTX* tlsContext);
    ~Private();

    void AcceptLoop();
    void Serve(int socket, int index);
    std::optional<RecordedRequest> ReadRequest(Channel& channel, std::string& buffer);
    ScriptedResponse Choose(const RecordedRequest& request);
    bool Answer(Channel& channel, const RecordedRequest& request, const ScriptedResponse& response);
    void Stop();

    SSL_CTX* tls;
    int listener = -1;
    std::uint16_t port = 0;
    std::atomic<bool> stopping = false;
    std::thread acceptor;

    mutable std::mutex mutex;
    mutable std::condition_variable arrived;
    std::vector<std::thread> workers;
    std::deque<ScriptedResponse> queue;
    std::map<std::string, ScriptedResponse> byPath;
    ResponseHandler handler;
    ScriptedResponse fallback = ScriptedResponse::Status(404, "not found");
    std::vector<RecordedRequest> requests;
    int connections = 0;
    int failedHandshakes = 0;
};

TestHttpServer::Private::Private(SSL_CTX* tlsContext) : tls(tlsContext)
{
    listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0
        || listen(listener, 16) != 0
        || getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("test server: cannot listen on 127.0.0.1");
    port = ntohs(address.sin_port);
    acceptor = std::thread([this] { AcceptLoop(); });
}

TestHttpServer::Private::~Private()
{
    Stop();
    if (tls)
        SSL_CTX_free(tls);
}

void TestHttpServer::Private::Stop()
{
    stopping = true;
    if (acceptor.joinable())
        acceptor.join();
    std::vector<std::thread> finishing;
    {
        std::lock_guard lock(mutex);
        finishing.swap(workers);
    }
    for (auto& worker : finishing)
        worker.join();
    if (listener >= 0)
        close(listener);
    listener = -1;
}

void TestHttpServer::Private::AcceptLoop()
{
    while (!stopping) {
        pollfd waiting { listener, POLLIN, 0 };
        if (poll(&waiting, 1, int(Slice.count())) <= 0)
            continue;
        const int socket = accept(listener, nullptr, nullptr);
        if (socket < 0)
            continue;
        std::lock_guard lock(mutex);
        if (connections >= MaximumConnections) {
            close(socket);
            continue;
        }
        const int index = connections++;
        workers.emplace_back([this, socket, index] { Serve(socket, index); });
    }
}

void TestHttpServer::Private::Serve(int socket, int index)
{
    // OpenSSL writes without MSG_NOSIGNAL; a client that hung up must not
    // end the whole test program.
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, nullptr);
    Channel channel(socket, tls, stopping);
    if (!channel.Handshake()) {
        std::lock_guard lock(mutex);
        ++failedHandshakes;
        return;
    }
    std::string buffer;
    while (!stopping) {
        auto request = ReadRequest(channel, buffer);
        if (!request)
            return;
        request->connection = index;
        {
            std::lock_guard lock(mutex);
            requests.push_back(*request);
        }
        arrived.notify_all();
        if (!Answer(channel, *request, Choose(*request)))
            return;
    }
}

std::optional<RecordedRequest> TestHttpServer::Private::ReadRequest(
    Channel& channel, std::string& buffer)
{
    const auto deadline = Clock::now() + IdleLimit;
    char chunk[16384];
    std::size_t headEnd;
    while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
        const long count = channel.Receive(chunk, sizeof chunk, deadline);
        if (count <= 0)
            return std::nullopt;
        buffer.append(chunk, std::size_t(count));
    }
    auto request = ParseHead(buffer.substr(0, headEnd + 4));
    buffer.erase(0, headEnd + 4);
    if (!request)
        return std::nullopt;
    const std::size_t length = std::stoul(request->Header("Content-Length").value_or("0"));
    while (buffer.size() < length) {
        const long count = channel.Receive(chunk, sizeof chunk, deadline);
        if (count <= 0)
            return std::nullopt;
        buffer.append(chunk, std::size_t(count));
    }
    request->body = buffer.substr(0, length);
    buffer.erase(0, length);
    return request;
}

ScriptedResponse TestHttpServer::Private::Choose(const RecordedRequest& request)
{
    std::unique_lock lock(mutex);
    if (!queue.empty()) {
        ScriptedResponse next = std::move(queue.front());
        queue.pop_front();
        return next;
    }
    if (const auto found = byPath.find(request.Path()); found != byPath.end())
        return found->second;
    if (handler) {
        const ResponseHandler chosen = handler;
        lock.unlock();
        return chosen(request);
    }
    return fallback;
}

bool TestHttpServer::Private::Answer(
    Channel& channel, const RecordedRequest& request, const ScriptedResponse& response)
{
    if (response.closeAtOnce)
        return false;
    if (response.resetAtOnce) {
        channel.Reset();
        return false;
    }
    if (response.silent) {
        while (Pause(Slice, stopping)) { }
        return false;
    }
    if (!Pause(response.delayBeforeStatus, stopping))
        return false;
    const bool announced = response.contentLength || Find(response.headers, "Content-Length");
    const bool keep = response.keepAlive && announced && !response.cutAfter
        && !SameName(request.Header("Connection").value_or(""), "close");
    std::string head = response.rawStatusLine.empty()
        ? "HTTP/1.1 " + std::to_string(response.status) + " "
            + (response.reason.empty() ? ReasonFor(response.status) : response.reason)
        : response.rawStatusLine;
    head += "\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    if (response.contentLength && !Find(response.headers, "Content-Length"))
        head += "Content-Length: "
            + std::to_string(response.announcedLength.value_or(response.body.size())) + "\r\n";
    if (!keep && !response.closeAfterAnswer)
        head += "Connection: close\r\n";
    head += "\r\n";
    std::string_view body = request.method == "HEAD" ? std::string_view() : response.body;
    body = body.substr(0, response.cutAfter.value_or(body.size()));
    if (!channel.SendAll(head))
        return false;
    while (response.endless && !stopping) {
        if (!channel.SendAll(body))
            return false;
    }
    if (response.trickle.count() > 0) {
        for (std::size_t at = 0; at < body.size(); ++at) {
            if (!channel.SendAll(body.substr(at, 1)) || !Pause(response.trickle, stopping))
                return false;
        }
        return keep && !response.closeAfterAnswer;
    }
    const std::size_t first = response.delayInBody.count() > 0
        ? std::min(response.delayAfterBytes, body.size())
        : body.size();
    if (!channel.SendAll(body.substr(0, first)) || !Pause(response.delayInBody, stopping))
        return false;
    return channel.SendAll(body.substr(first)) && keep && !response.closeAfterAnswer;
}

TestHttpServer::TestHttpServer() : d(std::make_unique<Private>(nullptr)) { }

TestHttpServer::TestHttpServer(const TestCertificate& certificate)
    : d(std::make_unique<Private>(ServerContext(certificate)))
{
}

TestHttpServer::~TestHttpServer() = default;

std::uint16_t TestHttpServer::Port() const
{
    return d->port;
}

std::string TestHttpServer::Url(const std::string& target) const
{
    return std::string(d->tls ? "https" : "http") + "://127.0.0.1:" + std::to_string(d->port)
        + target;
}

void TestHttpServer::Respond(ScriptedResponse response)
{
    std::lock_guard lock(d->mutex);
    d->fallback = std::move(response);
}

void TestHttpServer::RespondTo(const std::string& path, ScriptedResponse response)
{
    std::lock_guard lock(d->mutex);
    d->byPath[path] = std::move(response);
}

void TestHttpServer::Enqueue(ScriptedResponse response)
{
    std::lock_guard lock(d->mutex);
    d->queue.push_back(std::move(response));
}

void TestHttpServer::Handle(ResponseHandler handler)
{
    std::lock_guard lock(d->mutex);
    d->handler = std::move(handler);
}

std::vector<RecordedRequest> TestHttpServer::Requests() const
{
    std::lock_guard lock(d->mutex);
    return d->requests;
}

bool TestHttpServer::WaitForRequests(std::size_t count, Milliseconds timeout) const
{
    std::unique_lock lock(d->mutex);
    return d->arrived.wait_for(lock, timeout, [&] { return d->requests.size() >= count; });
}

int TestHttpServer::ConnectionCount() const
{
    std::lock_guard lock(d->mutex);
    return d->connections;
}

int TestHttpServer::FailedHandshakes() const
{
    std::lock_guard lock(d->mutex);
    return d->failedHandshakes;
}

void TestHttpServer::Stop()
{
    d->Stop();
}
