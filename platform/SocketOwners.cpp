#include "platform/SocketOwners.h"

#include <unistd.h>

#include <fstream>
#include <sstream>
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
    std::ifstream lines(table);
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues, timer, retransmits;
        uid_t owner = 0;
        if (!(fields >> slot >> local >> remote >> state >> queues >> timer >> retransmits
                >> owner))
            continue;
        if (state == ListenState && PortOf(local) == port && IsLoopbackOrAny(local))
            return owner;
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
