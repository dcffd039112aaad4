// Who owns the sockets of this machine's loopback services, read from the
// kernel's socket tables, so that a program talks only to a service its own
// user runs.
#pragma once

#include <cstdint>
#include <optional>
#include <sys/types.h>

namespace platform {

// The user whose socket listens at port for connections to the loopback
// address (bound to it or to every address); nothing when none does or the
// tables cannot be read.
std::optional<uid_t> ListenerOwner(std::uint16_t port);

// Whether the listener at port is another user's: false for this process's
// own user, and when the tables cannot tell.
bool ListenerIsAnotherUsers(std::uint16_t port);

} // namespace platform
