#include "app/FavoritesFile.h"

#include "platform/Text.h"

#include <QFile>

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

std::string AppendToFavorites(const std::string& fileName, const std::string& entry)
{
    QFile file(platform::ToQString(fileName));
    const auto size = static_cast<qint64>(entry.size());
    if (!file.open(QIODevice::Append) || file.write(entry.data(), size) != size || !file.flush())
        return platform::ToBytes(file.errorString());
    return {};
}
