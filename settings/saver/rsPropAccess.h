// How a property saver reaches values: resolving dotted paths from its owner,
// putting each kind of published property into a value cell and back,
// collections, component references by name, and the text form of a
// window's placement.
#pragma once

#include "settings/rsKeyWrapper.h"
#include "settings/rsValue.h"

#include <QVariant>
#include <string>
#include <string_view>

class QObject;
class QWidget;

// The parts of a stored placement that are applied.
enum TrsPropSaverFormPlacement : unsigned { pfpPlacement = 1, pfpSize = 2, pfpState = 4 };
constexpr unsigned pfpAll = pfpPlacement | pfpSize | pfpState;

// What one property access needs to know of the saver that makes it.
struct TrsPropertyContext {
    QObject* Owner = nullptr; // paths start here; component names are relative to it
    TrsKeyWrapper* Cell = nullptr;
    bool KeepCollectionCount = false; // poNotRestoreCollectionItemsCount
};

// Resolves Path from Obj: on success Obj is the object that holds the value
// and Path the last part of the path (empty when it names Obj itself).
bool FindInstance(QObject*& Obj, std::string& Path);

// Puts the value named by PropName of Obj into the cell; false when there is
// none (no such property, a kind not handled, an object property that holds
// no object).
bool GetPropertyValueEx(
    const TrsPropertyContext& context, QObject* Obj, const std::string& PropName);
// Writes the value named by PropName of Obj from the cell.
void SetPropertyValueEx(
    const TrsPropertyContext& context, QObject* Obj, const std::string& PropName);

// A component of owner, or with a "Window.Component" name one of an open
// window; nothing when there is none.
QObject* rsFindGlobalComponent(QObject* owner, std::string_view name);

Variant ToVariant(const QVariant& value);
QVariant ToQVariant(const Variant& value);

// The ten numbers of the placement text: flags, show command, minimized x and
// y, maximized x and y, and the normal rectangle's left, top, right, bottom.
std::string GetFormPlacement(const QWidget* window);
// Applies a placement text; the parts are those of TrsPropSaverFormPlacement
// and minimizedAsNormal stands for poNotRestoreMinimizedFormPlacement. A
// text that has not ten fields is ignored; a field that is not an integer
// raises ConversionError.
void SetFormPlacement(
    QWidget* window, std::string_view text, unsigned parts, bool minimizedAsNormal);
