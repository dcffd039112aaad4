// Writing a whole file without ever writing through what someone else put
// under its name: a regular file of the user's own with no other name is
// written in place; anything else (a link another user planted, another
// user's file, a file with a second name) is replaced by a new file, written
// beside it and then put in its place.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Empty when the file now holds the bytes; otherwise the system's reason
// ("Permission denied"), and the file under the name is as it was.
std::string ReplaceFileContents(const std::string& path, std::string_view bytes);

} // namespace platform
