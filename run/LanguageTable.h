// The 41 languages the window offers and the codes the translation service
// knows them by. A row's index is the same in the home-language list, the
// checklist, the code table and the saved list of ticked rows.
#pragma once

#include <array>
#include <string>
#include <string_view>

constexpr int LanguageCount = 41;
constexpr int DefaultHomeRow = 9; // English

extern const std::array<const char*, LanguageCount> LanguageCodes;
extern const std::array<const char*, LanguageCount> LanguageNames;

// The code of the selected home row; English when no row is selected (-1).
std::string HomeLanguageCode(int selectedRow);

// The displayed name of a code, exactly as the service knows it: the table's
// name, "Macedonian" for the language the service only passes through, and
// the code itself for any other.
std::string LanguageNameOfCode(std::string_view code);

// The row whose code or displayed name is name, either compared without
// regard to ASCII case ("FR", "french", "zh-cn"); -1 when there is none.
int FindLanguageRow(std::string_view name);
