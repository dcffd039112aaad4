// The key tree of a storage: named sections holding named keys with typed
// values, kept in two sorted arrays, with the current section that relative
// paths start from, and the clients told of each change.
#pragma once

#include "settings/rsKeyWrapper.h"
#include "settings/rsStorageClient.h"
#include "settings/rsValue.h"

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace rsKeyPath {
struct Parts;
}

struct TrsKeyRecord {
    std::string Name;
    int SectionId = 0;
    TrsValue Value;
};

struct TrsSectionRecord {
    std::string Name;
    int Id = 0;
    int ParentId = 0;
};

enum TrsStorageState : unsigned {
    ssClearing = 1,
    ssLoading = 2,
    ssMerging = 4,
    ssSaving = 8,
    ssSavingChanges = 16
};

class TrsKeyTree : public TrsComponent {
public:
    TrsKeyTree();
    ~TrsKeyTree() override;

    const std::string& RootSection() const { return rootSection_; }
    void SetRootSection(std::string_view path);
    unsigned State() const { return state_; }

    TrsStorageKeyEvent OnKeyAdd;
    TrsStorageKeyEvent OnKeyDeletion;

    // Sections; a path is relative to the current section unless it begins
    // with a separator ("\" or "/").
    bool ChangeDownRootSection(std::string_view name);
    bool ChangeUpRootSection();
    bool SectionAdd(std::string_view path);
    bool SectionExist(std::string_view path);
    void SectionDelete(std::string_view path);
    void SectionClear(std::string_view path);
    void Clear();
    void ClearAll();
    void SectionRename(std::string_view oldPath, std::string_view newPath);
    std::vector<std::string> SectionList() const;
    int SectionCount() const { return childCount_; }
    std::string SectionName() const;
    int SectionCurrentId() const { return currentId_; }
    std::string SectionFullName(int index) const;
    int SectionLevel(int index) const;
    int SectionFirst();
    int SectionNext();
    int SectionPrior();
    int SectionLast();
    TrsSectionWrapper& Section() { return sectionWrapper_; }
    void SectionSaveToStream(std::string_view path, std::ostream& stream);
    void SectionLoadFromStream(std::string_view path, std::istream& stream);

    // Keys, by key path: the part after the last separator is the key name.
    int KeyFindAddItem(std::string_view path, bool create);
    bool KeyExist(std::string_view path);
    void KeyDelete(std::string_view path);
    void KeyRename(std::string_view oldPath, std::string_view newPath);
    std::vector<std::string> KeyList() const;
    int KeyCount() const { return keyCount_; }
    int GetKeyType(std::string_view path);
    void SetKeyType(std::string_view path, int type);
    int GetKeyOptions(std::string_view path);
    void SetKeyOptions(std::string_view path, int options);
    int KeyFirst();
    int KeyNext();
    int KeyPrior();
    int KeyLast();
    // The tree's own wrapper: it follows every key found or walked.
    TrsKeyWrapper& Key() { return keyWrapper_; }
    std::string KeyFullName(int index) const;

    // Direct record access in array order, for back-ends.
    int SectionItemCount() const { return static_cast<int>(sections_.size()); }
    int KeyItemCount() const { return static_cast<int>(keys_.size()); }
    const TrsSectionRecord& GetSectionItem(int index) const { return sections_[index]; }
    TrsKeyRecord& GetKeyItem(int index) { return keys_[index]; }
    const TrsKeyRecord& GetKeyItem(int index) const { return keys_[index]; }
    // The keys of one section: first index and count.
    void KeyFindRange(int sectionId, int& first, int& count) const;
    int SectionIndexOfId(int id) const;
    // Reserves room for that many more records.
    void SectionListGrow(int count);
    void KeyListGrow(int count);
    int SectionListCapacity() const { return sectionCapacity_; }
    int KeyListCapacity() const { return keyCapacity_; }

protected:
    // What a section search returns for a path that names no section; -1
    // stands for the root.
    static constexpr int NotFound = -2;

    // Sets a state flag for the life of the guard.
    class StateFlag {
    public:
        StateFlag(unsigned& state, unsigned flag) : state_(state), flag_(flag) { state_ |= flag_; }
        ~StateFlag() { state_ &= ~flag_; }

    private:
        unsigned& state_;
        unsigned flag_;
    };

    // Holds the clients' notifications back for the life of the guard.
    class NotificationsOff {
    public:
        explicit NotificationsOff(TrsKeyTree& tree)
            : notifying_(tree.notifying_), previous_(notifying_)
        {
            notifying_ = false;
        }
        ~NotificationsOff() { notifying_ = previous_; }

    private:
        bool& notifying_;
        bool previous_;
    };

    virtual void KeyOnAdd(int index);
    virtual void KeyOnDeletion(int index);
    void Notify(TrsClientNotification kind, const std::string& name);
    // Makes the root the current section, with no root section path.
    void ReturnToRoot();
    void RemoveKeys(int first, int count);
    // The section of a key path's section part; the current one when the
    // path has no separator.
    int SectionOfKey(const rsKeyPath::Parts& parts, bool create);
    // The id of the section at index; 0 for the root.
    int IdAt(int index) const { return index < 0 ? 0 : sections_[index].Id; }
    // "\Section\...\name" for a name in the section at index.
    std::string PathIn(int sectionIndex, std::string_view name) const;

    unsigned state_ = 0;

private:
    friend class TrsStorageClient;
    friend class TrsSectionStream;
    friend class TrsEncryptor;
    int StartOf(std::string_view path) const;
    int SectionFind(std::string_view path, bool create, int start);
    int FindChild(int parentId, std::string_view name) const;
    int InsertSection(int parentId, std::string_view name);
    int InsertKey(int position, int sectionId, std::string_view name);
    int SectionOfKeyPath(std::string_view sectionPart, bool absolute, bool create);
    void RemoveSectionContents(int sectionId, bool removeSelf);
    void RemoveSections(const std::vector<int>& ids);
    void RefreshCurrentRuns();
    void MakeCurrent(int index);
    int FindOrAddKey(int sectionId, std::string_view name);
    int KeyPosition(int first, int count, std::string_view name) const;
    int MoveSectionCursor(int index);
    int MoveKeyCursor(int index);
    int WalkFirst() const;
    int WalkEnd() const;

    std::vector<TrsSectionRecord> sections_;
    std::vector<TrsKeyRecord> keys_;
    int sectionCapacity_ = 0;
    int keyCapacity_ = 0;
    int nextId_ = 1;

    std::string rootSection_;
    int currentIndex_ = -1;
    int currentId_ = 0;
    int childFirst_ = 0;
    int childCount_ = 0;
    int keyFirst_ = 0;
    int keyCount_ = 0;

    std::string cachedPath_;
    int cachedPathIndex_ = NotFound;
    int cachedPathId_ = -1;
    int cachedKeyIndex_ = -1;

    int sectionCursor_ = -1;
    int keyCursor_ = -1;

    bool notifying_ = true;
    TrsClientList clients_;
    TrsKeyWrapper keyWrapper_;
    TrsSectionWrapper sectionWrapper_;
};
