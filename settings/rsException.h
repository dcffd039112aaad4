// The single error class of the settings storage: its message is the text of
// an error group, a blank and the error's own text.
#pragma once

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>

enum TrsErrorGroup {
    egGetKeyValue,
    egXMLParser,
    egSetKeyValue,
    egSearchPrepare,
    egSearch,
    egRegData,
    egLoadData,
    egCommon
};

class TrsException : public std::runtime_error {
public:
    TrsException(TrsErrorGroup group, const std::string& text);
    TrsErrorGroup Group() const { return group_; }

private:
    TrsErrorGroup group_;
};

// Builds a message from a format holding "%s" placeholders, filled in order.
std::string FormatMessage(std::string_view format, std::initializer_list<std::string_view> values);

[[noreturn]] void RaiseStorageError(TrsErrorGroup group, const std::string& text);
