#include "common/MTSK_KIDOU.h"

#include "common/DefaultApplication.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>

namespace MTSK_KIDOU {
namespace {

QString programFolderOverride;

QString programFolder() {
    return programFolderOverride.isEmpty() ? QCoreApplication::applicationDirPath()
                                           : programFolderOverride;
}

bool isProgram(const QFileInfo& info) {
    if (!info.isFile() || !info.isExecutable()) {
        return false;
    }
    // A document that merely carries the execute bit (common on FAT and
    // network mounts) still opens in its viewer.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
    for (const char* name : {"application/x-executable", "application/x-pie-executable",
                             "application/x-sharedlib", "application/x-shellscript"}) {
        if (type.inherits(QString::fromLatin1(name))) {
            return true;
        }
    }
    return false;
}

// "program arguments": the longest start of the target, cut at a blank,
// that names a program. Nothing when the whole target is itself a path.
bool splitProgram(const QString& target, QString& program, QString& arguments) {
    if (QFileInfo::exists(target)) {
        return false;
    }
    for (qsizetype blank = target.lastIndexOf(u' '); blank > 0;
         blank = target.lastIndexOf(u' ', blank - 1)) {
        const QFileInfo candidate(target.left(blank));
        if (isProgram(candidate)) {
            program = candidate.absoluteFilePath();
            arguments = target.mid(blank + 1);
            return true;
        }
    }
    return false;
}

std::int16_t startProgram(const QString& program, const QStringList& arguments) {
    return QProcess::startDetached(program, arguments, QFileInfo(program).absolutePath())
               ? kLaunched
               : kFailed;
}

}  // namespace

void setProgramFolder(const QString& folder) {
    programFolderOverride = folder;
}

QString resolveTarget(const QString& target, const QString& folder) {
    const QString up = QStringLiteral("../");
    if (target.startsWith(up)) {
        QString base = QDir::cleanPath(folder);
        qsizetype n = 0;
        while (target.mid(n * up.size()).startsWith(up)) {
            ++n;
        }
        for (qsizetype i = 0; i < n; ++i) {
            const qsizetype slash = base.lastIndexOf(u'/');
            if (slash < 0 || base == u"/") {
                return {};
            }
            base = slash == 0 ? QStringLiteral("/") : base.left(slash);
        }
        const QString rest = target.mid(n * up.size());
        return base.endsWith(u'/') ? base + rest : base + u'/' + rest;
    }
    if (!target.contains(u'/')) {
        return folder + u'/' + target;
    }
    return QFileInfo(target).absoluteFilePath();
}

std::int16_t TaskLaunch(QWidget* owner, const QString& target) {
    Q_UNUSED(owner);
    if (target.isEmpty()) {
        return kFailed;
    }
    QString program;
    QString arguments;
    if (splitProgram(target, program, arguments)) {
        return startProgram(program, QProcess::splitCommand(arguments));
    }
    const QString path = resolveTarget(target, programFolder());
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        return kFailed;
    }
    if (isProgram(info)) {
        return startProgram(info.absoluteFilePath(), {});
    }
    const auto application = DefaultApplication::forFile(info.absoluteFilePath());
    if (!application) {
        return kFailed;
    }
    // The desktop's own opener first (it knows portals and desktop quirks);
    // where the platform has none, start the default application ourselves.
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()))) {
        return kLaunched;
    }
    return DefaultApplication::launchDetached(*application, info.absoluteFilePath()) ? kLaunched
                                                                                     : kFailed;
}

}  // namespace MTSK_KIDOU
