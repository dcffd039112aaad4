#include "settings/rsTypedAccess.h"

#include "settings/TextForms.h"
#include "settings/rsKeyPath.h"

#include <functional>

namespace {

// Digits after a list name's ".Item", or 0 when they are not a number.
int ItemNumberOf(std::string_view rest)
{
    try {
        return TextToInteger(rest);
    } catch (const ConversionError&) {
        return 0;
    }
}

} // namespace

template <typename T, typename Getter>
T TrsTypedAccess::ReadOr(std::string_view path, T fallback, Getter getter)
{
    return Found(path) ? std::invoke(getter, Key()) : fallback;
}

bool TrsTypedAccess::Found(std::string_view path)
{
    return KeyFindAddItem(path, false) >= 0;
}

template <typename Setter, typename... Values>
void TrsTypedAccess::WriteWith(std::string_view path, Setter setter, Values&&... values)
{
    KeyFindAddItem(path, true);
    std::invoke(setter, Key(), std::forward<Values>(values)...);
}

Variant TrsTypedAccess::GetValue(std::string_view path)
{
    return ReadOr(path, Variant(), &TrsKeyWrapper::GetAsVariant);
}

void TrsTypedAccess::SetValue(std::string_view path, const Variant& value)
{
    WriteWith(path, &TrsKeyWrapper::SetAsVariant, value);
}

std::string TrsTypedAccess::ReadString(std::string_view path, std::string_view defaultValue)
{
    return ReadOr(path, std::string(defaultValue), &TrsKeyWrapper::GetAsString);
}

std::string TrsTypedAccess::ReadText(std::string_view path, std::string_view defaultValue)
{
    return ReadString(path, defaultValue);
}

int32_t TrsTypedAccess::ReadInteger(std::string_view path, int32_t defaultValue)
{
    return ReadOr(path, defaultValue, &TrsKeyWrapper::GetAsInteger);
}

int64_t TrsTypedAccess::ReadInt64(std::string_view path, int64_t defaultValue)
{
    return ReadOr(path, defaultValue, &TrsKeyWrapper::GetAsInt64);
}

double TrsTypedAccess::ReadFloat(std::string_view path, double defaultValue)
{
    return ReadOr(path, defaultValue, &TrsKeyWrapper::GetAsFloat);
}

TCurrency TrsTypedAccess::ReadCurrency(std::string_view path, TCurrency defaultValue)
{
    return ReadOr(path, defaultValue, &TrsKeyWrapper::GetAsCurrency);
}

double TrsTypedAccess::ReadDateTime(std::string_view path, double defaultValue)
{
    return ReadOr(path, defaultValue, &TrsKeyWrapper::GetAsDateTime);
}

bool TrsTypedAccess::ReadBoolean(std::string_view path, bool defaultValue)
{
    return ReadOr(path, defaultValue, &TrsKeyWrapper::GetAsBoolean);
}

void* TrsTypedAccess::ReadPointer(std::string_view path, void* defaultValue)
{
    return ReadOr(path, defaultValue, &TrsKeyWrapper::GetAsPointer);
}

void TrsTypedAccess::ReadPoint(std::string_view path, TPoint& point)
{
    point = ReadOr(path, point, &TrsKeyWrapper::GetAsPoint);
}

int TrsTypedAccess::ReadBuffer(std::string_view path, void* destination, int size)
{
    return Found(path) ? Key().GetAsBuffer(destination, size) : 0;
}

void TrsTypedAccess::ReadStream(std::string_view path, std::ostream& stream)
{
    if (Found(path))
        Key().GetAsStream(stream);
}

void TrsTypedAccess::ReadArray(std::string_view path, Variant& array)
{
    if (Found(path))
        array = Key().GetAsArray();
}

void TrsTypedAccess::ReadComponent(std::string_view path, TrsPersistentObject& component)
{
    if (Found(path))
        Key().GetComponentProps(component);
}

void TrsTypedAccess::ReadPersistent(std::string_view path, TrsPersistentObject& object)
{
    if (Found(path))
        Key().GetPersistentProps(object);
}

void TrsTypedAccess::WriteString(std::string_view path, std::string_view value)
{
    WriteWith(path, &TrsKeyWrapper::SetAsString, value);
}

void TrsTypedAccess::WriteText(std::string_view path, std::string_view value)
{
    WriteString(path, value);
}

void TrsTypedAccess::WriteInteger(std::string_view path, int32_t value)
{
    WriteWith(path, &TrsKeyWrapper::SetAsInteger, value);
}

void TrsTypedAccess::WriteInt64(std::string_view path, int64_t value)
{
    WriteWith(path, &TrsKeyWrapper::SetAsInt64, value);
}

void TrsTypedAccess::WriteFloat(std::string_view path, double value)
{
    WriteWith(path, &TrsKeyWrapper::SetAsFloat, value);
}

void TrsTypedAccess::WriteCurrency(std::string_view path, TCurrency value)
{
    WriteWith(path, &TrsKeyWrapper::SetAsCurrency, value);
}

void TrsTypedAccess::WriteDateTime(std::string_view path, double value)
{
    WriteWith(path, &TrsKeyWrapper::SetAsDateTime, value);
}

void TrsTypedAccess::WriteBoolean(std::string_view path, bool value)
{
    WriteWith(path, &TrsKeyWrapper::SetAsBoolean, value);
}

void TrsTypedAccess::WritePoint(std::string_view path, TPoint value)
{
    WriteWith(path, &TrsKeyWrapper::SetAsPoint, value);
}

void TrsTypedAccess::WritePointer(std::string_view path, void* value)
{
    WriteWith(path, &TrsKeyWrapper::SetAsPointer, value);
}

void TrsTypedAccess::WriteBuffer(std::string_view path, const void* source, int size)
{
    WriteWith(path, &TrsKeyWrapper::SetAsBuffer, source, size);
}

void TrsTypedAccess::WriteStream(std::string_view path, std::istream& stream)
{
    WriteWith(path, &TrsKeyWrapper::SetAsStream, stream);
}

void TrsTypedAccess::WriteArray(std::string_view path, const Variant& array)
{
    WriteWith(path, &TrsKeyWrapper::SetAsArray, array);
}

void TrsTypedAccess::WriteComponent(std::string_view path, const TrsPersistentObject& component)
{
    WriteWith(path, &TrsKeyWrapper::SetComponentProps, component);
}

void TrsTypedAccess::WritePersistent(std::string_view path, const TrsPersistentObject& object)
{
    WriteWith(path, &TrsKeyWrapper::SetPersistentProps, object);
}

// The section of a list is resolved like a key's section, for reading as
// for writing, so that a list written relative to the current section is
// read back from there.
bool TrsTypedAccess::ReadStrings(std::string_view path, std::vector<std::string>& lines)
{
    lines.clear();
    const rsKeyPath::Parts parts = rsKeyPath::Split(path);
    const int section = SectionOfKey(parts, false);
    if (section == NotFound)
        return false;
    const std::string prefix = PathIn(section, Concat({ parts.name, ".Item" }));
    for (int i = 0; Found(prefix + std::to_string(i)); ++i)
        lines.push_back(Key().GetAsString());
    return !lines.empty();
}

void TrsTypedAccess::WriteStrings(std::string_view path, const std::vector<std::string>& lines)
{
    const rsKeyPath::Parts parts = rsKeyPath::Split(path);
    const int sectionId = IdAt(SectionOfKey(parts, true));
    const std::string itemPrefix = std::string(parts.name) + ".Item";
    int first = 0, count = 0;
    KeyFindRange(sectionId, first, count);
    for (int i = first + count - 1; i >= first; --i) {
        const std::string& name = GetKeyItem(i).Name;
        const bool isList = SameText(name, parts.name);
        const bool staleItem = StartsWithText(name, itemPrefix)
            && ItemNumberOf(std::string_view(name).substr(itemPrefix.size()))
                >= static_cast<int>(lines.size());
        if (isList || staleItem)
            RemoveKeys(i, 1);
    }
    const std::string prefix = PathIn(SectionIndexOfId(sectionId), itemPrefix);
    for (std::size_t i = 0; i < lines.size(); ++i)
        WriteString(prefix + std::to_string(i), lines[i]);
}
