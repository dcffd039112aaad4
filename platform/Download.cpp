#include "platform/Download.h"

#include "platform/Paths.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <curl/curl.h>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace platform {

namespace {

struct EasyHandleDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using EasyHandle = std::unique_ptr<CURL, EasyHandleDeleter>;

std::uint64_t AddressHash(const std::string& address)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const unsigned char c : address) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

bool IsFileNameCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.'
        || c == '-' || c == '_';
}

// The address's last path segment, reduced to harmless characters, keeps the
// cached file recognisable for a person looking into the cache folder.
std::string ReadableName(const std::string& address)
{
    const std::string path = address.substr(0, address.find_first_of("?#"));
    const std::size_t slash = path.find_last_of('/');
    std::string name;
    for (const char c : path.substr(slash == std::string::npos ? 0 : slash + 1))
        if (IsFileNameCharacter(c) && name.size() < 60)
            name += c;
    return (name.empty() || name.find_first_not_of('.') == std::string::npos) ? "download" : name;
}

std::string CacheFileName(const std::string& address)
{
    char hash[17];
    std::snprintf(
        hash, sizeof hash, "%016llx", static_cast<unsigned long long>(AddressHash(address)));
    return std::string(hash) + "-" + ReadableName(address);
}

// curl's own low-speed check averages over several seconds; the limit here is
// about a silence, so the time of the last received byte is watched instead.
struct TransferWatch {
    std::chrono::steady_clock::duration silence;
    curl_off_t largest;
    std::chrono::steady_clock::time_point lastData = std::chrono::steady_clock::now();
    curl_off_t received = 0;
};

int WatchTransfer(void* data, curl_off_t, curl_off_t received, curl_off_t, curl_off_t)
{
    auto* watch = static_cast<TransferWatch*>(data);
    const auto now = std::chrono::steady_clock::now();
    if (received != watch->received) {
        watch->received = received;
        watch->lastData = now;
    }
    return (now - watch->lastData > watch->silence || received > watch->largest) ? 1 : 0;
}

std::size_t WriteToFile(char* data, std::size_t size, std::size_t count, void* file)
{
    return std::fwrite(data, 1, size * count, static_cast<std::FILE*>(file));
}

bool Transfer(const std::string& address, std::FILE* file, DownloadLimits limits)
{
    const EasyHandle handle(curl_easy_init());
    if (!handle)
        return false;
    CURL* easy = handle.get();
    curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 10L);
    // An error page is not the file that was asked for.
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connect.count()));
    TransferWatch watch { limits.silence, static_cast<curl_off_t>(limits.largest) };
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, WatchTransfer);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &watch);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Tornalo update check");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, file);
    return curl_easy_perform(easy) == CURLE_OK;
}

// Writes into a private file first, so that a reader of the cached copy never
// sees half a download and a failure keeps the previous copy.
bool DownloadInto(const std::string& address, const std::string& target, DownloadLimits limits)
{
    std::string partial = target + ".part-XXXXXX";
    const int descriptor = mkstemp(partial.data());
    if (descriptor < 0)
        return false;
    std::FILE* file = fdopen(descriptor, "wb");
    if (!file) {
        close(descriptor);
        std::remove(partial.c_str());
        return false;
    }
    const bool received = Transfer(address, file, limits);
    const bool written = std::fclose(file) == 0;
    if (received && written && std::rename(partial.c_str(), target.c_str()) == 0)
        return true;
    std::remove(partial.c_str());
    return false;
}

} // namespace

std::string DownloadToCacheFile(const std::string& address, DownloadLimits limits)
{
    const std::string folder = UserCacheDirectory();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
        return {};
    const std::string target = folder + CacheFileName(address);
    return DownloadInto(address, target, limits) ? target : std::string();
}

} // namespace platform
