// Writing a whole file by replacing it: the bytes go to a new file beside it,
// which then takes the old one's place. A reader never sees half a file, and
// whatever stood under the name before, a link another user planted included,
// is replaced rather than written through.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Empty when the file now holds the bytes; otherwise the system's reason
// ("Permission denied"), and the file under the name is as it was.
std::string ReplaceFileContents(const std::string& path, std::string_view bytes);

} // namespace platform
