#include "settings/rsStorage.h"

TrsStorage::~TrsStorage()
{
    destroying_ = true;
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; callers who need the error close first.
    }
    ClearAll();
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
    Key().ReleaseTemporaryStream();
}

void TrsStorage::SetEncryptor(TrsEncryptor* encryptor)
{
    Relink(
        encryptor_, encryptor, [this](TrsEncryptor* old) { std::erase(old->storages_, this); },
        [this](TrsEncryptor* next) { next->storages_.push_back(this); });
}

void TrsStorage::SetStorageData(TrsStorageData* storageData)
{
    Relink(
        storageData_, storageData, [this](TrsStorageData* old) { old->Forget(this); },
        [this](TrsStorageData* next) { next->SetStorage(this); });
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

void TrsStorage::Load()
{
    StateFlag flag(state_, ssLoading);
    ClearAll();
    Merge();
}

void TrsStorage::Merge()
{
    StateFlag flag(state_, (state_ & ssLoading) ? 0u : unsigned { ssMerging });
    CallEvent(OnBeforeLoad, this);
    if (storageData_) {
        {
            NotificationsOff off(*this);
            storageData_->SetStorage(this);
            storageData_->Load();
            if (encryptor_)
                encryptor_->Decrypt(*this);
        }
        Notify(scnLoad, "");
    }
    ReturnToRoot();
    CallEvent(OnAfterLoad, this);
}

void TrsStorage::Save()
{
    StateFlag flag(state_, ssSaving);
    CallEvent(OnBeforeSave, this);
    if (storageData_) {
        if (encryptor_)
            encryptor_->Encrypt(*this);
        RunThenFinish(
            [this] {
                storageData_->SetStorage(this);
                storageData_->Save();
            },
            [this] {
                if (encryptor_)
                    encryptor_->Decrypt(*this);
            });
    }
    CallEvent(OnAfterSave, this);
}

void TrsStorage::SaveChanges(TrsStorageData& storageData)
{
    StateFlag flag(state_, ssSavingChanges);
    TrsStorage changes;
    changes.SetStorageData(&storageData);
    changes.Load();
    for (int i = 0; i < KeyItemCount(); ++i) {
        const TrsValue& mine = GetKeyItem(i).Value;
        const std::string fullName = KeyFullName(i);
        const bool added = !changes.KeyExist(fullName);
        TrsValue& theirs = changes.GetKeyItem(changes.KeyFindAddItem(fullName, true)).Value;
        if (added || !theirs.EqualValue(mine)) {
            theirs = mine;
            theirs.Options |= rsChangedMark;
        }
    }
    for (int i = changes.KeyItemCount() - 1; i >= 0; --i)
        if (!(changes.GetKeyItem(i).Value.Options & rsChangedMark))
            changes.RemoveKeys(i, 1);
    changes.SetStorageData(storageData_);
    changes.Save();
}
