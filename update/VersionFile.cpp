#include "update/VersionFile.h"

#include "platform/Download.h"
#include "update/UpdateDescriptor.h"
#include "update/UpdateText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int maximumOverrides = 10;
constexpr std::size_t whatsNewLimit = 999999;

// Most messages have always lacked the closing parenthesis; the download
// failure is the one that has it.
std::string Originally(
    const std::string& effective, const std::string& address, const char* closing)
{
    if (effective == address)
        return {};
    return " (originally " + address + " before redirect" + closing;
}

long NumberOf(const std::string& component)
{
    return std::strtol(component.c_str(), nullptr, 10);
}

std::string ReadPrefix(std::FILE* file, std::size_t limit)
{
    std::string bytes(limit, '\0');
    bytes.resize(std::fread(bytes.data(), 1, limit, file));
    return bytes.substr(0, std::strlen(bytes.c_str()));
}

long FileLength(std::FILE* file)
{
    if (std::fseek(file, 0, SEEK_END) != 0)
        return -1;
    const long length = std::ftell(file);
    std::rewind(file);
    return length;
}

} // namespace

int CheckWebVersion(const std::string& productName, const std::string& versionAddress,
    const std::string& localVersion, std::string& WebPage, std::string& status,
    std::string& remoteVersion, std::string& whatsNew)
{
    std::string effective;
    std::string localFile;
    if (DownloadVersionFile(productName, versionAddress, effective, status, localFile) == -1)
        return CheckFailed;
    remoteVersion = ReadTagValue(localFile, "Program_Version").value;
    const std::string whatsNewFile = ReadTagValue(localFile, "WhatsNewFile").value;
    if (remoteVersion.empty()) {
        status = "Remote version information for " + productName + " not found in " + effective
            + Originally(effective, versionAddress, "");
        return CheckFailed;
    }
    if (std::string webPage = ReadTagValue(localFile, "Override_WebPage").value; !webPage.empty())
        WebPage = std::move(webPage);
    const int result = CompareVersions(productName, localVersion, remoteVersion, status);
    if (result == NewerAvailable)
        FetchWhatsNew(productName, effective, whatsNewFile, localVersion, remoteVersion, whatsNew);
    return result;
}

int DownloadVersionFile(const std::string& productName, const std::string& address,
    std::string& effective, std::string& status, std::string& localFile)
{
    effective = address;
    for (int overrides = 0;;) {
        localFile = platform::DownloadToCacheFile(effective);
        if (localFile.empty())
            break;
        const std::string next = ReadTagValue(localFile, "Override_VersionFileRemote").value;
        if (next.empty() || next == effective)
            break;
        effective = next;
        if (++overrides > maximumOverrides) {
            status = "Too many redirect Overrides for " + productName + " found in " + effective
                + Originally(effective, address, "");
            return -1;
        }
    }
    if (!localFile.empty() && FileExistsQuick(localFile))
        return 1;
    status = "Could not download internet version file for " + productName + " at " + effective
        + Originally(effective, address, ")");
    return -1;
}

int CompareVersions(const std::string& productName, const std::string& localVersion,
    const std::string& remoteVersion, std::string& status)
{
    if (remoteVersion.empty()) {
        status = "Remote version information for " + productName + " not found.";
        return CheckFailed;
    }
    if (localVersion.empty()) {
        status = "Local version information for " + productName + " not found.";
        return CheckFailed;
    }
    Split remote { {}, remoteVersion };
    Split local { {}, localVersion };
    for (;;) {
        remote = SplitToken(remote.rest, '.');
        local = SplitToken(local.rest, '.');
        if (remote.token.empty() && local.token.empty())
            return SameVersion;
        const long published = NumberOf(remote.token);
        const long installed = NumberOf(local.token);
        if (published == -1 || installed == -1) {
            status = "Version information for " + productName + " in wrong format.";
            return CheckFailed;
        }
        if (published < installed) {
            status = "You have a newer version of " + productName + " (v" + localVersion
                + ") than what's on the web (v" + remoteVersion + ").";
            return InstalledNewer;
        }
        if (published > installed) {
            status = "A new version of " + productName + " is available (v" + remoteVersion + ").";
            return NewerAvailable;
        }
    }
}

void FetchWhatsNew(const std::string& productName, const std::string& effective,
    const std::string& whatsNewFile, const std::string& localVersion,
    const std::string& remoteVersion, std::string& whatsNew)
{
    const std::string address = WhatsNewAddress(effective, whatsNewFile);
    if (address.empty())
        return;
    std::string raw;
    if (DownloadTextFile(productName, address, raw, whatsNewLimit, true) == -1)
        return;
    whatsNew = ExtractWhatsNew(raw, localVersion, remoteVersion);
}

int DownloadTextFile(const std::string& productName, const std::string& address, std::string& text,
    std::size_t limit, bool deleteAfter)
{
    std::string effective;
    std::string status;
    std::string localFile;
    if (DownloadVersionFile(productName, address, effective, status, localFile) == -1)
        return -1;
    std::FILE* file = std::fopen(localFile.c_str(), "rb");
    if (!file)
        return -1;
    const long length = FileLength(file);
    if (length >= 0)
        text = ReadPrefix(file, std::min(static_cast<std::size_t>(length), limit));
    std::fclose(file);
    if (deleteAfter)
        std::remove(localFile.c_str());
    return length >= 0 ? 1 : -1;
}
