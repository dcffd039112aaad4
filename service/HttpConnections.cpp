#include "service/HttpConnections.h"

#include "service/PeerUser.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace service {

namespace {

// Far beyond any head the window, tornalo-cli or a browser sends.
constexpr std::size_t HeadLimit = 16 * 1024;
constexpr std::size_t ReadBlock = 64 * 1024;
// Connections taken from the listener at one wake-up.
constexpr int AcceptsAtOnce = 64;
// A refused client may still be sending its body: it is read and dropped for
// this long before the connection closes, so that the refusal is not lost
// to a reset.
constexpr auto DrainTime = std::chrono::seconds(2);
const std::string Continue = "HTTP/1.1 100 Continue\r\n\r\n";

// Sends what the socket takes now; the number of bytes, or -1 when the
// client is gone.
ssize_t SendSome(int socket, const char* data, std::size_t length)
{
    for (;;) {
        const ssize_t count = send(socket, data, length, MSG_NOSIGNAL);
        if (count >= 0)
            return count;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        if (errno != EINTR)
            return -1;
    }
}

} // namespace

HttpConnections::HttpConnections(
    int listener, ConnectionLimits limits, Screen screen, Handler handler)
    : listener_(listener), limits_(limits), screen_(std::move(screen)),
      handler_(std::move(handler)), wake_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

HttpConnections::~HttpConnections()
{
    if (wake_ >= 0)
        close(wake_);
}

void HttpConnections::Run()
{
    for (std::size_t i = 0; i < limits_.workers; ++i)
        workers_.emplace_back([this] { Work(); });
    while (!stopRequested_) {
        std::vector<pollfd> waits = Waits();
        const int ready
            = poll(waits.data(), waits.size(), MillisecondsToNextDeadline(Clock::now()));
        if (ready < 0 && errno != EINTR)
            break;
        const auto now = Clock::now();
        TakeFinished(now);
        for (std::size_t i = 2; i < waits.size(); ++i) {
            if (waits[i].revents != 0)
                Serve(waits[i].fd, waits[i].revents, now);
        }
        if (waits[1].revents != 0)
            Accept(now);
        ExpireDeadlines(now);
    }
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    jobReady_.notify_all();
    for (auto& worker : workers_)
        worker.join();
    workers_.clear();
    while (!connections_.empty())
        Close(connections_.begin()->first);
}

void HttpConnections::Stop()
{
    stopRequested_ = true;
    Wake();
}

void HttpConnections::Work()
{
    for (;;) {
        std::unique_lock lock(mutex_);
        jobReady_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_)
            return;
        Job job = std::move(jobs_.begin()->second);
        jobs_.erase(jobs_.begin());
        lock.unlock();
        const HttpReply reply = Answer(job.request);
        const bool keep = job.request.KeepsConnection() && !reply.close;
        Finished finished { job.socket, ReplyBytes(reply, keep), keep };
        lock.lock();
        finished_.push_back(std::move(finished));
        lock.unlock();
        Wake();
    }
}

HttpReply HttpConnections::Answer(const HttpRequest& request)
{
    try {
        return handler_(request);
    } catch (const std::exception&) {
        return TextReply(500, "the service failed on this request");
    }
}

// The wake-up first, then the listener (fd -1, which poll skips, while no
// connection can be taken), then the connections that wait for their client.
std::vector<pollfd> HttpConnections::Waits() const
{
    std::vector<pollfd> waits = { { wake_, POLLIN, 0 }, { listener_, POLLIN, 0 } };
    const bool room = connections_.size() < limits_.connections;
    const bool evictable = std::any_of(connections_.begin(), connections_.end(), [](const auto& c) {
        return c.second.phase == Phase::Waiting || c.second.phase == Phase::Reading;
    });
    if (acceptPaused_ || (!room && !evictable))
        waits[1].fd = -1;
    for (const auto& [socket, connection] : connections_) {
        if (connection.phase == Phase::Writing)
            waits.push_back({ socket, POLLOUT, 0 });
        else if (connection.phase != Phase::Handling)
            waits.push_back({ socket, POLLIN, 0 });
    }
    return waits;
}

int HttpConnections::MillisecondsToNextDeadline(Clock::time_point now) const
{
    auto next = now + std::chrono::seconds(1);
    for (const auto& [socket, connection] : connections_) {
        if (connection.phase != Phase::Handling)
            next = std::min(next, connection.deadline);
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - now);
    return static_cast<int>(std::max<std::chrono::milliseconds::rep>(0, wait.count()));
}

void HttpConnections::Accept(Clock::time_point now)
{
    for (int taken = 0; taken < AcceptsAtOnce; ++taken) {
        if (connections_.size() >= limits_.connections && !EvictOldest())
            return;
        const int socket = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (socket < 0) {
            // Out of descriptors: wait until a connection closes.
            if (errno == EMFILE || errno == ENFILE)
                acceptPaused_ = !EvictOldest();
            return;
        }
        // Without it a reply's body waits for the client's delayed
        // acknowledgement of its head on a kept connection.
        const int yes = 1;
        setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        Connection& connection = connections_[socket];
        connection.socket = socket;
        connection.peerUser = PeerUser(socket);
        connection.since = now;
        connection.deadline = now + limits_.deadline;
    }
}

bool HttpConnections::EvictOldest()
{
    const Connection* oldest = nullptr;
    for (const auto& [socket, connection] : connections_) {
        const bool waiting
            = connection.phase == Phase::Waiting || connection.phase == Phase::Reading;
        if (waiting && (!oldest || connection.since < oldest->since))
            oldest = &connection;
    }
    if (!oldest)
        return false;
    Close(oldest->socket);
    return true;
}

void HttpConnections::Serve(int socket, short events, Clock::time_point now)
{
    const auto found = connections_.find(socket);
    if (found == connections_.end())
        return;
    Connection& connection = found->second;
    if (connection.phase == Phase::Writing)
        Flush(connection, now);
    else if (connection.phase == Phase::Draining)
        Drain(connection);
    else if (events & (POLLIN | POLLHUP | POLLERR))
        Receive(connection, now);
}

// One block at a time, so that a client that floods keeps no other waiting.
void HttpConnections::Receive(Connection& connection, Clock::time_point now)
{
    std::array<char, ReadBlock> block {};
    ssize_t count = -1;
    do
        count = recv(connection.socket, block.data(), block.size(), 0);
    while (count < 0 && errno == EINTR);
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return;
    if (count <= 0) {
        Close(connection.socket);
        return;
    }
    connection.input.append(block.data(), static_cast<std::size_t>(count));
    TakeInput(connection, now);
}

void HttpConnections::Drain(Connection& connection)
{
    std::array<char, ReadBlock> block {};
    const ssize_t count = recv(connection.socket, block.data(), block.size(), 0);
    if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    connection.drained += static_cast<std::size_t>(std::max<ssize_t>(0, count));
    if (count <= 0 || connection.drained > limits_.maximumBody + HeadLimit)
        Close(connection.socket);
}

// Blank lines before a request are allowed; its first byte starts its deadline.
void HttpConnections::TakeInput(Connection& connection, Clock::time_point now)
{
    if (connection.phase == Phase::Waiting) {
        const std::size_t start = connection.input.find_first_not_of("\r\n");
        connection.input.erase(0, std::min(start, connection.input.size()));
        if (connection.input.empty())
            return;
        connection.phase = Phase::Reading;
        connection.deadline = now + limits_.deadline;
    }
    Advance(connection, now);
}

void HttpConnections::Advance(Connection& connection, Clock::time_point now)
{
    if (!connection.head && !ReadHead(connection, now))
        return;
    const std::size_t whole = connection.headLength + connection.head->bodyLength;
    if (connection.input.size() < whole)
        return;
    HttpRequest request = std::move(*connection.head->request);
    request.body = connection.input.substr(connection.headLength, connection.head->bodyLength);
    connection.input.erase(0, whole);
    connection.head.reset();
    connection.phase = Phase::Handling;
    {
        const std::lock_guard lock(mutex_);
        const std::size_t size = request.body.size();
        jobs_.emplace(size, Job { connection.socket, std::move(request) });
    }
    jobReady_.notify_one();
}

// False while the head is incomplete or when it was refused.
bool HttpConnections::ReadHead(Connection& connection, Clock::time_point now)
{
    const auto length = HeadLength(connection.input);
    if (!length || *length > HeadLimit) {
        if (connection.input.size() > HeadLimit || length)
            Reply(connection, ReplyBytes(TextReply(431, "the request head is too large"), false),
                false, now);
        return false;
    }
    RequestHead head = ReadRequestHead(
        std::string_view(connection.input).substr(0, *length), limits_.maximumBody);
    if (head.request)
        head.request->peerUser = connection.peerUser;
    std::optional<HttpReply> refusal;
    if (head.refusal != 0)
        refusal = TextReply(head.refusal, head.reason);
    else
        refusal = screen_(*head.request);
    if (refusal) {
        Reply(connection, ReplyBytes(*refusal, false), false, now);
        return false;
    }
    connection.headLength = *length;
    connection.head = std::move(head);
    if (connection.head->expectsContinue
        && connection.input.size() < connection.headLength + connection.head->bodyLength)
        SendSome(connection.socket, Continue.data(), Continue.size());
    return true;
}

void HttpConnections::Reply(
    Connection& connection, std::string bytes, bool keep, Clock::time_point now)
{
    connection.output = std::move(bytes);
    connection.written = 0;
    connection.closeAfterReply = !keep;
    connection.phase = Phase::Writing;
    connection.deadline = now + 2 * limits_.deadline;
    Flush(connection, now);
}

void HttpConnections::Flush(Connection& connection, Clock::time_point now)
{
    const ssize_t count = SendSome(connection.socket, connection.output.data() + connection.written,
        connection.output.size() - connection.written);
    if (count < 0) {
        Close(connection.socket);
        return;
    }
    connection.written += static_cast<std::size_t>(count);
    if (connection.written < connection.output.size())
        return;
    connection.output = {};
    if (connection.closeAfterReply) {
        shutdown(connection.socket, SHUT_WR);
        connection.phase = Phase::Draining;
        connection.deadline = now + DrainTime;
        return;
    }
    connection.phase = Phase::Waiting;
    connection.since = now;
    connection.deadline = now + limits_.deadline;
    // A request sent right behind the last one is already here.
    if (!connection.input.empty())
        TakeInput(connection, now);
}

void HttpConnections::TakeFinished(Clock::time_point now)
{
    std::uint64_t count = 0;
    while (read(wake_, &count, sizeof count) > 0) { }
    std::vector<Finished> finished;
    {
        const std::lock_guard lock(mutex_);
        finished.swap(finished_);
    }
    for (auto& reply : finished) {
        const auto found = connections_.find(reply.socket);
        if (found != connections_.end())
            Reply(found->second, std::move(reply.bytes), reply.keep, now);
    }
}

// A request that did not come whole in time gets a last word, if the socket
// takes it at once.
void HttpConnections::ExpireDeadlines(Clock::time_point now)
{
    std::vector<int> expired;
    for (const auto& [socket, connection] : connections_) {
        if (connection.phase != Phase::Handling && connection.deadline <= now)
            expired.push_back(socket);
    }
    for (const int socket : expired) {
        if (connections_.at(socket).phase == Phase::Reading) {
            const std::string late
                = ReplyBytes(TextReply(408, "the request did not arrive whole in time"), false);
            SendSome(socket, late.data(), late.size());
        }
        Close(socket);
    }
}

void HttpConnections::Close(int socket)
{
    close(socket);
    connections_.erase(socket);
    acceptPaused_ = false;
}

void HttpConnections::Wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wake_, &one, sizeof one);
}

} // namespace service
