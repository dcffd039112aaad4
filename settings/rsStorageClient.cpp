#include "settings/rsStorageClient.h"

#include "settings/rsStorage.h"

TrsStorageClient::~TrsStorageClient()
{
    if (storage_)
        storage_->clients_.Remove(this);
}

void TrsStorageClient::SetStorage(TrsStorage* storage)
{
    Relink(
        storage_, storage, [this](TrsStorage* old) { old->clients_.Remove(this); },
        [this](TrsStorage* next) { next->clients_.Add(this); });
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
