#include "service/HttpMessage.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace service {

namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
        [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view Trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsTokenCharacter(unsigned char c)
{
    return std::isalnum(c)
        || std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

bool IsToken(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), IsTokenCharacter);
}

// A value holds visible characters, blanks and bytes of UTF-8 sequences.
bool IsFieldValue(std::string_view text)
{
    return std::none_of(text.begin(), text.end(),
        [](unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7F; });
}

// The lines of a head, each without its line end (CR LF, or a bare LF).
std::vector<std::string_view> HeadLines(std::string_view head)
{
    std::vector<std::string_view> lines;
    while (!head.empty()) {
        const std::size_t end = std::min(head.find('\n'), head.size());
        std::string_view line = head.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.push_back(line);
        head.remove_prefix(std::min(end + 1, head.size()));
    }
    while (!lines.empty() && lines.back().empty())
        lines.pop_back();
    return lines;
}

RequestHead Refused(int status, std::string reason)
{
    RequestHead head;
    head.refusal = status;
    head.reason = std::move(reason);
    return head;
}

std::optional<HttpRequest> RequestLine(std::string_view line, RequestHead& head)
{
    const std::size_t first = line.find(' ');
    const std::size_t second = line.find(' ', first == std::string_view::npos ? first : first + 1);
    if (second == std::string_view::npos || line.find(' ', second + 1) != std::string_view::npos) {
        head = Refused(400, "the request line is not \"METHOD /target HTTP/1.1\"");
        return std::nullopt;
    }
    HttpRequest request;
    request.method = line.substr(0, first);
    request.target = line.substr(first + 1, second - first - 1);
    request.version = line.substr(second + 1);
    if (!IsToken(request.method) || !request.target.starts_with('/')
        || !IsFieldValue(request.target) || request.target.find(' ') != std::string::npos) {
        head = Refused(400, "the request line is not \"METHOD /target HTTP/1.1\"");
        return std::nullopt;
    }
    if (request.version != "HTTP/1.1" && request.version != "HTTP/1.0") {
        head = request.version.starts_with("HTTP/")
            ? Refused(505, "the service speaks HTTP/1.1 and HTTP/1.0 only")
            : Refused(400, "the request line is not \"METHOD /target HTTP/1.1\"");
        return std::nullopt;
    }
    return request;
}

bool AddHeader(std::string_view line, HttpRequest& request)
{
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !IsToken(line.substr(0, colon)))
        return false;
    const std::string_view value = Trimmed(line.substr(colon + 1));
    if (!IsFieldValue(value))
        return false;
    request.headers.emplace_back(Lower(line.substr(0, colon)), std::string(value));
    return true;
}

std::size_t Occurrences(const HttpRequest& request, std::string_view name)
{
    return static_cast<std::size_t>(std::count_if(request.headers.begin(), request.headers.end(),
        [&](const auto& header) { return header.first == name; }));
}

// The body's length from Content-Length; every copy of it must agree.
std::optional<std::size_t> BodyLength(const HttpRequest& request)
{
    std::optional<std::size_t> length;
    for (const auto& [name, value] : request.headers) {
        if (name != "content-length")
            continue;
        std::size_t number = 0;
        const auto [end, error]
            = std::from_chars(value.data(), value.data() + value.size(), number);
        if (value.empty() || error != std::errc() || end != value.data() + value.size()
            || (length && *length != number))
            return std::nullopt;
        length = number;
    }
    return length.value_or(0);
}

RequestHead CheckFraming(HttpRequest request, std::size_t maximumBody)
{
    if (Occurrences(request, "host") > 1)
        return Refused(400, "the request names its Host more than once");
    if (request.HasHeader("transfer-encoding"))
        return Refused(411, "the service reads only bodies sent with a Content-Length");
    const auto length = BodyLength(request);
    if (!length)
        return Refused(400, "the Content-Length is not one number");
    if (*length > maximumBody)
        return Refused(413, "the request body is too large for the service");
    const std::string expect = Lower(request.Header("expect"));
    if (!expect.empty() && expect != "100-continue")
        return Refused(417, "the service knows no expectation but 100-continue");
    RequestHead head;
    head.bodyLength = *length;
    head.expectsContinue = !expect.empty() && request.version == "HTTP/1.1";
    head.request = std::move(request);
    return head;
}

const char* ReasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 202:
        return "Accepted";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 411:
        return "Length Required";
    case 413:
        return "Payload Too Large";
    case 415:
        return "Unsupported Media Type";
    case 417:
        return "Expectation Failed";
    case 421:
        return "Misdirected Request";
    case 431:
        return "Request Header Fields Too Large";
    case 503:
        return "Service Unavailable";
    case 505:
        return "HTTP Version Not Supported";
    default:
        return status < 500 ? "Client Error" : "Internal Server Error";
    }
}

} // namespace

std::string HttpRequest::Header(std::string_view name) const
{
    for (const auto& [headerName, value] : headers) {
        if (headerName == name)
            return value;
    }
    return {};
}

bool HttpRequest::HasHeader(std::string_view name) const
{
    return Occurrences(*this, name) > 0;
}

std::string HttpRequest::Path() const
{
    return target.substr(0, target.find('?'));
}

bool HttpRequest::KeepsConnection() const
{
    const std::string connection = Lower(Header("connection"));
    if (version == "HTTP/1.0")
        return connection == "keep-alive";
    return connection != "close";
}

std::optional<std::size_t> HeadLength(std::string_view input)
{
    for (std::size_t end = input.find('\n'); end != std::string_view::npos;
         end = input.find('\n', end + 1)) {
        if (end + 1 < input.size() && input[end + 1] == '\n')
            return end + 2;
        if (end + 2 < input.size() && input[end + 1] == '\r' && input[end + 2] == '\n')
            return end + 3;
    }
    return std::nullopt;
}

RequestHead ReadRequestHead(std::string_view head, std::size_t maximumBody)
{
    const std::vector<std::string_view> lines = HeadLines(head);
    RequestHead refusal = Refused(400, "the request has no request line");
    if (lines.empty())
        return refusal;
    std::optional<HttpRequest> request = RequestLine(lines.front(), refusal);
    if (!request)
        return refusal;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (!AddHeader(lines[i], *request))
            return Refused(400, "a header line is not \"Name: value\"");
    }
    return CheckFraming(std::move(*request), maximumBody);
}

std::string ReplyBytes(const HttpReply& reply, bool keep)
{
    std::string bytes
        = "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonPhrase(reply.status) + "\r\n";
    if (!reply.contentType.empty())
        bytes += "Content-Type: " + reply.contentType + "\r\n";
    bytes += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
    for (const auto& header : reply.headers)
        bytes += header + "\r\n";
    if (!keep || reply.close)
        bytes += "Connection: close\r\n";
    bytes += "\r\n";
    bytes += reply.body;
    return bytes;
}

HttpReply TextReply(int status, const std::string& text)
{
    return { status, "text/plain; charset=utf-8", text + "\n", {}, false };
}

} // namespace service
