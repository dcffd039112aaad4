// Typed access to a key tree: each read gives the key's value as one type,
// or the default when the key is missing; each write makes the key as
// needed and stores the value with its type. String lists are kept as
// numbered keys ("Name.Item0", "Name.Item1", ...).
#pragma once

#include "settings/rsKeyTree.h"

class TrsTypedAccess : public TrsKeyTree {
public:
    Variant GetValue(std::string_view path);
    void SetValue(std::string_view path, const Variant& value);
    std::string ReadString(std::string_view path, std::string_view defaultValue);
    std::string ReadText(std::string_view path, std::string_view defaultValue);
    int32_t ReadInteger(std::string_view path, int32_t defaultValue);
    int64_t ReadInt64(std::string_view path, int64_t defaultValue);
    double ReadFloat(std::string_view path, double defaultValue);
    TCurrency ReadCurrency(std::string_view path, TCurrency defaultValue);
    double ReadDateTime(std::string_view path, double defaultValue);
    bool ReadBoolean(std::string_view path, bool defaultValue);
    void* ReadPointer(std::string_view path, void* defaultValue);
    void ReadPoint(std::string_view path, TPoint& point);
    int ReadBuffer(std::string_view path, void* destination, int size);
    void ReadStream(std::string_view path, std::ostream& stream);
    void ReadArray(std::string_view path, Variant& array);
    void ReadComponent(std::string_view path, TrsPersistentObject& component);
    void ReadPersistent(std::string_view path, TrsPersistentObject& object);
    void WriteString(std::string_view path, std::string_view value);
    void WriteText(std::string_view path, std::string_view value);
    void WriteInteger(std::string_view path, int32_t value);
    void WriteInt64(std::string_view path, int64_t value);
    void WriteFloat(std::string_view path, double value);
    void WriteCurrency(std::string_view path, TCurrency value);
    void WriteDateTime(std::string_view path, double value);
    void WriteBoolean(std::string_view path, bool value);
    void WritePoint(std::string_view path, TPoint value);
    void WritePointer(std::string_view path, void* value);
    void WriteBuffer(std::string_view path, const void* source, int size);
    void WriteStream(std::string_view path, std::istream& stream);
    void WriteArray(std::string_view path, const Variant& array);
    void WriteComponent(std::string_view path, const TrsPersistentObject& component);
    void WritePersistent(std::string_view path, const TrsPersistentObject& object);
    bool ReadStrings(std::string_view path, std::vector<std::string>& lines);
    void WriteStrings(std::string_view path, const std::vector<std::string>& lines);

private:
    // The key's value through getter, or fallback when there is no key.
    template <typename T, typename Getter>
    T ReadOr(std::string_view path, T fallback, Getter getter);
    // Whether the key is there; the tree's wrapper then points at it.
    bool Found(std::string_view path);
    // Makes the key as needed and hands it the value through setter.
    template <typename Setter, typename... Values>
    void WriteWith(std::string_view path, Setter setter, Values&&... values);
};
