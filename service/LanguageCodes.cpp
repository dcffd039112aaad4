#include "service/LanguageCodes.h"

#include <algorithm>
#include <map>

namespace service {

namespace {

// Apertium names a language by its two- or three-letter code, a target
// sometimes with a variant after "_". Macedonian is not among the program's
// languages: it is only passed through.
const std::map<std::string, std::string>& ApertiumToProgram()
{
    static const std::map<std::string, std::string> table = {
        { "en", "en" },
        { "eng", "en" },
        { "es", "es" },
        { "spa", "es" },
        { "ca", "ca" },
        { "cat", "ca" },
        { "gl", "gl" },
        { "glg", "gl" },
        { "fr", "fr" },
        { "fra", "fr" },
        { "pt", "pt" },
        { "por", "pt" },
        { "it", "it" },
        { "ita", "it" },
        { "ro", "ro" },
        { "ron", "ro" },
        { "rum", "ro" },
        { "hbs_HR", "hr" },
        { "hbs_SR", "sr" },
        { "sl", "sl" },
        { "slv", "sl" },
        { "bg", "bg" },
        { "bul", "bg" },
        { "mk", "mk" },
        { "mkd", "mk" },
    };
    return table;
}

struct Language {
    std::string code;
    std::string name;
};

// The window program's language table in its order, with names spelt as
// English spells them.
const std::vector<Language>& ProgramLanguages()
{
    static const std::vector<Language> languages = { { "sq", "Albanian" }, { "ar", "Arabic" },
        { "bg", "Bulgarian" }, { "ca", "Catalan" }, { "zh-CN", "Chinese" }, { "hr", "Croatian" },
        { "cs", "Czech" }, { "da", "Danish" }, { "nl", "Dutch" }, { "en", "English" },
        { "et", "Estonian" }, { "tl", "Filipino" }, { "fi", "Finnish" }, { "fr", "French" },
        { "gl", "Galician" }, { "de", "German" }, { "el", "Greek" }, { "iw", "Hebrew" },
        { "hi", "Hindi" }, { "hu", "Hungarian" }, { "id", "Indonesian" }, { "it", "Italian" },
        { "ja", "Japanese" }, { "ko", "Korean" }, { "lv", "Latvian" }, { "lt", "Lithuanian" },
        { "mt", "Maltese" }, { "no", "Norwegian" }, { "pl", "Polish" }, { "pt", "Portuguese" },
        { "ro", "Romanian" }, { "ru", "Russian" }, { "sr", "Serbian" }, { "sk", "Slovak" },
        { "sl", "Slovenian" }, { "es", "Spanish" }, { "sv", "Swedish" }, { "th", "Thai" },
        { "tr", "Turkish" }, { "uk", "Ukrainian" }, { "vi", "Vietnamese" } };
    return languages;
}

} // namespace

const std::vector<std::string>& ProgramLanguageCodes()
{
    static const std::vector<std::string> codes = [] {
        std::vector<std::string> all;
        for (const auto& language : ProgramLanguages())
            all.push_back(language.code);
        return all;
    }();
    return codes;
}

std::string EnglishLanguageName(const std::string& code)
{
    if (code == "mk")
        return "Macedonian";
    for (const auto& language : ProgramLanguages()) {
        if (language.code == code)
            return language.name;
    }
    return code;
}

bool IsProgramLanguageCode(const std::string& code)
{
    const auto& codes = ProgramLanguageCodes();
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

std::vector<std::string> CodesOfApertiumSource(const std::string& apertiumCode)
{
    if (apertiumCode == "hbs")
        return { "hr", "sr" };
    return CodesOfApertiumTarget(apertiumCode);
}

std::vector<std::string> CodesOfApertiumTarget(const std::string& apertiumCode)
{
    const auto found = ApertiumToProgram().find(apertiumCode);
    if (found == ApertiumToProgram().end())
        return {};
    return { found->second };
}

} // namespace service
