#include "WorkFolderSession.h"

#include "WorkFolder.h"
#include "WorkFolderRecord.h"
#include "archiver/ReplaceByRename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <unistd.h>
#include <filesystem>
#include <system_error>

namespace {

const QString kLockName = QStringLiteral(".slidewright.lock");
const QString kScratchPrefix = QStringLiteral(".slidewright-scratch-");

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

bool isOwnHousekeeping(const QString& name) {
    return name.startsWith(kLockName) || name == WorkFolderRecord::kFileName ||
           name.startsWith(kScratchPrefix);
}

std::filesystem::path fsPath(const QString& path) {
    return native(path).toStdString();
}

void removeFolderTree(const QString& path) {
    std::error_code ignored;
    std::filesystem::remove_all(fsPath(path), ignored);
}

}  // namespace

struct WorkFolderSession::State {
    QString folder;
    std::unique_ptr<QLockFile> lock;
    WorkFolderRecord record;
    QString scratch;

    QString path(const QString& name) const { return folder + u'/' + name; }

    bool owns(const QString& name) const {
        const auto entry = record.entries().find(name);
        return entry != record.entries().end() && !entry->second.isFolder &&
               WorkFolderRecord::identityOf(path(name)) == entry->second;
    }

    // What an earlier run recorded and is still there as it left it goes;
    // so do scratch folders it made but did not live to record, when empty.
    void clearLeftovers() {
        for (const auto& [name, identity] : WorkFolderRecord::read(folder)) {
            if (name.contains(u'/') || WorkFolderRecord::identityOf(path(name)) != identity) {
                continue;
            }
            if (identity.isFolder) {
                removeFolderTree(path(name));
            } else {
                ::unlink(native(path(name)).constData());
            }
        }
        const QStringList scratches = QDir(folder).entryList(
            {kScratchPrefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& name : scratches) {
            ::rmdir(native(path(name)).constData());
        }
    }
};

WorkFolderSession::WorkFolderSession() : state_(std::make_unique<State>()) {}

WorkFolderSession::~WorkFolderSession() = default;

WorkFolderSession::OpenResult WorkFolderSession::open(const QString& folder) {
    close();
    auto next = std::make_unique<State>();
    next->folder = QDir::cleanPath(folder);
    state_->folder = next->folder;
    const auto identity = WorkFolderRecord::identityOf(next->folder);
    if (folder.isEmpty() || !identity || !identity->isFolder) {
        return OpenResult::Unusable;
    }
    next->lock = std::make_unique<QLockFile>(next->path(kLockName));
    // A lock is never stale by age, only when its process is gone.
    next->lock->setStaleLockTime(0);
    if (!next->lock->tryLock(0)) {
        return next->lock->error() == QLockFile::LockFailedError ? OpenResult::InUse
                                                                 : OpenResult::Unusable;
    }
    next->clearLeftovers();
    // Whatever stands under the record's name and is no plain file (a link
    // to somewhere else) is not written through.
    const QFileInfo recordFile(next->path(WorkFolderRecord::kFileName));
    if (recordFile.isSymLink() || (recordFile.exists() && !recordFile.isFile()) ||
        !next->record.start(next->folder)) {
        return OpenResult::Unusable;
    }
    state_ = std::move(next);
    return OpenResult::Opened;
}

void WorkFolderSession::close() {
    if (!isOpen()) {
        return;
    }
    removeAll();
    if (!state_->scratch.isEmpty()) {
        removeFolderTree(state_->scratch);
    }
    state_->record.finish();
    state_->lock.reset();
    const QString folder = state_->folder;
    state_ = std::make_unique<State>();
    state_->folder = folder;
}

bool WorkFolderSession::isOpen() const {
    return state_->lock != nullptr;
}

const QString& WorkFolderSession::folder() const {
    return state_->folder;
}

QString WorkFolderSession::scratchFolder() {
    if (!isOpen()) {
        return {};
    }
    if (!state_->scratch.isEmpty() && QFileInfo(state_->scratch).isDir()) {
        return state_->scratch;
    }
    QByteArray pattern = native(state_->path(kScratchPrefix + QStringLiteral("XXXXXX")));
    if (::mkdtemp(pattern.data()) == nullptr) {
        return {};
    }
    const QString made = QFile::decodeName(pattern);
    const auto identity = WorkFolderRecord::identityOf(made);
    if (!identity || !state_->record.add(QFileInfo(made).fileName(), *identity)) {
        ::rmdir(pattern.constData());
        return {};
    }
    state_->scratch = made;
    return made;
}

bool WorkFolderSession::adopt(const QString& file, const QString& name, bool replaceOwn) {
    if (!isOpen() || !WorkFolder::isBareFileName(name) || isOwnHousekeeping(name)) {
        return false;
    }
    const auto incoming = WorkFolderRecord::identityOf(file);
    if (!incoming || incoming->isFolder) {
        return false;
    }
    const QString target = state_->path(name);
    const bool replacing = replaceOwn && owns(name);
    if (!replacing && (QFileInfo::exists(target) || QFileInfo(target).isSymLink())) {
        return false;
    }
    if (!ReplaceByRename::MoveFile(
            fsPath(file), fsPath(target),
            replacing ? ReplaceByRename::Existing::Replace : ReplaceByRename::Existing::Keep)) {
        return false;
    }
    // Written down as it arrives, with the time its arrival gave the inode:
    // a run that dies before this line leaves the file to the user, which
    // is the safe side.
    const auto arrived = WorkFolderRecord::identityOf(target);
    if (!arrived || !state_->record.add(name, *arrived)) {
        // Unrecorded, it would stand there as the user's: it goes back.
        ReplaceByRename::MoveFile(fsPath(target), fsPath(file));
        state_->record.forget(name);
        return false;
    }
    return true;
}

void WorkFolderSession::reclaim(const QString& name) {
    if (!isOpen() || state_->record.entries().count(name) == 0) {
        return;
    }
    const auto identity = WorkFolderRecord::identityOf(state_->path(name));
    if (identity && !identity->isFolder) {
        state_->record.add(name, *identity);
    }
}

bool WorkFolderSession::owns(const QString& name) const {
    return isOpen() && state_->owns(name);
}

bool WorkFolderSession::isTakenByOthers(const QString& name) const {
    const QString target = state_->path(name);
    return (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) && !owns(name);
}

void WorkFolderSession::remove(const QString& name) {
    if (!isOpen() || state_->record.entries().count(name) == 0 ||
        state_->record.entries().at(name).isFolder) {
        return;
    }
    if (state_->owns(name)) {
        ::unlink(native(state_->path(name)).constData());
    }
    state_->record.forget(name);
}

void WorkFolderSession::removeAll() {
    for (const QString& name : ownedNames()) {
        remove(name);
    }
}

QStringList WorkFolderSession::ownedNames() const {
    QStringList names;
    if (isOpen()) {
        for (const auto& [name, identity] : state_->record.entries()) {
            if (!identity.isFolder) {
                names << name;
            }
        }
    }
    return names;
}

WorkFolderSession::MoveResult WorkFolderSession::moveTo(const QString& folder,
                                                        QStringList* failed) {
    const auto here = WorkFolderRecord::identityOf(this->folder());
    if (isOpen() && here && here == WorkFolderRecord::identityOf(folder)) {
        return MoveResult::Moved;  // the same folder under another spelling
    }
    WorkFolderSession next;
    switch (next.open(folder)) {
        case OpenResult::Opened:
            break;
        case OpenResult::InUse:
            return MoveResult::InUse;
        case OpenResult::Unusable:
            return MoveResult::Unusable;
    }
    const QString scratch = next.scratchFolder();
    QStringList notMoved;
    for (const QString& name : ownedNames()) {
        if (!owns(name)) {
            continue;  // gone or replaced meanwhile: nothing of ours to take
        }
        const QString copy = scratch + u'/' + name;
        if (scratch.isEmpty() ||
            !ReplaceByRename::CopyFile(fsPath(state_->path(name)), fsPath(copy),
                                       ReplaceByRename::Existing::Keep) ||
            !next.adopt(copy, name)) {
            QFile::remove(copy);
            notMoved << name;
        }
    }
    if (!notMoved.isEmpty()) {
        if (failed != nullptr) {
            *failed = notMoved;
        }
        next.close();
        return MoveResult::Failed;
    }
    close();
    state_.swap(next.state_);
    return MoveResult::Moved;
}

QStringList WorkFolderSession::othersEntries(const QString& folder) {
    const auto recorded = WorkFolderRecord::read(folder);
    QStringList others;
    const QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (isOwnHousekeeping(name)) {
            continue;
        }
        const auto entry = recorded.find(name);
        if (entry != recorded.end() &&
            WorkFolderRecord::identityOf(folder + u'/' + name) == entry->second) {
            continue;
        }
        others << name;
    }
    return others;
}
