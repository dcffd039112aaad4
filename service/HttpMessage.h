// The requests the service reads and the replies it writes: HTTP/1.0 and
// HTTP/1.1 with bodies of a stated length, which is what its clients (the
// window program, tornalo-cli and the tests) send.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace service {

struct HttpRequest {
    std::string method;
    std::string target;
    // "HTTP/1.0" or "HTTP/1.1".
    std::string version;
    // Names in lower case, in the order received.
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // The user whose program sent it, when the socket tables tell.
    std::optional<uid_t> peerUser;

    // The first value of the header; empty when it is absent.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
    // The target without its query.
    std::string Path() const;
    // Whether the client keeps the connection for another request.
    bool KeepsConnection() const;
};

struct HttpReply {
    int status = 200;
    std::string contentType;
    std::string body;
    // Extra header lines, each without its line end.
    std::vector<std::string> headers;
    // The connection ends after this reply, whatever the client wants.
    bool close = false;
};

// What a request's head says: the request without its body, the length of
// the body to read, or the status with which to refuse it.
struct RequestHead {
    std::optional<HttpRequest> request;
    std::size_t bodyLength = 0;
    bool expectsContinue = false;
    // 0 when the head is acceptable.
    int refusal = 0;
    std::string reason;
};

// The length of the head at the start of input (request line, header lines
// and the empty line that ends them), or nothing when it has not all come.
std::optional<std::size_t> HeadLength(std::string_view input);

// Reads a whole head; a body longer than maximumBody is refused with 413.
RequestHead ReadRequestHead(std::string_view head, std::size_t maximumBody);

// The reply as it goes on the wire, with "Connection: close" unless keep.
std::string ReplyBytes(const HttpReply& reply, bool keep);

// A plain-text reply, for refusals.
HttpReply TextReply(int status, const std::string& text);

} // namespace service
