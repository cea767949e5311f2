#include "TemporaryPackage.h"

#include "RunIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kPrefix = QStringLiteral(".slidewright-save-");

// .slidewright-save-<pid>-<start time>-<six random characters>
const QRegularExpression& namePattern() {
    static const QRegularExpression pattern(
        QStringLiteral("^\\.slidewright-save-(\\d+-\\d+)-[A-Za-z0-9]{6}$"));
    return pattern;
}

}  // namespace

TemporaryPackage::TemporaryPackage(const QString& target) : target_(target) {
    const QString folder = QFileInfo(target).absolutePath();
    removeAbandoned(folder);
    const QByteArray pattern =
        QFile::encodeName(kPrefix + RunIdentity::currentRun() + QStringLiteral("-XXXXXX"));
    file_.emplace(QFile::encodeName(folder).toStdString(), pattern.toStdString());
    if (!file_->valid()) {
        file_.reset();
        return;
    }
    // Saved over an earlier package, it keeps the permissions that one had.
    file_->keepModeOf(QFile::encodeName(target).toStdString());
    path_ = QFile::decodeName(file_->path().c_str());
    atEnd_.emplace([this] { remove(); });
}

TemporaryPackage::~TemporaryPackage() {
    remove();
}

void TemporaryPackage::remove() {
    file_.reset();
    path_.clear();
}

bool TemporaryPackage::commit() {
    const QByteArray name = QFile::encodeName(QFileInfo(target_).fileName());
    if (!file_ || !file_->commit(name.toStdString())) {
        return false;
    }
    remove();
    return true;
}

int TemporaryPackage::removeAbandoned(const QString& folder) {
    const QDir dir(folder);
    const QStringList names =
        dir.entryList({kPrefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System);
    int removed = 0;
    for (const QString& name : names) {
        const QRegularExpressionMatch match = namePattern().match(name);
        const auto run = match.hasMatch() ? RunIdentity::parse(match.captured(1)) : std::nullopt;
        if (!run || RunIdentity::isAlive(run->pid, run->startTime)) {
            continue;
        }
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        struct stat info {};
        if (::lstat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::getuid() && ::unlink(path.constData()) == 0) {
            ++removed;
        }
    }
    return removed;
}
