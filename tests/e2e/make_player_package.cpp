// Makes a movie package for the player's journeys, through the program's
// own archiver:
//   make_player_package PACKAGE MODE LOOP WIDTHxHEIGHT:WAITMS:RRGGBB...
// Each frame is one flat colour, so a screenshot tells the frames apart, or
// "noise"; SLIDEWRIGHT_KEEP_FRAMES names a folder for copies of the pictures.
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/MLha.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 5) {
        return 2;  // usage above
    }
    const QString package = args[1];
    QTemporaryDir folder;
    QByteArray script = "VER,03.01\r\nMAX," + QByteArray::number(args.size() - 4) + "\r\nLOOP," +
                        args[3].toLatin1() + "\r\nJIDOU," + args[2].toLatin1() +
                        "\r\nLOOPWAIT,2\r\nOPTEND,START\r\n";
    QStringList members{QStringLiteral("Slidewright.ini")};
    for (int i = 4; i < args.size(); ++i) {
        const QStringList parts = args[i].split(u':');
        const QStringList size = parts.value(0).split(u'x');
        if (parts.size() != 3 || size.size() != 2) {
            std::fprintf(stderr, "bad frame %s\n", qPrintable(args[i]));
            return 2;
        }
        const QByteArray k = QByteArray::number(i - 3).rightJustified(3, '0');
        const QString name = QStringLiteral("SW%1.bmp").arg(QString::fromLatin1(k));
        QImage image(size[0].toInt(), size[1].toInt(), QImage::Format_RGB888);
        if (parts[2] == u"noise") {
            // Every pixel its own: any scaling or shift shows.
            QRandomGenerator random(static_cast<quint32>(i));
            for (int y = 0; y < image.height(); ++y) {
                uchar* line = image.scanLine(y);
                for (int x = 0; x < image.width() * 3; ++x) {
                    line[x] = static_cast<uchar>(random.bounded(256));
                }
            }
        } else {
            image.fill(QColor(u'#' + parts[2]));
        }
        // The pictures themselves, for journeys that compare pixels.
        const QString keep = qEnvironmentVariable("SLIDEWRIGHT_KEEP_FRAMES");
        if (!image.save(QDir(folder.path()).filePath(name), "BMP") ||
            (!keep.isEmpty() && !image.save(QDir(keep).filePath(name), "BMP"))) {
            return 2;
        }
        script += "NAME," + k + "," + name.toLatin1() + "\r\nWAIT," + k + "," +
                  parts[1].toLatin1() + "\r\nSOUND," + k + ",\r\n";
        members << name;
    }
    script += "END,END,END\r\n";
    if (QFile scriptFile(QDir(folder.path()).filePath(members[0]));
        !scriptFile.open(QIODevice::WriteOnly) || scriptFile.write(script) != script.size()) {
        return 2;
    }

    const QString library = QCoreApplication::applicationDirPath() + "/libunlha32.so";
    if (!ArchiverLibrary::load(library.toStdString())) {
        std::fprintf(stderr, "no archiver at %s\n", qPrintable(library));
        return 2;
    }
    bool startNew = true;
    for (const QString& member : members) {
        if (MLha::StoreInPackage(package, QDir(folder.path()).filePath(member), startNew) != 0) {
            std::fprintf(stderr, "the archiver did not store %s\n", qPrintable(member));
            return 1;
        }
        startNew = false;
    }
    return 0;
}
