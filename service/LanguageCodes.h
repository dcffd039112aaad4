// The language codes the window program sends, and how Apertium's data
// names the same languages.
#pragma once

#include <string>
#include <vector>

namespace service {

// The 41 codes of the window program's language table, in its order.
const std::vector<std::string>& ProgramLanguageCodes();

bool IsProgramLanguageCode(const std::string& code);

// The language's English name ("Galician", "Hebrew" for iw, "Macedonian" for
// mk); the code itself for one the service does not know.
std::string EnglishLanguageName(const std::string& code);

// The codes one side of an Apertium mode name stands for, for example "eng"
// gives en, "hbs_HR" gives hr. A source side "hbs" reads both Croatian and
// Serbian; names of variants the program does not offer give nothing. These
// are the program's codes, but for Macedonian ("mkd" gives mk), which the
// program does not offer and which serves only as a pivot on the way to and
// from Bulgarian.
std::vector<std::string> CodesOfApertiumSource(const std::string& apertiumCode);
std::vector<std::string> CodesOfApertiumTarget(const std::string& apertiumCode);

} // namespace service
