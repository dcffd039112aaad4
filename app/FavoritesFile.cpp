#include "app/FavoritesFile.h"

#include "platform/OwnFiles.h"

namespace {

void AddLine(std::string& block, const std::string& line)
{
    block += line;
    block += '\n';
}

} // namespace

std::string FavoritesEntry(const std::vector<std::string>& inputLines, const std::string& route,
    const std::vector<std::string>& outputLines)
{
    const std::string rule = "//" + std::string(75, '-');
    std::string block;
    AddLine(block, rule);
    for (const std::string& line : inputLines)
        AddLine(block, line);
    AddLine(block, "");
    AddLine(block, route);
    AddLine(block, std::string(48, '='));
    for (const std::string& line : outputLines)
        AddLine(block, line);
    AddLine(block, "");
    AddLine(block, rule);
    AddLine(block, "");
    AddLine(block, "");
    return block;
}

// The current folder may be one that others write to as well: a link
// planted there must not carry the entry into a file of someone else's.
std::string AppendToFavorites(const std::string& fileName, const std::string& entry)
{
    return platform::AppendToOwnFile(fileName, entry);
}
