#pragma once

// The desktop's application database seen by a test: only the test's own
// desktop entries and mimeapps.list, with the system's MIME database still
// visible, put back as it was when the sandbox goes.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

class DesktopSandbox {
public:
    // `share` is a fresh folder that stands in for the system's data folders.
    explicit DesktopSandbox(const QString& share) : savedDataDirs_(qgetenv("XDG_DATA_DIRS")) {
        QDir().mkpath(share);
        QFile::link(QStringLiteral("/usr/share/mime"), share + QStringLiteral("/mime"));
        qputenv("XDG_DATA_DIRS", share.toLocal8Bit());
        applications = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                       QStringLiteral("/applications");
        mimeApps = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                   QStringLiteral("/mimeapps.list");
        QDir().mkpath(applications);
        QDir().mkpath(QFileInfo(mimeApps).path());
    }
    ~DesktopSandbox() {
        if (savedDataDirs_.isEmpty()) {
            qunsetenv("XDG_DATA_DIRS");
        } else {
            qputenv("XDG_DATA_DIRS", savedDataDirs_);
        }
        QDir(applications).removeRecursively();
        QFile::remove(mimeApps);
    }
    DesktopSandbox(const DesktopSandbox&) = delete;
    DesktopSandbox& operator=(const DesktopSandbox&) = delete;

    QString applications;  // the user's desktop entries
    QString mimeApps;      // the user's mimeapps.list

private:
    QByteArray savedDataDirs_;
};

// Writes an executable script; false when it could not.
inline bool writeExecutable(const QString& path, const QByteArray& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
        return false;
    }
    file.close();
    return file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}
