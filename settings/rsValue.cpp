#include "settings/rsValue.h"

#include "settings/rsBinary.h"

#include <cmath>

Variant::Variant(int32_t value) : kind_(VariantKind::Integer), integer_(value) { }
Variant::Variant(int64_t value) : kind_(VariantKind::Int64), integer_(value) { }
Variant::Variant(double value) : kind_(VariantKind::Double), real_(value) { }
Variant::Variant(bool value) : kind_(VariantKind::Boolean), integer_(value) { }
Variant::Variant(std::string value) : kind_(VariantKind::String), text_(std::move(value)) { }
Variant::Variant(const char* value) : Variant(std::string(value)) { }

Variant Variant::Retagged(Variant value, VariantKind kind)
{
    value.kind_ = kind;
    return value;
}

Variant Variant::Null()
{
    return Retagged(Variant(), VariantKind::Null);
}

Variant Variant::SmallInt(int16_t value)
{
    return Retagged(Variant(static_cast<int32_t>(value)), VariantKind::SmallInt);
}

Variant Variant::Byte(uint8_t value)
{
    return Retagged(Variant(static_cast<int32_t>(value)), VariantKind::Byte);
}

Variant Variant::Single(float value)
{
    return Retagged(Variant(static_cast<double>(value)), VariantKind::Single);
}

Variant Variant::Currency(TCurrency value)
{
    return Retagged(Variant(value.Scaled), VariantKind::Currency);
}

Variant Variant::Date(double value)
{
    return Retagged(Variant(value), VariantKind::Date);
}

Variant Variant::WideString(std::string value)
{
    return Retagged(Variant(std::move(value)), VariantKind::WideString);
}

Variant Variant::Array(std::vector<Variant> items)
{
    Variant result;
    result.kind_ = VariantKind::Array;
    result.items_ = std::move(items);
    return result;
}

void TrsValue::Clear()
{
    Type = vtEmpty;
    std::string().swap(Bytes);
    Int64 = 0;
}

bool TrsValue::EqualValue(const TrsValue& other) const
{
    if (Type != other.Type)
        return false;
    switch (Type) {
    case vtString:
    case vtBuffer:
        return Bytes == other.Bytes;
    case vtInteger:
        return Integer == other.Integer;
    case vtBoolean:
        return (Integer != 0) == (other.Integer != 0);
    case vtFloat:
        return Real == other.Real;
    case vtDateTime:
        return std::fabs(Real - other.Real) < 1.0 / 86'400'000;
    case vtCurrency:
    case vtInt64:
        return Int64 == other.Int64;
    case vtPoint:
        return Point == other.Point;
    case vtPointer:
        return Pointer == other.Pointer;
    default:
        return true;
    }
}

namespace {

using rsBinary::Append;
using rsBinary::Take;

bool AppendElement(std::string& buffer, const Variant& item)
{
    Append<uint32_t>(buffer, static_cast<uint16_t>(item.Kind()));
    switch (item.Kind()) {
    case VariantKind::SmallInt:
        Append(buffer, static_cast<int16_t>(item.Integer()));
        return true;
    case VariantKind::Integer:
        Append(buffer, static_cast<int32_t>(item.Integer()));
        return true;
    case VariantKind::Single:
        Append(buffer, static_cast<float>(item.Real()));
        return true;
    case VariantKind::Double:
    case VariantKind::Date:
        Append(buffer, item.Real());
        return true;
    case VariantKind::Currency:
        Append(buffer, item.Integer());
        return true;
    case VariantKind::WideString:
    case VariantKind::String:
        Append(buffer, static_cast<uint32_t>(item.Text().size()));
        buffer += item.Text();
        return true;
    case VariantKind::Boolean:
    case VariantKind::Byte:
        Append(buffer, static_cast<uint8_t>(item.Integer()));
        return true;
    default:
        return false;
    }
}

template <typename Stored>
bool TakeNumber(std::string_view& buffer, Variant& item, Variant make(Stored))
{
    Stored value {};
    if (!Take(buffer, value))
        return false;
    item = make(value);
    return true;
}

bool TakeText(std::string_view& buffer, Variant& item, bool wide)
{
    uint32_t length = 0;
    if (!Take(buffer, length) || buffer.size() < length)
        return false;
    std::string text(buffer.substr(0, length));
    buffer.remove_prefix(length);
    item = wide ? Variant::WideString(std::move(text)) : Variant(std::move(text));
    return true;
}

bool TakeElement(std::string_view& buffer, Variant& item)
{
    uint32_t kind = 0;
    if (!Take(buffer, kind))
        return false;
    switch (static_cast<VariantKind>(kind)) {
    case VariantKind::SmallInt:
        return TakeNumber<int16_t>(buffer, item, Variant::SmallInt);
    case VariantKind::Integer:
        return TakeNumber<int32_t>(buffer, item, [](int32_t v) { return Variant(v); });
    case VariantKind::Single:
        return TakeNumber<float>(buffer, item, Variant::Single);
    case VariantKind::Double:
        return TakeNumber<double>(buffer, item, [](double v) { return Variant(v); });
    case VariantKind::Date:
        return TakeNumber<double>(buffer, item, Variant::Date);
    case VariantKind::Currency:
        return TakeNumber<int64_t>(
            buffer, item, [](int64_t v) { return Variant::Currency({ v }); });
    case VariantKind::WideString:
        return TakeText(buffer, item, true);
    case VariantKind::String:
        return TakeText(buffer, item, false);
    case VariantKind::Boolean:
        return TakeNumber<uint8_t>(buffer, item, [](uint8_t v) { return Variant(v != 0); });
    case VariantKind::Byte:
        return TakeNumber<uint8_t>(buffer, item, Variant::Byte);
    default:
        return false;
    }
}

} // namespace

void AppendValue(std::string& bytes, const TrsValue& value)
{
    Append(bytes, value.Type);
    switch (value.Type) {
    case vtString:
    case vtBuffer:
        Append(bytes, static_cast<uint32_t>(value.Bytes.size()));
        bytes += value.Bytes;
        break;
    case vtInteger:
    case vtBoolean:
        Append(bytes, value.Integer);
        break;
    case vtPointer:
        Append(bytes, static_cast<uint32_t>(value.Pointer));
        break;
    case vtFloat:
    case vtDateTime:
        Append(bytes, value.Real);
        break;
    case vtCurrency:
    case vtInt64:
        Append(bytes, value.Int64);
        break;
    case vtPoint:
        Append(bytes, value.Point.X);
        Append(bytes, value.Point.Y);
        break;
    }
}

bool TakeValue(std::string_view& bytes, TrsValue& value)
{
    uint16_t type = 0;
    if (!Take(bytes, type) || type > vtPointer)
        return false;
    value.Clear();
    value.Type = type;
    uint32_t length = 0;
    uint32_t pointer = 0;
    switch (type) {
    case vtString:
    case vtBuffer:
        if (!Take(bytes, length) || bytes.size() < length)
            return false;
        value.Bytes = bytes.substr(0, length);
        bytes.remove_prefix(length);
        return true;
    case vtInteger:
    case vtBoolean:
        return Take(bytes, value.Integer);
    case vtPointer:
        if (!Take(bytes, pointer))
            return false;
        value.Pointer = pointer;
        return true;
    case vtFloat:
    case vtDateTime:
        return Take(bytes, value.Real);
    case vtCurrency:
    case vtInt64:
        return Take(bytes, value.Int64);
    case vtPoint:
        return Take(bytes, value.Point.X) && Take(bytes, value.Point.Y);
    }
    return true;
}

std::optional<std::string> ArrayToBuffer(const std::vector<Variant>& items)
{
    std::string buffer;
    Append(buffer, static_cast<uint32_t>(items.size()));
    for (const Variant& item : items)
        if (!AppendElement(buffer, item))
            return std::nullopt;
    return buffer;
}

std::optional<std::vector<Variant>> BufferToArray(std::string_view buffer)
{
    std::vector<Variant> items;
    uint32_t count = 0;
    if (!Take(buffer, count))
        return std::nullopt;
    for (uint32_t i = 0; i < count; ++i) {
        Variant item;
        if (!TakeElement(buffer, item))
            return std::nullopt;
        items.push_back(std::move(item));
    }
    return items;
}
