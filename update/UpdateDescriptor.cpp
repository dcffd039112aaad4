#include "update/UpdateDescriptor.h"

#include "platform/Paths.h"
#include "text/AsciiText.h"
#include "text/FileNames.h"
#include "update/UpdateText.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view descriptorExtension = ".qvupdate";

// Visits the lines of a file the way the files have always been read: in
// pieces of at most 1,023 bytes, and a read that reaches the end of the file
// is not looked at, so a last line without a line break is ignored. visit
// returns true to stop.
void ForEachLine(const std::string& path, const std::function<bool(std::string_view)>& visit)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return;
    char buffer[1024];
    while (!std::feof(file)) {
        if (!std::fgets(buffer, sizeof buffer, file) || std::feof(file))
            break;
        if (visit(std::string_view(buffer)))
            break;
    }
    std::fclose(file);
}

// The closing tag is searched from the start of the line, so one standing
// before the opening tag spoils the line.
std::optional<std::string> ValueBetween(std::string_view line, const std::string& key)
{
    const std::string opening = "<" + key + ">";
    const std::string closing = "</" + key + ">";
    const std::size_t start = line.find(opening);
    if (start == std::string_view::npos)
        return std::nullopt;
    const std::size_t end = line.find(closing);
    const std::size_t valueStart = start + opening.size();
    if (end == std::string_view::npos || end < valueStart)
        return std::nullopt;
    return std::string(line.substr(valueStart, end - valueStart));
}

void TakeValue(std::string_view line, const std::string& key, std::string& value)
{
    if (std::optional<std::string> found = ValueBetween(line, key))
        value = std::move(*found);
}

bool IsDescriptorName(const std::string& name)
{
    return text::SameText(text::ExtensionPart(name), descriptorExtension);
}

std::vector<std::string> DescriptorNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        std::string name = entry->path().filename().string();
        if (IsDescriptorName(name))
            names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string FindDescriptorIn(const std::string& folder)
{
    for (const std::string& name : DescriptorNames(folder)) {
        std::error_code error;
        if (!std::filesystem::is_directory(folder + name, error))
            return folder + name;
    }
    return {};
}

// Beside the program first (the build folder, a portable copy), then in the
// installed data folder.
std::string FindDescriptor(const std::string& programDir)
{
    const std::string beside = FindDescriptorIn(programDir + "/");
    return beside.empty() ? FindDescriptorIn(platform::InstalledDataDirectory(programDir)) : beside;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// "@1.1" must not be taken for the start of "@1.10" or "@1.1.5".
bool VersionEndsAt(const std::string& text, std::size_t position)
{
    if (position >= text.size())
        return true;
    if (IsDigit(text[position]))
        return false;
    return !(text[position] == '.' && position + 1 < text.size() && IsDigit(text[position + 1]));
}

std::size_t FindMarkerOf(const std::string& text, const std::string& marker)
{
    for (std::size_t at = text.find(marker); at != std::string::npos;
         at = text.find(marker, at + 1))
        if (VersionEndsAt(text, at + marker.size()))
            return at;
    return std::string::npos;
}

std::size_t FindEntry(const std::string& text, const std::string& version)
{
    const std::size_t plain = FindMarkerOf(text, "@" + version);
    return plain != std::string::npos ? plain : FindMarkerOf(text, "@v" + version);
}

// With the oldest entry first, what is new starts at the entry that follows
// the installed version's one.
std::string EntriesAfter(const std::string& text, std::size_t local)
{
    const std::size_t afterLineFeed = text.find("\n@", local + 1);
    const std::size_t afterReturn = text.find("\r@", local + 1);
    const std::size_t next = std::min(afterLineFeed, afterReturn);
    if (next == std::string::npos)
        return text;
    return text.substr(text.find('@', next));
}

} // namespace

UpdateDescriptor ReadUpdateDescriptor(const std::string& programDir)
{
    UpdateDescriptor descriptor;
    const std::string path = FindDescriptor(programDir);
    if (path.empty())
        return descriptor;
    ForEachLine(path, [&descriptor](std::string_view line) {
        TakeValue(line, "WebPage", descriptor.WebPage);
        TakeValue(line, "VersionFileRemote", descriptor.VersionFileRemote);
        TakeValue(line, "Version", descriptor.Version);
        return false;
    });
    return descriptor;
}

TagValue ReadTagValue(const std::string& path, const std::string& key)
{
    TagValue result;
    ForEachLine(path, [&result, &key](std::string_view line) {
        if (std::optional<std::string> value = ValueBetween(line, key)) {
            result = { true, std::move(*value) };
            return true;
        }
        return false;
    });
    return result;
}

std::string WhatsNewAddress(const std::string& effective, const std::string& whatsNewFile)
{
    const std::string base = ParentPath(effective);
    if (whatsNewFile.empty())
        return base + "/whatsnew.txt";
    if (whatsNewFile == "none")
        return {};
    if (whatsNewFile.find("://") != std::string::npos)
        return whatsNewFile;
    return base + "/" + whatsNewFile;
}

std::string ExtractWhatsNew(
    const std::string& text, const std::string& local, const std::string& remote)
{
    const std::size_t remoteEntry = FindEntry(text, remote);
    const std::size_t localEntry = FindEntry(text, local);
    if (remoteEntry == std::string::npos || localEntry == std::string::npos)
        return text;
    if (remoteEntry < localEntry)
        return text.substr(0, localEntry);
    if (remoteEntry > localEntry)
        return EntriesAfter(text, localEntry);
    return text;
}
