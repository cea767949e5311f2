#include "PortalGrabber.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

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

}  // namespace

PortalGrabber::PortalGrabber(QDBusConnection bus, int answerTimeoutMs)
    : bus_(std::move(bus)), answerTimeoutMs_(answerTimeoutMs) {}

std::optional<QImage> PortalGrabber::grabScreen() {
    if (!bus_.isConnected()) {
        return std::nullopt;
    }
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
    const QDBusMessage reply = bus_.call(call, QDBus::Block, 10000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        StopListening(bus_, requestPath, &answer);
        return std::nullopt;
    }
    // Older portals chose their own path.
    const QString handle = reply.arguments().first().value<QDBusObjectPath>().path();
    if (!handle.isEmpty() && handle != requestPath) {
        StopListening(bus_, requestPath, &answer);
        requestPath = handle;
        Listen(bus_, requestPath, &answer);
    }

    if (!answer.answered) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
        QObject::connect(&answer, &PortalAnswer::done, &loop, &QEventLoop::quit);
        timeout.start(answerTimeoutMs_);
        loop.exec();
    }
    StopListening(bus_, requestPath, &answer);
    if (!answer.answered || answer.code != 0) {
        return std::nullopt;
    }
    const QUrl uri(answer.results.value(QStringLiteral("uri")).toString());
    if (!uri.isLocalFile()) {
        return std::nullopt;
    }
    QImage picture(uri.toLocalFile());
    if (picture.isNull()) {
        return std::nullopt;
    }
    return picture.convertToFormat(QImage::Format_RGB32);
}

#include "PortalGrabber.moc"
