// Where no screen can be read, every copy fails cleanly, and the save that
// follows says so.
#include "capture/MH_COPY.h"
#include "capture/MPIC_256GEN.h"
#include "capture/PortalGrabber.h"
#include "capture/X11Grabber.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>

TEST(NoDisplay, WithoutADisplayNothingIsCopied) {
    ASSERT_TRUE(qEnvironmentVariableIsEmpty("DISPLAY"));
    ASSERT_TRUE(qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"));
    const auto grabber = ScreenGrabber::create();
    EXPECT_NE(dynamic_cast<NullGrabber*>(grabber.get()), nullptr);
    EXPECT_EQ(grabber->grabScreen().failure, GrabFailure::NoScreen);
    EXPECT_EQ(grabber->grabActiveWindow().failure, GrabFailure::NoScreen);

    QImage box(10, 10, QImage::Format_RGB32);
    EXPECT_EQ(MH_COPY::CopyDesktopToBox(box), GrabFailure::NoScreen);
    EXPECT_TRUE(box.isNull());
    QTemporaryDir dir;
    EXPECT_FALSE(MPIC_256GEN::SaveBoxPicture(box, dir.filePath(QStringLiteral("SW001.bmp"))));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("SW001.bmp"))));
    MH_COPY::CopyForegroundToBox(box);
    EXPECT_TRUE(box.isNull());
}

TEST(NoDisplay, AnUnreachableXServerIsRefused) {
    EXPECT_EQ(X11Grabber::connect(":4711"), nullptr);
    EXPECT_EQ(X11Grabber::connect("no such display"), nullptr);
}

TEST(NoPortal, WithoutASessionBusTheCopyFails) {
    PortalGrabber grabber(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/slidewright-bus"), QStringLiteral("no bus")));
    EXPECT_EQ(grabber.grabScreen().failure, GrabFailure::PortalMissing);
    EXPECT_EQ(grabber.grabActiveWindow().failure, GrabFailure::PortalMissing);
    EXPECT_FALSE(grabber.copiesActiveWindow());
}

TEST(NoPortal, ABusWithoutThePortalFailsAtOnce) {
    // A private session bus that can start no services, so no portal.
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("bus.conf")));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(QStringLiteral("<busconfig><type>session</type>"
                                "<listen>unix:dir=%1</listen>"
                                "<policy context=\"default\">"
                                "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                                "<allow eavesdrop=\"true\"/>"
                                "<allow own=\"*\"/></policy></busconfig>")
                     .arg(dir.path())
                     .toUtf8());
    config.close();
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                  QStringLiteral("--config-file=") + config.fileName()});
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
    // An X11 session whose server cannot be reached copies nothing.
    EXPECT_NE(dynamic_cast<NullGrabber*>(ScreenGrabber::create().get()), nullptr);
    qunsetenv("DISPLAY");
}
