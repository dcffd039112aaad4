// The components that attach to a storage and the list through which the
// storage tells its subscribers of each change.
#pragma once

#include "settings/rsComponent.h"

#include <string>
#include <vector>

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
    ~TrsStorageClient() override;

    bool Active() const { return active_; }
    virtual void SetActive(bool value) { active_ = value; }
    TrsStorage* Storage() const { return storage_; }
    virtual void SetStorage(TrsStorage* storage);
    virtual void rsNotification(TrsClientNotification kind, const std::string& name);

    // The notification kinds this client receives, one bit per kind; read
    // when the client is added to a storage.
    unsigned Subscriptions = 0;

private:
    friend class TrsKeyTree;
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
