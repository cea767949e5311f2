// Where no screen can be read, every copy fails cleanly, and the save that
// follows says so.
#include "capture/PortalGrabber.h"
#include "capture/X11Grabber.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QGuiApplication>
#include <QProcess>

TEST(NoPortal, ABusWithoutThePortalFailsAtOnce) {
    // A private session bus that can start no services, so no portal.
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                  QStringLiteral("--config-file=" SLIDEWRIGHT_SOURCE_DIR
                                 "/tests/data/private-bus/session.conf")});
    ASSERT_TRUE(daemon.waitForStarted()) << "dbus-daemon is missing (scripts/install-deps)";
    ASSERT_TRUE(daemon.waitForReadyRead(10000));
    const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
    ASSERT_FALSE(address.isEmpty());
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("private"));
        ASSERT_TRUE(bus.isConnected());
        PortalGrabber grabber(bus);
        // Missing, not NoAnswer: the bus said so at once, no waiting out
        // the portal's time.
        EXPECT_EQ(grabber.grabScreen().failure, GrabFailure::PortalMissing);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("private"));
    daemon.terminate();
    daemon.waitForFinished();
}

TEST(SessionChoice, AWaylandSessionCopiesThroughThePortalWhateverQtRunsOn) {
    // XWayland's root shows no Wayland window, so the session decides.
    qputenv("WAYLAND_DISPLAY", "wayland-slidewright-test");
    qputenv("DISPLAY", ":4711");
    EXPECT_NE(dynamic_cast<PortalGrabber*>(ScreenGrabber::create().get()), nullptr);
    qunsetenv("WAYLAND_DISPLAY");
    qputenv("XDG_SESSION_TYPE", "wayland");
    EXPECT_NE(dynamic_cast<PortalGrabber*>(ScreenGrabber::create().get()), nullptr);
    qunsetenv("XDG_SESSION_TYPE");
    // An X11 session whose server cannot be reached copies nothing, and
    // neither does a session without a display.
    EXPECT_NE(dynamic_cast<NullGrabber*>(ScreenGrabber::create().get()), nullptr);
    qunsetenv("DISPLAY");
    const auto none = ScreenGrabber::create();
    ASSERT_NE(dynamic_cast<NullGrabber*>(none.get()), nullptr);
    EXPECT_EQ(none->grabScreen().failure, GrabFailure::NoScreen);
    EXPECT_EQ(none->grabActiveWindow().failure, GrabFailure::NoScreen);
}
