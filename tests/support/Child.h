// Reaches a window's control or action by its object name, the name a user
// of the window (the settings file, a script, a screen reader) knows it by,
// rather than through the window's own members.
#pragma once

#include <QObject>
#include <stdexcept>
#include <string>

// The one descendant of parent that is a T named name. Throws, naming what
// was sought, when there is none or more than one, so that the test fails
// at the lookup rather than on a null pointer later.
template <class T> T& Child(const QObject& parent, const char* name)
{
    const QList<T*> found = parent.findChildren<T*>(QString::fromUtf8(name));
    if (found.size() != 1)
        throw std::logic_error(parent.objectName().toStdString() + " has "
            + std::to_string(found.size()) + " " + T::staticMetaObject.className() + " named \""
            + name + "\", not one");
    return *found.front();
}
