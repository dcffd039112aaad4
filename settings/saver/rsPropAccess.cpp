#include "settings/saver/rsPropAccess.h"

#include "platform/QtText.h"
#include "platform/Reflection.h"
#include "platform/WindowHooks.h"
#include "platform/WindowPlacement.h"
#include "settings/TextForms.h"
#include "text/AsciiText.h"

#include <QDateTime>
#include <QObject>
#include <QWidget>
#include <cstdio>
#include <vector>

using platform::PropertyKind;
using platform::PublishedProperty;

namespace {

bool HasProperty(QObject* instance, std::string_view name)
{
    return platform::FindProperty(instance, name).IsValid();
}

QObject* ObjectProperty(QObject* instance, std::string_view name)
{
    const PublishedProperty property = platform::FindProperty(instance, name);
    return property.Kind() == PropertyKind::Object ? property.Object() : nullptr;
}

bool IsObjectProperty(QObject* instance, std::string_view name)
{
    return platform::FindProperty(instance, name).Kind() == PropertyKind::Object;
}

std::vector<std::string> SplitAtCommas(std::string_view text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t comma = text.find(','); comma != std::string_view::npos;
         comma = text.find(',', start)) {
        parts.emplace_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    parts.emplace_back(text.substr(start));
    return parts;
}

} // namespace

bool FindInstance(QObject*& Obj, std::string& Path)
{
    std::size_t start = 0;
    for (std::size_t dot = Path.find('.'); dot != std::string::npos && Obj;
         dot = Path.find('.', start)) {
        const std::string segment = Path.substr(start, dot - start);
        if (IsObjectProperty(Obj, segment)) {
            Obj = ObjectProperty(Obj, segment);
        } else if (platform::AsCollection(Obj)) {
            // The items, not the collection, hold the rest of the path.
            if (HasProperty(Obj, segment))
                start = dot + 1;
            break;
        } else {
            Obj = platform::FindOwnedComponent(Obj, segment);
        }
        start = dot + 1;
    }
    if (start == 0 && Obj && !HasProperty(Obj, Path) && !platform::AsCollection(Obj)) {
        if (QObject* component = platform::FindOwnedComponent(Obj, Path)) {
            Obj = component;
            Path.clear();
            return true;
        }
    }
    Path = Path.substr(start);
    return Obj != nullptr;
}

QObject* rsFindGlobalComponent(QObject* owner, std::string_view name)
{
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos)
        return platform::FindOwnedComponent(owner, name);
    QWidget* window = platform::FindOpenWindow(name.substr(0, dot));
    return window ? platform::FindOwnedComponent(window, name.substr(dot + 1)) : nullptr;
}

Variant ToVariant(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return Variant(value.toBool());
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return Variant(static_cast<int32_t>(value.toInt()));
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return Variant(static_cast<int64_t>(value.toLongLong()));
    case QMetaType::Float:
        return Variant::Single(value.toFloat());
    case QMetaType::Double:
        return Variant(value.toDouble());
    case QMetaType::QString:
        return Variant(platform::ToBytes(value.toString()));
    case QMetaType::QByteArray:
        return Variant(value.toByteArray().toStdString());
    default:
        return {};
    }
}

QVariant ToQVariant(const Variant& value)
{
    switch (value.Kind()) {
    case VariantKind::SmallInt:
    case VariantKind::Integer:
    case VariantKind::Byte:
        return QVariant(static_cast<int>(value.Integer()));
    case VariantKind::Int64:
        return QVariant(static_cast<qlonglong>(value.Integer()));
    case VariantKind::Single:
    case VariantKind::Double:
    case VariantKind::Date:
        return QVariant(value.Real());
    case VariantKind::Currency:
        return QVariant(static_cast<double>(value.Integer()) / 10000.0);
    case VariantKind::Boolean:
        return QVariant(value.Boolean());
    case VariantKind::String:
    case VariantKind::WideString:
        return QVariant(platform::ToQString(value.Text()));
    case VariantKind::Array: {
        QVariantList items;
        for (const Variant& item : value.Items())
            items.append(ToQVariant(item));
        return QVariant(items);
    }
    default:
        return {};
    }
}

namespace {

std::string SetText(const PublishedProperty& property)
{
    const std::vector<std::string> names = property.SetElementNames();
    const auto bits = static_cast<uint64_t>(property.Ordinal());
    std::string text = "[";
    for (std::size_t bit = 0; bit < names.size() && bit < 32; ++bit) {
        if (!(bits & (uint64_t { 1 } << bit)) || names[bit].empty())
            continue;
        if (text.size() > 1)
            text += ',';
        text += names[bit];
    }
    return text + "]";
}

// Element names the set type does not have are left out.
int64_t SetBits(const PublishedProperty& property, std::string_view text)
{
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        text = text.substr(1, text.size() - 2);
    int64_t bits = 0;
    if (text::Trim(text).empty())
        return bits;
    for (const std::string& name : SplitAtCommas(text)) {
        const int64_t ordinal = property.ElementOrdinal(text::Trim(name));
        if (ordinal >= 0)
            bits |= int64_t { 1 } << (ordinal % 32);
    }
    return bits;
}

// A component kept by name: alone when it belongs to the saver's owner,
// else behind the name of the window it lives in.
std::string ReferenceName(const TrsPropertyContext& context, QObject* component)
{
    for (QObject* ancestor = component->parent(); ancestor; ancestor = ancestor->parent()) {
        if (ancestor == context.Owner)
            return platform::ComponentName(component);
    }
    QObject* top = component;
    while (top->parent())
        top = top->parent();
    if (top == component)
        return platform::ComponentName(component);
    return platform::ComponentName(top) + "." + platform::ComponentName(component);
}

bool ReadByKind(const TrsPropertyContext& context, const PublishedProperty& property)
{
    TrsKeyWrapper& cell = *context.Cell;
    switch (property.Kind()) {
    case PropertyKind::Integer:
        cell.SetAsInteger(static_cast<int32_t>(property.Ordinal()));
        return true;
    case PropertyKind::Enumeration:
        cell.SetAsString(property.ElementName(property.Ordinal()));
        return true;
    case PropertyKind::Float:
        cell.SetAsFloat(property.Float());
        return true;
    case PropertyKind::String:
        cell.SetAsString(property.String());
        return true;
    case PropertyKind::Set:
        cell.SetAsString(SetText(property));
        return true;
    case PropertyKind::StringList:
        cell.SetAsString(property.StringListText());
        return true;
    case PropertyKind::Int64:
        cell.SetAsInt64(property.Int64());
        return true;
    case PropertyKind::Variant:
        cell.SetAsVariant(ToVariant(property.Variant()));
        return true;
    case PropertyKind::Object:
        if (QObject* object = property.Object()) {
            cell.SetAsString(ReferenceName(context, object));
            return true;
        }
        return false;
    case PropertyKind::None:
        break;
    }
    return false;
}

// A name the type does not have leaves the property as it is and is
// reported, like any other value that cannot be converted.
void WriteEnumeration(const PublishedProperty& property, const TrsKeyWrapper& cell)
{
    const std::string name = cell.GetAsString();
    const int64_t ordinal = property.ElementOrdinal(name);
    if (ordinal < 0)
        throw ConversionError("'" + name + "' is not a valid value");
    property.SetOrdinal(ordinal);
}

void WriteSet(const PublishedProperty& property, const TrsKeyWrapper& cell)
{
    if (cell.GetKeyType() == vtInteger)
        property.SetOrdinal(static_cast<uint32_t>(cell.GetAsInteger()));
    else
        property.SetOrdinal(SetBits(property, cell.GetAsString()));
}

void WriteObject(const TrsPropertyContext& context, const PublishedProperty& property)
{
    if (QObject* component = rsFindGlobalComponent(context.Owner, context.Cell->GetAsString()))
        property.SetObject(component);
}

void WriteByKind(const TrsPropertyContext& context, const PublishedProperty& property)
{
    const TrsKeyWrapper& cell = *context.Cell;
    switch (property.Kind()) {
    case PropertyKind::Integer:
        property.SetOrdinal(cell.GetAsInteger());
        break;
    case PropertyKind::Enumeration:
        WriteEnumeration(property, cell);
        break;
    case PropertyKind::Float:
        property.SetFloat(cell.GetAsFloat());
        break;
    case PropertyKind::String:
        property.SetString(cell.GetAsString());
        break;
    case PropertyKind::Set:
        WriteSet(property, cell);
        break;
    case PropertyKind::StringList:
        property.SetStringListText(cell.GetAsString());
        break;
    case PropertyKind::Int64:
        property.SetInt64(cell.GetAsInt64());
        break;
    case PropertyKind::Variant:
        property.SetVariant(ToQVariant(cell.GetAsVariant()));
        break;
    case PropertyKind::Object:
        WriteObject(context, property);
        break;
    case PropertyKind::None:
        break;
    }
}

// Items of a collection are reached through the rest of the path, one by one.
bool ReadItemValue(const TrsPropertyContext& context, QObject* item, std::string path)
{
    context.Cell->Clear();
    return FindInstance(item, path) && GetPropertyValueEx(context, item, path);
}

void WriteItemValue(const TrsPropertyContext& context, QObject* item, std::string path)
{
    if (FindInstance(item, path))
        SetPropertyValueEx(context, item, path);
}

bool ReadCollection(const TrsPropertyContext& context, const platform::Collection& collection,
    const std::string& path)
{
    std::string text;
    for (int i = 0; i < collection.Count(); ++i) {
        ReadItemValue(context, collection.Item(i), path);
        text += context.Cell->GetAsString() + ",";
    }
    if (!text.empty()) {
        text.back() = '"';
        text.insert(text.begin(), '"');
    }
    context.Cell->SetAsString(text);
    return true;
}

std::vector<std::string> CollectionElements(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return text.empty() ? std::vector<std::string> {} : SplitAtCommas(text);
}

void WriteCollectionItems(const TrsPropertyContext& context, platform::Collection& collection,
    const std::string& path, const std::string& text)
{
    const std::vector<std::string> elements = CollectionElements(text);
    int count = 0;
    for (const std::string& element : elements) {
        if (count >= collection.Count() && context.KeepCollectionCount)
            break;
        QObject* item = count < collection.Count() ? collection.Item(count) : collection.Add();
        context.Cell->SetAsString(element);
        WriteItemValue(context, item, path);
        ++count;
    }
    context.Cell->SetAsString(text);
    if (!context.KeepCollectionCount) {
        while (collection.Count() > count)
            collection.Free(collection.Count() - 1);
    }
}

void WriteCollection(
    const TrsPropertyContext& context, platform::Collection& collection, const std::string& path)
{
    const std::string text = context.Cell->GetAsString();
    collection.BeginUpdate();
    try {
        WriteCollectionItems(context, collection, path, text);
    } catch (...) {
        collection.EndUpdate();
        throw;
    }
    collection.EndUpdate();
}

// The whole published state of a component: for each property that can be
// written back, its name and its value text, each ended by a NUL byte.
bool IsStateProperty(const PublishedProperty& property)
{
    const PropertyKind kind = property.Kind();
    return property.IsWritable() && kind != PropertyKind::None && kind != PropertyKind::Object
        && kind != PropertyKind::Variant;
}

std::string ComponentState(QObject* component)
{
    TrsValue scratch;
    TrsKeyWrapper cell;
    cell.SetTarget(&scratch);
    const TrsPropertyContext context { component, &cell, false };
    std::string state;
    const QMetaObject* meta = component->metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        const PublishedProperty property(component, meta->property(i));
        if (!meta->property(i).isStored() || !IsStateProperty(property))
            continue;
        ReadByKind(context, property);
        state += property.Name() + '\0' + cell.GetAsString() + '\0';
    }
    return state;
}

void ApplyComponentState(QObject* component, std::string_view state)
{
    TrsValue scratch;
    TrsKeyWrapper cell;
    cell.SetTarget(&scratch);
    const TrsPropertyContext context { component, &cell, false };
    while (!state.empty()) {
        const std::size_t nameEnd = state.find('\0');
        const std::size_t valueEnd = state.find('\0', nameEnd + 1);
        if (nameEnd == std::string_view::npos || valueEnd == std::string_view::npos)
            return;
        const PublishedProperty property
            = platform::FindProperty(component, state.substr(0, nameEnd));
        cell.SetAsString(state.substr(nameEnd + 1, valueEnd - nameEnd - 1));
        if (IsStateProperty(property))
            WriteByKind(context, property);
        state.remove_prefix(valueEnd + 1);
    }
}

std::string CellBytes(const TrsKeyWrapper& cell)
{
    std::string bytes(static_cast<std::size_t>(std::max(0, cell.GetAsBuffer(nullptr, 0))), '\0');
    if (!bytes.empty())
        cell.GetAsBuffer(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

} // namespace

bool GetPropertyValueEx(
    const TrsPropertyContext& context, QObject* Obj, const std::string& PropName)
{
    if (platform::Collection* collection = platform::AsCollection(Obj))
        return ReadCollection(context, *collection, PropName);
    if (PropName.empty()) {
        const std::string state = ComponentState(Obj);
        context.Cell->SetAsBuffer(state.data(), static_cast<int>(state.size()));
        return true;
    }
    const PublishedProperty property = platform::FindProperty(Obj, PropName);
    return property.IsValid() && ReadByKind(context, property);
}

void SetPropertyValueEx(
    const TrsPropertyContext& context, QObject* Obj, const std::string& PropName)
{
    if (platform::Collection* collection = platform::AsCollection(Obj)) {
        WriteCollection(context, *collection, PropName);
        return;
    }
    if (PropName.empty()) {
        ApplyComponentState(Obj, CellBytes(*context.Cell));
        return;
    }
    const PublishedProperty property = platform::FindProperty(Obj, PropName);
    if (property.IsValid())
        WriteByKind(context, property);
}

std::string GetFormPlacement(const QWidget* window)
{
    const platform::WindowPlacementRecord placement = platform::GetWindowPlacement(window);
    char text[160];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d", placement.flags,
        placement.showCommand, placement.minimizedPosition.x, placement.minimizedPosition.y,
        placement.maximizedPosition.x, placement.maximizedPosition.y, placement.left, placement.top,
        placement.right, placement.bottom);
    return text;
}

namespace {

Qt::WindowStates StoredState(int showCommand, bool minimizedAsNormal)
{
    switch (showCommand) {
    case platform::ShowMinimized:
    case 6:
    case 7:
        return minimizedAsNormal ? Qt::WindowNoState : Qt::WindowMinimized;
    case platform::ShowMaximized:
        return Qt::WindowMaximized;
    default:
        return Qt::WindowNoState;
    }
}

void KeepWhereLeft(QWidget* window)
{
    platform::WindowEvents* events = platform::WindowEvents::Of(window);
    if (events->Position() != platform::WindowPosition::Designed)
        events->SetPosition(platform::WindowPosition::Designed);
}

} // namespace

void SetFormPlacement(
    QWidget* window, std::string_view text, unsigned parts, bool minimizedAsNormal)
{
    const std::vector<std::string> fields = SplitAtCommas(text);
    if (fields.size() != 10)
        return;
    int value[10];
    for (std::size_t i = 0; i < fields.size(); ++i)
        value[i] = TextToInteger(fields[i]);
    platform::WindowPlacementRecord placement = platform::GetWindowPlacement(window);
    if (!platform::IsWindowVisible(window))
        placement.showCommand = platform::ShowHidden;
    placement.flags = value[0];
    placement.minimizedPosition = { value[2], value[3] };
    placement.maximizedPosition = { value[4], value[5] };
    const QRect frame = window->frameGeometry();
    placement.left = (parts & pfpPlacement) ? value[6] : frame.left();
    placement.top = (parts & pfpPlacement) ? value[7] : frame.top();
    placement.right
        = (parts & pfpSize) ? value[8] - value[6] + placement.left : placement.left + frame.width();
    placement.bottom
        = (parts & pfpSize) ? value[9] - value[7] + placement.top : placement.top + frame.height();
    if (placement.right > placement.left)
        KeepWhereLeft(window);
    platform::SetWindowPlacement(window, placement);
    if (parts & pfpState) {
        const Qt::WindowStates others
            = window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
        window->setWindowState(others | StoredState(value[1], minimizedAsNormal));
    }
    window->update();
}
