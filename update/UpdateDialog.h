// The modal dialog in which the built-in update check presents its result: a
// top line, the what's-new text and buttons that open the program's web page
// and the updater's web page. Tests install a handler in advance, so no test
// ever blocks on it.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QKeyEvent;

struct UpdateDialogTexts {
    std::string webPage;
    std::string updaterPage;
    std::string caption;
    std::string topLine;
    std::string whatsNew;
};

// The controls carry these numbers as their object names.
enum UpdateDialogControl : int {
    idVisitUpdaterPage = 1013,
    idVisitWebPage = 1014,
    idDone = 1015,
    idWhatsNew = 1016,
    idTopLine = 1017,
    idWhatsNewHeading = 1018,
};

// End codes: the Done button, and the Enter key.
enum UpdateDialogEnd : int { endByEnter = 1, endByDone = 8 };

class UpdateDialog : public QDialog {
    Q_OBJECT
public:
    // Lays the dialog out and fills it; it is not shown yet.
    explicit UpdateDialog(const UpdateDialogTexts& texts);

    // Escape and the window's close request are ignored: only Done and
    // Enter end the dialog.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void setupTexts();
    void setupButtons();
    void setupTabOrder();

    UpdateDialogTexts texts_;
};

// Shows the dialog modally, without an owner window, and returns its end
// code (1 or 8).
int ShowUpdateDialog(const std::string& webPage, const std::string& updaterPage,
    const std::string& caption, const std::string& topLine, const std::string& whatsNew);

// Replaces the real dialog; an empty handler restores it. Returns the handler
// that was in place.
using UpdateDialogHandler = std::function<int(const UpdateDialogTexts&)>;
UpdateDialogHandler SetUpdateDialogHandler(UpdateDialogHandler handler);
