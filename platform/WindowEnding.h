// A logout, `kill` or Control+C in the starting terminal closes the program's
// window as its close box does, so that what the window keeps is saved.
#pragma once

#include "platform/Console.h"
#include "platform/UserInterface.h"

#include <QPointer>

class QWidget;

namespace platform {

// The ending signals are bridged from before the window is built, since a
// warning shown while it is built runs the event loop: a signal then closes
// that box, the boxes shown after it are answered at once, and the window is
// closed as soon as it exists. A second signal ends the program at once.
class WindowEnding {
public:
    WindowEnding();
    WindowEnding(const WindowEnding&) = delete;
    WindowEnding& operator=(const WindowEnding&) = delete;

    // From now on a signal closes the dialogs and message boxes open over
    // the window, then the window. False when one came while the window was
    // built: the window is then to be closed at once.
    bool Attach(QWidget& window);

private:
    void End();

    QPointer<QWidget> window_;
    bool ended_ = false;
    MessageBoxHandler previousHandler_;
    // Last, so that it goes first and no signal reaches the members gone.
    InterruptBridge bridge_;
};

} // namespace platform
