#include "platform/InternetReply.h"

#include "text/AsciiText.h"

namespace platform {

namespace {

std::string_view WithoutLineEnd(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    return line;
}

bool IsStatusLine(std::string_view line)
{
    return line.starts_with("HTTP/");
}

} // namespace

void InternetReply::Clear()
{
    statusLine_.clear();
    headers_.clear();
    complete_ = false;
}

bool InternetReply::AddLine(std::string_view line)
{
    line = WithoutLineEnd(line);
    if (IsStatusLine(line)) {
        Clear();
        statusLine_ = line;
        return false;
    }
    if (statusLine_.empty() || complete_)
        return false;
    if (line.empty())
        return complete_ = true;
    if ((line.front() == ' ' || line.front() == '\t') && !headers_.empty()) {
        headers_.back().second.append(1, ' ').append(text::Trim(line));
        return false;
    }
    const auto colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    headers_.emplace_back(text::Trim(line.substr(0, colon)), text::Trim(line.substr(colon + 1)));
    return false;
}

std::optional<std::string> InternetReply::StatusCodeText() const
{
    if (statusLine_.empty())
        return std::nullopt;
    const auto start = statusLine_.find(' ');
    if (start == std::string::npos)
        return std::string();
    const auto end = statusLine_.find(' ', start + 1);
    return statusLine_.substr(start + 1, end == std::string::npos ? end : end - start - 1);
}

int InternetReply::StatusCode() const
{
    const auto text = StatusCodeText();
    if (!text || text->empty() || text->size() > 9)
        return 0;
    int code = 0;
    for (const char digit : *text) {
        if (digit < '0' || digit > '9')
            return 0;
        code = code * 10 + (digit - '0');
    }
    return code;
}

std::optional<std::string> InternetReply::Header(std::string_view name) const
{
    for (const auto& [headerName, value] : headers_)
        if (text::SameText(headerName, name))
            return value;
    return std::nullopt;
}

std::string InternetReply::Raw() const
{
    if (statusLine_.empty())
        return {};
    std::string raw = statusLine_ + "\r\n";
    for (const auto& [name, value] : headers_)
        raw += name + ": " + value + "\r\n";
    return raw + "\r\n";
}

} // namespace platform
