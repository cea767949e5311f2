#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

// Lets the event loop run until the condition holds or the time is up; true
// when it held. Unlike QTRY_*, a miss is a plain false for GoogleTest.
inline bool waitUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

#include <QApplication>
#include <QPointer>
#include <QWidget>

#include <vector>

// Deletes every window a test left. Menus are top-level widgets owned by
// their window, so only owners are deleted, and only while still alive.
inline void deleteTopLevelWindows() {
    std::vector<QPointer<QWidget>> windows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->parentWidget() == nullptr) {
            windows.emplace_back(window);
        }
    }
    for (const QPointer<QWidget>& window : windows) {
        delete window.data();
    }
}
