// The kernel's tables of TCP sockets (/proc/net/tcp, /proc/net/tcp6): a
// heading, then a line for each socket with its two ends, its state and the
// user who owns it. The program finds listeners in them, the service the
// user at the other end of a connection.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace text {

struct SocketTableEntry {
    // "0100007F:1F73": the IP address in hexadecimal as the kernel stores
    // it, a colon, the port in hexadecimal.
    std::string local;
    std::string remote;
    std::string state; // "0A" for a listening socket
    uid_t owner = 0;
};

// The table's entries; nothing when it cannot be read. Lines that do not
// hold the fields are passed over.
std::vector<SocketTableEntry> ReadSocketTable(const std::string& path);

} // namespace text
