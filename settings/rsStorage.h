// The storage: the key tree with its typed access, opened and closed as a
// component, filled and written by a back-end, with an encryptor around
// each save. It is the face of the settings that the program uses.
#pragma once

#include "settings/rsEncryptor.h"
#include "settings/rsException.h"
#include "settings/rsStorageData.h"
#include "settings/rsTypedAccess.h"

#include <mutex>

enum TrsStorageOption : unsigned { soSaveOnClose = 1, soSaveEmptySection = 2 };

class TrsStorage : public TrsTypedAccess {
public:
    ~TrsStorage() override;

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
    unsigned Options = soSaveOnClose;

    TrsNotifyEvent OnBeforeLoad;
    TrsNotifyEvent OnAfterLoad;
    TrsNotifyEvent OnBeforeSave;
    TrsNotifyEvent OnAfterSave;

    // Loading and saving through the back-end.
    void Load();
    void Merge();
    void Save();
    void SaveChanges(TrsStorageData& storageData);

    // A lock of the storage's own for callers on several threads; the
    // storage never takes it itself.
    void Lock() { lock_.lock(); }
    void Unlock() { lock_.unlock(); }

private:
    friend class TrsStorageData;
    friend class TrsEncryptor;
    void ForgetStorageData(TrsStorageData* storageData);
    void ForgetEncryptor() { encryptor_ = nullptr; }

    bool active_ = false;
    bool reading_ = false;
    bool loadPutOff_ = false;
    bool destroying_ = false;

    TrsEncryptor* encryptor_ = nullptr;
    TrsStorageData* storageData_ = nullptr;
    // Every back-end that lists this storage, attached or not.
    std::vector<TrsStorageData*> listedBy_;
    std::recursive_mutex lock_;
};
