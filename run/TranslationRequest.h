// The request side of one step: splitting entries, the form body and the
// request block of the debug memo.
#pragma once

#include <string>
#include <string_view>

// Splits the first separator-delimited token off source into head; returns
// false (head untouched) when source is empty.
bool SplitFirst(std::string& source, std::string& head, std::string_view separator, bool trim);

std::string PrepareRequestText(const std::string& text);

// A form field's value with every byte but the unreserved ones escaped, a
// space as "+".
std::string FormEncode(const std::string& value);

// The form body for one step, every value form-encoded.
std::string RequestBody(
    const std::string& sourceCode, const std::string& targetCode, const std::string& text);

// The debug memo's block written before each request.
std::string RequestBlock(const std::string& entry, const std::string& text);
