#include "service/PeerUser.h"

#include "text/SocketTable.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <string>

namespace service {

namespace {

// An IPv4 address and port as /proc/net/tcp writes them: the address's four
// bytes as the kernel holds them, in hexadecimal, a colon, the port.
std::string TableAddress(const sockaddr_in& address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X:%04X", address.sin_addr.s_addr, ntohs(address.sin_port));
    return text;
}

std::optional<sockaddr_in> Address(int socket, bool peer)
{
    sockaddr_in address {};
    socklen_t length = sizeof address;
    auto* name = reinterpret_cast<sockaddr*>(&address);
    const int result
        = peer ? getpeername(socket, name, &length) : getsockname(socket, name, &length);
    if (result != 0 || address.sin_family != AF_INET)
        return std::nullopt;
    return address;
}

} // namespace

// The client's end is the line whose local address is the peer's and whose
// remote address is this socket's.
std::optional<uid_t> PeerUser(int socket)
{
    const auto peer = Address(socket, true);
    const auto own = Address(socket, false);
    if (!peer || !own)
        return std::nullopt;
    const std::string clientEnd = TableAddress(*peer);
    const std::string serverEnd = TableAddress(*own);
    for (const text::SocketTableEntry& entry : text::ReadSocketTable("/proc/net/tcp")) {
        if (entry.local == clientEnd && entry.remote == serverEnd)
            return entry.owner;
    }
    return std::nullopt;
}

} // namespace service
