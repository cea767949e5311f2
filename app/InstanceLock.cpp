#include "InstanceLock.h"

#include <QDir>
#include <QStandardPaths>

InstanceLock::InstanceLock() = default;

QString InstanceLock::lockPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return folder + QStringLiteral("/slidewright.lock");
}

bool InstanceLock::acquire() {
    lock_ = std::make_unique<QLockFile>(lockPath());
    // Age alone never makes a lock stale: a copy may run for days. A lock
    // whose process is gone is still recognised and removed.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) {
        return true;
    }
    if (lock_->error() == QLockFile::LockFailedError) {
        return false;
    }
    // The runtime folder cannot hold a lock: better to run twice than never.
    return true;
}
