// The INI back-end: TrsIniData defines the INI text format whose values
// show their type in the way they are written.
#pragma once

#include "settings/rsLoadFaults.h"
#include "settings/rsStorage.h"
#include "settings/rsStreamData.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

enum TrsIniCompactOption : unsigned { coHexStr = 1 };

class TrsIniData : public TrsStreamData {
public:
    TrsIniData();

    unsigned CompactOptions = 0;
    std::vector<std::string> Template { "%BODY%" };
    bool FixedDateTimeFormat = false;

    void LoadFromStream(std::string_view image) override;
    void SaveToStream(std::string& image) override;
    // Whether the template differs from its default and so belongs in a
    // stored design.
    bool IsTemplateStored() const;

    static std::string EncodeText(std::string_view text);
    static std::string DecodeText(std::string_view value);

    // What the last load met that it could not use. A line it cannot use is
    // left out, a value that does not parse is not stored (its key keeps
    // whatever default its reader has), and reading goes on.
    const TrsLoadFaults& LoadFaults() const { return loadFaults_; }
    // The line from which the last load read a key, by the key's full name
    // ("\Section\Key", any case); 0 when the load did not read it.
    int KeyLine(std::string_view fullName) const;

protected:
    void InternalLoad() override;

private:
    std::string TemplateText() const;
    bool HasTemplatePrefix() const;
    void WriteSection(const TrsStorage& storage, int sectionIndex);
    void WriteValue(const TrsKeyRecord& key);

    TrsLoadFaults loadFaults_;
    std::unordered_map<std::string, int> keyLines_;
};
