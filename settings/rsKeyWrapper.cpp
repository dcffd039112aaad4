#include "settings/rsKeyWrapper.h"

#include "settings/TextForms.h"
#include "settings/rsException.h"
#include "settings/rsKeyTree.h"
#include "text/PercentCoding.h"

#include <cmath>
#include <cstring>
#include <istream>
#include <iterator>
#include <limits>
#include <optional>
#include <ostream>

namespace {

// Rounds to the nearest integer, halves to even.
bool RoundToInt64(double value, int64_t& result)
{
    const double rounded = std::nearbyint(value);
    if (!(rounded >= -9.2233720368547758e18 && rounded < 9.2233720368547758e18))
        return false;
    result = static_cast<int64_t>(rounded);
    return true;
}

int64_t ScaledToUnits(int64_t scaled)
{
    int64_t units = scaled / 10000;
    const int64_t rest = scaled % 10000;
    const int64_t sign = scaled < 0 ? -1 : 1;
    if (std::llabs(rest) > 5000 || (std::llabs(rest) == 5000 && units % 2 != 0))
        units += sign;
    return units;
}

template <typename T> bool ExactBytes(const std::string& bytes, T& value)
{
    if (bytes.size() != sizeof(T))
        return false;
    std::memcpy(&value, bytes.data(), sizeof(T));
    return true;
}

// What every number read shares: an empty cell reads as zero, a string is
// parsed, and a buffer of exactly the number's size holds its bytes. Nothing
// for a cell of another type or a buffer of another size.
template <typename T, typename Parse> std::optional<T> SharedNumber(const TrsValue& v, Parse parse)
{
    T exact {};
    if (v.Type == vtEmpty)
        return T {};
    if (v.Type == vtString)
        return parse(v.Bytes);
    if (v.Type == vtBuffer && ExactBytes(v.Bytes, exact))
        return exact;
    return std::nullopt;
}

std::string HexText(const std::string& bytes)
{
    std::string hex;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            hex += ',';
        text::AppendHexByte(hex, static_cast<unsigned char>(bytes[i]));
    }
    return hex;
}

} // namespace

TrsKeyWrapper::TrsKeyWrapper(TrsKeyTree* storage) : storage_(storage) { }

void TrsKeyWrapper::SetTarget(TrsValue* cell)
{
    cell_ = cell;
    keyIndex_ = -1;
}

void TrsKeyWrapper::SetKeyIndex(int index)
{
    keyIndex_ = index;
    cell_ = nullptr;
}

TrsValue* TrsKeyWrapper::Target() const
{
    if (keyIndex_ >= 0 && storage_ && keyIndex_ < storage_->KeyItemCount())
        return &storage_->GetKeyItem(keyIndex_).Value;
    return cell_;
}

TrsValue& TrsKeyWrapper::Cell() const
{
    TrsValue* cell = Target();
    if (!cell)
        RaiseStorageError(egCommon, "The key wrapper points at no value.");
    return *cell;
}

void TrsKeyWrapper::RaiseRead(const char* typeWord) const
{
    RaiseStorageError(egGetKeyValue,
        FormatMessage("Can't read value of key \"%s\" as %s type.", { GetFullName(), typeWord }));
}

TrsValue& TrsKeyWrapper::Reset(uint16_t type)
{
    TrsValue& cell = Cell();
    cell.Clear();
    cell.Type = type;
    return cell;
}

std::string TrsKeyWrapper::GetAsString() const
{
    const TrsValue& v = Cell();
    switch (v.Type) {
    case vtEmpty:
        return {};
    case vtString:
        return v.Bytes;
    case vtBuffer:
        return HexText(v.Bytes);
    case vtInteger:
        return IntegerToText(v.Integer);
    case vtFloat:
        return FloatToText(v.Real);
    case vtCurrency:
        return CurrencyToText(v.Int64);
    case vtDateTime:
        return DateTimeToText(v.Real);
    case vtBoolean:
        return v.Integer != 0 ? "True" : "False";
    case vtPoint:
        return Concat({ "(", IntegerToText(v.Point.X), ",", IntegerToText(v.Point.Y), ")" });
    case vtInt64:
        return IntegerToText(v.Int64);
    case vtPointer:
        return IntegerToText(static_cast<int64_t>(v.Pointer));
    }
    RaiseRead("string");
}

void TrsKeyWrapper::SetAsString(std::string_view value)
{
    Reset(vtString).Bytes = value;
}

int32_t TrsKeyWrapper::GetAsInteger() const
{
    const TrsValue& v = Cell();
    if (const auto shared = SharedNumber<int32_t>(v, TextToInteger))
        return *shared;
    int64_t wide = 0;
    switch (v.Type) {
    case vtInteger:
        return v.Integer;
    case vtFloat:
    case vtDateTime:
        if (RoundToInt64(v.Real, wide) && wide >= std::numeric_limits<int32_t>::min()
            && wide <= std::numeric_limits<int32_t>::max())
            return static_cast<int32_t>(wide);
        break;
    case vtCurrency:
        wide = ScaledToUnits(v.Int64);
        if (wide >= std::numeric_limits<int32_t>::min()
            && wide <= std::numeric_limits<int32_t>::max())
            return static_cast<int32_t>(wide);
        break;
    case vtBoolean:
        return v.Integer != 0 ? 1 : 0;
    case vtInt64:
        return static_cast<int32_t>(static_cast<uint32_t>(v.Int64));
    }
    RaiseRead("integer");
}

void TrsKeyWrapper::SetAsInteger(int32_t value)
{
    Reset(vtInteger).Integer = value;
}

int64_t TrsKeyWrapper::GetAsInt64() const
{
    const TrsValue& v = Cell();
    if (const auto shared = SharedNumber<int64_t>(v, TextToInt64))
        return *shared;
    int64_t result = 0;
    switch (v.Type) {
    case vtInteger:
        return v.Integer;
    case vtFloat:
        if (RoundToInt64(v.Real, result))
            return result;
        break;
    case vtCurrency:
        return ScaledToUnits(v.Int64);
    case vtInt64:
        return v.Int64;
    }
    RaiseRead("Int64");
}

void TrsKeyWrapper::SetAsInt64(int64_t value)
{
    Reset(vtInt64).Int64 = value;
}

double TrsKeyWrapper::GetAsFloat() const
{
    const TrsValue& v = Cell();
    if (const auto shared = SharedNumber<double>(v, TextToFloat))
        return *shared;
    switch (v.Type) {
    case vtInteger:
        return v.Integer;
    case vtFloat:
        return v.Real;
    case vtCurrency:
        return static_cast<double>(v.Int64) / 10000;
    case vtInt64:
        return static_cast<double>(v.Int64);
    }
    RaiseRead("float");
}

void TrsKeyWrapper::SetAsFloat(double value)
{
    Reset(vtFloat).Real = value;
}

TCurrency TrsKeyWrapper::GetAsCurrency() const
{
    const TrsValue& v = Cell();
    if (const auto shared = SharedNumber<int64_t>(v, TextToCurrency))
        return { *shared };
    int64_t result = 0;
    switch (v.Type) {
    case vtInteger:
        return { int64_t { v.Integer } * 10000 };
    case vtFloat:
        if (RoundToInt64(v.Real * 10000, result))
            return { result };
        break;
    case vtCurrency:
        return { v.Int64 };
    case vtInt64:
        if (!__builtin_mul_overflow(v.Int64, int64_t { 10000 }, &result))
            return { result };
        break;
    }
    RaiseRead("currency");
}

void TrsKeyWrapper::SetAsCurrency(TCurrency value)
{
    Reset(vtCurrency).Int64 = value.Scaled;
}

double TrsKeyWrapper::GetAsDateTime() const
{
    const TrsValue& v = Cell();
    if (const auto shared = SharedNumber<double>(v, TextToDateTime))
        return *shared;
    switch (v.Type) {
    case vtInteger:
        return v.Integer;
    case vtFloat:
    case vtDateTime:
        return v.Real;
    case vtInt64:
        return static_cast<double>(v.Int64);
    }
    RaiseRead("DateTime");
}

void TrsKeyWrapper::SetAsDateTime(double value)
{
    Reset(vtDateTime).Real = value;
}

bool TrsKeyWrapper::GetAsBoolean() const
{
    const TrsValue& v = Cell();
    switch (v.Type) {
    case vtEmpty:
        return false;
    case vtString:
        if (SameText(v.Bytes, "True"))
            return true;
        if (SameText(v.Bytes, "False"))
            return false;
        throw ConversionError("'" + v.Bytes + "' is not a valid boolean value");
    case vtInteger:
    case vtBoolean:
        return v.Integer != 0;
    case vtFloat:
        return v.Real != 0;
    case vtCurrency:
    case vtInt64:
        return v.Int64 != 0;
    }
    RaiseRead("boolean");
}

void TrsKeyWrapper::SetAsBoolean(bool value)
{
    Reset(vtBoolean).Integer = value ? -1 : 0;
}

TPoint TrsKeyWrapper::GetAsPoint() const
{
    const TrsValue& v = Cell();
    if (v.Type == vtEmpty)
        return {};
    if (v.Type != vtPoint)
        RaiseRead("point");
    return v.Point;
}

void TrsKeyWrapper::SetAsPoint(TPoint value)
{
    Reset(vtPoint).Point = value;
}

void* TrsKeyWrapper::GetAsPointer() const
{
    TrsValue& v = Cell();
    switch (v.Type) {
    case vtString:
    case vtBuffer:
        return v.Bytes.data();
    case vtInteger:
        return reinterpret_cast<void*>(static_cast<intptr_t>(v.Integer));
    case vtPointer:
        return reinterpret_cast<void*>(v.Pointer);
    }
    RaiseRead("pointer");
}

void TrsKeyWrapper::SetAsPointer(void* value)
{
    Reset(vtPointer).Pointer = reinterpret_cast<uintptr_t>(value);
}

int TrsKeyWrapper::GetAsBuffer(void* destination, int size) const
{
    const TrsValue& v = Cell();
    if (v.Type != vtString && v.Type != vtBuffer)
        return 0;
    const int length = static_cast<int>(v.Bytes.size());
    if (size <= 0)
        return length;
    const int count = std::min(size, length);
    std::memcpy(destination, v.Bytes.data(), count);
    return count;
}

void TrsKeyWrapper::SetAsBuffer(const void* source, int size)
{
    Reset(vtBuffer);
    if (size > 0)
        Cell().Bytes.assign(static_cast<const char*>(source), size);
}

int TrsKeyWrapper::GetAsStream(std::ostream& stream) const
{
    const TrsValue& v = Cell();
    if (v.Type != vtString && v.Type != vtBuffer)
        return 0;
    stream.write(v.Bytes.data(), static_cast<std::streamsize>(v.Bytes.size()));
    return static_cast<int>(v.Bytes.size());
}

void TrsKeyWrapper::SetAsStream(std::istream& stream)
{
    std::string bytes { std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>() };
    Reset(vtBuffer).Bytes = std::move(bytes);
}

Variant TrsKeyWrapper::GetAsArray() const
{
    const TrsValue& v = Cell();
    if (v.Type == vtEmpty || ((v.Type == vtBuffer || v.Type == vtString) && v.Bytes.empty()))
        return {};
    if (v.Type == vtBuffer || v.Type == vtString)
        if (auto items = BufferToArray(v.Bytes))
            return Variant::Array(std::move(*items));
    RaiseRead("array");
}

void TrsKeyWrapper::SetAsArray(const Variant& array)
{
    std::optional<std::string> buffer;
    if (array.Kind() == VariantKind::Array)
        buffer = ArrayToBuffer(array.Items());
    if (!buffer)
        RaiseStorageError(egSetKeyValue,
            FormatMessage(
                "Can't write value of key \"%s\" as %s type.", { GetFullName(), "array" }));
    Reset(vtBuffer).Bytes = std::move(*buffer);
}

Variant TrsKeyWrapper::GetAsVariant() const
{
    const TrsValue& v = Cell();
    switch (v.Type) {
    case vtString:
    case vtBuffer:
        return Variant(v.Bytes);
    case vtInteger:
        return Variant(v.Integer);
    case vtPointer:
        return Variant(static_cast<int32_t>(v.Pointer));
    case vtFloat:
        return Variant(v.Real);
    case vtCurrency:
        return Variant::Currency({ v.Int64 });
    case vtDateTime:
        return Variant::Date(v.Real);
    case vtBoolean:
        return Variant(v.Integer != 0);
    case vtInt64:
        return Variant(v.Int64);
    default:
        return {};
    }
}

void TrsKeyWrapper::SetAsVariant(const Variant& value)
{
    switch (value.Kind()) {
    case VariantKind::Empty:
    case VariantKind::Null:
        Reset(vtEmpty);
        return;
    case VariantKind::SmallInt:
    case VariantKind::Integer:
    case VariantKind::Byte:
        SetAsInteger(static_cast<int32_t>(value.Integer()));
        return;
    case VariantKind::Single:
    case VariantKind::Double:
        SetAsFloat(value.Real());
        return;
    case VariantKind::Currency:
        SetAsCurrency({ value.Integer() });
        return;
    case VariantKind::Date:
        SetAsDateTime(value.Real());
        return;
    case VariantKind::WideString:
    case VariantKind::String:
        SetAsString(value.Text());
        return;
    case VariantKind::Boolean:
        SetAsBoolean(value.Boolean());
        return;
    case VariantKind::Int64:
        SetAsInt64(value.Integer());
        return;
    case VariantKind::Array:
        SetAsArray(value);
        return;
    }
}

void TrsKeyWrapper::GetComponentProps(TrsPersistentObject& component) const
{
    GetPersistentProps(component);
}

void TrsKeyWrapper::SetComponentProps(const TrsPersistentObject& component)
{
    SetPersistentProps(component);
}

void TrsKeyWrapper::GetPersistentProps(TrsPersistentObject& object) const
{
    const TrsValue& v = Cell();
    if (v.Type == vtString || v.Type == vtBuffer)
        object.LoadProperties(v.Bytes);
}

void TrsKeyWrapper::SetPersistentProps(const TrsPersistentObject& object)
{
    const std::string bytes = object.SaveProperties();
    SetAsBuffer(bytes.data(), static_cast<int>(bytes.size()));
}

void TrsKeyWrapper::AssignValue(const TrsValue& source)
{
    TrsValue& cell = Cell();
    if (&cell != &source)
        cell = source;
}

void TrsKeyWrapper::AssignValueTo(TrsValue& destination) const
{
    const TrsValue& cell = Cell();
    if (&cell != &destination)
        destination = cell;
}

bool TrsKeyWrapper::EqualValue(const TrsValue& other) const
{
    return Cell().EqualValue(other);
}

void TrsKeyWrapper::Clear()
{
    Cell().Clear();
}

std::string TrsKeyWrapper::GetName() const
{
    return keyIndex_ >= 0 && storage_ ? storage_->GetKeyItem(keyIndex_).Name : std::string();
}

std::string TrsKeyWrapper::GetFullName() const
{
    return keyIndex_ >= 0 && storage_ ? storage_->KeyFullName(keyIndex_) : std::string();
}

std::string TrsKeyWrapper::GetSectionName() const
{
    if (keyIndex_ < 0 || !storage_)
        return {};
    const int section = storage_->SectionIndexOfId(storage_->GetKeyItem(keyIndex_).SectionId);
    return section >= 0 ? storage_->GetSectionItem(section).Name : std::string();
}

std::string TrsKeyWrapper::GetSectionFullName() const
{
    if (keyIndex_ < 0 || !storage_)
        return {};
    const int section = storage_->SectionIndexOfId(storage_->GetKeyItem(keyIndex_).SectionId);
    return storage_->SectionFullName(section);
}

int TrsKeyWrapper::GetSectionLevel() const
{
    if (keyIndex_ < 0 || !storage_)
        return 0;
    return storage_->SectionLevel(
        storage_->SectionIndexOfId(storage_->GetKeyItem(keyIndex_).SectionId));
}

int TrsKeyWrapper::GetKeyType() const
{
    return Cell().Type;
}

void TrsKeyWrapper::SetKeyType(int type)
{
    Cell().Type = static_cast<uint16_t>(type);
}

int TrsKeyWrapper::GetKeyOptions() const
{
    return Cell().Options;
}

void TrsKeyWrapper::SetKeyOptions(int options)
{
    Cell().Options = static_cast<uint16_t>(options);
}

std::stringstream& TrsKeyWrapper::TemporaryStream()
{
    if (!temporaryStream_)
        temporaryStream_ = std::make_unique<std::stringstream>();
    return *temporaryStream_;
}

void TrsKeyWrapper::ReleaseTemporaryStream()
{
    temporaryStream_.reset();
}

std::string TrsSectionWrapper::GetName() const
{
    return storage_ && index_ >= 0 ? storage_->GetSectionItem(index_).Name : std::string();
}

int TrsSectionWrapper::GetId() const
{
    return storage_ && index_ >= 0 ? storage_->GetSectionItem(index_).Id : 0;
}

int TrsSectionWrapper::GetParentId() const
{
    return storage_ && index_ >= 0 ? storage_->GetSectionItem(index_).ParentId : 0;
}

int TrsSectionWrapper::GetLevel() const
{
    return storage_ ? storage_->SectionLevel(index_) : 0;
}

std::string TrsSectionWrapper::GetFullName() const
{
    return storage_ ? storage_->SectionFullName(index_) : std::string();
}
