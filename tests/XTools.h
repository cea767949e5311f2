#pragma once
// Small helpers for tests that run under a real X server (with_x.sh).

#include "tests/QtWait.h"

#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace XTools {

// Runs an X tool (xdotool, xprop) and returns what it printed, trimmed.
inline QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The window the window manager calls active, as xdotool reads it.
inline qulonglong ActiveWindow() {
    return Run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).toULongLong();
}

// Asks the window manager to activate the window, as a pager would, and
// waits until it is; asks again when a busy window manager dropped it.
inline bool Activate(qulonglong window) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        Run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QString::number(window)});
        if (waitUntil([window] { return ActiveWindow() == window; }, 2000)) {
            return true;
        }
    }
    return false;
}

// A real click of the pointer at the widget's middle (and `offset`), as the
// user makes it.
inline void Click(QWidget* widget, QPoint offset = {}) {
    const QPoint at = widget->mapToGlobal(widget->rect().center() + offset);
    Run(QStringLiteral("xdotool"),
        {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
         QStringLiteral("click"), QStringLiteral("1")});
}

// The window's _NET_WM_STATE atoms, as the window manager set them.
inline QStringList NetWmState(qulonglong window) {
    return Run(QStringLiteral("xprop"),
               {QStringLiteral("-id"), QString::number(window), QStringLiteral("_NET_WM_STATE")})
        .split(QRegularExpression(QStringLiteral("[=, ]+")), Qt::SkipEmptyParts);
}

// Whether the window manager stacks `upper` above `lower`.
inline bool IsStackedAbove(qulonglong upper, qulonglong lower) {
    const QString line =
        Run(QStringLiteral("xprop"),
            {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    QList<qulonglong> order;
    for (const QString& part : line.section(QLatin1Char('#'), 1).split(QLatin1Char(','))) {
        order.append(part.trimmed().toULongLong(nullptr, 16));
    }
    const qsizetype up = order.indexOf(upper);
    const qsizetype down = order.indexOf(lower);
    return up >= 0 && down >= 0 && up > down;
}

}  // namespace XTools
