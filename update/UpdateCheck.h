// The one entry of the update check: Help > "Check for &Updates" calls
// CheckForUpdates. It hands the whole check to the separate updater program
// when one is installed, and otherwise reads the descriptor beside the
// program, asks the web and tells the user. It runs on the calling thread,
// blocking while it downloads, and never throws.
#pragma once

#include <string>

class QWidget;

// productName names the program in every message; programDir holds the
// update descriptor; updaterLocation may name the updater's file or folder;
// options are blank-separated flags ("-nohelperweb", "-silenterror",
// "-shownew", "-nothingexit", anything else is for the updater); title "a"
// asks for the automatic caption, "" or "." for silence when nothing is new;
// a nonzero skipUpdater keeps the check built in. Returns true when the
// updater was started.
bool CheckForUpdates(const std::string& productName, QWidget* ownerWindow,
    const std::string& programDir, const std::string& updaterLocation, const std::string& options,
    const std::string& title, int skipUpdater);

// What a copy installed by the system's package manager says instead of
// checking, with CheckForUpdates's arguments of the same names: the package
// manager brings its updates, so no web page is offered and nothing is
// downloaded.
void ShowPackageManagerUpdates(const std::string& productName, QWidget* ownerWindow,
    const std::string& programDir, const std::string& title);

// The built-in check, with the values CheckForUpdates has prepared.
void RunUpdateCheck(const std::string& productName, QWidget* ownerWindow,
    const std::string& programDir, const std::string& title, const std::string& options);
