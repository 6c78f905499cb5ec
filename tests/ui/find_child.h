#pragma once
// A window's control by its object name, as the desktop journeys find them:
// the windows keep their widgets private, and a test names the control it
// drives. A missing control (or one of another type) fails the test at once
// with the name, instead of a crash on a null pointer further on.

#include <QObject>
#include <QString>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace ostrel::testing {

template <class T> T* Child(const QObject& window, const QString& name) {
    if (T* child = window.findChild<T*>(name))
        return child;
    const std::string what = "no " + std::string(T::staticMetaObject.className()) + " named \"" +
                             name.toStdString() + "\" in " + window.objectName().toStdString();
    ADD_FAILURE() << what;
    throw std::logic_error(what);
}

template <class T> T* Child(const QObject* window, const QString& name) {
    return Child<T>(*window, name);
}

} // namespace ostrel::testing
