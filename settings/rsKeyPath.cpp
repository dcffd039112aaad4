#include "settings/rsKeyPath.h"

namespace rsKeyPath {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool StartsAtRoot(std::string_view path)
{
    return !path.empty() && IsSeparator(path[0]);
}

std::string_view NextName(std::string_view path, std::size_t& pos)
{
    while (pos < path.size() && IsSeparator(path[pos]))
        ++pos;
    const std::size_t start = pos;
    while (pos < path.size() && !IsSeparator(path[pos]))
        ++pos;
    return path.substr(start, pos - start);
}

Parts Split(std::string_view path)
{
    Parts parts;
    const std::size_t last = path.find_last_of("\\/");
    if (last == std::string_view::npos) {
        parts.name = path;
        return parts;
    }
    parts.section = path.substr(0, last);
    parts.name = path.substr(last + 1);
    parts.hasSeparator = true;
    parts.absolute = StartsAtRoot(path);
    return parts;
}

} // namespace rsKeyPath
