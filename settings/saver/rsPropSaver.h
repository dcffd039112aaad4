// The property saver: a component owned by a window that copies a list of
// named values of the window and its controls into one section of a storage
// tree at one moment of the window's life, and back at another.
#pragma once

#include "settings/rsStorage.h"
#include "settings/saver/rsCustomProperties.h"
#include "settings/saver/rsPropAccess.h"
#include "settings/saver/rsProperty.h"

#include <QObject>
#include <QPointer>
#include <exception>
#include <functional>
#include <string>
#include <vector>

class QWidget;
namespace platform {
class WindowEvents;
}

enum TrsPropSaverOption : unsigned {
    poStoreFormPlacement = 1,
    poStoreDefValues = 2,
    poEncryptFormPlacement = 4,
    poNotRestoreCollectionItemsCount = 8,
    poNotRestoreMinimizedFormPlacement = 16
};
enum TrsPropSaverLoad { wlManual, wlOnActivate, wlOnCreate, wlOnShow };
enum TrsPropSaverSave { wsManual, wsOnClose, wsOnDeactivate, wsOnDestroy, wsOnHide };
enum TrsPropSaverState : unsigned { psLoadValues = 1, psSaveValues = 2 };

using TrsUserPropertyEvent
    = std::function<void(TrsComponent* Sender, const std::string& PropName, Variant& Value)>;
using TrsPropertyEvent = std::function<void(TrsComponent* Sender, QObject* Instance,
    const std::string& PropName, Variant& Value, bool& Allow)>;
// Told of a stored value that could not be applied; KeyName is relative to
// the saver's section ("FormPlacement" for the placement).
using TrsLoadErrorEvent = std::function<void(
    TrsComponent* Sender, const std::string& KeyName, const std::exception& Error)>;

class TrsPropSaver : public QObject, public TrsStorageClient {
    Q_OBJECT
public:
    explicit TrsPropSaver(QObject* owner);
    ~TrsPropSaver() override;

    // The saver's own switch for the hooked window events.
    bool Active = true;
    QPointer<TrsAddInProperties> CustomProperties;
    std::vector<std::string> Properties;

    unsigned Options() const { return options_; }
    void SetOptions(unsigned options);
    unsigned FormPlacementOptions() const { return placementOptions_; }
    void SetFormPlacementOptions(unsigned parts);
    const std::string& RootSection() const { return rootSection_; }
    void SetRootSection(std::string_view section);
    const std::string& PreparedSection() const { return preparedSection_; }
    TrsPropSaverLoad WhenLoad() const { return whenLoad_; }
    void SetWhenLoad(TrsPropSaverLoad value);
    TrsPropSaverSave WhenSave() const { return whenSave_; }
    void SetWhenSave(TrsPropSaverSave value);
    unsigned State() const { return state_; }
    QWidget* OwnerForm() const { return ownerForm_; }

    TrsNotifyEvent OnBeforeLoad;
    TrsNotifyEvent OnAfterLoad;
    TrsNotifyEvent OnBeforeSave;
    TrsNotifyEvent OnAfterSave;
    TrsUserPropertyEvent OnGetUserProperty;
    TrsUserPropertyEvent OnSetUserProperty;
    TrsPropertyEvent OnGetProperty;
    TrsPropertyEvent OnSetProperty;
    // A value that cannot be applied never stops the load: its target keeps
    // what it had and the later entries are still loaded. With this event
    // assigned every such error goes to it; without it LoadValues raises the
    // first one once the pass is done.
    TrsLoadErrorEvent OnLoadError;

    void LoadValues();
    void SaveValues();
    Variant GetValue(const std::string& name);
    void SetValue(const std::string& name, const Variant& value);
    bool GetPublishProperty(const std::string& path, Variant& value);
    bool SetPublishProperty(const std::string& path, const Variant& value);
    bool FindInstance(QObject*& Obj, std::string& Path) const;
    QObject* rsFindGlobalComponent(std::string_view name) const;
    std::string GetFormPlacement() const;
    void SetFormPlacement(std::string_view text);
    void CheckInEncryptKeys(const std::string& name);
    // Recomputes the section prefix, as after the design has been read.
    void Loaded();

private:
    void CheckPreparedSection();
    // A load or save pass: the flag stands while the handlers and the pass
    // run, and is cleared after the closing handler whatever is thrown.
    void RunPass(unsigned flag, const TrsNotifyEvent& before, void (TrsPropSaver::*pass)(),
        const TrsNotifyEvent& after);
    void FinishPass(unsigned flag, const TrsNotifyEvent& after);
    void LoadAll();
    void LoadGuarded(
        const std::string& keyName, void (TrsPropSaver::*load)(), std::exception_ptr& firstError);
    void SaveAll();
    TrsPropertyContext Context();
    void LoadEntry();
    void SaveEntry();
    bool EntryValue();
    bool IntGetPublishProperty(const std::string& name);
    bool IntSetPublishProperty(const std::string& name);
    bool AskPropertyHandler(const TrsPropertyEvent& handler, QObject* instance,
        const std::string& path, bool keepHandlerValue);
    bool GetCustomValue();
    void SetCustomValue();
    void LoadFormPlacement();
    void SaveFormPlacement();

    void HookLoad(TrsPropSaverLoad value);
    void UnhookLoad();
    void HookSave(TrsPropSaverSave value);
    void UnhookSave();
    void NewFormLoad(QObject* sender);
    void NewFormSave(QObject* sender);
    void NewFormCloseQuery(QObject* sender, bool& canClose);
    void SaveShowingErrors();

    unsigned options_ = poStoreFormPlacement | poStoreDefValues;
    unsigned placementOptions_ = pfpAll;
    std::string rootSection_;
    std::string preparedSection_ = "\\";
    TrsPropSaverLoad whenLoad_ = wlManual;
    TrsPropSaverSave whenSave_ = wsManual;
    unsigned state_ = 0;
    QWidget* ownerForm_ = nullptr;
    QPointer<platform::WindowEvents> events_;
    std::function<void(QObject*)> savedLoadHandler_;
    std::function<void(QObject*)> savedSaveHandler_;
    std::function<void(QObject*, bool&)> savedCloseQuery_;

    TrsProperty CurrentEntry;
    TrsValue ScratchValue;
    TrsKeyWrapper wrapper_;
};
