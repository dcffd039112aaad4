#include "settings/rsLoadFaults.h"

void TrsLoadFaults::Add(int line, std::string text)
{
    if (count_ == 0 || line < first_.Line)
        first_ = { line, std::move(text) };
    ++count_;
}

void TrsLoadFaults::Clear()
{
    first_ = {};
    count_ = 0;
}

std::string TrsLoadFaults::Summary(std::string_view fileName) const
{
    if (Empty())
        return {};
    std::string summary(fileName);
    // Appended piece by piece: GCC 12 at -O3 rejects a literal joined to a
    // temporary number as an overlapping copy.
    if (first_.Line > 0) {
        summary += ", line ";
        summary += std::to_string(first_.Line);
    }
    summary += ": ";
    summary += first_.Text;
    summary += ".";
    if (count_ == 2)
        summary += " 1 more line could not be used either.";
    else if (count_ > 2) {
        summary += " ";
        summary += std::to_string(count_ - 1);
        summary += " more lines could not be used either.";
    }
    return summary;
}
