#include "platform/InternetClient.h"

#include "text/PercentCoding.h"

#include <curl/curl.h>

namespace platform {

namespace {

class UrlHandle {
public:
    UrlHandle() : handle_(curl_url()) { }
    ~UrlHandle() { curl_url_cleanup(handle_); }
    UrlHandle(const UrlHandle&) = delete;
    UrlHandle& operator=(const UrlHandle&) = delete;

    bool Set(const std::string& url)
    {
        return curl_url_set(handle_, CURLUPART_URL, url.c_str(),
                   CURLU_NON_SUPPORT_SCHEME | CURLU_PATH_AS_IS | CURLU_ALLOW_SPACE)
            == CURLUE_OK;
    }

    std::string Part(CURLUPart part) const
    {
        char* text = nullptr;
        std::string value;
        if (curl_url_get(handle_, part, &text, 0) == CURLUE_OK && text)
            value = text;
        curl_free(text);
        return value;
    }

private:
    CURLU* handle_;
};

std::uint16_t DefaultPort(const std::string& scheme)
{
    if (scheme == "http")
        return 80;
    if (scheme == "https")
        return 443;
    if (scheme == "ftp")
        return 21;
    return 0;
}

// Only %xx escapes are undone: a "+" stays a plus sign, as the splitter of
// the web client does it (curl would read it as a form's blank).
std::string Unescaped(const std::string& text)
{
    return text::PercentDecode(text, text::Blank::Escaped).text;
}

std::string WithoutBrackets(std::string host)
{
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        return host.substr(1, host.size() - 2);
    return host;
}

} // namespace

std::optional<InternetUrlParts> CrackUrl(const std::string& url)
{
    UrlHandle handle;
    if (url.find("://") == std::string::npos || !handle.Set(url))
        return std::nullopt;
    InternetUrlParts parts;
    parts.Scheme = handle.Part(CURLUPART_SCHEME);
    parts.HostName = WithoutBrackets(Unescaped(handle.Part(CURLUPART_HOST)));
    const std::string port = handle.Part(CURLUPART_PORT);
    parts.Port = port.empty() ? DefaultPort(parts.Scheme) : std::uint16_t(std::stoul(port));
    parts.UserName = Unescaped(handle.Part(CURLUPART_USER));
    parts.Password = Unescaped(handle.Part(CURLUPART_PASSWORD));
    parts.UrlPath = Unescaped(handle.Part(CURLUPART_PATH));
    const std::string query = Unescaped(handle.Part(CURLUPART_QUERY));
    const std::string fragment = Unescaped(handle.Part(CURLUPART_FRAGMENT));
    parts.ExtraInfo = (query.empty() ? "" : "?" + query) + (fragment.empty() ? "" : "#" + fragment);
    return parts;
}

} // namespace platform
