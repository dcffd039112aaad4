#include "app/TornaloApplication.h"

#include "platform/UserInterface.h"

#include <stdexcept>

TornaloApplication::TornaloApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Tornalo"));
}

bool TornaloApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    RunShowingExceptions([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

bool RunShowingExceptions(const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const std::exception& error) {
        platform::ShowException(error);
    } catch (...) {
        platform::ShowException(std::runtime_error(""));
    }
    return false;
}
