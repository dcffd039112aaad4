// Taking a file name apart. Both "/" and "\" end a folder, so that a name
// written for Windows, in a settings key or an address, comes apart the same
// way.
#pragma once

#include <string>
#include <string_view>

namespace text {

bool IsFolderSeparator(char c);

// The folder with its final separator; empty for a name without one.
std::string_view FolderPart(std::string_view path);

// What follows the last separator: the whole name without one, nothing after
// a final one.
std::string_view FileNamePart(std::string_view path);

// The file name part's extension with its dot; empty when it has none.
std::string_view ExtensionPart(std::string_view path);

// The path with its extension, if any, replaced (extension holds the dot).
std::string ChangeExtension(std::string_view path, std::string_view extension);

} // namespace text
