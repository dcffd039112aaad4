// The main window's kept values: the settings chain that loads them into the
// window when it is created, takes them back when it closes and writes the
// settings file when the window goes.
#pragma once

#include "platform/OwnFiles.h"
#include "settings/rsIniData.h"
#include "settings/rsStorage.h"
#include "settings/saver/rsCustomProperties.h"
#include "settings/saver/rsPropSaver.h"

#include <string>

class QWidget;
class TCheckListBox;

// "Tornalo.ini" in the program's folder when that folder is writable and the
// program is no installed copy, else in the user's configuration folder under
// "Tornalo".
std::string SettingsFilePath(const std::string& programDirectory);

class TMainFormSettings {
public:
    // Reads the settings file at once; the values reach the window at its
    // creation event.
    TMainFormSettings(QWidget& form, TCheckListBox& languages, const std::string& programDirectory);
    ~TMainFormSettings();
    TMainFormSettings(const TMainFormSettings&) = delete;
    TMainFormSettings& operator=(const TMainFormSettings&) = delete;

    TrsIniData rsIniData1;
    TrsStorage rsStorage1;
    TrsCustomProperties* rsCustomProperties1;
    TrsPropSaver* rsPropSaver1;

    void rsPropSaver1GetUserProperty(
        TrsComponent* Sender, const std::string& PropName, Variant& Value);
    void rsPropSaver1SetUserProperty(
        TrsComponent* Sender, const std::string& PropName, Variant& Value);

private:
    void SetUpIniData(const std::string& programDirectory);
    void SetUpPropSaver();
    void OpenStorage();
    void NoteEntryFault(const std::string& keyName, const std::exception& error);
    int LineOfKey(const std::string& keyName);
    void WarnAtOpen(const std::string& openFailure);
    void ReportFaults();
    platform::KeptCopy CopyToBackup();
    void KeepDamagedFile();
    void CloseStorage();

    TCheckListBox& languages_;
    // What the load could not use, from the file and from the saver's pass;
    // reported in one message once the values have reached the window.
    TrsLoadFaults faults_;
    bool damagedFile_ = false;
    bool saveRefusalShown_ = false;
};
