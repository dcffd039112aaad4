#include "settings/rsKeyTree.h"

#include "settings/TextForms.h"
#include "settings/rsKeyPath.h"
#include "settings/rsSectionStream.h"

#include <algorithm>
#include <sstream>
#include <unordered_set>

using rsKeyPath::IsSeparator;
using rsKeyPath::NextName;
using rsKeyPath::StartsAtRoot;

namespace {

// Capacity after growing to hold needed records: by 8 up to 16, by 16 up
// to 64, by a quarter beyond, or the needed amount when that is more.
int GrownCapacity(int capacity, int needed)
{
    if (needed <= capacity)
        return capacity;
    const int step = capacity <= 16 ? 8 : capacity <= 64 ? 16 : capacity / 4;
    return std::max(capacity + step, needed);
}

// Each removal halves the spare room; an empty array is freed.
template <typename Record>
void ShrinkAfterRemoval(std::vector<Record>& records, int& capacity, int removed)
{
    const int size = static_cast<int>(records.size());
    for (int i = 0; i < removed && capacity > size; ++i)
        capacity = size + (capacity - size) / 2;
    if (size == 0) {
        capacity = 0;
        std::vector<Record>().swap(records);
    } else if (static_cast<int>(records.capacity()) > 2 * capacity) {
        // The vector is reallocated only once it holds twice the room kept,
        // so that removing keys one by one stays linear.
        std::vector<Record> smaller;
        smaller.reserve(capacity);
        std::move(records.begin(), records.end(), std::back_inserter(smaller));
        records.swap(smaller);
    }
}

template <typename Record> void EnsureRoom(std::vector<Record>& records, int& capacity, int needed)
{
    capacity = GrownCapacity(capacity, needed);
    if (static_cast<int>(records.capacity()) < capacity)
        records.reserve(capacity);
}

} // namespace

TrsKeyTree::TrsKeyTree() : keyWrapper_(this), sectionWrapper_(this) { }

TrsKeyTree::~TrsKeyTree()
{
    for (TrsStorageClient* client : clients_.Clients())
        client->storage_ = nullptr;
}

void TrsKeyTree::Notify(TrsClientNotification kind, const std::string& name)
{
    if (notifying_)
        clients_.Notify(kind, name);
}

// --- Sections -------------------------------------------------------------

int TrsKeyTree::FindChild(int parentId, std::string_view name) const
{
    auto position = std::lower_bound(
        sections_.begin(), sections_.end(), 0, [&](const TrsSectionRecord& record, int) {
            if (record.ParentId != parentId)
                return record.ParentId < parentId;
            return CompareText(record.Name, name) < 0;
        });
    const int index = static_cast<int>(position - sections_.begin());
    if (position != sections_.end() && position->ParentId == parentId
        && CompareText(position->Name, name) == 0)
        return index;
    return -index - 1;
}

int TrsKeyTree::InsertSection(int parentId, std::string_view name)
{
    const int found = FindChild(parentId, name);
    if (found >= 0)
        return found;
    const int position = -found - 1;
    EnsureRoom(sections_, sectionCapacity_, SectionItemCount() + 1);
    sections_.insert(
        sections_.begin() + position, TrsSectionRecord { std::string(name), nextId_++, parentId });
    if (currentIndex_ >= position)
        ++currentIndex_;
    if (parentId == currentId_)
        ++childCount_;
    else if (parentId < currentId_)
        ++childFirst_;
    if (cachedPathIndex_ >= position)
        ++cachedPathIndex_;
    return position;
}

int TrsKeyTree::SectionFind(std::string_view path, bool create, int start)
{
    int index = start;
    std::size_t pos = 0;
    for (;;) {
        const std::string_view name = NextName(path, pos);
        if (name.empty())
            return index;
        const int parentId = IdAt(index);
        int child = FindChild(parentId, name);
        if (child < 0) {
            if (!create)
                return NotFound;
            child = InsertSection(parentId, name);
        }
        index = child;
    }
}

int TrsKeyTree::StartOf(std::string_view path) const
{
    return StartsAtRoot(path) ? -1 : currentIndex_;
}

int TrsKeyTree::SectionIndexOfId(int id) const
{
    if (id == 0)
        return -1;
    if (currentId_ == id && currentIndex_ >= 0)
        return currentIndex_;
    for (int i = 0; i < SectionItemCount(); ++i)
        if (sections_[i].Id == id)
            return i;
    return NotFound;
}

void TrsKeyTree::RefreshCurrentRuns()
{
    currentIndex_ = -1;
    if (currentId_ != 0) {
        for (int i = 0; i < SectionItemCount(); ++i)
            if (sections_[i].Id == currentId_)
                currentIndex_ = i;
        if (currentIndex_ < 0)
            currentId_ = 0;
    }
    auto children = std::equal_range(
        sections_.begin(), sections_.end(), currentId_, [](const auto& a, const auto& b) {
            if constexpr (std::is_same_v<std::decay_t<decltype(a)>, int>)
                return a < b.ParentId;
            else
                return a.ParentId < b;
        });
    childFirst_ = static_cast<int>(children.first - sections_.begin());
    childCount_ = static_cast<int>(children.second - children.first);
    KeyFindRange(currentId_, keyFirst_, keyCount_);
}

void TrsKeyTree::MakeCurrent(int index)
{
    currentIndex_ = index;
    currentId_ = IdAt(index);
    RefreshCurrentRuns();
    cachedPath_.clear();
    cachedPathIndex_ = NotFound;
}

void TrsKeyTree::ReturnToRoot()
{
    rootSection_.clear();
    MakeCurrent(-1);
}

void TrsKeyTree::SetRootSection(std::string_view path)
{
    const int index = SectionFind(path, true, -1);
    rootSection_ = path;
    MakeCurrent(index);
    Notify(scnRootSectionChanged, rootSection_);
}

bool TrsKeyTree::ChangeDownRootSection(std::string_view name)
{
    const int index = SectionFind(name, false, currentIndex_);
    if (index == NotFound)
        return false;
    rootSection_
        = rootSection_.empty() ? std::string(name) : rootSection_ + "\\" + std::string(name);
    MakeCurrent(index);
    return true;
}

bool TrsKeyTree::ChangeUpRootSection()
{
    if (currentIndex_ < 0)
        return false;
    const int parent = SectionIndexOfId(sections_[currentIndex_].ParentId);
    while (!rootSection_.empty() && IsSeparator(rootSection_.back()))
        rootSection_.pop_back();
    const std::size_t last = rootSection_.find_last_of("\\/");
    rootSection_ = last == std::string::npos ? std::string() : rootSection_.substr(0, last);
    MakeCurrent(parent);
    return true;
}

bool TrsKeyTree::SectionAdd(std::string_view path)
{
    const int index = SectionFind(path, true, StartOf(path));
    Notify(scnSectionAdd, SectionFullName(index));
    return index >= 0;
}

bool TrsKeyTree::SectionExist(std::string_view path)
{
    return SectionFind(path, false, StartOf(path)) != NotFound;
}

void TrsKeyTree::RemoveKeys(int first, int count)
{
    if (count <= 0)
        return;
    for (int i = first; i < first + count; ++i)
        KeyOnDeletion(i);
    keys_.erase(keys_.begin() + first, keys_.begin() + first + count);
    ShrinkAfterRemoval(keys_, keyCapacity_, count);
    const int wrapped = keyWrapper_.KeyIndex();
    if (wrapped >= first + count)
        keyWrapper_.SetKeyIndex(wrapped - count);
    else if (wrapped >= first)
        keyWrapper_.SetKeyIndex(-1);
    cachedKeyIndex_ = -1;
    RefreshCurrentRuns();
}

void TrsKeyTree::RemoveSections(const std::vector<int>& ids)
{
    const std::unordered_set<int> removed(ids.begin(), ids.end());
    for (int i = KeyItemCount() - 1; i >= 0; --i) {
        if (!removed.count(keys_[i].SectionId))
            continue;
        int first = i;
        while (first > 0 && keys_[first - 1].SectionId == keys_[i].SectionId)
            --first;
        RemoveKeys(first, i - first + 1);
        i = first;
    }
    const std::size_t before = sections_.size();
    std::erase_if(
        sections_, [&](const TrsSectionRecord& record) { return removed.count(record.Id) > 0; });
    ShrinkAfterRemoval(sections_, sectionCapacity_, static_cast<int>(before - sections_.size()));
    cachedPathIndex_ = NotFound;
    cachedPath_.clear();
    if (removed.count(currentId_) || sections_.empty()) {
        currentId_ = 0;
        rootSection_.clear();
    }
    RefreshCurrentRuns();
}

void TrsKeyTree::RemoveSectionContents(int sectionId, bool removeSelf)
{
    // A child always lies after its parent, so one pass in array order
    // collects the whole subtree.
    std::unordered_set<int> subtree { sectionId };
    std::vector<int> ids;
    for (const TrsSectionRecord& record : sections_) {
        if (subtree.count(record.ParentId)) {
            subtree.insert(record.Id);
            ids.push_back(record.Id);
        }
    }
    if (removeSelf)
        ids.push_back(sectionId);
    RemoveSections(ids);
    int first = 0, count = 0;
    KeyFindRange(sectionId, first, count);
    RemoveKeys(first, count);
}

void TrsKeyTree::SectionDelete(std::string_view path)
{
    const int index = SectionFind(path, false, StartOf(path));
    if (index == NotFound)
        return;
    const std::string fullName = SectionFullName(index);
    RemoveSectionContents(IdAt(index), index >= 0);
    Notify(scnSectionDelete, fullName);
}

void TrsKeyTree::SectionClear(std::string_view path)
{
    const int index = SectionFind(path, false, StartOf(path));
    if (index != NotFound)
        RemoveSectionContents(IdAt(index), false);
}

void TrsKeyTree::Clear()
{
    {
        NotificationsOff off(*this);
        RemoveSectionContents(currentId_, false);
    }
    Notify(scnSectionClear, SectionFullName(currentIndex_));
}

void TrsKeyTree::ClearAll()
{
    {
        StateFlag flag(state_, ssClearing);
        NotificationsOff off(*this);
        RemoveKeys(0, KeyItemCount());
        std::vector<TrsSectionRecord>().swap(sections_);
        sectionCapacity_ = 0;
        currentId_ = 0;
        rootSection_.clear();
        cachedPathIndex_ = NotFound;
        cachedPath_.clear();
        RefreshCurrentRuns();
    }
    Notify(scnClear, "");
}

void TrsKeyTree::SectionRename(std::string_view oldPath, std::string_view newPath)
{
    const int oldIndex = SectionFind(oldPath, false, StartOf(oldPath));
    if (oldIndex < 0)
        return;
    // A new path inside the old section would be deleted with it.
    std::size_t pos = 0;
    int index = StartOf(newPath);
    for (;;) {
        if (index == oldIndex)
            return;
        const std::string_view name = NextName(newPath, pos);
        if (name.empty() || index == NotFound)
            break;
        index = FindChild(IdAt(index), name);
        index = index < 0 ? NotFound : index;
    }
    NotificationsOff off(*this);
    std::stringstream contents;
    SectionSaveToStream(Concat({ "\\", SectionFullName(oldIndex) }), contents);
    const int oldId = sections_[oldIndex].Id;
    const std::string target
        = StartOf(newPath) == -1 ? std::string(newPath) : PathIn(currentIndex_, newPath);
    SectionLoadFromStream(target, contents);
    if (SectionIndexOfId(oldId) != NotFound)
        RemoveSectionContents(oldId, true);
}

void TrsKeyTree::SectionSaveToStream(std::string_view path, std::ostream& stream)
{
    TrsSectionStream(*this).Save(path, stream);
}

void TrsKeyTree::SectionLoadFromStream(std::string_view path, std::istream& stream)
{
    TrsSectionStream(*this).Load(path, stream);
}

std::vector<std::string> TrsKeyTree::SectionList() const
{
    std::vector<std::string> names;
    for (int i = childFirst_; i < childFirst_ + childCount_; ++i)
        names.push_back(sections_[i].Name);
    return names;
}

std::string TrsKeyTree::SectionName() const
{
    return currentIndex_ < 0 ? std::string() : sections_[currentIndex_].Name;
}

std::string TrsKeyTree::SectionFullName(int index) const
{
    std::string fullName;
    while (index >= 0) {
        fullName
            = fullName.empty() ? sections_[index].Name : sections_[index].Name + "\\" + fullName;
        index = SectionIndexOfId(sections_[index].ParentId);
    }
    return fullName;
}

std::string TrsKeyTree::PathIn(int sectionIndex, std::string_view name) const
{
    return Concat({ "\\", SectionFullName(sectionIndex), "\\", name });
}

int TrsKeyTree::SectionLevel(int index) const
{
    int level = 0;
    for (; index >= 0; index = SectionIndexOfId(sections_[index].ParentId))
        ++level;
    return level;
}

int TrsKeyTree::MoveSectionCursor(int index)
{
    sectionCursor_ = index;
    sectionWrapper_.SetSectionIndex(index);
    return index;
}

int TrsKeyTree::SectionFirst()
{
    return MoveSectionCursor(sections_.empty() ? -1 : 0);
}

int TrsKeyTree::SectionNext()
{
    return MoveSectionCursor(
        sectionCursor_ >= 0 && sectionCursor_ + 1 < SectionItemCount() ? sectionCursor_ + 1 : -1);
}

int TrsKeyTree::SectionPrior()
{
    return MoveSectionCursor(sectionCursor_ > 0 ? sectionCursor_ - 1 : -1);
}

int TrsKeyTree::SectionLast()
{
    return MoveSectionCursor(SectionItemCount() - 1);
}

void TrsKeyTree::SectionListGrow(int count)
{
    EnsureRoom(sections_, sectionCapacity_, SectionItemCount() + count);
}

void TrsKeyTree::KeyListGrow(int count)
{
    EnsureRoom(keys_, keyCapacity_, KeyItemCount() + count);
}

// --- Keys -----------------------------------------------------------------

void TrsKeyTree::KeyFindRange(int sectionId, int& first, int& count) const
{
    auto begin = std::lower_bound(keys_.begin(), keys_.end(), sectionId,
        [](const TrsKeyRecord& key, int id) { return key.SectionId < id; });
    auto end = std::upper_bound(begin, keys_.end(), sectionId,
        [](int id, const TrsKeyRecord& key) { return id < key.SectionId; });
    first = static_cast<int>(begin - keys_.begin());
    count = static_cast<int>(end - begin);
}

int TrsKeyTree::SectionOfKeyPath(std::string_view sectionPart, bool absolute, bool create)
{
    if (sectionPart.empty())
        return absolute ? -1 : currentIndex_;
    if (cachedPathIndex_ != NotFound && SameText(sectionPart, cachedPath_)
        && IdAt(cachedPathIndex_) == cachedPathId_)
        return cachedPathIndex_;
    const int index = SectionFind(sectionPart, create, absolute ? -1 : currentIndex_);
    if (index == NotFound)
        return NotFound;
    cachedPath_ = sectionPart;
    cachedPathIndex_ = index;
    cachedPathId_ = IdAt(index);
    return index;
}

int TrsKeyTree::SectionOfKey(const rsKeyPath::Parts& parts, bool create)
{
    return parts.hasSeparator ? SectionOfKeyPath(parts.section, parts.absolute, create)
                              : currentIndex_;
}

int TrsKeyTree::InsertKey(int position, int sectionId, std::string_view name)
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

int TrsKeyTree::KeyFindAddItem(std::string_view path, bool create)
{
    const rsKeyPath::Parts parts = rsKeyPath::Split(path);
    const int section = SectionOfKey(parts, create);
    if (section == NotFound)
        return -1;
    const int sectionId = IdAt(section);
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

int TrsKeyTree::KeyPosition(int first, int count, std::string_view name) const
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

int TrsKeyTree::FindOrAddKey(int sectionId, std::string_view name)
{
    int first = 0, count = 0;
    KeyFindRange(sectionId, first, count);
    const int index = KeyPosition(first, count, name);
    if (index < first + count && CompareText(keys_[index].Name, name) == 0)
        return index;
    return InsertKey(index, sectionId, name);
}

void TrsKeyTree::KeyOnAdd(int index)
{
    keyWrapper_.SetKeyIndex(index);
    Notify(scnKeyAdd, keys_[index].Name);
    if (OnKeyAdd)
        OnKeyAdd(this, keys_[index].Name);
}

void TrsKeyTree::KeyOnDeletion(int index)
{
    keyWrapper_.SetKeyIndex(index);
    Notify(scnKeyDelete, keys_[index].Name);
    if (OnKeyDeletion)
        OnKeyDeletion(this, keys_[index].Name);
}

bool TrsKeyTree::KeyExist(std::string_view path)
{
    return KeyFindAddItem(path, false) >= 0;
}

void TrsKeyTree::KeyDelete(std::string_view path)
{
    const int index = KeyFindAddItem(path, false);
    if (index >= 0)
        RemoveKeys(index, 1);
}

void TrsKeyTree::KeyRename(std::string_view oldPath, std::string_view newPath)
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
        keys_[newIndex].Name = rsKeyPath::Split(newPath).name;
        return;
    }
    keys_[newIndex].Value = value;
    RemoveKeys(oldIndex, 1);
}

std::vector<std::string> TrsKeyTree::KeyList() const
{
    std::vector<std::string> names;
    for (int i = keyFirst_; i < keyFirst_ + keyCount_; ++i)
        names.push_back(keys_[i].Name);
    return names;
}

std::string TrsKeyTree::KeyFullName(int index) const
{
    return PathIn(SectionIndexOfId(keys_[index].SectionId), keys_[index].Name);
}

int TrsKeyTree::GetKeyType(std::string_view path)
{
    const int index = KeyFindAddItem(path, false);
    return index < 0 ? -1 : keys_[index].Value.Type;
}

void TrsKeyTree::SetKeyType(std::string_view path, int type)
{
    const int index = KeyFindAddItem(path, false);
    if (index >= 0)
        keys_[index].Value.Type = static_cast<uint16_t>(type);
}

int TrsKeyTree::GetKeyOptions(std::string_view path)
{
    const int index = KeyFindAddItem(path, false);
    return index < 0 ? 0 : keys_[index].Value.Options;
}

void TrsKeyTree::SetKeyOptions(std::string_view path, int options)
{
    const int index = KeyFindAddItem(path, false);
    if (index >= 0)
        keys_[index].Value.Options = static_cast<uint16_t>(options);
}

// Without a root section the walk covers every key of the tree, otherwise
// only those of the current section.
int TrsKeyTree::WalkFirst() const
{
    return rootSection_.empty() ? 0 : keyFirst_;
}

int TrsKeyTree::WalkEnd() const
{
    return rootSection_.empty() ? KeyItemCount() : keyFirst_ + keyCount_;
}

int TrsKeyTree::MoveKeyCursor(int index)
{
    keyCursor_ = index;
    keyWrapper_.SetKeyIndex(index);
    return index;
}

int TrsKeyTree::KeyFirst()
{
    return MoveKeyCursor(WalkEnd() > WalkFirst() ? WalkFirst() : -1);
}

int TrsKeyTree::KeyNext()
{
    return MoveKeyCursor(keyCursor_ >= 0 && keyCursor_ + 1 < WalkEnd() ? keyCursor_ + 1 : -1);
}

int TrsKeyTree::KeyPrior()
{
    return MoveKeyCursor(keyCursor_ > WalkFirst() ? keyCursor_ - 1 : -1);
}

int TrsKeyTree::KeyLast()
{
    return MoveKeyCursor(WalkEnd() > WalkFirst() ? WalkEnd() - 1 : -1);
}
