// Text helpers shared by every subsystem. Text is handled as bytes (UTF-8);
// QString appears only at the widget boundary.
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A memo's text is its lines, each followed by CR LF.
std::string JoinMemoLines(const std::vector<std::string>& lines);

// Splits at CR LF, CR or LF; a final line break adds no empty line.
std::vector<std::string> SplitMemoText(std::string_view text);

// ASCII case-insensitive comparison: negative, zero or positive.
int CompareText(std::string_view left, std::string_view right);
bool SameText(std::string_view left, std::string_view right);

// Removes leading and trailing bytes with codes 0 to 32.
std::string Trim(std::string_view text);

// Appends byte as "%" and two upper-case hex digits, the escape that
// addresses and form bodies share.
void AppendPercentEscape(std::string& out, unsigned char byte);

QString ToQString(std::string_view bytes);
std::string ToBytes(const QString& text);

} // namespace platform
