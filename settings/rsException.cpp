#include "settings/rsException.h"

namespace {

const char* GroupPrefix(TrsErrorGroup group)
{
    switch (group) {
    case egGetKeyValue:
        return "TrsStorage get key value error:";
    case egXMLParser:
        return "TrsXMLData parser error:";
    case egSetKeyValue:
        return "TrsStorage set key value error:";
    case egSearchPrepare:
        return "TrsSearch prepare search error:";
    case egSearch:
        return "TrsSearch error:";
    case egRegData:
        return "TrsRegData error:";
    case egLoadData:
    case egCommon:
        break;
    }
    return "Storage library error:";
}

} // namespace

TrsException::TrsException(TrsErrorGroup group, const std::string& text)
    : std::runtime_error(std::string(GroupPrefix(group)) + " " + text), group_(group)
{
}

std::string FormatMessage(std::string_view format, std::initializer_list<std::string_view> values)
{
    std::string result;
    auto value = values.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format.compare(i, 2, "%s") == 0 && value != values.end()) {
            result += *value++;
            ++i;
        } else {
            result += format[i];
        }
    }
    return result;
}

void RaiseStorageError(TrsErrorGroup group, const std::string& text)
{
    throw TrsException(group, text);
}
