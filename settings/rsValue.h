// The value cell behind every stored key, and Variant, the dynamic value
// passed between the property saver, the storage and the window's handlers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Kind codes of a Variant; the numbers are those stored in array buffers.
enum class VariantKind : uint16_t {
    Empty = 0,
    Null = 1,
    SmallInt = 2,
    Integer = 3,
    Single = 4,
    Double = 5,
    Currency = 6,
    Date = 7,
    WideString = 8,
    Boolean = 11,
    Byte = 17,
    Int64 = 20,
    String = 256,
    Array = 0x2000
};

// A count of 1/10000 units.
struct TCurrency {
    int64_t Scaled = 0;
    friend bool operator==(const TCurrency&, const TCurrency&) = default;
};

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

class Variant {
public:
    Variant() = default;
    Variant(int32_t value);
    Variant(int64_t value);
    Variant(double value);
    Variant(bool value);
    Variant(std::string value);
    Variant(const char* value);

    static Variant Null();
    static Variant SmallInt(int16_t value);
    static Variant Byte(uint8_t value);
    static Variant Single(float value);
    static Variant Currency(TCurrency value);
    static Variant Date(double value);
    static Variant WideString(std::string value);
    static Variant Array(std::vector<Variant> items);

    VariantKind Kind() const { return kind_; }
    bool IsEmpty() const { return kind_ == VariantKind::Empty; }
    // The payload of the integer kinds, the Boolean and the currency count.
    int64_t Integer() const { return integer_; }
    // The payload of Single, Double and Date.
    double Real() const { return real_; }
    bool Boolean() const { return integer_ != 0; }
    const std::string& Text() const { return text_; }
    const std::vector<Variant>& Items() const { return items_; }

    friend bool operator==(const Variant&, const Variant&) = default;

private:
    // The same payload under the kind of a narrower or differently named
    // type.
    static Variant Retagged(Variant value, VariantKind kind);

    VariantKind kind_ = VariantKind::Empty;
    int64_t integer_ = 0;
    double real_ = 0;
    std::string text_;
    std::vector<Variant> items_;
};

// Type tags of a value cell; the numbers are those of the section stream.
enum TrsValueType : uint16_t {
    vtEmpty = 0,
    vtString = 1,
    vtBuffer = 2,
    vtInteger = 3,
    vtFloat = 4,
    vtCurrency = 5,
    vtDateTime = 6,
    vtBoolean = 7,
    vtPoint = 8,
    vtInt64 = 9,
    vtPointer = 10
};

// One stored value: an option word free for the owner, a type tag and the
// payload of that type. Strings and buffers keep their bytes in Bytes; the
// other types use the fields named after them.
struct TrsValue {
    uint16_t Options = 0;
    uint16_t Type = vtEmpty;
    std::string Bytes;
    union {
        int32_t Integer;
        double Real;
        int64_t Int64;
        TPoint Point;
        uintptr_t Pointer;
    };

    TrsValue() : Int64(0) { }
    // Releases the payload; the option word stays.
    void Clear();
    bool EqualValue(const TrsValue& other) const;
};

// Option bit that SaveChanges uses to mark the keys it keeps.
constexpr uint16_t rsChangedMark = 0x80;

// A cell's type tag (16 bits) and payload, little-endian: strings and
// buffers as a 32-bit length and the bytes, the other types by their width.
void AppendValue(std::string& bytes, const TrsValue& value);
// Reads what AppendValue wrote from the front of bytes; false when the
// bytes end early or the tag is unknown.
bool TakeValue(std::string_view& bytes, TrsValue& value);

// Arrays are stored as buffers, little-endian: a 32-bit count, then each
// element's kind code and data. Nothing when an element's kind cannot be
// stored, or when a buffer is not such an array.
std::optional<std::string> ArrayToBuffer(const std::vector<Variant>& items);
std::optional<std::vector<Variant>> BufferToArray(std::string_view buffer);
