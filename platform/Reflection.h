// Reaching the published state of components by name, as the property saver
// does: a component is a QObject, its name the objectName, its owner the
// parent, its published properties the Q_PROPERTYs of its class.
#pragma once

#include <QMetaProperty>
#include <QVariant>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QObject;
class QWidget;

namespace platform {

enum class PropertyKind {
    None, // a type the saver does not handle
    Integer, // integers up to 32 bits and characters
    Enumeration, // Q_ENUMs and bool, whose elements are "False" and "True"
    Float,
    String, // QString and QByteArray
    Set, // Q_FLAGs: the element ordinal is the bit number
    Object, // a pointer to a QObject
    StringList, // QStringList: its text is the lines separated by CR LF
    Int64,
    Variant,
};

// One published property of one object. Writes go through QMetaProperty::write
// and report false when the property is read-only or refuses the value.
class PublishedProperty {
public:
    PublishedProperty() = default;
    PublishedProperty(QObject* instance, QMetaProperty property);

    bool IsValid() const { return instance_ != nullptr; }
    QObject* Instance() const { return instance_; }
    std::string Name() const;
    PropertyKind Kind() const;
    bool IsWritable() const;

    // Integers, the ordinal of an enumeration (bool: 0 or 1), the bits of a set.
    std::int64_t Ordinal() const;
    bool SetOrdinal(std::int64_t value) const;
    double Float() const;
    bool SetFloat(double value) const;
    std::string String() const;
    bool SetString(std::string_view value) const;
    std::int64_t Int64() const;
    bool SetInt64(std::int64_t value) const;
    QObject* Object() const;
    bool SetObject(QObject* value) const;
    QVariant Variant() const;
    bool SetVariant(const QVariant& value) const;
    std::string StringListText() const;
    bool SetStringListText(std::string_view text) const;

    // Enumeration elements; the name of an unknown ordinal is empty and the
    // ordinal of an unknown name is -1.
    std::string ElementName(std::int64_t ordinal) const;
    std::int64_t ElementOrdinal(std::string_view name) const;
    // The element names of a set, indexed by bit number (empty for unused bits).
    std::vector<std::string> SetElementNames() const;

private:
    bool Write(const QVariant& value) const;

    QObject* instance_ = nullptr;
    QMetaProperty property_;
};

// Looks a property up by name, ignoring ASCII case; the most derived class's
// property of that name wins.
PublishedProperty FindProperty(QObject* instance, std::string_view name);

std::string ClassName(const QObject* instance);
// The instance's own class first, then each ancestor up to QObject.
std::vector<std::string> ClassAndAncestorNames(const QObject* instance);

std::string ComponentName(const QObject* component);
QObject* ComponentOwner(const QObject* component);
// The first descendant (nearest first) whose objectName matches, ignoring case.
QObject* FindOwnedComponent(QObject* owner, std::string_view name);

// The open top-level windows, and the first of them named exactly name.
std::vector<QWidget*> OpenWindows();
QWidget* FindOpenWindow(std::string_view name);

// What a component offers when it holds a list of items that the saver may
// extend or shorten. Items are QObjects with published properties.
class Collection {
public:
    virtual ~Collection() = default;
    virtual int Count() const = 0;
    virtual QObject* Item(int index) const = 0;
    virtual QObject* Add() = 0;
    virtual void Free(int index) = 0;
    virtual void BeginUpdate() { }
    virtual void EndUpdate() { }
};

Collection* AsCollection(QObject* instance);

} // namespace platform
