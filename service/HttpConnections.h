// The service's connections. One thread accepts them and reads every request
// whole, within its deadlines, before a worker sees it, so that clients that
// send slowly or hold a connection open cost no worker and keep no one
// waiting; the workers answer whole requests, and the same thread writes the
// replies out.
#pragma once

#include "service/HttpMessage.h"

#include <poll.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace service {

struct ConnectionLimits {
    std::size_t maximumBody = 1024 * 1024;
    // A connection may wait this long for the first byte of a request, and
    // the request must then arrive whole within as long again; its reply must
    // be taken within twice that.
    std::chrono::milliseconds deadline { 5000 };
    // Beyond this many open connections the one that has waited longest
    // without a whole request is closed to let a new one in.
    std::size_t connections = 512;
    std::size_t workers = 64;
};

class HttpConnections {
public:
    // Refuses a request from its head alone, before its body is read, or
    // lets it through with nothing.
    using Screen = std::function<std::optional<HttpReply>(const HttpRequest&)>;
    using Handler = std::function<HttpReply(const HttpRequest&)>;

    // listener: a bound, listening socket, which stays the caller's.
    HttpConnections(int listener, ConnectionLimits limits, Screen screen, Handler handler);
    ~HttpConnections();
    HttpConnections(const HttpConnections&) = delete;
    HttpConnections& operator=(const HttpConnections&) = delete;

    // Serves until Stop; the workers have finished when it returns.
    void Run();
    // From any thread, also before Run.
    void Stop();

private:
    using Clock = std::chrono::steady_clock;
    enum class Phase { Waiting, Reading, Handling, Writing, Draining };
    struct Connection {
        int socket = -1;
        Phase phase = Phase::Waiting;
        Clock::time_point deadline;
        // When it began to wait for its current request.
        Clock::time_point since;
        std::string input;
        std::optional<RequestHead> head;
        std::size_t headLength = 0;
        std::string output;
        std::size_t written = 0;
        std::size_t drained = 0;
        bool closeAfterReply = false;
        std::optional<uid_t> peerUser;
    };
    struct Job {
        int socket;
        HttpRequest request;
    };
    struct Finished {
        int socket;
        std::string bytes;
        bool keep;
    };

    void Work();
    HttpReply Answer(const HttpRequest& request);
    std::vector<pollfd> Waits() const;
    int MillisecondsToNextDeadline(Clock::time_point now) const;
    void Accept(Clock::time_point now);
    bool EvictOldest();
    void Serve(int socket, short events, Clock::time_point now);
    void Receive(Connection& connection, Clock::time_point now);
    void Drain(Connection& connection);
    void TakeInput(Connection& connection, Clock::time_point now);
    void Advance(Connection& connection, Clock::time_point now);
    bool ReadHead(Connection& connection, Clock::time_point now);
    void Reply(Connection& connection, std::string bytes, bool keep, Clock::time_point now);
    void Flush(Connection& connection, Clock::time_point now);
    void TakeFinished(Clock::time_point now);
    void ExpireDeadlines(Clock::time_point now);
    void Close(int socket);
    void Wake();

    const int listener_;
    const ConnectionLimits limits_;
    const Screen screen_;
    const Handler handler_;
    const int wake_;
    std::atomic<bool> stopRequested_ = false;
    bool acceptPaused_ = false;
    std::map<int, Connection> connections_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable jobReady_;
    // By body size: a small request is not held up by large ones.
    std::multimap<std::size_t, Job> jobs_;
    std::vector<Finished> finished_;
    bool stopping_ = false;
};

} // namespace service
