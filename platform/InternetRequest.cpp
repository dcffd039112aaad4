#include "platform/InternetClient.h"

#include "platform/InternetRequestPrivate.h"
#include "text/AsciiText.h"
#include "text/MemoLines.h"

namespace platform {

namespace {

std::string HeaderNameOf(const std::string& line)
{
    return std::string(text::Trim(line.substr(0, line.find(':'))));
}

const char* HeaderNameFor(InternetHeader header)
{
    switch (header) {
    case InternetHeader::ContentType:
        return "Content-Type";
    case InternetHeader::ContentLength:
        return "Content-Length";
    case InternetHeader::ContentRange:
        return "Content-Range";
    case InternetHeader::WwwAuthenticate:
        return "WWW-Authenticate";
    case InternetHeader::ContentLanguage:
        return "Content-Language";
    case InternetHeader::ContentEncoding:
        return "Content-Encoding";
    case InternetHeader::Location:
        return "Location";
    case InternetHeader::ETag:
        return "ETag";
    case InternetHeader::Date:
        return "Date";
    case InternetHeader::LastModified:
        return "Last-Modified";
    case InternetHeader::Expires:
        return "Expires";
    case InternetHeader::StatusCode:
    case InternetHeader::RawHeaders:
        break;
    }
    return "";
}

} // namespace

InternetRequest::InternetRequest(std::unique_ptr<Private> state) : d(std::move(state)) { }

InternetRequest::~InternetRequest()
{
    d->session.Notify(InternetStatus::HandleClosing);
}

const InternetRequestSettings& InternetRequest::Settings() const
{
    return d->settings;
}

void InternetRequest::SetConnectTimeout(std::uint32_t milliseconds)
{
    d->connectTimeout = milliseconds;
}

void InternetRequest::SetSendTimeout(std::uint32_t milliseconds)
{
    d->sendTimeout = milliseconds;
}

void InternetRequest::SetReceiveTimeout(std::uint32_t milliseconds)
{
    d->receiveTimeout = milliseconds;
}

void InternetRequest::SetCredentials(const std::string& userName, const std::string& password)
{
    d->userName = userName;
    d->password = password;
}

void InternetRequest::SetProxyCredentials(const std::string& userName, const std::string& password)
{
    d->proxyUserName = userName;
    d->proxyPassword = password;
}

void InternetRequest::SetIgnoreUnknownAuthority(bool ignore)
{
    d->ignoreUnknownAuthority = ignore;
}

bool InternetRequest::AddHeaders(const std::string& text, HeaderMode mode)
{
    std::vector<std::string> lines;
    for (const auto& line : text::SplitMemoText(text)) {
        const std::string trimmed(text::Trim(line));
        if (trimmed.empty())
            continue;
        if (trimmed.find(':') == std::string::npos || HeaderNameOf(trimmed).empty()) {
            d->failure
                = { InternetError::HeadersRejected, "A header line has no name: " + trimmed };
            return false;
        }
        lines.push_back(trimmed);
    }
    d->failure = {};
    for (const auto& line : lines) {
        if (mode == HeaderMode::Replace)
            std::erase_if(d->extraHeaders, [&line](const std::string& existing) {
                return text::SameText(HeaderNameOf(existing), HeaderNameOf(line));
            });
        d->extraHeaders.push_back(line);
    }
    return true;
}

bool InternetRequest::Send(const std::string& headers, const std::string& body)
{
    return d->Send(headers, body);
}

bool InternetRequest::BeginUpload(const std::string& headers, std::uint64_t totalLength)
{
    return d->BeginUpload(headers, totalLength);
}

std::int64_t InternetRequest::Write(const char* data, std::size_t size)
{
    return d->Write(data, size);
}

bool InternetRequest::EndUpload()
{
    return d->EndUpload();
}

std::optional<std::string> InternetRequest::Query(InternetHeader header) const
{
    if (!d->replyReady)
        return std::nullopt;
    if (header == InternetHeader::StatusCode)
        return d->reply.StatusCodeText();
    if (header == InternetHeader::RawHeaders)
        return d->reply.Raw();
    return d->reply.Header(HeaderNameFor(header));
}

std::optional<std::string> InternetRequest::Header(const std::string& name) const
{
    if (!d->replyReady)
        return std::nullopt;
    return d->reply.Header(name);
}

std::int64_t InternetRequest::Read(char* buffer, std::size_t size)
{
    return d->Read(buffer, size);
}

std::int64_t InternetRequest::ReadInPlace(const char*& data, std::size_t size)
{
    return d->ReadInPlace(data, size);
}

std::string InternetRequest::Url() const
{
    return d->url;
}

const InternetFailure& InternetRequest::LastFailure() const
{
    return d->failure;
}

} // namespace platform
