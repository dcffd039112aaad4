// A test window with a property saver and a storage, and a message box
// handler that records what the user would have been shown.
#pragma once

#include "TestForm.h"
#include "platform/UserInterface.h"
#include "settings/rsStorage.h"
#include "settings/saver/rsPropSaver.h"

#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const Variant& value, std::ostream* out)
{
    *out << "Variant(kind " << static_cast<int>(value.Kind()) << ", " << value.Integer() << ", "
         << value.Real() << ", \"" << value.Text() << "\")";
}

class SaverFixture : public testing::Test {
protected:
    SaverFixture()
    {
        saver->SetStorage(&storage);
        saver->SetRootSection("Form.Saver");
        previousHandler = platform::SetMessageBoxHandler([this](const platform::MessageRequest& r) {
            messages.push_back(r.text);
            return platform::IdOk;
        });
    }
    ~SaverFixture() override { platform::SetMessageBoxHandler(previousHandler); }

    // The value of a key of the saver's section, read as a string; "<none>"
    // when the key does not exist.
    std::string Stored(const std::string& key)
    {
        const std::string path = "\\Form.Saver\\" + key;
        return storage.KeyExist(path) ? storage.ReadString(path, "") : "<none>";
    }

    int StoredType(const std::string& key) { return storage.GetKeyType("\\Form.Saver\\" + key); }

    TrsStorage storage;
    TestForm form;
    TrsPropSaver* saver = new TrsPropSaver(&form);
    std::vector<std::string> messages;
    platform::MessageBoxHandler previousHandler;
};
