// Reading a file whole, as the settings, the reply page, an upload and the
// service's language pair descriptions are read.
#pragma once

#include <optional>
#include <string>

namespace text {

// Nothing when the file cannot be opened or read; errno then says why.
std::optional<std::string> ReadWholeFile(const std::string& path);

} // namespace text
