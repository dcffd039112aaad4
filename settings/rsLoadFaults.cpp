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
    if (first_.Line > 0)
        summary += ", line " + std::to_string(first_.Line);
    summary += ": " + first_.Text + ".";
    if (count_ == 2)
        summary += " 1 more line could not be used either.";
    else if (count_ > 2)
        summary += " " + std::to_string(count_ - 1) + " more lines could not be used either.";
    return summary;
}
