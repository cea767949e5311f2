#include "PortalGrabber.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include <unistd.h>

#include <algorithm>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

// The portal's answers (org.freedesktop.portal.Request.Response).
constexpr uint kSuccess = 0;
constexpr uint kCancelledByUser = 1;

// Receives the portal's one Response signal for a request.
class PortalAnswer : public QObject {
    Q_OBJECT
public:
    bool answered = false;
    uint code = 2;
    QVariantMap results;

public Q_SLOTS:
    void Response(uint response, const QVariantMap& values) {
        answered = true;
        code = response;
        results = values;
        Q_EMIT done();
    }

Q_SIGNALS:
    void done();
};

bool Listen(QDBusConnection& bus, const QString& path, PortalAnswer* answer) {
    return bus.connect(kService, path, kRequest, QStringLiteral("Response"), answer,
                       SLOT(Response(uint, QVariantMap)));
}

void StopListening(QDBusConnection& bus, const QString& path, PortalAnswer* answer) {
    bus.disconnect(kService, path, kRequest, QStringLiteral("Response"), answer,
                   SLOT(Response(uint, QVariantMap)));
}

GrabFailure FailureOfCall(const QDBusError& error) {
    switch (error.type()) {
        case QDBusError::ServiceUnknown:
        case QDBusError::UnknownObject:
        case QDBusError::UnknownInterface:
        case QDBusError::UnknownMethod:
        case QDBusError::Disconnected:
            return GrabFailure::PortalMissing;
        case QDBusError::NoReply:
        case QDBusError::Timeout:
        case QDBusError::TimedOut:
            return GrabFailure::NoAnswer;
        case QDBusError::AccessDenied:
            return GrabFailure::Refused;
        default:
            return GrabFailure::PortalError;
    }
}

// Waits for `done` while timers and window-system events run, but no click
// or key: nothing may start, pause or close the capture halfway.
template <typename Sender, typename Signal>
void WaitFor(Sender* sender, Signal done, const QDeadlineTimer& deadline) {
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(sender, done, &loop, &QEventLoop::quit);
    timeout.start(std::max<qint64>(0, deadline.remainingTime()));
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

// The portal saves each screenshot as a file for us (some into the user's
// pictures folder). It is a by-product of our request: read it, then
// remove it, unless it is older than the request and so not made for it.
QImage TakePicture(const QString& file, const QDateTime& asked) {
    const QFileInfo info(file);
    if (!info.isFile()) {
        return QImage();
    }
    QImageReader reader(file);
    reader.setAutoTransform(false);
    QImage picture = reader.read();
    if (info.lastModified() >= asked.addSecs(-1) && info.ownerId() == ::getuid()) {
        QFile::remove(file);
    }
    return picture;
}

}  // namespace

PortalGrabber::PortalGrabber(QDBusConnection bus, int answerTimeoutMs)
    : bus_(std::move(bus)), answerTimeoutMs_(answerTimeoutMs) {}

GrabResult PortalGrabber::grabScreen() {
    if (!bus_.isConnected()) {
        return GrabResult::failed(GrabFailure::PortalMissing);
    }
    const QDeadlineTimer deadline(answerTimeoutMs_);
    const QDateTime asked = QDateTime::currentDateTime();
    // The request's object path is known in advance from our token, so the
    // answer cannot arrive before we listen for it.
    const QString token =
        QStringLiteral("slidewright%1").arg(QRandomGenerator::global()->generate());
    QString sender = bus_.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    QString requestPath = kPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token;

    PortalAnswer answer;
    Listen(bus_, requestPath, &answer);

    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.portal.Screenshot"),
        QStringLiteral("Screenshot"));
    call << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("interactive"), false}};
    QDBusPendingCallWatcher watcher(bus_.asyncCall(call, answerTimeoutMs_));
    if (!watcher.isFinished()) {
        WaitFor(&watcher, &QDBusPendingCallWatcher::finished, deadline);
    }
    if (!watcher.isFinished()) {
        StopListening(bus_, requestPath, &answer);
        return GrabResult::failed(GrabFailure::NoAnswer);
    }
    const QDBusPendingReply<QDBusObjectPath> reply = watcher;
    if (reply.isError()) {
        StopListening(bus_, requestPath, &answer);
        return GrabResult::failed(FailureOfCall(reply.error()));
    }
    // Older portals chose their own path.
    const QString handle = reply.value().path();
    if (!handle.isEmpty() && handle != requestPath) {
        StopListening(bus_, requestPath, &answer);
        requestPath = handle;
        Listen(bus_, requestPath, &answer);
    }
    if (!answer.answered) {
        WaitFor(&answer, &PortalAnswer::done, deadline);
    }
    StopListening(bus_, requestPath, &answer);
    if (!answer.answered) {
        return GrabResult::failed(GrabFailure::NoAnswer);
    }
    if (answer.code == kCancelledByUser) {
        return GrabResult::failed(GrabFailure::Refused);
    }
    const QUrl uri(answer.results.value(QStringLiteral("uri")).toString());
    if (answer.code != kSuccess || !uri.isLocalFile()) {
        return GrabResult::failed(GrabFailure::PortalError);
    }
    const QImage picture = TakePicture(uri.toLocalFile(), asked);
    if (picture.isNull()) {
        return GrabResult::failed(GrabFailure::PortalError);
    }
    return GrabResult{picture.convertToFormat(QImage::Format_RGB32)};
}

#include "PortalGrabber.moc"
