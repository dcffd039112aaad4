#include "transfer/acURL.h"

#include "platform/InternetClient.h"
#include "text/FileNames.h"
#include "text/PercentCoding.h"

namespace {

// The splitter's buffer sizes, terminator included.
constexpr size_t SchemeLimit = 32;
constexpr size_t HostLimit = 256;
constexpr size_t UserLimit = 128;
constexpr size_t PasswordLimit = 128;
constexpr size_t PathLimit = 2048;
constexpr size_t ExtraLimit = 2048;

bool Fits(const platform::InternetUrlParts& parts)
{
    return parts.Scheme.size() < SchemeLimit && parts.HostName.size() < HostLimit
        && parts.UserName.size() < UserLimit && parts.Password.size() < PasswordLimit
        && parts.UrlPath.size() < PathLimit && parts.ExtraInfo.size() < ExtraLimit;
}

bool KeptAsItIs(unsigned char byte)
{
    static const std::string special = " #%*+<>";
    return byte >= 0x20 && byte < 0x80
        && special.find(static_cast<char>(byte)) == std::string::npos;
}

// The splitter turns "+" in the query into a blank when it undoes escapes;
// here a plus sign stays a plus sign, so it is escaped before splitting.
std::string KeepPlusSigns(const std::string& url)
{
    const size_t start = url.find("://");
    std::string kept = url.substr(0, start);
    for (size_t index = start; index < url.size(); ++index)
        kept += url[index] == '+' ? std::string("%2B") : std::string(1, url[index]);
    return kept;
}

} // namespace

bool ParseURL(const std::string& URL, TacURLParts& Parts)
{
    const std::string full = URL.find("://") == std::string::npos ? "http://" + URL : URL;
    const auto cracked = platform::CrackUrl(KeepPlusSigns(full));
    if (!cracked || !Fits(*cracked))
        return false;
    Parts.Scheme = cracked->Scheme;
    Parts.HostName = cracked->HostName;
    Parts.URLPath = cracked->UrlPath;
    Parts.UserName = cracked->UserName;
    Parts.Password = cracked->Password;
    Parts.ExtraInfo = cracked->ExtraInfo;
    Parts.Port = cracked->Port;
    return true;
}

std::string URLEncode(const std::string& Text)
{
    return text::PercentEncode(Text, KeptAsItIs, text::Blank::Escaped);
}

std::string URLToHostName(const std::string& URL)
{
    TacURLParts parts;
    ParseURL(URL, parts);
    return parts.HostName;
}

std::string URLToFileName(const std::string& URL)
{
    TacURLParts parts;
    ParseURL(URL, parts);
    return std::string(text::FileNamePart(parts.URLPath));
}
