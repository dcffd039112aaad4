#include "platform/SocketOwners.h"

#include "text/SocketTable.h"

#include <unistd.h>

#include <string>

namespace platform {

namespace {

constexpr const char* ListenState = "0A";

// An address as the tables write it, "0100007F:1F73": the IP address in
// hexadecimal as the kernel stores it, then the port.
bool IsLoopbackOrAny(const std::string& address)
{
    const std::string ip = address.substr(0, address.find(':'));
    return ip == "0100007F" || ip == "00000000" || ip == std::string(32, '0')
        || ip == "00000000000000000000000001000000" || ip == "0000000000000000FFFF00000100007F";
}

std::optional<std::uint16_t> PortOf(const std::string& address)
{
    const std::size_t colon = address.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    try {
        return static_cast<std::uint16_t>(std::stoul(address.substr(colon + 1), nullptr, 16));
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<uid_t> ListenerIn(const char* table, std::uint16_t port)
{
    for (const text::SocketTableEntry& entry : text::ReadSocketTable(table)) {
        if (entry.state == ListenState && PortOf(entry.local) == port
            && IsLoopbackOrAny(entry.local))
            return entry.owner;
    }
    return std::nullopt;
}

} // namespace

std::optional<uid_t> ListenerOwner(std::uint16_t port)
{
    if (const auto owner = ListenerIn("/proc/net/tcp", port))
        return owner;
    return ListenerIn("/proc/net/tcp6", port);
}

bool ListenerIsAnotherUsers(std::uint16_t port)
{
    const auto owner = ListenerOwner(port);
    return owner && *owner != geteuid();
}

} // namespace platform
