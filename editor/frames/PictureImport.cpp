#include "PictureImport.h"

#include "capture/MPIC_256GEN.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace PictureImport {
namespace {

const QStringList kOtherEndings{QStringLiteral("png"), QStringLiteral("jpg"),
                                QStringLiteral("jpeg")};

// Timestamps on some file systems are only two seconds apart.
constexpr int kClockSlackSeconds = 2;

QImage readPicture(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QImage picture = reader.read();
    if (picture.isNull() || !picture.hasAlphaChannel()) {
        return picture;
    }
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    QPainter painter(&flat);
    painter.drawImage(0, 0, picture);
    painter.end();
    return flat;
}

// Writes `picture` as a 24-bit BMP over `path`, complete or not at all.
bool writeBmp(const QImage& picture, const QString& path) {
    return MPIC_256GEN::SaveBoxPicture(picture.convertToFormat(QImage::Format_RGB32), path);
}

bool isBmp(const QString& path) {
    QImageReader reader(path);
    return reader.format() == "bmp";
}

}  // namespace

bool IsPictureName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == u"bmp" || kOtherEndings.contains(suffix);
}

QString BmpName(const QString& fileName) {
    const QFileInfo info(fileName);
    if (info.suffix().compare(u"bmp", Qt::CaseInsensitive) == 0) {
        return fileName;
    }
    return info.completeBaseName() + QStringLiteral(".bmp");
}

bool MakeBmp(const QString& path) {
    if (isBmp(path)) {
        QImageReader reader(path);
        return !reader.read().isNull();
    }
    const QImage picture = readPicture(path);
    return !picture.isNull() && writeBmp(picture, path);
}

bool TakeEditedPicture(const QString& bmpPath, const QDateTime& since) {
    const QFileInfo bmp(bmpPath);
    const QDateTime after = since.addSecs(-kClockSlackSeconds);
    QFileInfo newest;
    const QFileInfoList siblings = bmp.dir().entryInfoList(QDir::Files);
    for (const QFileInfo& sibling : siblings) {
        if (sibling.completeBaseName() != bmp.completeBaseName() ||
            !kOtherEndings.contains(sibling.suffix().toLower()) || sibling.lastModified() < after ||
            (bmp.exists() && sibling.lastModified() < bmp.lastModified())) {
            continue;
        }
        if (!newest.exists() || sibling.lastModified() > newest.lastModified()) {
            newest = sibling;
        }
    }
    if (newest.exists()) {
        const QImage picture = readPicture(newest.filePath());
        if (!picture.isNull() && writeBmp(picture, bmpPath)) {
            return true;
        }
    }
    return MakeBmp(bmpPath);
}

}  // namespace PictureImport
