// The encryptor hook: enciphers listed keys and sections (or every key) of
// a tree before a save and deciphers them afterwards.
#pragma once

#include "settings/rsComponent.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TrsKeyTree;
class TrsStorage;
struct TrsValue;

// This base has no cipher: its buffer operations change nothing and report
// -1, so the keys stay as they are.
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

    void Encrypt(TrsKeyTree& tree);
    void Decrypt(TrsKeyTree& tree);
    void DoDecryptKey(TrsKeyTree& tree, std::string_view path);

private:
    friend class TrsStorage;
    void ForEachListedKey(TrsKeyTree& tree, const std::function<void(TrsValue&)>& action);
    void EncryptValue(TrsValue& value);
    void DecryptValue(TrsValue& value);
    // The storages that use this encryptor, told when it goes.
    std::vector<TrsStorage*> storages_;
};
