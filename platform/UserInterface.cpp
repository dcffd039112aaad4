#include "platform/UserInterface.h"

#include "platform/QtText.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>

namespace platform {

namespace {

MessageBoxHandler& CurrentMessageBoxHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

std::function<void()>& CurrentBeepHandler()
{
    static std::function<void()> handler;
    return handler;
}

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

int ToAnswer(int button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return IdCancel;
    case QMessageBox::Yes:
        return IdYes;
    case QMessageBox::No:
        return IdNo;
    default:
        return IdOk;
    }
}

// Boxes of the application itself, captioned with its name.
void ShowApplicationMessage(const std::string& text, MessageIcon icon)
{
    ShowMessageBox(QApplication::activeWindow(),
        { text, ToBytes(QApplication::applicationName()), icon, MessageButtons::Ok });
}

} // namespace

int ShowMessageBox(QWidget* owner, const MessageRequest& request)
{
    if (const MessageBoxHandler& handler = CurrentMessageBoxHandler())
        return handler(request);
    QMessageBox box(ToQtIcon(request.icon), ToQString(request.caption), ToQString(request.text),
        ToQtButtons(request.buttons), owner);
    return ToAnswer(box.exec());
}

void ShowException(const std::exception& error)
{
    ShowApplicationMessage(error.what(), MessageIcon::Error);
}

void ShowWarning(const std::string& text)
{
    ShowApplicationMessage(text, MessageIcon::Warning);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    return std::exchange(CurrentMessageBoxHandler(), std::move(handler));
}

void CloseModalWindows()
{
    QWidget* closed = nullptr;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (modal == closed)
            break;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->done(QDialog::Rejected);
        else
            modal->close();
        closed = modal;
    }
}

void OpenShowingFailure(QWidget* owner, const std::string& target)
{
    const QPointer<QWidget> window(owner);
    ShellOpen({ target, {}, {}, [window, target](const std::string& reason) {
                   ShowMessageBox(window,
                       { "Error: could not open " + target + ".\n" + reason + ".",
                           ToBytes(QApplication::applicationName()), MessageIcon::Error });
               } });
}

void Beep()
{
    if (const auto& handler = CurrentBeepHandler())
        handler();
    else
        QApplication::beep();
}

std::function<void()> SetBeepHandler(std::function<void()> handler)
{
    return std::exchange(CurrentBeepHandler(), std::move(handler));
}

void SetClipboardText(const std::string& text)
{
    QGuiApplication::clipboard()->setText(ToQString(text));
}

std::string ClipboardText()
{
    return ToBytes(QGuiApplication::clipboard()->text());
}

} // namespace platform
