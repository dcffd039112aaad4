// A window's control reached by its object name, which is the window's
// member name for it: the window's helpers find the controls they work on
// so, rather than through the window's members.
#pragma once

#include <QObject>
#include <stdexcept>
#include <string>

// The descendant of form that is a T named name. A missing one is a fault
// of the window's making, reported where the helper asks for it.
template <class T> T& FormControl(const QObject& form, const char* name)
{
    T* control = form.findChild<T*>(QString::fromUtf8(name));
    if (!control)
        throw std::logic_error(form.objectName().toStdString() + " has no "
            + T::staticMetaObject.className() + " named \"" + name + "\"");
    return *control;
}
