#include "update/UpdateText.h"

#include "platform/Paths.h"
#include "text/FileNames.h"

#include <filesystem>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsNetworkPath(const std::string& path)
{
    return path.size() >= 2 && text::IsFolderSeparator(path[0]) && text::IsFolderSeparator(path[1]);
}

bool IsRelativePath(const std::string& path)
{
    return !path.empty() && !text::IsFolderSeparator(path[0]);
}

} // namespace

std::string TrimBlanks(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

Split SplitToken(const std::string& text, char delimiter)
{
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == delimiter && !quoted)
            return { TrimBlanks(text.substr(0, i)), TrimBlanks(text.substr(i + 1)) };
    }
    return { text, {} };
}

std::string ExpandLineBreaks(const std::string& text)
{
    std::string expanded;
    expanded.reserve(text.size());
    for (const char c : text) {
        if (c == '\n')
            expanded += '\r';
        expanded += c;
    }
    return expanded;
}

std::string ParentPath(const std::string& text)
{
    for (std::size_t i = text.size(); i-- > 1;)
        if (text::IsFolderSeparator(text[i]) && i + 1 < text.size())
            return text.substr(0, i);
    return text;
}

bool FileExistsQuick(const std::string& path)
{
    // Looking at a network share can take long, and a relative path depends
    // on whatever the current folder is; both are taken on trust.
    if (IsNetworkPath(path) || IsRelativePath(path))
        return true;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return !error && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

std::string ProgramFileDirectory()
{
    return platform::ProgramDirectory();
}
