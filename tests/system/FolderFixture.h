#pragma once

// Folders of pictures and sounds for the work-folder tests, under the
// throw-away TMPDIR the test runs in.
#include <gtest/gtest.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace FolderFixture {

inline QByteArray randomBytes(qsizetype size, quint32 seed) {
    QRandomGenerator generator(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char& byte : bytes) {
        byte = static_cast<char>(generator.bounded(256));
    }
    return bytes;
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file directly in `folder`, hidden ones too, with its bytes.
inline QMap<QString, QByteArray> contents(const QString& folder) {
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        files.insert(name, readFile(dir.filePath(name)));
    }
    return files;
}

// A work folder as the editor leaves it: pictures named the Windows way and
// ours, one larger than a copy chunk, and sounds and a stray file.
inline QMap<QString, QByteArray> fillWorkFolder(const QString& folder) {
    const QMap<QString, QByteArray> files{
        {QStringLiteral("SW001.bmp"), randomBytes(70000, 1)},
        {QStringLiteral("PHOTO.BMP"), randomBytes(3 * 1024 * 1024 + 17, 2)},
        {QStringLiteral("写真 2.Bmp"), randomBytes(54, 3)},
        {QStringLiteral("empty.bmp"), QByteArray()},
        {QStringLiteral("voice.wav"), randomBytes(4000, 4)},
        {QStringLiteral("tune.MID"), randomBytes(300, 5)},
        {QStringLiteral("notes.txt"), QByteArrayLiteral("not a picture")},
        {QStringLiteral("bmp"), QByteArrayLiteral("no suffix")},
    };
    for (auto it = files.begin(); it != files.end(); ++it) {
        writeFile(folder + u'/' + it.key(), it.value());
    }
    return files;
}

inline bool isPicture(const QString& name) {
    return name.endsWith(QStringLiteral(".bmp"), Qt::CaseInsensitive);
}

}  // namespace FolderFixture
