// The storage tree: named sections holding named keys with typed values,
// kept in two sorted arrays, with the clients that attach to it, the hook of
// an encryptor and the protocol of the back-ends that load and save it.
#pragma once

#include "settings/rsException.h"
#include "settings/rsKeyWrapper.h"
#include "settings/rsValue.h"

#include <functional>
#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// Base of every part of the settings chain; Sender of their events.
class TrsComponent {
public:
    virtual ~TrsComponent() = default;
    std::string Name;
};

using TrsNotifyEvent = std::function<void(TrsComponent* Sender)>;
using TrsStorageKeyEvent = std::function<void(TrsComponent* Sender, const std::string& Key)>;
using TrsStorageDataProgressEvent = std::function<void(TrsComponent* Sender, int Percent)>;

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

enum TrsClientNotification {
    scnNone,
    scnClear,
    scnLoad,
    scnSectionAdd,
    scnSectionDelete,
    scnSectionModify,
    scnSectionClear,
    scnRootSectionChanged,
    scnKeyAdd,
    scnKeyDelete,
    scnKeyModify,
    scnKeyValueModify
};

class TrsStorage;

// Base of every component that attaches to a storage.
class TrsStorageClient : public TrsComponent {
public:
    TrsStorageClient() = default;
    ~TrsStorageClient() override;
    TrsStorageClient(const TrsStorageClient&) = delete;
    TrsStorageClient& operator=(const TrsStorageClient&) = delete;

    bool Active() const { return active_; }
    virtual void SetActive(bool value) { active_ = value; }
    TrsStorage* Storage() const { return storage_; }
    virtual void SetStorage(TrsStorage* storage);
    virtual void rsNotification(TrsClientNotification kind, const std::string& name);

    // The notification kinds this client receives, one bit per kind; read
    // when the client is added to a storage.
    unsigned Subscriptions = 0;

private:
    friend class TrsStorage;
    bool active_ = true;
    TrsStorage* storage_ = nullptr;
};

// The clients of one storage and, per notification kind, its subscribers.
class TrsClientList {
public:
    void Add(TrsStorageClient* client);
    void Remove(TrsStorageClient* client);
    void Notify(TrsClientNotification kind, const std::string& name) const;
    const std::vector<TrsStorageClient*>& Clients() const { return clients_; }

private:
    std::vector<TrsStorageClient*> clients_;
    std::vector<TrsStorageClient*> subscribers_[scnKeyValueModify + 1];
};

// Enciphers listed keys and sections (or every key) before a save and
// deciphers them afterwards. This base has no cipher: its buffer operations
// change nothing and report -1, so the keys stay as they are.
class TrsEncryptor : public TrsComponent {
public:
    ~TrsEncryptor() override;
    bool Active = false;
    bool EncryptAll = false;
    // Key and section paths, counted from the root.
    std::vector<std::string> EncryptKeys;

    // Return the new length, or -1 when nothing was done.
    virtual int EncryptBuffer(std::string& bytes);
    virtual int DecryptBuffer(std::string& bytes);

    void Encrypt(TrsStorage& storage);
    void Decrypt(TrsStorage& storage);
    void DoDecryptKey(TrsStorage& storage, std::string_view path);

private:
    friend class TrsStorage;
    void ForEachListedKey(TrsStorage& storage, const std::function<void(TrsValue&)>& action);
    void EncryptValue(TrsValue& value);
    void DecryptValue(TrsValue& value);
    std::vector<TrsStorage*> storages_;
};

// Base of the back-ends that fill a storage from persistent form and write
// it back. A back-end fills the tree with the storage's own operations and
// reads it through the records in array order.
class TrsStorageData : public TrsComponent {
public:
    TrsStorageData() = default;
    ~TrsStorageData() override;
    TrsStorageData(const TrsStorageData&) = delete;
    TrsStorageData& operator=(const TrsStorageData&) = delete;

    void SetStorage(TrsStorage* storage);
    TrsStorage* GetStorage() const { return current_; }
    void Load();
    void Save();

    TrsNotifyEvent OnAfterLoad;
    TrsNotifyEvent OnAfterSave;
    TrsNotifyEvent OnBeforeLoad;
    TrsNotifyEvent OnBeforeSave;
    TrsStorageDataProgressEvent OnProgress;

protected:
    virtual void DoProgress();
    virtual void InternalLoad() { }
    virtual void InternalSave() { }
    void SetProgressTotal(int total) { progressTotal_ = total; }
    // Counts one item done and reports the progress.
    void ProgressStep();

private:
    friend class TrsStorage;
    void ResetProgress();
    void Forget(TrsStorage* storage);

    std::vector<TrsStorage*> storages_;
    TrsStorage* current_ = nullptr;
    int progressTotal_ = 0;
    int progressDone_ = 0;
    int progressReported_ = -1;
};

enum TrsStorageOption : unsigned { soSaveOnClose = 1, soSaveEmptySection = 2 };
enum TrsStorageState : unsigned {
    ssClearing = 1,
    ssLoading = 2,
    ssMerging = 4,
    ssSaving = 8,
    ssSavingChanges = 16
};

class TrsStorage : public TrsComponent {
public:
    TrsStorage();
    ~TrsStorage() override;
    TrsStorage(const TrsStorage&) = delete;
    TrsStorage& operator=(const TrsStorage&) = delete;

    // Lifecycle. While the component is being read from a stored design
    // (between BeginReading and Loaded), opening puts the load off.
    bool Active() const { return active_; }
    void SetActive(bool value);
    void Open();
    void Close();
    void BeginReading() { reading_ = true; }
    void Loaded();

    TrsEncryptor* Encryptor() const { return encryptor_; }
    void SetEncryptor(TrsEncryptor* encryptor);
    TrsStorageData* StorageData() const { return storageData_; }
    void SetStorageData(TrsStorageData* storageData);
    const std::string& RootSection() const { return rootSection_; }
    void SetRootSection(std::string_view path);
    unsigned Options = soSaveOnClose;
    unsigned State() const { return state_; }

    TrsNotifyEvent OnBeforeLoad;
    TrsNotifyEvent OnAfterLoad;
    TrsNotifyEvent OnBeforeSave;
    TrsNotifyEvent OnAfterSave;
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
    int SectionCount() const;
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
    int KeyCount() const;
    int GetKeyType(std::string_view path);
    void SetKeyType(std::string_view path, int type);
    int GetKeyOptions(std::string_view path);
    void SetKeyOptions(std::string_view path, int options);
    int KeyFirst();
    int KeyNext();
    int KeyPrior();
    int KeyLast();
    // The storage's own wrapper: it follows every key found or walked.
    TrsKeyWrapper& Key() { return keyWrapper_; }
    std::string KeyFullName(int index) const;

    Variant GetValue(std::string_view path);
    void SetValue(std::string_view path, const Variant& value);
    std::string ReadString(std::string_view path, std::string_view defaultValue);
    std::string ReadText(std::string_view path, std::string_view defaultValue);
    int32_t ReadInteger(std::string_view path, int32_t defaultValue);
    int64_t ReadInt64(std::string_view path, int64_t defaultValue);
    double ReadFloat(std::string_view path, double defaultValue);
    TCurrency ReadCurrency(std::string_view path, TCurrency defaultValue);
    double ReadDateTime(std::string_view path, double defaultValue);
    bool ReadBoolean(std::string_view path, bool defaultValue);
    void* ReadPointer(std::string_view path, void* defaultValue);
    void ReadPoint(std::string_view path, TPoint& point);
    int ReadBuffer(std::string_view path, void* destination, int size);
    void ReadStream(std::string_view path, std::ostream& stream);
    void ReadArray(std::string_view path, Variant& array);
    void ReadComponent(std::string_view path, TrsPersistentObject& component);
    void ReadPersistent(std::string_view path, TrsPersistentObject& object);
    void WriteString(std::string_view path, std::string_view value);
    void WriteText(std::string_view path, std::string_view value);
    void WriteInteger(std::string_view path, int32_t value);
    void WriteInt64(std::string_view path, int64_t value);
    void WriteFloat(std::string_view path, double value);
    void WriteCurrency(std::string_view path, TCurrency value);
    void WriteDateTime(std::string_view path, double value);
    void WriteBoolean(std::string_view path, bool value);
    void WritePoint(std::string_view path, TPoint value);
    void WritePointer(std::string_view path, void* value);
    void WriteBuffer(std::string_view path, const void* source, int size);
    void WriteStream(std::string_view path, std::istream& stream);
    void WriteArray(std::string_view path, const Variant& array);
    void WriteComponent(std::string_view path, const TrsPersistentObject& component);
    void WritePersistent(std::string_view path, const TrsPersistentObject& object);
    bool ReadStrings(std::string_view path, std::vector<std::string>& lines);
    void WriteStrings(std::string_view path, const std::vector<std::string>& lines);

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

    // Loading and saving through the back-end.
    void Load();
    void Merge();
    void Save();
    void SaveChanges(TrsStorageData& storageData);

    // A lock of the storage's own for callers on several threads; the
    // storage never takes it itself.
    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }

protected:
    virtual void KeyOnAdd(int index);
    virtual void KeyOnDeletion(int index);

private:
    friend class TrsStorageClient;
    friend class TrsStorageData;
    friend class TrsEncryptor;
    int StartOf(std::string_view path) const;
    int SectionFind(std::string_view path, bool create, int start);
    int FindChild(int parentId, std::string_view name) const;
    int InsertSection(int parentId, std::string_view name);
    int InsertKey(int position, int sectionId, std::string_view name);
    int SectionOfKeyPath(std::string_view sectionPart, bool absolute, bool create);
    void RemoveSectionContents(int sectionId, bool removeSelf);
    void RemoveKeys(int first, int count);
    void RemoveSections(const std::vector<int>& ids);
    void MakeCurrent(int index);
    void RefreshCurrentRuns();
    void Notify(TrsClientNotification kind, const std::string& name);
    void ForgetStorageData(TrsStorageData* storageData);
    void ForgetEncryptor();
    int WriteKey(std::string_view path);
    int FindOrAddKey(int sectionId, std::string_view name);
    int KeyPosition(int first, int count, std::string_view name) const;
    void ChildRange(int parentId, int& first, int& count) const;
    void AppendContents(std::string& bytes, int sectionId, std::string_view path) const;
    bool TakeContents(std::string_view& bytes, int sectionId);
    int ReadKey(std::string_view path);

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
    int cachedPathIndex_ = -2;
    int cachedPathId_ = -1;
    int cachedKeyIndex_ = -1;

    int sectionCursor_ = -1;
    int keyCursor_ = -1;

    bool active_ = false;
    bool reading_ = false;
    bool loadPutOff_ = false;
    bool notifying_ = true;
    bool destroying_ = false;
    unsigned state_ = 0;

    TrsEncryptor* encryptor_ = nullptr;
    TrsStorageData* storageData_ = nullptr;
    // Every back-end that lists this storage, attached or not.
    std::vector<TrsStorageData*> listedBy_;
    TrsClientList clients_;
    TrsKeyWrapper keyWrapper_;
    TrsSectionWrapper sectionWrapper_;
    std::recursive_mutex lock_;
};
