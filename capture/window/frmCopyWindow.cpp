// How the capture window keeps out of the way: above the other windows
// without taking the focus, never minimised, and out of its own pictures.
#include "frmCopy.h"

#include "capture/MH_COPY.h"
#include "common/Twips.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QEventLoop>
#include <QLineEdit>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {

// After the window has gone, how long the desktop takes to show what was
// below it. A compositor has those pixels already; on plain X11 the
// programs below must repaint first.
constexpr int kComposedRepaintMs = 40;
constexpr int kX11RepaintMs = 100;
// The window system's own unmapping takes a moment as well.
constexpr int kUnmapLimitMs = 200;

// Lets the window system catch up without taking clicks or keys meanwhile,
// so nothing can start, pause or close the window halfway through a copy.
void letWindowsRun(int milliseconds) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const QDeadlineTimer pause(milliseconds);
    while (!pause.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

int frmCopy::runModal() {
    setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    show();
    loop.exec();
    return result();
}

void frmCopy::moveToPosition() {
    QPoint frame(std::max(0, place_.x() / Twips::kPerPixel),
                 std::max(0, place_.y() / Twips::kPerPixel));
    // Until its window exists Qt places the inside of it, not its frame:
    // allow for a frame like the editor's, so the two frames line up.
    if (!testAttribute(Qt::WA_WState_Created) && parentWidget() != nullptr) {
        const QWidget* editor = parentWidget()->window();
        frame += editor->geometry().topLeft() - editor->frameGeometry().topLeft();
    }
    move(frame);
}

void frmCopy::stepAside() {
    // Hidden, not moved off the screen: window managers keep a corner of a
    // window on the screen, and a Wayland window cannot move at all.
    hide();
    QWindow* window = windowHandle();
    const QDeadlineTimer unmapped(kUnmapLimitMs);
    while (window != nullptr && window->isExposed() && !unmapped.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 5);
        QThread::msleep(1);
    }
    letWindowsRun(MH_COPY::Grabber().desktopComposites() ? kComposedRepaintMs : kX11RepaintMs);
}

void frmCopy::comeBack() {
    if (unloaded_) {
        return;
    }
    moveToPosition();
    // Shown again without activation, so the active window stays the user's.
    show();
}

void frmCopy::hideToolTips() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->inherits("QTipLabel")) {
            window->hide();
        }
    }
}

bool frmCopy::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtTim) {
        if (event->type() == QEvent::MouseButtonPress) {
            acceptFocusForTyping(true);
        } else if (event->type() == QEvent::FocusIn) {
            txtTim_GotFocus();
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmCopy::showEvent(QShowEvent* event) {
    // Without a minimise box: minimised, the window would leave the program
    // with nothing on screen, the editor being hidden. The hints alone do
    // not do it everywhere (openbox keeps the box on utility windows), so X11
    // window managers are also told this is a torn-off toolbar, which they
    // never minimise. The window exists here but is not mapped yet: the
    // attribute writes the type now, and Qt's xcb window reads the property
    // again whenever the flags change.
    constexpr int kToolbarWindowType = 0x000008;
    if (QWindow* window = windowHandle()) {
        window->setProperty("_q_xcb_wm_window_type", kToolbarWindowType);
        setAttribute(Qt::WA_X11NetWmWindowTypeToolBar);
    }
    QDialog::showEvent(event);
}

void frmCopy::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // Minimised anyway, by a window manager's key: back at once, or the
    // program would have no window left to reach.
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        QTimer::singleShot(0, this, [this] {
            if (isMinimized()) {
                showNormal();
            }
        });
    }
}

void frmCopy::acceptFocusForTyping(bool accept) {
    // Only the topmost mode refuses the focus; a window without it types as
    // any other.
    if (!windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        return;
    }
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowDoesNotAcceptFocus, !accept);
    if (flags == windowFlags()) {
        return;
    }
    overrideWindowFlags(flags);
    if (QWindow* window = windowHandle()) {
        window->setFlags(flags);
        if (accept) {
            window->requestActivate();
            txtTim->setFocus(Qt::MouseFocusReason);
        }
    }
}
