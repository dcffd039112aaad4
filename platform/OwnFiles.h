// Files the program writes in folders that others may write too (the current
// folder, a shared one): never through a symbolic link that someone else
// planted there. A link of the user's own to a file of the user's own, for
// example into a synced folder, is followed as before. Plain C++, so that
// the settings storage can use it too.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Why path may not be written through ("It is a link that another user
// made"); empty when it may: it is no link, or a link of the
// user's own to a regular file of the user's own or to nothing yet.
std::string ForeignLinkReason(const std::string& path);

// Appends bytes to the file, creating it when it is missing, unless path is
// a link that may not be written through. Returns the reason when nothing
// could be appended (the system's, or the link's) or the bytes could not be
// written whole; empty on success.
std::string AppendToOwnFile(const std::string& path, std::string_view bytes);

// Writes all the bytes to the open file, going on after interruptions;
// false when the system refused some (errno says why).
bool WriteWhole(int file, std::string_view bytes);

struct KeptCopy {
    std::string path; // where the copy is
    std::string error; // why no copy could be made; empty when one was
};

// Copies the file at path to path.bak, or when that name is taken to
// path.bak.2, path.bak.3 and so on, so that a copy made earlier is never
// replaced; a copy is only ever created anew, never written through a link.
// When the latest copy already holds the same bytes, it stands for the copy.
KeptCopy KeepCopy(const std::string& path);

// The path a link leads to in the end, or the path itself when it cannot be
// followed.
std::string FinalTarget(const std::string& path);

} // namespace platform
