// Which user's process is at the other end of a loopback connection, read
// from the kernel's socket tables, so that the service answers its own
// user's programs only.
#pragma once

#include <sys/types.h>

#include <optional>

namespace service {

// The user that owns the client end of the connected socket; nothing when the
// tables cannot tell (they cannot be read, or the client has gone).
std::optional<uid_t> PeerUser(int socket);

} // namespace service
