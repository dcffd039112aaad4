#include "settings/saver/rsProperty.h"

namespace {

constexpr std::string_view kDefaultFlags = "EPD";
constexpr std::string_view kTypeLetters = "PCUV";
constexpr std::string_view kStateLetters = "DRW";

// The characters from position first to last of line, counted from 1;
// empty when the range holds nothing.
std::string Part(std::string_view line, std::size_t first, std::size_t last)
{
    if (first < 1 || last < first || last > line.size())
        return {};
    return std::string(line.substr(first - 1, last - first + 1));
}

// The character at position, counted from 1.
char At(std::string_view line, std::size_t position)
{
    return position >= 1 && position <= line.size() ? line[position - 1] : '\0';
}

// The flag letters at the end of the line, or nothing when it has none.
std::string_view TrailingFlags(std::string_view line)
{
    const std::size_t n = line.size();
    if (n < 3 || line.back() == ',')
        return {};
    if (n >= 4 && line[n - 4] == ',')
        return line.substr(n - 3);
    if (n >= 5 && line[n - 5] == ',')
        return line.substr(n - 4);
    return {};
}

} // namespace

void TrsProperty::SetParams(std::string_view flags)
{
    if (flags.empty())
        flags = kDefaultFlags;
    Enabled = flags[0] == 'E';
    const std::size_t type = flags.size() > 1 ? kTypeLetters.find(flags[1]) : 0;
    PropType = type == std::string_view::npos ? ptPublished : static_cast<TrsPropertyType>(type);
    const std::size_t state = flags.size() > 2 ? kStateLetters.find(flags[2]) : 0;
    PropState = state == std::string_view::npos ? psNormal : static_cast<TrsPropertyState>(state);
    Encrypted = flags.size() > 3 && flags[3] == 'C';
}

std::string TrsProperty::GetParams() const
{
    std::string flags;
    flags += Enabled ? 'E' : 'D';
    flags += kTypeLetters[PropType];
    flags += kStateLetters[PropState];
    if (Encrypted)
        flags += 'C';
    return flags;
}

void TrsProperty::SetAsString(std::string_view line)
{
    const std::string_view flags = TrailingFlags(line);
    SetParams(flags);
    if (!flags.empty())
        line.remove_suffix(flags.size());
    std::size_t k = line.size();
    DefaultValue.clear();
    NameInData.clear();
    if (k > 0 && line[k - 1] == ',') {
        const std::size_t comma = line.find(',');
        const std::size_t quotes = line.find("\",\"");
        const std::size_t c = comma == std::string_view::npos ? 0 : comma + 1;
        if (quotes != std::string_view::npos && c < quotes + 1) {
            const std::size_t q = quotes + 1;
            NameInData
                = At(line, k - 1) == '"' ? Part(line, q + 3, k - 2) : Part(line, q + 2, k - 1);
            k = q + 1;
        }
        if (c > 0 && c < k) {
            const bool quoted = At(line, k - 1) == '"' && At(line, c + 1) == '"';
            DefaultValue = quoted ? Part(line, c + 2, k - 2) : Part(line, c + 1, k - 1);
            k = c - 1;
        } else {
            k = k - 1;
        }
    }
    Name = std::string(line.substr(0, k));
}

std::string TrsProperty::GetAsString() const
{
    const std::string flags = GetParams();
    if (flags == kDefaultFlags && DefaultValue.empty() && NameInData.empty())
        return Name;
    std::string line = Name + ",\"" + DefaultValue + "\",\"" + NameInData + "\",";
    if (flags != kDefaultFlags)
        line += flags;
    return line;
}
