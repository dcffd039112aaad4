#include "text/FileNames.h"

namespace text {

bool IsFolderSeparator(char c)
{
    return c == '/' || c == '\\';
}

std::string_view FolderPart(std::string_view path)
{
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator + 1);
}

std::string_view FileNamePart(std::string_view path)
{
    return path.substr(FolderPart(path).size());
}

std::string_view ExtensionPart(std::string_view path)
{
    const std::string_view name = FileNamePart(path);
    const std::size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

std::string ChangeExtension(std::string_view path, std::string_view extension)
{
    std::string changed(path.substr(0, path.size() - ExtensionPart(path).size()));
    changed += extension;
    return changed;
}

} // namespace text
