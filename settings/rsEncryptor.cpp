#include "settings/rsEncryptor.h"

#include "settings/TextForms.h"
#include "settings/rsKeyPath.h"
#include "settings/rsStorage.h"

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

void TrsEncryptor::ForEachListedKey(TrsKeyTree& tree, const std::function<void(TrsValue&)>& action)
{
    if (EncryptAll) {
        for (int i = 0; i < tree.KeyItemCount(); ++i)
            action(tree.GetKeyItem(i).Value);
        return;
    }
    for (const std::string& listed : EncryptKeys) {
        const std::string path = rsKeyPath::StartsAtRoot(listed) ? listed : "\\" + listed;
        const int key = tree.KeyFindAddItem(path, false);
        if (key >= 0) {
            action(tree.GetKeyItem(key).Value);
            continue;
        }
        const int section = tree.SectionFind(path, false, -1);
        if (section < 0)
            continue;
        const std::string prefix = tree.SectionFullName(section) + "\\";
        for (int i = 0; i < tree.KeyItemCount(); ++i) {
            const int owner = tree.SectionIndexOfId(tree.GetKeyItem(i).SectionId);
            if (owner == section || StartsWithText(tree.SectionFullName(owner) + "\\", prefix))
                action(tree.GetKeyItem(i).Value);
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

void TrsEncryptor::Encrypt(TrsKeyTree& tree)
{
    if (Active)
        ForEachListedKey(tree, [this](TrsValue& value) { EncryptValue(value); });
}

void TrsEncryptor::Decrypt(TrsKeyTree& tree)
{
    if (Active)
        ForEachListedKey(tree, [this](TrsValue& value) { DecryptValue(value); });
}

void TrsEncryptor::DoDecryptKey(TrsKeyTree& tree, std::string_view path)
{
    const int key = tree.KeyFindAddItem(path, false);
    if (Active && key >= 0)
        DecryptValue(tree.GetKeyItem(key).Value);
}
