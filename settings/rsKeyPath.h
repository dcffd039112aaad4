// The path grammar of the storage: names between separators ("\" or "/"),
// a path from the root when it begins with one, and the key name after the
// last separator of a key path.
#pragma once

#include <cstddef>
#include <string_view>

namespace rsKeyPath {

bool IsSeparator(char c);
bool StartsAtRoot(std::string_view path);

// The next name between separators at or after pos; empty at the end.
std::string_view NextName(std::string_view path, std::size_t& pos);

struct Parts {
    std::string_view section;
    std::string_view name;
    bool hasSeparator = false;
    bool absolute = false;
};

Parts Split(std::string_view path);

} // namespace rsKeyPath
