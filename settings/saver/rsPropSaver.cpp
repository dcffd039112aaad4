#include "settings/saver/rsPropSaver.h"

#include "platform/QtText.h"
#include "platform/UserInterface.h"
#include "platform/WindowHooks.h"
#include "text/AsciiText.h"

#include <QWidget>
#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

constexpr const char* kFormPlacementKey = "FormPlacement";

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

QWidget* FindOwnerForm(QObject* owner)
{
    for (QObject* candidate = owner; candidate; candidate = candidate->parent()) {
        auto* widget = qobject_cast<QWidget*>(candidate);
        if (widget && widget->isWindow())
            return widget;
    }
    return nullptr;
}

template <typename Action> void ShowingErrors(Action action)
{
    try {
        action();
    } catch (const std::exception& error) {
        platform::ShowException(error);
    } catch (...) {
        platform::ShowException(std::runtime_error(""));
    }
}

} // namespace

TrsPropSaver::TrsPropSaver(QObject* owner) : QObject(owner), ownerForm_(FindOwnerForm(owner))
{
    wrapper_.SetTarget(&ScratchValue);
    connect(this, &QObject::objectNameChanged, this,
        [this](const QString& name) { Name = platform::ToBytes(name); });
}

TrsPropSaver::~TrsPropSaver()
{
    SetWhenLoad(wlManual);
    SetWhenSave(wsManual);
}

void TrsPropSaver::SetOptions(unsigned options)
{
    if ((options ^ options_) & poStoreFormPlacement)
        placementOptions_ = (options & poStoreFormPlacement) ? pfpAll : 0;
    options_ = options;
}

void TrsPropSaver::SetFormPlacementOptions(unsigned parts)
{
    placementOptions_ = parts & pfpAll;
    if (placementOptions_)
        options_ |= poStoreFormPlacement;
    else
        options_ &= ~unsigned { poStoreFormPlacement };
}

void TrsPropSaver::SetRootSection(std::string_view section)
{
    rootSection_ = section;
    CheckPreparedSection();
}

void TrsPropSaver::Loaded()
{
    CheckPreparedSection();
}

void TrsPropSaver::CheckPreparedSection()
{
    preparedSection_ = rootSection_;
    if (preparedSection_.empty() || !IsSeparator(preparedSection_.front()))
        preparedSection_.insert(preparedSection_.begin(), '\\');
    if (preparedSection_.size() > 1 && !IsSeparator(preparedSection_.back()))
        preparedSection_ += '\\';
}

TrsPropertyContext TrsPropSaver::Context()
{
    return { parent(), &wrapper_, (options_ & poNotRestoreCollectionItemsCount) != 0 };
}

void TrsPropSaver::FinishPass(unsigned flag, const TrsNotifyEvent& after)
{
    try {
        if (after)
            after(this);
    } catch (...) {
        state_ &= ~flag;
        throw;
    }
    state_ &= ~flag;
}

void TrsPropSaver::RunPass(unsigned flag, const TrsNotifyEvent& before,
    void (TrsPropSaver::*pass)(), const TrsNotifyEvent& after)
{
    state_ |= flag;
    try {
        if (before)
            before(this);
        if (Storage())
            (this->*pass)();
    } catch (...) {
        FinishPass(flag, after);
        throw;
    }
    FinishPass(flag, after);
}

void TrsPropSaver::LoadValues()
{
    RunPass(psLoadValues, OnBeforeLoad, &TrsPropSaver::LoadAll, OnAfterLoad);
}

void TrsPropSaver::SaveValues()
{
    RunPass(psSaveValues, OnBeforeSave, &TrsPropSaver::SaveAll, OnAfterSave);
}

void TrsPropSaver::LoadAll()
{
    CheckPreparedSection();
    wrapper_ = TrsKeyWrapper(Storage());
    Storage()->SetRootSection(rootSection_);
    std::exception_ptr firstError;
    for (std::size_t i = 0; i < Properties.size(); ++i) {
        CurrentEntry.SetAsString(Properties[i]);
        LoadGuarded(CurrentEntry.KeyName(), &TrsPropSaver::LoadEntry, firstError);
    }
    LoadGuarded(kFormPlacementKey, &TrsPropSaver::LoadFormPlacement, firstError);
    if (firstError)
        std::rethrow_exception(firstError);
}

// One bad value must not cost the user every value after it.
void TrsPropSaver::LoadGuarded(
    const std::string& keyName, void (TrsPropSaver::*load)(), std::exception_ptr& firstError)
{
    try {
        (this->*load)();
    } catch (const std::exception& error) {
        if (OnLoadError)
            OnLoadError(this, keyName, error);
        else if (!firstError)
            firstError = std::current_exception();
    }
}

void TrsPropSaver::SaveAll()
{
    CheckPreparedSection();
    wrapper_ = TrsKeyWrapper(Storage());
    Storage()->SetRootSection(rootSection_);
    wrapper_.SetTarget(&ScratchValue);
    for (std::size_t i = 0; i < Properties.size(); ++i) {
        CurrentEntry.SetAsString(Properties[i]);
        SaveEntry();
    }
    SaveFormPlacement();
}

void TrsPropSaver::LoadEntry()
{
    if (!CurrentEntry.Enabled || CurrentEntry.PropState == psWrite)
        return;
    const int index = Storage()->KeyFindAddItem(CurrentEntry.KeyName(), false);
    if (index < 0) {
        if (CurrentEntry.DefaultValue.empty())
            return;
        wrapper_.SetTarget(&ScratchValue);
        wrapper_.SetAsString(CurrentEntry.DefaultValue);
    } else {
        wrapper_.SetKeyIndex(index);
    }
    switch (CurrentEntry.PropType) {
    case ptPublished:
        IntSetPublishProperty(CurrentEntry.Name);
        break;
    case ptCustom:
        SetCustomValue();
        break;
    case ptUser:
        if (OnSetUserProperty) {
            Variant value = wrapper_.GetAsVariant();
            OnSetUserProperty(this, CurrentEntry.KeyName(), value);
        }
        break;
    case ptVariable:
        break;
    }
}

bool TrsPropSaver::EntryValue()
{
    switch (CurrentEntry.PropType) {
    case ptPublished:
        return IntGetPublishProperty(CurrentEntry.Name);
    case ptCustom:
        return GetCustomValue();
    case ptUser:
        if (OnGetUserProperty) {
            Variant value;
            OnGetUserProperty(this, CurrentEntry.KeyName(), value);
            wrapper_.SetAsVariant(value);
            return true;
        }
        return false;
    case ptVariable:
        break;
    }
    return false;
}

void TrsPropSaver::SaveEntry()
{
    if (CurrentEntry.PropState == psRead)
        return;
    TrsStorage& storage = *Storage();
    wrapper_.SetTarget(&ScratchValue);
    wrapper_.Clear();
    bool hasValue = CurrentEntry.Enabled && EntryValue();
    if (hasValue && !(options_ & poStoreDefValues)
        && text::SameText(wrapper_.GetAsString(), CurrentEntry.DefaultValue))
        hasValue = false;
    if (!hasValue) {
        storage.KeyDelete(CurrentEntry.KeyName());
        return;
    }
    const int index = storage.KeyFindAddItem(CurrentEntry.KeyName(), true);
    wrapper_.AssignValueTo(storage.GetKeyItem(index).Value);
    if (CurrentEntry.Encrypted)
        CheckInEncryptKeys(CurrentEntry.KeyName());
}

bool TrsPropSaver::IntGetPublishProperty(const std::string& name)
{
    QObject* instance = parent();
    std::string path = name;
    if (!::FindInstance(instance, path))
        return false;
    if (!AskPropertyHandler(OnGetProperty, instance, path, true))
        return true;
    return GetPropertyValueEx(Context(), instance, path);
}

bool TrsPropSaver::IntSetPublishProperty(const std::string& name)
{
    QObject* instance = parent();
    std::string path = name;
    if (!::FindInstance(instance, path)
        || !AskPropertyHandler(OnSetProperty, instance, path, false))
        return false;
    SetPropertyValueEx(Context(), instance, path);
    return true;
}

// The handler sees the value cell's value and says whether the saver goes on
// with the property; a reading handler's value takes the cell's place, a
// writing handler is shown a copy.
bool TrsPropSaver::AskPropertyHandler(const TrsPropertyEvent& handler, QObject* instance,
    const std::string& path, bool keepHandlerValue)
{
    if (!handler)
        return true;
    Variant value = wrapper_.GetAsVariant();
    bool allow = true;
    handler(this, instance, path, value, allow);
    if (keepHandlerValue)
        wrapper_.SetAsVariant(value);
    return allow;
}

bool TrsPropSaver::GetCustomValue()
{
    QObject* instance = parent();
    std::string path = CurrentEntry.Name;
    if (!CustomProperties || !::FindInstance(instance, path))
        return false;
    const Variant value = CustomProperties->GetPropertyValue(this, instance, path);
    if (value.IsEmpty())
        return false;
    wrapper_.SetAsVariant(value);
    return true;
}

void TrsPropSaver::SetCustomValue()
{
    QObject* instance = parent();
    std::string path = CurrentEntry.Name;
    if (CustomProperties && ::FindInstance(instance, path))
        CustomProperties->SetPropertyValue(this, instance, path, wrapper_.GetAsVariant());
}

void TrsPropSaver::LoadFormPlacement()
{
    TrsStorage& storage = *Storage();
    if (!(options_ & poStoreFormPlacement) || !storage.KeyExist(kFormPlacementKey))
        return;
    if ((options_ & poEncryptFormPlacement) && storage.Encryptor())
        storage.Encryptor()->DoDecryptKey(storage, preparedSection_ + kFormPlacementKey);
    SetFormPlacement(storage.ReadString(kFormPlacementKey, ""));
}

void TrsPropSaver::SaveFormPlacement()
{
    if (!(options_ & poStoreFormPlacement))
        return;
    Storage()->WriteString(kFormPlacementKey, GetFormPlacement());
    if (options_ & poEncryptFormPlacement)
        CheckInEncryptKeys(kFormPlacementKey);
}

Variant TrsPropSaver::GetValue(const std::string& name)
{
    CheckPreparedSection();
    if (Storage() && Storage()->KeyExist(preparedSection_ + name))
        return Storage()->GetValue(preparedSection_ + name);
    TrsProperty entry;
    for (const std::string& line : Properties) {
        entry.SetAsString(line);
        if (text::SameText(entry.KeyName(), name))
            return entry.DefaultValue.empty() ? Variant() : Variant(entry.DefaultValue);
    }
    return {};
}

void TrsPropSaver::SetValue(const std::string& name, const Variant& value)
{
    CheckPreparedSection();
    if (Storage())
        Storage()->SetValue(preparedSection_ + name, value);
}

bool TrsPropSaver::GetPublishProperty(const std::string& path, Variant& value)
{
    wrapper_.SetTarget(&ScratchValue);
    wrapper_.Clear();
    if (!IntGetPublishProperty(path))
        return false;
    value = wrapper_.GetAsVariant();
    return true;
}

bool TrsPropSaver::SetPublishProperty(const std::string& path, const Variant& value)
{
    wrapper_.SetTarget(&ScratchValue);
    wrapper_.SetAsVariant(value);
    return IntSetPublishProperty(path);
}

bool TrsPropSaver::FindInstance(QObject*& Obj, std::string& Path) const
{
    Obj = parent();
    return ::FindInstance(Obj, Path);
}

QObject* TrsPropSaver::rsFindGlobalComponent(std::string_view name) const
{
    return ::rsFindGlobalComponent(parent(), name);
}

std::string TrsPropSaver::GetFormPlacement() const
{
    return ownerForm_ ? ::GetFormPlacement(ownerForm_) : std::string();
}

void TrsPropSaver::SetFormPlacement(std::string_view text)
{
    if (ownerForm_)
        ::SetFormPlacement(ownerForm_, text, placementOptions_,
            (options_ & poNotRestoreMinimizedFormPlacement) != 0);
}

void TrsPropSaver::CheckInEncryptKeys(const std::string& name)
{
    TrsEncryptor* encryptor = Storage() ? Storage()->Encryptor() : nullptr;
    if (!encryptor)
        return;
    CheckPreparedSection();
    const std::string fullName = preparedSection_ + name;
    auto listed = [encryptor](std::string_view key) {
        return std::any_of(encryptor->EncryptKeys.begin(), encryptor->EncryptKeys.end(),
            [key](const std::string& entry) { return text::SameText(entry, key); });
    };
    if (listed(fullName))
        return;
    if (IsSeparator(fullName.front()) && listed(std::string_view(fullName).substr(1)))
        return;
    encryptor->EncryptKeys.push_back(fullName);
}

namespace {

platform::WindowEvents::Notify* LoadSlot(platform::WindowEvents& events, TrsPropSaverLoad value)
{
    switch (value) {
    case wlOnActivate:
        return &events.OnActivate;
    case wlOnCreate:
        return &events.OnCreate;
    case wlOnShow:
        return &events.OnShow;
    case wlManual:
        break;
    }
    return nullptr;
}

platform::WindowEvents::Notify* SaveSlot(platform::WindowEvents& events, TrsPropSaverSave value)
{
    switch (value) {
    case wsOnDeactivate:
        return &events.OnDeactivate;
    case wsOnDestroy:
        return &events.OnDestroy;
    case wsOnHide:
        return &events.OnHide;
    case wsOnClose:
    case wsManual:
        break;
    }
    return nullptr;
}

} // namespace

void TrsPropSaver::SetWhenLoad(TrsPropSaverLoad value)
{
    if (value == whenLoad_)
        return;
    UnhookLoad();
    whenLoad_ = value;
    HookLoad(value);
}

void TrsPropSaver::SetWhenSave(TrsPropSaverSave value)
{
    if (value == whenSave_)
        return;
    UnhookSave();
    whenSave_ = value;
    HookSave(value);
}

void TrsPropSaver::HookLoad(TrsPropSaverLoad value)
{
    if (!ownerForm_ || value == wlManual)
        return;
    events_ = platform::WindowEvents::Of(ownerForm_);
    platform::WindowEvents::Notify* slot = LoadSlot(*events_, value);
    savedLoadHandler_ = std::exchange(*slot, [this](QObject* sender) { NewFormLoad(sender); });
}

void TrsPropSaver::UnhookLoad()
{
    if (events_) {
        if (platform::WindowEvents::Notify* slot = LoadSlot(*events_, whenLoad_))
            *slot = savedLoadHandler_;
    }
    savedLoadHandler_ = nullptr;
}

void TrsPropSaver::HookSave(TrsPropSaverSave value)
{
    if (!ownerForm_ || value == wsManual)
        return;
    events_ = platform::WindowEvents::Of(ownerForm_);
    if (value == wsOnClose) {
        savedCloseQuery_ = std::exchange(events_->OnCloseQuery,
            [this](QObject* sender, bool& canClose) { NewFormCloseQuery(sender, canClose); });
        return;
    }
    platform::WindowEvents::Notify* slot = SaveSlot(*events_, value);
    savedSaveHandler_ = std::exchange(*slot, [this](QObject* sender) { NewFormSave(sender); });
}

void TrsPropSaver::UnhookSave()
{
    if (events_ && whenSave_ == wsOnClose)
        events_->OnCloseQuery = savedCloseQuery_;
    else if (events_) {
        if (platform::WindowEvents::Notify* slot = SaveSlot(*events_, whenSave_))
            *slot = savedSaveHandler_;
    }
    savedCloseQuery_ = nullptr;
    savedSaveHandler_ = nullptr;
}

void TrsPropSaver::NewFormLoad(QObject* sender)
{
    if (Active)
        ShowingErrors([this] { LoadValues(); });
    if (const auto handler = savedLoadHandler_)
        handler(sender);
}

void TrsPropSaver::NewFormSave(QObject* sender)
{
    if (const auto handler = savedSaveHandler_)
        handler(sender);
    if (Active)
        SaveShowingErrors();
}

void TrsPropSaver::NewFormCloseQuery(QObject* sender, bool& canClose)
{
    if (const auto handler = savedCloseQuery_)
        handler(sender, canClose);
    if (canClose && Active && ownerForm_)
        SaveShowingErrors();
}

void TrsPropSaver::SaveShowingErrors()
{
    ShowingErrors([this] { SaveValues(); });
}
