#include "settings/rsStorageData.h"

#include "settings/rsStorage.h"

#include <algorithm>

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
    CallEvent(OnBeforeLoad, this);
    TrsStorage* storage = current_;
    if (!storage)
        return;
    ResetProgress();
    RunThenFinish([this] { InternalLoad(); },
        [this, storage] {
            storage->SetRootSection("");
            CallEvent(OnAfterLoad, this);
        });
}

void TrsStorageData::Save()
{
    CallEvent(OnBeforeSave, this);
    TrsStorage* storage = current_;
    if (!storage)
        return;
    const std::string rootSection = storage->RootSection();
    storage->SetRootSection("");
    ResetProgress();
    RunThenFinish([this] { InternalSave(); },
        [this, storage, &rootSection] {
            storage->SetRootSection(rootSection);
            CallEvent(OnAfterSave, this);
        });
}
