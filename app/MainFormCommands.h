// The commands of the window's menus: the favorites file, the saved journey,
// the user's guide, the update check, the forum page and the about box.
#pragma once

#include <QObject>
#include <string>

class QMainWindow;
class TacQuickAboutBox;
class TJourneyView;
class TMainFormRun;
class TMemo;

class TMainFormCommands : public QObject {
public:
    // The window's controls must be in place; the favorites entry names the
    // route of the run's latest plan.
    TMainFormCommands(
        QMainWindow& form, const TMainFormRun& run, const std::string& programDirectory);

    void AddToFavorites();
    void SaveJourney();
    void OpenContents();
    void CheckUpdates();
    void VisitForum();
    void ShowAbout();

    TacQuickAboutBox* AboutBox;
    // The folder of the program's own file, ending in "/".
    std::string ExeDir;

private:
    void SetUpAboutBox();

    QMainWindow& form;
    const TMainFormRun& run;
    TMemo& OriginalTextMemo;
    TMemo& TranslatedTextMemo;
    TJourneyView& JourneyView;
    std::string programDirectory;
};
