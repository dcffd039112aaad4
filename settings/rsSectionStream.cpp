#include "settings/rsSectionStream.h"

#include "settings/rsBinary.h"
#include "settings/rsException.h"
#include "settings/rsKeyTree.h"

#include <istream>
#include <iterator>
#include <ostream>

using rsBinary::Append;
using rsBinary::Take;

namespace {

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

void TrsSectionStream::Save(std::string_view path, std::ostream& stream)
{
    const int index = path.empty() ? -1 : tree_.SectionFind(path, false, tree_.StartOf(path));
    if (index == TrsKeyTree::NotFound)
        return;
    std::string bytes;
    AppendContents(bytes, tree_.IdAt(index), path);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TrsSectionStream::AppendContents(
    std::string& bytes, int sectionId, std::string_view path) const
{
    int childFirst = 0, childCount = 0, keyFirst = 0, keyCount = 0;
    ChildRange(sectionId, childFirst, childCount);
    tree_.KeyFindRange(sectionId, keyFirst, keyCount);
    Append(bytes, static_cast<uint32_t>(childCount));
    Append(bytes, static_cast<uint32_t>(keyCount));
    for (int i = childFirst; i < childFirst + childCount; ++i) {
        AppendName(bytes, tree_.sections_[i].Name, path);
        AppendContents(bytes, tree_.sections_[i].Id, path);
    }
    for (int i = keyFirst; i < keyFirst + keyCount; ++i) {
        AppendName(bytes, tree_.keys_[i].Name, path);
        AppendValue(bytes, tree_.keys_[i].Value);
    }
}

void TrsSectionStream::ChildRange(int parentId, int& first, int& count) const
{
    const int start = -tree_.FindChild(parentId, "") - 1;
    int end = start;
    while (end < tree_.SectionItemCount() && tree_.sections_[end].ParentId == parentId)
        ++end;
    first = start;
    count = end - start;
}

void TrsSectionStream::Load(std::string_view path, std::istream& stream)
{
    if (stream.peek() == std::char_traits<char>::eof())
        return;
    const std::string bytes { std::istreambuf_iterator<char>(stream),
        std::istreambuf_iterator<char>() };
    const int index = path.empty() ? -1 : tree_.SectionFind(path, true, tree_.StartOf(path));
    const int sectionId = tree_.IdAt(index);
    tree_.RemoveSectionContents(sectionId, false);
    std::string_view rest = bytes;
    if (!TakeContents(rest, sectionId)) {
        RaiseStorageError(
            egCommon, FormatMessage("Can't load section \"%s\" from stream.", { path }));
    }
    stream.clear();
    stream.seekg(-static_cast<std::streamoff>(rest.size()), std::ios::cur);
}

bool TrsSectionStream::TakeContents(std::string_view& bytes, int sectionId)
{
    uint32_t childCount = 0, keyCount = 0;
    if (!Take(bytes, childCount) || !Take(bytes, keyCount))
        return false;
    for (uint32_t i = 0; i < childCount; ++i) {
        std::string_view name;
        if (!TakeName(bytes, name))
            return false;
        const int child
            = name.empty() ? TrsKeyTree::NotFound : tree_.InsertSection(sectionId, name);
        if (child == TrsKeyTree::NotFound || !TakeContents(bytes, tree_.sections_[child].Id))
            return false;
    }
    for (uint32_t i = 0; i < keyCount; ++i) {
        std::string_view name;
        TrsValue value;
        if (!TakeName(bytes, name) || !TakeValue(bytes, value))
            return false;
        tree_.GetKeyItem(tree_.FindOrAddKey(sectionId, name)).Value = std::move(value);
    }
    return true;
}
