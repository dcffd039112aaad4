// The back-end protocol (TrsStorageData), loading and saving a storage
// through it, and the encryptor hook around a save.
#include "settings/rsStorage.h"

#include "settings/TextForms.h"

#include <algorithm>

namespace {

struct StateFlag {
    unsigned& state;
    unsigned flag;
    StateFlag(unsigned& s, unsigned f) : state(s), flag(f) { state |= flag; }
    ~StateFlag() { state &= ~flag; }
};

void Call(const TrsNotifyEvent& event, TrsComponent* sender)
{
    if (event)
        event(sender);
}

} // namespace

TrsStorageData::~TrsStorageData()
{
    const std::vector<TrsStorage*> storages = storages_;
    for (TrsStorage* storage : storages)
        storage->ForgetStorageData(this);
}

void TrsStorageData::SetStorage(TrsStorage* storage)
{
    if (storage && std::find(storages_.begin(), storages_.end(), storage) == storages_.end()) {
        storages_.push_back(storage);
        storage->listedBy_.push_back(this);
    }
    current_ = storage;
}

void TrsStorageData::Forget(TrsStorage* storage)
{
    std::erase(storages_, storage);
    std::erase(storage->listedBy_, this);
    if (current_ == storage)
        current_ = nullptr;
}

void TrsStorageData::ResetProgress()
{
    progressTotal_ = 0;
    progressDone_ = 0;
    progressReported_ = -1;
}

void TrsStorageData::DoProgress()
{
    if (!OnProgress || progressTotal_ <= 0)
        return;
    const int percent = static_cast<int>(int64_t { progressDone_ } * 100 / progressTotal_);
    if (percent > progressReported_) {
        progressReported_ = percent;
        OnProgress(this, percent);
    }
}

void TrsStorageData::ProgressStep()
{
    ++progressDone_;
    DoProgress();
}

void TrsStorageData::Load()
{
    Call(OnBeforeLoad, this);
    TrsStorage* storage = current_;
    if (!storage)
        return;
    ResetProgress();
    try {
        InternalLoad();
    } catch (...) {
        storage->SetRootSection("");
        Call(OnAfterLoad, this);
        throw;
    }
    storage->SetRootSection("");
    Call(OnAfterLoad, this);
}

void TrsStorageData::Save()
{
    Call(OnBeforeSave, this);
    TrsStorage* storage = current_;
    if (!storage)
        return;
    const std::string rootSection = storage->RootSection();
    storage->SetRootSection("");
    ResetProgress();
    try {
        InternalSave();
    } catch (...) {
        storage->SetRootSection(rootSection);
        Call(OnAfterSave, this);
        throw;
    }
    storage->SetRootSection(rootSection);
    Call(OnAfterSave, this);
}

TrsEncryptor::~TrsEncryptor()
{
    const std::vector<TrsStorage*> storages = storages_;
    for (TrsStorage* storage : storages)
        storage->ForgetEncryptor();
}

int TrsEncryptor::EncryptBuffer(std::string&)
{
    return -1;
}

int TrsEncryptor::DecryptBuffer(std::string&)
{
    return -1;
}

void TrsEncryptor::ForEachListedKey(
    TrsStorage& storage, const std::function<void(TrsValue&)>& action)
{
    if (EncryptAll) {
        for (int i = 0; i < storage.KeyItemCount(); ++i)
            action(storage.GetKeyItem(i).Value);
        return;
    }
    for (const std::string& listed : EncryptKeys) {
        const std::string path
            = !listed.empty() && (listed[0] == '\\' || listed[0] == '/') ? listed : "\\" + listed;
        const int key = storage.KeyFindAddItem(path, false);
        if (key >= 0) {
            action(storage.GetKeyItem(key).Value);
            continue;
        }
        const int section = storage.SectionFind(path, false, -1);
        if (section < 0)
            continue;
        const std::string prefix = storage.SectionFullName(section) + "\\";
        for (int i = 0; i < storage.KeyItemCount(); ++i) {
            const int owner = storage.SectionIndexOfId(storage.GetKeyItem(i).SectionId);
            if (owner == section || StartsWithText(storage.SectionFullName(owner) + "\\", prefix))
                action(storage.GetKeyItem(i).Value);
        }
    }
}

// An enciphered key holds its tag and payload, enciphered, as a buffer.
void TrsEncryptor::EncryptValue(TrsValue& value)
{
    std::string bytes;
    AppendValue(bytes, value);
    if (EncryptBuffer(bytes) < 0)
        return;
    value.Clear();
    value.Type = vtBuffer;
    value.Bytes = std::move(bytes);
}

void TrsEncryptor::DecryptValue(TrsValue& value)
{
    if (value.Type != vtBuffer)
        return;
    std::string bytes = value.Bytes;
    if (DecryptBuffer(bytes) < 0)
        return;
    std::string_view rest = bytes;
    TrsValue plain;
    if (TakeValue(rest, plain) && rest.empty()) {
        plain.Options = value.Options;
        value = std::move(plain);
    }
}

void TrsEncryptor::Encrypt(TrsStorage& storage)
{
    if (Active)
        ForEachListedKey(storage, [this](TrsValue& value) { EncryptValue(value); });
}

void TrsEncryptor::Decrypt(TrsStorage& storage)
{
    if (Active)
        ForEachListedKey(storage, [this](TrsValue& value) { DecryptValue(value); });
}

void TrsEncryptor::DoDecryptKey(TrsStorage& storage, std::string_view path)
{
    const int key = storage.KeyFindAddItem(path, false);
    if (Active && key >= 0)
        DecryptValue(storage.GetKeyItem(key).Value);
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
    Call(OnBeforeLoad, this);
    if (storageData_) {
        {
            const bool previous = notifying_;
            notifying_ = false;
            try {
                storageData_->SetStorage(this);
                storageData_->Load();
                if (encryptor_)
                    encryptor_->Decrypt(*this);
            } catch (...) {
                notifying_ = previous;
                throw;
            }
            notifying_ = previous;
        }
        Notify(scnLoad, "");
    }
    rootSection_.clear();
    MakeCurrent(-1);
    Call(OnAfterLoad, this);
}

void TrsStorage::Save()
{
    StateFlag flag(state_, ssSaving);
    Call(OnBeforeSave, this);
    if (storageData_) {
        if (encryptor_)
            encryptor_->Encrypt(*this);
        try {
            storageData_->SetStorage(this);
            storageData_->Save();
        } catch (...) {
            if (encryptor_)
                encryptor_->Decrypt(*this);
            throw;
        }
        if (encryptor_)
            encryptor_->Decrypt(*this);
    }
    Call(OnAfterSave, this);
}

void TrsStorage::SaveChanges(TrsStorageData& storageData)
{
    StateFlag flag(state_, ssSavingChanges);
    TrsStorage changes;
    changes.SetStorageData(&storageData);
    changes.Load();
    for (int i = 0; i < KeyItemCount(); ++i) {
        const TrsValue& mine = keys_[i].Value;
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
