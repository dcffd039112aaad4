// What the user sees and hears outside the windows themselves: message boxes,
// the standard exception display, the beep and the clipboard. Tests install a
// handler in advance, so no test ever blocks on a modal window.
#pragma once

#include <exception>
#include <functional>
#include <string>

class QWidget;

namespace platform {

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };

// The answers a message box can give; the values are the classic dialog ids.
enum MessageAnswer { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

struct MessageRequest {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

using MessageBoxHandler = std::function<int(const MessageRequest&)>;

// Shows a modal message box owned by owner and returns the answer.
int ShowMessageBox(QWidget* owner, const MessageRequest& request);

// The application's standard exception display: an error box with the message.
void ShowException(const std::exception& error);

// A warning box with the text, captioned like the exception display.
void ShowWarning(const std::string& text);

// Replaces the real message box (and so the exception display); an empty
// handler restores it. Returns the handler that was in place.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Closes the dialogs and message boxes that are open, the innermost first,
// as their close boxes would.
void CloseModalWindows();

// Opens a document or web address with the desktop's program for it; when
// the desktop cannot, a message box owned by owner (if it still exists)
// says so and names the file or address.
void OpenShowingFailure(QWidget* owner, const std::string& target);

void Beep();
std::function<void()> SetBeepHandler(std::function<void()> handler);

void SetClipboardText(const std::string& text);
std::string ClipboardText();

} // namespace platform
