#include "run/LanguageTable.h"

#include "text/AsciiText.h"

// The names are the program's own, spelling included ("Galacian", "Ukranian");
// the codes are the service's (Hebrew is "iw", Filipino "tl").
const std::array<const char*, LanguageCount> LanguageNames = { "Albanian", "Arabic", "Bulgarian",
    "Catalan", "Chinese", "Croatian", "Czech", "Danish", "Dutch", "English", "Estonian", "Filipino",
    "Finnish", "French", "Galacian", "German", "Greek", "Hebrew", "Hindi", "Hungarian",
    "Indonesian", "Italian", "Japanese", "Korean", "Latvian", "Lithuanian", "Maltese", "Norwegian",
    "Polish", "Portuguese", "Romanian", "Russian", "Serbian", "Slovak", "Slovenian", "Spanish",
    "Swedish", "Thai", "Turkish", "Ukranian", "Vietnamese" };

const std::array<const char*, LanguageCount> LanguageCodes
    = { "sq", "ar", "bg", "ca", "zh-CN", "hr", "cs", "da", "nl", "en", "et", "tl", "fi", "fr", "gl",
          "de", "el", "iw", "hi", "hu", "id", "it", "ja", "ko", "lv", "lt", "mt", "no", "pl", "pt",
          "ro", "ru", "sr", "sk", "sl", "es", "sv", "th", "tr", "uk", "vi" };

std::string HomeLanguageCode(int selectedRow)
{
    if (selectedRow < 0 || selectedRow >= LanguageCount)
        selectedRow = DefaultHomeRow;
    return LanguageCodes[static_cast<std::size_t>(selectedRow)];
}

int FindLanguageRow(std::string_view name)
{
    for (int row = 0; row < LanguageCount; ++row) {
        const auto at = static_cast<std::size_t>(row);
        if (text::SameText(name, LanguageCodes[at]) || text::SameText(name, LanguageNames[at]))
            return row;
    }
    return -1;
}

std::string LanguageNameOfCode(std::string_view code)
{
    for (std::size_t at = 0; at < LanguageCodes.size(); ++at) {
        if (code == LanguageCodes[at])
            return LanguageNames[at];
    }
    return code == "mk" ? "Macedonian" : std::string(code);
}
