#include "settings/rsStorage.h"

#include "settings/TextForms.h"

#include <algorithm>
#include <unordered_set>

namespace {

constexpr int NotFound = -2;

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

std::size_t LastSeparator(std::string_view path)
{
    return path.find_last_of("\\/");
}

// The next name between separators at or after pos; empty at the end.
std::string_view NextName(std::string_view path, std::size_t& pos)
{
    while (pos < path.size() && IsSeparator(path[pos]))
        ++pos;
    const std::size_t start = pos;
    while (pos < path.size() && !IsSeparator(path[pos]))
        ++pos;
    return path.substr(start, pos - start);
}

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

struct StateFlag {
    unsigned& state;
    unsigned flag;
    StateFlag(unsigned& s, unsigned f) : state(s), flag(f) { state |= flag; }
    ~StateFlag() { state &= ~flag; }
};

struct NotificationsOff {
    bool& notifying;
    bool previous;
    explicit NotificationsOff(bool& n) : notifying(n), previous(n) { notifying = false; }
    ~NotificationsOff() { notifying = previous; }
};

} // namespace

TrsStorageClient::~TrsStorageClient()
{
    if (storage_)
        storage_->clients_.Remove(this);
}

void TrsStorageClient::SetStorage(TrsStorage* storage)
{
    if (storage_ == storage)
        return;
    if (storage_)
        storage_->clients_.Remove(this);
    storage_ = storage;
    if (storage_)
        storage_->clients_.Add(this);
}

void TrsStorageClient::rsNotification(TrsClientNotification, const std::string&) { }

void TrsClientList::Add(TrsStorageClient* client)
{
    clients_.push_back(client);
    for (int kind = scnNone; kind <= scnKeyValueModify; ++kind)
        if (client->Subscriptions & (1u << kind))
            subscribers_[kind].push_back(client);
}

void TrsClientList::Remove(TrsStorageClient* client)
{
    std::erase(clients_, client);
    for (auto& subscribers : subscribers_)
        std::erase(subscribers, client);
}

void TrsClientList::Notify(TrsClientNotification kind, const std::string& name) const
{
    const std::vector<TrsStorageClient*> receivers = subscribers_[kind];
    for (TrsStorageClient* client : receivers)
        if (client->Active())
            client->rsNotification(kind, name);
}

TrsStorage::TrsStorage() : keyWrapper_(this), sectionWrapper_(this) { }

TrsStorage::~TrsStorage()
{
    destroying_ = true;
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; callers who need the error close first.
    }
    ClearAll();
    for (TrsStorageClient* client : clients_.Clients())
        client->storage_ = nullptr;
    const std::vector<TrsStorageData*> listedBy = listedBy_;
    for (TrsStorageData* storageData : listedBy)
        storageData->Forget(this);
    if (encryptor_)
        std::erase(encryptor_->storages_, this);
}

void TrsStorage::SetActive(bool value)
{
    if (value)
        Open();
    else
        Close();
}

void TrsStorage::Open()
{
    if (active_)
        return;
    if (reading_)
        loadPutOff_ = true;
    else
        Load();
    active_ = true;
}

void TrsStorage::Loaded()
{
    reading_ = false;
    if (!loadPutOff_)
        return;
    loadPutOff_ = false;
    try {
        Load();
    } catch (...) {
        // A tree that failed to load must not be saved over the file.
        active_ = false;
        throw;
    }
}

void TrsStorage::Close()
{
    if (!active_)
        return;
    if (Options & soSaveOnClose)
        Save();
    active_ = false;
    keyWrapper_.ReleaseTemporaryStream();
}

void TrsStorage::SetEncryptor(TrsEncryptor* encryptor)
{
    if (encryptor_ == encryptor)
        return;
    if (encryptor_)
        std::erase(encryptor_->storages_, this);
    encryptor_ = encryptor;
    if (encryptor_)
        encryptor_->storages_.push_back(this);
}

void TrsStorage::SetStorageData(TrsStorageData* storageData)
{
    if (storageData_ == storageData)
        return;
    if (storageData_)
        storageData_->Forget(this);
    storageData_ = storageData;
    if (storageData_)
        storageData_->SetStorage(this);
}

void TrsStorage::ForgetStorageData(TrsStorageData* storageData)
{
    std::erase(listedBy_, storageData);
    if (storageData_ != storageData)
        return;
    if (destroying_ && active_) {
        try {
            Close();
        } catch (...) {
        }
    }
    storageData_ = nullptr;
}

void TrsStorage::ForgetEncryptor()
{
    encryptor_ = nullptr;
}

void TrsStorage::Notify(TrsClientNotification kind, const std::string& name)
{
    if (notifying_)
        clients_.Notify(kind, name);
}

// --- Sections -------------------------------------------------------------

int TrsStorage::FindChild(int parentId, std::string_view name) const
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

int TrsStorage::InsertSection(int parentId, std::string_view name)
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

int TrsStorage::SectionFind(std::string_view path, bool create, int start)
{
    int index = start;
    std::size_t pos = 0;
    for (;;) {
        const std::string_view name = NextName(path, pos);
        if (name.empty())
            return index;
        const int parentId = index < 0 ? 0 : sections_[index].Id;
        int child = FindChild(parentId, name);
        if (child < 0) {
            if (!create)
                return NotFound;
            child = InsertSection(parentId, name);
        }
        index = child;
    }
}

int TrsStorage::StartOf(std::string_view path) const
{
    return !path.empty() && IsSeparator(path[0]) ? -1 : currentIndex_;
}

int TrsStorage::SectionIndexOfId(int id) const
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

void TrsStorage::RefreshCurrentRuns()
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

void TrsStorage::MakeCurrent(int index)
{
    currentIndex_ = index;
    currentId_ = index < 0 ? 0 : sections_[index].Id;
    RefreshCurrentRuns();
    cachedPath_.clear();
    cachedPathIndex_ = NotFound;
}

void TrsStorage::SetRootSection(std::string_view path)
{
    const int index = SectionFind(path, true, -1);
    rootSection_ = path;
    MakeCurrent(index);
    Notify(scnRootSectionChanged, rootSection_);
}

bool TrsStorage::ChangeDownRootSection(std::string_view name)
{
    const int index = SectionFind(name, false, currentIndex_);
    if (index == NotFound)
        return false;
    rootSection_
        = rootSection_.empty() ? std::string(name) : rootSection_ + "\\" + std::string(name);
    MakeCurrent(index);
    return true;
}

bool TrsStorage::ChangeUpRootSection()
{
    if (currentIndex_ < 0)
        return false;
    const int parent = SectionIndexOfId(sections_[currentIndex_].ParentId);
    while (!rootSection_.empty() && IsSeparator(rootSection_.back()))
        rootSection_.pop_back();
    const std::size_t last = LastSeparator(rootSection_);
    rootSection_ = last == std::string::npos ? std::string() : rootSection_.substr(0, last);
    MakeCurrent(parent);
    return true;
}

bool TrsStorage::SectionAdd(std::string_view path)
{
    const int index = SectionFind(path, true, StartOf(path));
    Notify(scnSectionAdd, SectionFullName(index));
    return index >= 0;
}

bool TrsStorage::SectionExist(std::string_view path)
{
    return SectionFind(path, false, StartOf(path)) != NotFound;
}

void TrsStorage::RemoveKeys(int first, int count)
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

void TrsStorage::RemoveSections(const std::vector<int>& ids)
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

void TrsStorage::RemoveSectionContents(int sectionId, bool removeSelf)
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

void TrsStorage::SectionDelete(std::string_view path)
{
    const int index = SectionFind(path, false, StartOf(path));
    if (index == NotFound)
        return;
    const std::string fullName = SectionFullName(index);
    RemoveSectionContents(index < 0 ? 0 : sections_[index].Id, index >= 0);
    Notify(scnSectionDelete, fullName);
}

void TrsStorage::SectionClear(std::string_view path)
{
    const int index = SectionFind(path, false, StartOf(path));
    if (index != NotFound)
        RemoveSectionContents(index < 0 ? 0 : sections_[index].Id, false);
}

void TrsStorage::Clear()
{
    {
        NotificationsOff off(notifying_);
        RemoveSectionContents(currentId_, false);
    }
    Notify(scnSectionClear, SectionFullName(currentIndex_));
}

void TrsStorage::ClearAll()
{
    {
        StateFlag flag(state_, ssClearing);
        NotificationsOff off(notifying_);
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

void TrsStorage::SectionRename(std::string_view oldPath, std::string_view newPath)
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
        index = FindChild(index < 0 ? 0 : sections_[index].Id, name);
        index = index < 0 ? NotFound : index;
    }
    NotificationsOff off(notifying_);
    std::stringstream contents;
    const std::string oldFullName = Concat({ "\\", SectionFullName(oldIndex) });
    SectionSaveToStream(oldFullName, contents);
    const int oldId = sections_[oldIndex].Id;
    const std::string target = StartOf(newPath) == -1
        ? std::string(newPath)
        : Concat({ "\\", SectionFullName(currentIndex_), "\\", newPath });
    SectionLoadFromStream(target, contents);
    if (SectionIndexOfId(oldId) != NotFound)
        RemoveSectionContents(oldId, true);
}

std::vector<std::string> TrsStorage::SectionList() const
{
    std::vector<std::string> names;
    for (int i = childFirst_; i < childFirst_ + childCount_; ++i)
        names.push_back(sections_[i].Name);
    return names;
}

int TrsStorage::SectionCount() const
{
    return childCount_;
}

std::string TrsStorage::SectionName() const
{
    return currentIndex_ < 0 ? std::string() : sections_[currentIndex_].Name;
}

std::string TrsStorage::SectionFullName(int index) const
{
    std::string fullName;
    while (index >= 0) {
        fullName
            = fullName.empty() ? sections_[index].Name : sections_[index].Name + "\\" + fullName;
        index = SectionIndexOfId(sections_[index].ParentId);
    }
    return fullName;
}

int TrsStorage::SectionLevel(int index) const
{
    int level = 0;
    for (; index >= 0; index = SectionIndexOfId(sections_[index].ParentId))
        ++level;
    return level;
}

int TrsStorage::SectionFirst()
{
    sectionCursor_ = sections_.empty() ? -1 : 0;
    sectionWrapper_.SetSectionIndex(sectionCursor_);
    return sectionCursor_;
}

int TrsStorage::SectionNext()
{
    sectionCursor_
        = sectionCursor_ >= 0 && sectionCursor_ + 1 < SectionItemCount() ? sectionCursor_ + 1 : -1;
    sectionWrapper_.SetSectionIndex(sectionCursor_);
    return sectionCursor_;
}

int TrsStorage::SectionPrior()
{
    sectionCursor_ = sectionCursor_ > 0 ? sectionCursor_ - 1 : -1;
    sectionWrapper_.SetSectionIndex(sectionCursor_);
    return sectionCursor_;
}

int TrsStorage::SectionLast()
{
    sectionCursor_ = SectionItemCount() - 1;
    sectionWrapper_.SetSectionIndex(sectionCursor_);
    return sectionCursor_;
}

void TrsStorage::SectionListGrow(int count)
{
    EnsureRoom(sections_, sectionCapacity_, SectionItemCount() + count);
}

void TrsStorage::KeyListGrow(int count)
{
    EnsureRoom(keys_, keyCapacity_, KeyItemCount() + count);
}
