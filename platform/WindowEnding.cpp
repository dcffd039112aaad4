#include "platform/WindowEnding.h"

#include <QWidget>

namespace platform {

WindowEnding::WindowEnding() : bridge_([this] { End(); }, EndingSignals) { }

bool WindowEnding::Attach(QWidget& window)
{
    if (ended_) {
        SetMessageBoxHandler(std::move(previousHandler_));
        return false;
    }
    window_ = &window;
    return true;
}

// A dialog's own loop must end before the window's close can go through, so
// the close comes from the loop the window runs in. Before the window exists
// nobody is there to answer a box any more: each is answered at once, as its
// close box would.
void WindowEnding::End()
{
    CloseModalWindows();
    if (window_) {
        QMetaObject::invokeMethod(window_, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    ended_ = true;
    previousHandler_ = SetMessageBoxHandler([](const MessageRequest&) { return IdCancel; });
}

} // namespace platform
