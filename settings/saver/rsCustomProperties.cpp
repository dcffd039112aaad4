#include "settings/saver/rsCustomProperties.h"

#include "platform/QtText.h"
#include "text/AsciiText.h"

TrsAddInProperties::TrsAddInProperties(QObject* owner) : QObject(owner) { }

Variant TrsAddInProperties::GetPropertyValue(TrsComponent*, QObject*, const std::string&)
{
    return {};
}

void TrsAddInProperties::SetPropertyValue(
    TrsComponent*, QObject*, const std::string&, const Variant&)
{
}

TrsCustomProperty::TrsCustomProperty(QObject* parent) : QObject(parent) { }

bool TrsCustomProperty::IsSuitable(const QObject* instance) const
{
    const std::vector<std::string> names = platform::ClassAndAncestorNames(instance);
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (text::SameText(names[i], PropClass))
            return i == 0 || InDescendants;
    }
    return false;
}

QString TrsCustomProperty::PropClassText() const
{
    return platform::ToQString(PropClass);
}

void TrsCustomProperty::SetPropClassText(const QString& text)
{
    PropClass = platform::ToBytes(text);
}

QString TrsCustomProperty::PropNameText() const
{
    return platform::ToQString(PropName);
}

void TrsCustomProperty::SetPropNameText(const QString& text)
{
    PropName = platform::ToBytes(text);
}

TrsPropertyItems::TrsPropertyItems(QObject* parent) : QObject(parent) { }

int TrsPropertyItems::Count() const
{
    return static_cast<int>(items_.size());
}

QObject* TrsPropertyItems::Item(int index) const
{
    return Items(index);
}

TrsCustomProperty* TrsPropertyItems::Items(int index) const
{
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)] : nullptr;
}

QObject* TrsPropertyItems::Add()
{
    return AddItem();
}

TrsCustomProperty* TrsPropertyItems::AddItem()
{
    items_.push_back(new TrsCustomProperty(this));
    return items_.back();
}

void TrsPropertyItems::Free(int index)
{
    if (index < 0 || index >= Count())
        return;
    delete items_[static_cast<std::size_t>(index)];
    items_.erase(items_.begin() + index);
}

TrsCustomProperties::TrsCustomProperties(QObject* owner)
    : TrsAddInProperties(owner), properties_(new TrsPropertyItems(this))
{
}

TrsCustomProperty* TrsCustomProperties::FindItem(QObject* instance, const std::string& name) const
{
    for (int i = 0; i < properties_->Count(); ++i) {
        TrsCustomProperty* item = properties_->Items(i);
        if (text::SameText(item->PropName, name) && item->IsSuitable(instance))
            return item;
    }
    return nullptr;
}

Variant TrsCustomProperties::GetPropertyValue(
    TrsComponent* Sender, QObject* Instance, const std::string& PropName)
{
    Variant value;
    TrsCustomProperty* item = FindItem(Instance, PropName);
    if (item && item->OnGetProperty)
        item->OnGetProperty(Sender, Instance, value);
    return value;
}

void TrsCustomProperties::SetPropertyValue(
    TrsComponent* Sender, QObject* Instance, const std::string& PropName, const Variant& Value)
{
    TrsCustomProperty* item = FindItem(Instance, PropName);
    if (!item || !item->OnSetProperty)
        return;
    Variant copy = Value;
    item->OnSetProperty(Sender, Instance, copy);
}
