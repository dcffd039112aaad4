// One entry line of a property saver, parsed: which value it names, under
// which key it is kept, its default, and whether and how it is loaded and
// saved. The line's form is Name,"DefaultValue","NameInData",FLAGS.
#pragma once

#include <string>
#include <string_view>

enum TrsPropertyType { ptPublished, ptCustom, ptUser, ptVariable };
enum TrsPropertyState { psNormal, psRead, psWrite };

class TrsProperty {
public:
    std::string Name;
    std::string DefaultValue;
    std::string NameInData;
    bool Enabled = true;
    TrsPropertyType PropType = ptPublished;
    TrsPropertyState PropState = psNormal;
    bool Encrypted = false;

    void SetAsString(std::string_view line);
    std::string GetAsString() const;
    // The flag letters: enabled, type, state and an optional C for encrypted.
    // A letter that names nothing gives that position's default.
    void SetParams(std::string_view flags);
    std::string GetParams() const;

    // The key the value is kept under.
    const std::string& KeyName() const { return NameInData.empty() ? Name : NameInData; }
};
