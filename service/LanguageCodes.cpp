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

} // namespace

const std::vector<std::string>& ProgramLanguageCodes()
{
    static const std::vector<std::string> codes
        = { "sq", "ar", "bg", "ca", "zh-CN", "hr", "cs", "da", "nl", "en", "et", "tl", "fi", "fr",
              "gl", "de", "el", "iw", "hi", "hu", "id", "it", "ja", "ko", "lv", "lt", "mt", "no",
              "pl", "pt", "ro", "ru", "sr", "sk", "sl", "es", "sv", "th", "tr", "uk", "vi" };
    return codes;
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
