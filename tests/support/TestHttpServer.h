// A small HTTP/1.1 server on 127.0.0.1 for tests, plain or over TLS. It runs
// on its own threads, records every request and answers each from a script,
// including on purpose wrong answers (cut bodies, lying lengths, delays,
// silence). Every wait is bounded; the destructor stops it.
//
//   TestHttpServer server;
//   server.RespondTo("/page", ScriptedResponse::Ok("<html>hi</html>"));
//   server.Enqueue(ScriptedResponse::Redirect(302, "/page"));   // the next request
//   ... client fetches server.Url("/start") ...
//   EXPECT_EQ(server.Requests().at(0).target, "/start");
//
// Choosing the answer for a request: the queue (first in, first out), then the
// answer for its path (the target without query), then the handler, then the
// default (404 unless Respond changed it).
#pragma once

#include "tests/support/TestCertificates.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using Milliseconds = std::chrono::milliseconds;
using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct RecordedRequest {
    std::string method;
    // As on the request line, query included.
    std::string target;
    std::string version;
    HeaderList headers;
    std::string body;
    // The request line and header lines exactly as received, up to and with
    // the empty line.
    std::string head;
    // 0 for the first connection the server accepted, 1 for the next...
    int connection = 0;

    std::optional<std::string> Header(std::string_view name) const;
    std::string Path() const { return target.substr(0, target.find('?')); }
};

struct ScriptedResponse {
    int status = 200;
    // Empty: the usual reason phrase for the status.
    std::string reason;
    // Sent in this order, after the status line.
    HeaderList headers;
    std::string body;
    // Adds "Content-Length" (of announcedLength when set, else of the body)
    // unless the headers carry one. Without it the connection is closed after
    // the body to end it.
    bool contentLength = true;
    std::optional<std::size_t> announcedLength;
    // Sends only this many bytes of the body, then closes.
    std::optional<std::size_t> cutAfter;
    Milliseconds delayBeforeStatus { 0 };
    // Waits this long after delayAfterBytes bytes of the body.
    Milliseconds delayInBody { 0 };
    std::size_t delayAfterBytes = 0;
    // Closes the connection without sending anything.
    bool closeAtOnce = false;
    // Drops the connection with a reset, without sending anything.
    bool resetAtOnce = false;
    // Answers as if the connection stayed open, then closes it without a word.
    bool closeAfterAnswer = false;
    // Sends nothing and keeps the connection open until the server stops.
    bool silent = false;
    // Sends the body again and again, without end, until the client goes.
    bool endless = false;
    // Sends the body a byte at a time, this long apart.
    Milliseconds trickle { 0 };
    // False: "Connection: close" and the connection is closed after the answer.
    bool keepAlive = true;
    // Replaces the whole status line (for malformed ones), without CR LF.
    std::string rawStatusLine;

    static ScriptedResponse Ok(std::string body, std::string contentType = "text/html");
    static ScriptedResponse Status(int status, std::string body = {});
    static ScriptedResponse Redirect(int status, std::string location);
    // 206 with the requested byte range of the resource (Content-Range only
    // when withContentRange), 200 with all of it for a request without Range,
    // 416 when the range starts at or after its end.
    static ScriptedResponse Ranged(
        const RecordedRequest& request, const std::string& resource, bool withContentRange = true);

    ScriptedResponse& With(std::string name, std::string value);
};

using ResponseHandler = std::function<ScriptedResponse(const RecordedRequest&)>;

// A way for the server to end a kept connection between two requests: the
// first answer, then what the connection does with the next request, if it
// still takes one.
struct ConnectionEnding {
    std::string name;
    ScriptedResponse first;
    std::optional<ScriptedResponse> next;
};

// Closed right after an answer that promised to keep it; closed, or reset,
// on reading the next request. The first answer carries the body given.
std::vector<ConnectionEnding> ConnectionEndings(const std::string& firstBody);

class TestHttpServer {
public:
    TestHttpServer();
    // Over TLS, presenting this certificate.
    explicit TestHttpServer(const TestCertificate& certificate);
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    std::uint16_t Port() const;
    // "http://127.0.0.1:<port>" (or https) followed by the target.
    std::string Url(const std::string& target = "/") const;

    void Respond(ScriptedResponse response);
    void RespondTo(const std::string& path, ScriptedResponse response);
    void Enqueue(ScriptedResponse response);
    void Handle(ResponseHandler handler);

    std::vector<RecordedRequest> Requests() const;
    // True once that many requests have arrived, false after the time-out.
    bool WaitForRequests(std::size_t count, Milliseconds timeout = Milliseconds(5000)) const;
    int ConnectionCount() const;
    // Connections whose TLS handshake failed (the client refused us).
    int FailedHandshakes() const;

    void Stop();

    struct Private;

private:
    std::unique_ptr<Private> d;
};
