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

// The row whose code or displayed name is name, either compared without
// regard to ASCII case ("FR", "french", "zh-cn"); -1 when there is none.
int FindLanguageRow(std::string_view name);
