// The application object: the message loop of the program, with the
// standard exception display for anything that an event handler lets escape.
#pragma once

#include <QApplication>
#include <exception>
#include <functional>

class TornaloApplication : public QApplication {
public:
    TornaloApplication(int& argc, char** argv);

    // An exception that escapes one event is shown and the loop goes on, as
    // the message loop of the design does.
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs body and shows anything it throws through the standard exception
// display; a thrown value that is not an exception object is shown as an
// exception with an empty message. Returns whether body ran to its end.
bool RunShowingExceptions(const std::function<void()>& body);
