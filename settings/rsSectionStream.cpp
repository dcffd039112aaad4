// The section stream format: a section's subsections and keys, recursively,
// as counted names and typed payloads (little-endian).
#include "settings/rsStorage.h"

#include <cstring>
#include <istream>
#include <iterator>
#include <ostream>

namespace {

constexpr int NotFound = -2;

template <typename T> void Append(std::string& bytes, T value)
{
    char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    bytes.append(raw, sizeof(T));
}

template <typename T> bool Take(std::string_view& bytes, T& value)
{
    if (bytes.size() < sizeof(T))
        return false;
    std::memcpy(&value, bytes.data(), sizeof(T));
    bytes.remove_prefix(sizeof(T));
    return true;
}

// Names never hold a separator: such a name would read back as a path.
bool TakeName(std::string_view& bytes, std::string_view& name)
{
    uint8_t length = 0;
    if (!Take(bytes, length) || bytes.size() < length)
        return false;
    name = bytes.substr(0, length);
    bytes.remove_prefix(length);
    return name.find_first_of("\\/") == std::string_view::npos;
}

// The length byte cannot hold longer names; they are refused rather than
// cut, so that nothing is written that reads back different.
void AppendName(std::string& bytes, const std::string& name, std::string_view path)
{
    if (name.size() > 255)
        RaiseStorageError(
            egCommon, FormatMessage("Can't save section \"%s\" to stream.", { path }));
    Append(bytes, static_cast<uint8_t>(name.size()));
    bytes += name;
}

} // namespace

void TrsStorage::SectionSaveToStream(std::string_view path, std::ostream& stream)
{
    const int index = path.empty() ? -1 : SectionFind(path, false, StartOf(path));
    if (index == NotFound)
        return;
    std::string bytes;
    AppendContents(bytes, index < 0 ? 0 : sections_[index].Id, path);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TrsStorage::AppendContents(std::string& bytes, int sectionId, std::string_view path) const
{
    int childFirst = 0, childCount = 0, keyFirst = 0, keyCount = 0;
    ChildRange(sectionId, childFirst, childCount);
    KeyFindRange(sectionId, keyFirst, keyCount);
    Append(bytes, static_cast<uint32_t>(childCount));
    Append(bytes, static_cast<uint32_t>(keyCount));
    for (int i = childFirst; i < childFirst + childCount; ++i) {
        AppendName(bytes, sections_[i].Name, path);
        AppendContents(bytes, sections_[i].Id, path);
    }
    for (int i = keyFirst; i < keyFirst + keyCount; ++i) {
        AppendName(bytes, keys_[i].Name, path);
        AppendValue(bytes, keys_[i].Value);
    }
}

void TrsStorage::ChildRange(int parentId, int& first, int& count) const
{
    const int start = -FindChild(parentId, "") - 1;
    int end = start;
    while (end < SectionItemCount() && sections_[end].ParentId == parentId)
        ++end;
    first = start;
    count = end - start;
}

void TrsStorage::SectionLoadFromStream(std::string_view path, std::istream& stream)
{
    if (stream.peek() == std::char_traits<char>::eof())
        return;
    const std::string bytes { std::istreambuf_iterator<char>(stream),
        std::istreambuf_iterator<char>() };
    const int index = path.empty() ? -1 : SectionFind(path, true, StartOf(path));
    const int sectionId = index < 0 ? 0 : sections_[index].Id;
    RemoveSectionContents(sectionId, false);
    std::string_view rest = bytes;
    if (!TakeContents(rest, sectionId)) {
        RaiseStorageError(
            egCommon, FormatMessage("Can't load section \"%s\" from stream.", { path }));
    }
    stream.clear();
    stream.seekg(-static_cast<std::streamoff>(rest.size()), std::ios::cur);
}

bool TrsStorage::TakeContents(std::string_view& bytes, int sectionId)
{
    uint32_t childCount = 0, keyCount = 0;
    if (!Take(bytes, childCount) || !Take(bytes, keyCount))
        return false;
    for (uint32_t i = 0; i < childCount; ++i) {
        std::string_view name;
        if (!TakeName(bytes, name))
            return false;
        const int child = name.empty() ? NotFound : InsertSection(sectionId, name);
        if (child == NotFound || !TakeContents(bytes, sections_[child].Id))
            return false;
    }
    for (uint32_t i = 0; i < keyCount; ++i) {
        std::string_view name;
        TrsValue value;
        if (!TakeName(bytes, name) || !TakeValue(bytes, value))
            return false;
        GetKeyItem(FindOrAddKey(sectionId, name)).Value = std::move(value);
    }
    return true;
}
