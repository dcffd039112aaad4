// The back-end protocol: the base of the back-ends that fill a storage from
// persistent form and write it back. A back-end fills the tree with the
// storage's own operations and reads it through the records in array order.
#pragma once

#include "settings/rsComponent.h"

#include <vector>

class TrsStorage;

class TrsStorageData : public TrsComponent {
public:
    ~TrsStorageData() override;

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
