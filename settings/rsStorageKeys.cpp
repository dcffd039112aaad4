// The key operations of TrsStorage: finding and creating keys by path, the
// typed reads and writes, and string lists kept as numbered keys.
#include "settings/rsStorage.h"

#include "settings/TextForms.h"

#include <algorithm>

namespace {

constexpr int NotFound = -2;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

struct KeyPath {
    std::string_view section;
    std::string_view name;
    bool hasSeparator = false;
    bool absolute = false;
};

KeyPath SplitKeyPath(std::string_view path)
{
    KeyPath parts;
    const std::size_t last = path.find_last_of("\\/");
    if (last == std::string_view::npos) {
        parts.name = path;
        return parts;
    }
    parts.section = path.substr(0, last);
    parts.name = path.substr(last + 1);
    parts.hasSeparator = true;
    parts.absolute = IsSeparator(path[0]);
    return parts;
}

// Digits after a list name's ".Item", or 0 when they are not a number.
int ItemNumberOf(std::string_view rest)
{
    try {
        return TextToInteger(rest);
    } catch (const ConversionError&) {
        return 0;
    }
}

} // namespace

void TrsStorage::KeyFindRange(int sectionId, int& first, int& count) const
{
    auto begin = std::lower_bound(keys_.begin(), keys_.end(), sectionId,
        [](const TrsKeyRecord& key, int id) { return key.SectionId < id; });
    auto end = std::upper_bound(begin, keys_.end(), sectionId,
        [](int id, const TrsKeyRecord& key) { return id < key.SectionId; });
    first = static_cast<int>(begin - keys_.begin());
    count = static_cast<int>(end - begin);
}

int TrsStorage::SectionOfKeyPath(std::string_view sectionPart, bool absolute, bool create)
{
    if (sectionPart.empty())
        return absolute ? -1 : currentIndex_;
    if (cachedPathIndex_ != NotFound && SameText(sectionPart, cachedPath_)
        && (cachedPathIndex_ < 0 ? cachedPathId_ == 0
                                 : sections_[cachedPathIndex_].Id == cachedPathId_))
        return cachedPathIndex_;
    const int index = SectionFind(sectionPart, create, absolute ? -1 : currentIndex_);
    if (index == NotFound)
        return NotFound;
    cachedPath_ = sectionPart;
    cachedPathIndex_ = index;
    cachedPathId_ = index < 0 ? 0 : sections_[index].Id;
    return index;
}

int TrsStorage::InsertKey(int position, int sectionId, std::string_view name)
{
    KeyListGrow(1);
    TrsKeyRecord record;
    record.Name = name;
    record.SectionId = sectionId;
    keys_.insert(keys_.begin() + position, std::move(record));
    if (sectionId == currentId_)
        ++keyCount_;
    else if (sectionId < currentId_)
        ++keyFirst_;
    const int wrapped = keyWrapper_.KeyIndex();
    if (wrapped >= position)
        keyWrapper_.SetKeyIndex(wrapped + 1);
    KeyOnAdd(position);
    return position;
}

int TrsStorage::KeyFindAddItem(std::string_view path, bool create)
{
    const KeyPath parts = SplitKeyPath(path);
    const int section = parts.hasSeparator ? SectionOfKeyPath(parts.section, parts.absolute, create)
                                           : currentIndex_;
    if (section == NotFound)
        return -1;
    const int sectionId = section < 0 ? 0 : sections_[section].Id;
    if (cachedKeyIndex_ >= 0 && cachedKeyIndex_ < KeyItemCount()
        && keys_[cachedKeyIndex_].SectionId == sectionId
        && SameText(keys_[cachedKeyIndex_].Name, parts.name)) {
        keyWrapper_.SetKeyIndex(cachedKeyIndex_);
        return cachedKeyIndex_;
    }
    int first = keyFirst_, count = keyCount_;
    if (sectionId != currentId_)
        KeyFindRange(sectionId, first, count);
    int index = KeyPosition(first, count, parts.name);
    if (index == first + count || CompareText(keys_[index].Name, parts.name) != 0) {
        if (!create)
            return -1;
        index = InsertKey(index, sectionId, parts.name);
    }
    cachedKeyIndex_ = index;
    keyWrapper_.SetKeyIndex(index);
    return index;
}

int TrsStorage::KeyPosition(int first, int count, std::string_view name) const
{
    // Files hold their keys in order, so a new key usually goes last.
    if (count == 0 || CompareText(keys_[first + count - 1].Name, name) < 0)
        return first + count;
    auto begin = keys_.begin() + first;
    auto position = std::lower_bound(
        begin, begin + count, name, [](const TrsKeyRecord& key, std::string_view wanted) {
            return CompareText(key.Name, wanted) < 0;
        });
    return static_cast<int>(position - keys_.begin());
}

int TrsStorage::FindOrAddKey(int sectionId, std::string_view name)
{
    int first = 0, count = 0;
    KeyFindRange(sectionId, first, count);
    const int index = KeyPosition(first, count, name);
    if (index < first + count && CompareText(keys_[index].Name, name) == 0)
        return index;
    return InsertKey(index, sectionId, name);
}

void TrsStorage::KeyOnAdd(int index)
{
    keyWrapper_.SetKeyIndex(index);
    Notify(scnKeyAdd, keys_[index].Name);
    if (OnKeyAdd)
        OnKeyAdd(this, keys_[index].Name);
}

void TrsStorage::KeyOnDeletion(int index)
{
    keyWrapper_.SetKeyIndex(index);
    Notify(scnKeyDelete, keys_[index].Name);
    if (OnKeyDeletion)
        OnKeyDeletion(this, keys_[index].Name);
}

bool TrsStorage::KeyExist(std::string_view path)
{
    return KeyFindAddItem(path, false) >= 0;
}

void TrsStorage::KeyDelete(std::string_view path)
{
    const int index = KeyFindAddItem(path, false);
    if (index >= 0)
        RemoveKeys(index, 1);
}

void TrsStorage::KeyRename(std::string_view oldPath, std::string_view newPath)
{
    int oldIndex = KeyFindAddItem(oldPath, false);
    if (oldIndex < 0)
        return;
    const int oldSection = keys_[oldIndex].SectionId;
    const std::string oldName = keys_[oldIndex].Name;
    const TrsValue value = keys_[oldIndex].Value;
    const int newIndex = KeyFindAddItem(newPath, true);
    int first = 0, count = 0;
    KeyFindRange(oldSection, first, count);
    oldIndex = -1;
    for (int i = first; i < first + count; ++i)
        if (SameText(keys_[i].Name, oldName))
            oldIndex = i;
    if (oldIndex == newIndex) {
        // Renaming a key onto itself only changes the case of its name.
        keys_[newIndex].Name = SplitKeyPath(newPath).name;
        return;
    }
    keys_[newIndex].Value = value;
    RemoveKeys(oldIndex, 1);
}

std::vector<std::string> TrsStorage::KeyList() const
{
    std::vector<std::string> names;
    for (int i = keyFirst_; i < keyFirst_ + keyCount_; ++i)
        names.push_back(keys_[i].Name);
    return names;
}

int TrsStorage::KeyCount() const
{
    return keyCount_;
}

std::string TrsStorage::KeyFullName(int index) const
{
    const int section = SectionIndexOfId(keys_[index].SectionId);
    return Concat({ "\\", SectionFullName(section), "\\", keys_[index].Name });
}

int TrsStorage::GetKeyType(std::string_view path)
{
    const int index = KeyFindAddItem(path, false);
    return index < 0 ? -1 : keys_[index].Value.Type;
}

void TrsStorage::SetKeyType(std::string_view path, int type)
{
    const int index = KeyFindAddItem(path, false);
    if (index >= 0)
        keys_[index].Value.Type = static_cast<uint16_t>(type);
}

int TrsStorage::GetKeyOptions(std::string_view path)
{
    const int index = KeyFindAddItem(path, false);
    return index < 0 ? 0 : keys_[index].Value.Options;
}

void TrsStorage::SetKeyOptions(std::string_view path, int options)
{
    const int index = KeyFindAddItem(path, false);
    if (index >= 0)
        keys_[index].Value.Options = static_cast<uint16_t>(options);
}

int TrsStorage::KeyFirst()
{
    const int first = rootSection_.empty() ? 0 : keyFirst_;
    const int count = rootSection_.empty() ? KeyItemCount() : keyCount_;
    keyCursor_ = count > 0 ? first : -1;
    keyWrapper_.SetKeyIndex(keyCursor_);
    return keyCursor_;
}

int TrsStorage::KeyNext()
{
    const int end = rootSection_.empty() ? KeyItemCount() : keyFirst_ + keyCount_;
    keyCursor_ = keyCursor_ >= 0 && keyCursor_ + 1 < end ? keyCursor_ + 1 : -1;
    keyWrapper_.SetKeyIndex(keyCursor_);
    return keyCursor_;
}

int TrsStorage::KeyPrior()
{
    const int first = rootSection_.empty() ? 0 : keyFirst_;
    keyCursor_ = keyCursor_ > first ? keyCursor_ - 1 : -1;
    keyWrapper_.SetKeyIndex(keyCursor_);
    return keyCursor_;
}

int TrsStorage::KeyLast()
{
    const int first = rootSection_.empty() ? 0 : keyFirst_;
    const int count = rootSection_.empty() ? KeyItemCount() : keyCount_;
    keyCursor_ = count > 0 ? first + count - 1 : -1;
    keyWrapper_.SetKeyIndex(keyCursor_);
    return keyCursor_;
}

int TrsStorage::ReadKey(std::string_view path)
{
    return KeyFindAddItem(path, false);
}

int TrsStorage::WriteKey(std::string_view path)
{
    return KeyFindAddItem(path, true);
}

Variant TrsStorage::GetValue(std::string_view path)
{
    return ReadKey(path) < 0 ? Variant() : keyWrapper_.GetAsVariant();
}

void TrsStorage::SetValue(std::string_view path, const Variant& value)
{
    WriteKey(path);
    keyWrapper_.SetAsVariant(value);
}

std::string TrsStorage::ReadString(std::string_view path, std::string_view defaultValue)
{
    return ReadKey(path) < 0 ? std::string(defaultValue) : keyWrapper_.GetAsString();
}

std::string TrsStorage::ReadText(std::string_view path, std::string_view defaultValue)
{
    return ReadString(path, defaultValue);
}

int32_t TrsStorage::ReadInteger(std::string_view path, int32_t defaultValue)
{
    return ReadKey(path) < 0 ? defaultValue : keyWrapper_.GetAsInteger();
}

int64_t TrsStorage::ReadInt64(std::string_view path, int64_t defaultValue)
{
    return ReadKey(path) < 0 ? defaultValue : keyWrapper_.GetAsInt64();
}

double TrsStorage::ReadFloat(std::string_view path, double defaultValue)
{
    return ReadKey(path) < 0 ? defaultValue : keyWrapper_.GetAsFloat();
}

TCurrency TrsStorage::ReadCurrency(std::string_view path, TCurrency defaultValue)
{
    return ReadKey(path) < 0 ? defaultValue : keyWrapper_.GetAsCurrency();
}

double TrsStorage::ReadDateTime(std::string_view path, double defaultValue)
{
    return ReadKey(path) < 0 ? defaultValue : keyWrapper_.GetAsDateTime();
}

bool TrsStorage::ReadBoolean(std::string_view path, bool defaultValue)
{
    return ReadKey(path) < 0 ? defaultValue : keyWrapper_.GetAsBoolean();
}

void* TrsStorage::ReadPointer(std::string_view path, void* defaultValue)
{
    return ReadKey(path) < 0 ? defaultValue : keyWrapper_.GetAsPointer();
}

void TrsStorage::ReadPoint(std::string_view path, TPoint& point)
{
    if (ReadKey(path) >= 0)
        point = keyWrapper_.GetAsPoint();
}

int TrsStorage::ReadBuffer(std::string_view path, void* destination, int size)
{
    return ReadKey(path) < 0 ? 0 : keyWrapper_.GetAsBuffer(destination, size);
}

void TrsStorage::ReadStream(std::string_view path, std::ostream& stream)
{
    if (ReadKey(path) >= 0)
        keyWrapper_.GetAsStream(stream);
}

void TrsStorage::ReadArray(std::string_view path, Variant& array)
{
    if (ReadKey(path) >= 0)
        array = keyWrapper_.GetAsArray();
}

void TrsStorage::ReadComponent(std::string_view path, TrsPersistentObject& component)
{
    if (ReadKey(path) >= 0)
        keyWrapper_.GetComponentProps(component);
}

void TrsStorage::ReadPersistent(std::string_view path, TrsPersistentObject& object)
{
    if (ReadKey(path) >= 0)
        keyWrapper_.GetPersistentProps(object);
}

void TrsStorage::WriteString(std::string_view path, std::string_view value)
{
    WriteKey(path);
    keyWrapper_.SetAsString(value);
}

void TrsStorage::WriteText(std::string_view path, std::string_view value)
{
    WriteString(path, value);
}

void TrsStorage::WriteInteger(std::string_view path, int32_t value)
{
    WriteKey(path);
    keyWrapper_.SetAsInteger(value);
}

void TrsStorage::WriteInt64(std::string_view path, int64_t value)
{
    WriteKey(path);
    keyWrapper_.SetAsInt64(value);
}

void TrsStorage::WriteFloat(std::string_view path, double value)
{
    WriteKey(path);
    keyWrapper_.SetAsFloat(value);
}

void TrsStorage::WriteCurrency(std::string_view path, TCurrency value)
{
    WriteKey(path);
    keyWrapper_.SetAsCurrency(value);
}

void TrsStorage::WriteDateTime(std::string_view path, double value)
{
    WriteKey(path);
    keyWrapper_.SetAsDateTime(value);
}

void TrsStorage::WriteBoolean(std::string_view path, bool value)
{
    WriteKey(path);
    keyWrapper_.SetAsBoolean(value);
}

void TrsStorage::WritePoint(std::string_view path, TPoint value)
{
    WriteKey(path);
    keyWrapper_.SetAsPoint(value);
}

void TrsStorage::WritePointer(std::string_view path, void* value)
{
    WriteKey(path);
    keyWrapper_.SetAsPointer(value);
}

void TrsStorage::WriteBuffer(std::string_view path, const void* source, int size)
{
    WriteKey(path);
    keyWrapper_.SetAsBuffer(source, size);
}

void TrsStorage::WriteStream(std::string_view path, std::istream& stream)
{
    WriteKey(path);
    keyWrapper_.SetAsStream(stream);
}

void TrsStorage::WriteArray(std::string_view path, const Variant& array)
{
    WriteKey(path);
    keyWrapper_.SetAsArray(array);
}

void TrsStorage::WriteComponent(std::string_view path, const TrsPersistentObject& component)
{
    WriteKey(path);
    keyWrapper_.SetComponentProps(component);
}

void TrsStorage::WritePersistent(std::string_view path, const TrsPersistentObject& object)
{
    WriteKey(path);
    keyWrapper_.SetPersistentProps(object);
}

// The section of a list is resolved like a key's section, for reading as
// for writing, so that a list written relative to the current section is
// read back from there.
bool TrsStorage::ReadStrings(std::string_view path, std::vector<std::string>& lines)
{
    lines.clear();
    const KeyPath parts = SplitKeyPath(path);
    const int section = parts.hasSeparator ? SectionOfKeyPath(parts.section, parts.absolute, false)
                                           : currentIndex_;
    if (section == NotFound)
        return false;
    const std::string prefix
        = Concat({ "\\", SectionFullName(section), "\\", parts.name, ".Item" });
    for (int i = 0;; ++i) {
        const int index = KeyFindAddItem(prefix + std::to_string(i), false);
        if (index < 0)
            break;
        lines.push_back(keyWrapper_.GetAsString());
    }
    return !lines.empty();
}

void TrsStorage::WriteStrings(std::string_view path, const std::vector<std::string>& lines)
{
    const KeyPath parts = SplitKeyPath(path);
    const int section = parts.hasSeparator ? SectionOfKeyPath(parts.section, parts.absolute, true)
                                           : currentIndex_;
    const int sectionId = section < 0 ? 0 : sections_[section].Id;
    const std::string itemPrefix = std::string(parts.name) + ".Item";
    int first = 0, count = 0;
    KeyFindRange(sectionId, first, count);
    for (int i = first + count - 1; i >= first; --i) {
        const std::string& name = keys_[i].Name;
        const bool isList = SameText(name, parts.name);
        const bool staleItem = StartsWithText(name, itemPrefix)
            && ItemNumberOf(std::string_view(name).substr(itemPrefix.size()))
                >= static_cast<int>(lines.size());
        if (isList || staleItem)
            RemoveKeys(i, 1);
    }
    const std::string prefix
        = Concat({ "\\", SectionFullName(SectionIndexOfId(sectionId)), "\\", itemPrefix });
    for (std::size_t i = 0; i < lines.size(); ++i)
        WriteString(prefix + std::to_string(i), lines[i]);
}
