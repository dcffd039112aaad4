// The typed accessor of a value cell: reads a cell as any supported type with
// the conversion rules of the storage, and writes it from any of them.
#pragma once

#include "settings/rsValue.h"

#include <iosfwd>
#include <memory>
#include <sstream>
#include <string>

class TrsKeyTree;

// An object whose published state can be kept as a buffer value; the
// property layer supplies the stream form.
class TrsPersistentObject {
public:
    virtual ~TrsPersistentObject() = default;
    virtual std::string SaveProperties() const = 0;
    virtual void LoadProperties(std::string_view bytes) = 0;
};

class TrsKeyWrapper {
public:
    // Bound to a key tree, the wrapper can point at that tree's keys;
    // otherwise only at free cells.
    explicit TrsKeyWrapper(TrsKeyTree* storage = nullptr);

    // Points at a cell that belongs to no key (a scratch value).
    void SetTarget(TrsValue* cell);
    // Points at the key record of the given index in the bound storage.
    void SetKeyIndex(int index);
    TrsValue* Target() const;
    int KeyIndex() const { return keyIndex_; }
    TrsKeyTree* Storage() const { return storage_; }

    std::string GetAsString() const;
    void SetAsString(std::string_view value);
    int32_t GetAsInteger() const;
    void SetAsInteger(int32_t value);
    int64_t GetAsInt64() const;
    void SetAsInt64(int64_t value);
    double GetAsFloat() const;
    void SetAsFloat(double value);
    TCurrency GetAsCurrency() const;
    void SetAsCurrency(TCurrency value);
    double GetAsDateTime() const;
    void SetAsDateTime(double value);
    bool GetAsBoolean() const;
    void SetAsBoolean(bool value);
    TPoint GetAsPoint() const;
    void SetAsPoint(TPoint value);
    void* GetAsPointer() const;
    void SetAsPointer(void* value);
    // Copies at most size bytes of a string or buffer; a size of 0 or less
    // only returns the length. Other types give 0.
    int GetAsBuffer(void* destination, int size) const;
    void SetAsBuffer(const void* source, int size);
    int GetAsStream(std::ostream& stream) const;
    void SetAsStream(std::istream& stream);
    Variant GetAsArray() const;
    void SetAsArray(const Variant& array);
    Variant GetAsVariant() const;
    void SetAsVariant(const Variant& value);
    void GetComponentProps(TrsPersistentObject& component) const;
    void SetComponentProps(const TrsPersistentObject& component);
    void GetPersistentProps(TrsPersistentObject& object) const;
    void SetPersistentProps(const TrsPersistentObject& object);

    // Copies another cell into the target: option word, tag and payload.
    void AssignValue(const TrsValue& source);
    void AssignValueTo(TrsValue& destination) const;
    bool EqualValue(const TrsValue& other) const;
    void Clear();

    // Names of the target key; empty (and level 0) for a free cell.
    std::string GetName() const;
    std::string GetFullName() const;
    std::string GetSectionName() const;
    std::string GetSectionFullName() const;
    int GetSectionLevel() const;
    int GetKeyType() const;
    void SetKeyType(int type);
    int GetKeyOptions() const;
    void SetKeyOptions(int options);

    // The scratch stream of the stream conversions, kept between uses.
    std::stringstream& TemporaryStream();
    void ReleaseTemporaryStream();

private:
    TrsValue& Cell() const;
    [[noreturn]] void RaiseRead(const char* typeWord) const;
    // Empties the target and gives it the type; returns it for the payload.
    TrsValue& Reset(uint16_t type);

    TrsKeyTree* storage_;
    TrsValue* cell_ = nullptr;
    int keyIndex_ = -1;
    std::unique_ptr<std::stringstream> temporaryStream_;
};

// Points at one section record of a storage.
class TrsSectionWrapper {
public:
    explicit TrsSectionWrapper(TrsKeyTree* storage = nullptr) : storage_(storage) { }
    void SetSectionIndex(int index) { index_ = index; }
    int SectionIndex() const { return index_; }
    std::string GetName() const;
    int GetId() const;
    int GetParentId() const;
    int GetLevel() const;
    std::string GetFullName() const;

private:
    TrsKeyTree* storage_;
    int index_ = -1;
};
