#include "platform/Reflection.h"

#include "platform/QtText.h"
#include "text/AsciiText.h"
#include "text/MemoLines.h"

#include <QApplication>
#include <QMetaEnum>
#include <QObject>
#include <QStringList>
#include <QWidget>
#include <deque>

namespace platform {

namespace {

bool IsIntegerType(int type)
{
    switch (type) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::QChar:
        return true;
    default:
        return false;
    }
}

bool IsInt64Type(int type)
{
    return type == QMetaType::LongLong || type == QMetaType::ULongLong || type == QMetaType::Long
        || type == QMetaType::ULong;
}

PropertyKind KindOfType(QMetaType type)
{
    const int id = type.id();
    if (id == QMetaType::Bool)
        return PropertyKind::Enumeration;
    if (IsIntegerType(id))
        return PropertyKind::Integer;
    if (IsInt64Type(id))
        return PropertyKind::Int64;
    if (id == QMetaType::Double || id == QMetaType::Float)
        return PropertyKind::Float;
    if (id == QMetaType::QString || id == QMetaType::QByteArray)
        return PropertyKind::String;
    if (id == QMetaType::QStringList)
        return PropertyKind::StringList;
    if (id == QMetaType::QVariant)
        return PropertyKind::Variant;
    if (type.flags().testFlag(QMetaType::PointerToQObject))
        return PropertyKind::Object;
    return PropertyKind::None;
}

int BitNumber(int mask)
{
    int bit = 0;
    while (bit < 32 && (static_cast<unsigned>(mask) >> bit) != 1u)
        ++bit;
    return bit;
}

bool IsSingleBit(int mask)
{
    const auto bits = static_cast<unsigned>(mask);
    return bits != 0 && (bits & (bits - 1)) == 0;
}

std::string JoinWithCrLf(const QStringList& lines)
{
    std::string text;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += "\r\n";
        text += ToBytes(lines[i]);
    }
    return text;
}

QStringList SplitIntoLines(std::string_view text)
{
    QStringList lines;
    for (const std::string& line : text::SplitMemoText(text))
        lines.append(ToQString(line));
    return lines;
}

} // namespace

PublishedProperty::PublishedProperty(QObject* instance, QMetaProperty property)
    : instance_(instance), property_(property)
{
}

std::string PublishedProperty::Name() const
{
    return property_.name();
}

PropertyKind PublishedProperty::Kind() const
{
    if (!IsValid())
        return PropertyKind::None;
    if (property_.isFlagType())
        return PropertyKind::Set;
    if (property_.isEnumType())
        return PropertyKind::Enumeration;
    return KindOfType(property_.metaType());
}

bool PublishedProperty::IsWritable() const
{
    return IsValid() && property_.isWritable();
}

bool PublishedProperty::Write(const QVariant& value) const
{
    return IsWritable() && property_.write(instance_, value);
}

std::int64_t PublishedProperty::Ordinal() const
{
    const QVariant value = property_.read(instance_);
    if (value.typeId() == QMetaType::QChar)
        return value.toChar().unicode();
    if (property_.isEnumType())
        return property_.enumerator().isFlag() ? static_cast<unsigned>(value.toInt())
                                               : value.toInt();
    return value.toLongLong();
}

bool PublishedProperty::SetOrdinal(std::int64_t value) const
{
    if (property_.metaType().id() == QMetaType::QChar)
        return Write(QVariant(QChar(static_cast<char16_t>(value))));
    if (property_.metaType().id() == QMetaType::Bool)
        return Write(QVariant(value != 0));
    if (property_.isEnumType())
        return Write(QVariant(static_cast<int>(value)));
    return Write(QVariant(static_cast<qlonglong>(value)));
}

double PublishedProperty::Float() const
{
    return property_.read(instance_).toDouble();
}

bool PublishedProperty::SetFloat(double value) const
{
    return Write(QVariant(value));
}

std::string PublishedProperty::String() const
{
    const QVariant value = property_.read(instance_);
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray().toStdString();
    return ToBytes(value.toString());
}

bool PublishedProperty::SetString(std::string_view value) const
{
    if (property_.metaType().id() == QMetaType::QByteArray)
        return Write(QVariant(QByteArray(value.data(), static_cast<qsizetype>(value.size()))));
    return Write(QVariant(ToQString(value)));
}

std::int64_t PublishedProperty::Int64() const
{
    return property_.read(instance_).toLongLong();
}

bool PublishedProperty::SetInt64(std::int64_t value) const
{
    return Write(QVariant(static_cast<qlonglong>(value)));
}

QObject* PublishedProperty::Object() const
{
    return property_.read(instance_).value<QObject*>();
}

bool PublishedProperty::SetObject(QObject* value) const
{
    return Write(QVariant::fromValue(value));
}

QVariant PublishedProperty::Variant() const
{
    return property_.read(instance_);
}

bool PublishedProperty::SetVariant(const QVariant& value) const
{
    return Write(value);
}

std::string PublishedProperty::StringListText() const
{
    return JoinWithCrLf(property_.read(instance_).toStringList());
}

bool PublishedProperty::SetStringListText(std::string_view text) const
{
    return Write(QVariant(SplitIntoLines(text)));
}

std::string PublishedProperty::ElementName(std::int64_t ordinal) const
{
    if (property_.metaType().id() == QMetaType::Bool)
        return ordinal == 0 ? "False" : (ordinal == 1 ? "True" : "");
    if (!property_.isEnumType())
        return {};
    const char* key = property_.enumerator().valueToKey(static_cast<int>(ordinal));
    return key ? key : "";
}

std::int64_t PublishedProperty::ElementOrdinal(std::string_view name) const
{
    if (property_.metaType().id() == QMetaType::Bool)
        return text::SameText(name, "False") ? 0 : (text::SameText(name, "True") ? 1 : -1);
    if (!property_.isEnumType())
        return -1;
    const QMetaEnum enumeration = property_.enumerator();
    for (int i = 0; i < enumeration.keyCount(); ++i) {
        if (text::SameText(name, enumeration.key(i))) {
            const int value = enumeration.value(i);
            return enumeration.isFlag() ? BitNumber(value) : value;
        }
    }
    return -1;
}

std::vector<std::string> PublishedProperty::SetElementNames() const
{
    std::vector<std::string> names;
    if (!property_.isFlagType())
        return names;
    const QMetaEnum enumeration = property_.enumerator();
    for (int i = 0; i < enumeration.keyCount(); ++i) {
        if (!IsSingleBit(enumeration.value(i)))
            continue;
        const auto bit = static_cast<std::size_t>(BitNumber(enumeration.value(i)));
        if (names.size() <= bit)
            names.resize(bit + 1);
        if (names[bit].empty())
            names[bit] = enumeration.key(i);
    }
    return names;
}

PublishedProperty FindProperty(QObject* instance, std::string_view name)
{
    if (!instance || name.empty())
        return {};
    // A derived class's property hides a base class's of the same name in
    // another case, as the window's "Width" hides QWidget's "width".
    const QMetaObject* meta = instance->metaObject();
    for (int i = meta->propertyCount() - 1; i >= 0; --i) {
        if (text::SameText(name, meta->property(i).name()))
            return { instance, meta->property(i) };
    }
    return {};
}

std::string ClassName(const QObject* instance)
{
    return instance ? instance->metaObject()->className() : "";
}

std::vector<std::string> ClassAndAncestorNames(const QObject* instance)
{
    std::vector<std::string> names;
    for (const QMetaObject* meta = instance ? instance->metaObject() : nullptr; meta;
         meta = meta->superClass())
        names.emplace_back(meta->className());
    return names;
}

std::string ComponentName(const QObject* component)
{
    return component ? ToBytes(component->objectName()) : "";
}

QObject* ComponentOwner(const QObject* component)
{
    return component ? component->parent() : nullptr;
}

QObject* FindOwnedComponent(QObject* owner, std::string_view name)
{
    if (!owner || name.empty())
        return nullptr;
    std::deque<QObject*> pending(owner->children().begin(), owner->children().end());
    while (!pending.empty()) {
        QObject* candidate = pending.front();
        pending.pop_front();
        if (text::SameText(name, ToBytes(candidate->objectName())))
            return candidate;
        pending.insert(pending.end(), candidate->children().begin(), candidate->children().end());
    }
    return nullptr;
}

std::vector<QWidget*> OpenWindows()
{
    std::vector<QWidget*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->isWindow())
            windows.push_back(widget);
    }
    return windows;
}

QWidget* FindOpenWindow(std::string_view name)
{
    for (QWidget* window : OpenWindows()) {
        if (ToBytes(window->objectName()) == name)
            return window;
    }
    return nullptr;
}

Collection* AsCollection(QObject* instance)
{
    return dynamic_cast<Collection*>(instance);
}

} // namespace platform
