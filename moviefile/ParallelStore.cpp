#include "ParallelStore.h"

#include "moviefile/MLha.h"
#include "moviefile/WorkFolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QThread>

#include <unistd.h>

namespace {

// The member archives go into the run's private folder, which is removed
// however the program ends; beside the package when there is none.
QString memberFolderTemplate(const QString& package) {
    const std::optional<QString> own = WorkFolder::privateFolder();
    if (own) {
        return *own + QStringLiteral("/save-XXXXXX");
    }
    const QFileInfo info(package);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() +
           QStringLiteral(".parts-XXXXXX");
}

}  // namespace

int ParallelStore::workerCount() {
    return std::max(1, QThread::idealThreadCount());
}

ParallelStore::ParallelStore(const QString& package, const QStringList& files)
    : files_(files),
      folder_(memberFolderTemplate(package)),
      package_(package),
      states_(static_cast<std::size_t>(files.size()), State::Pending) {
    const QCoreApplication* application = QCoreApplication::instance();
    pumpEvents_ = application != nullptr && QThread::currentThread() == application->thread();
    // The package so far must end with the end marker the members replace.
    char last = 1;
    packageOk_ = folder_.isValid() && package_.open(QIODevice::ReadWrite) && package_.size() > 0 &&
                 package_.seek(package_.size() - 1) && package_.getChar(&last) && last == 0 &&
                 package_.seek(package_.size() - 1);
    if (!packageOk_) {
        states_.assign(states_.size(), State::Failed);
        return;
    }
    pool_.setMaxThreadCount(workerCount());
    for (int i = 0; i < files_.size(); ++i) {
        pool_.start([this, i] { compress(i); });
    }
}

ParallelStore::~ParallelStore() {
    stopping_ = true;
    pool_.clear();
    {
        // Only workers already inside the archiver are left; wait for them
        // as for a member, so that the window still repaints.
        std::unique_lock lock(mutex_);
        waitWhile(lock, [this] { return running_ > 0; });
    }
    pool_.waitForDone();
}

QString ParallelStore::memberArchive(int index) const {
    return folder_.filePath(QString::number(index) + QStringLiteral(".lzh"));
}

void ParallelStore::compress(int index) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        ++running_;
    }
    const QString& file = files_[index];
    State state = State::Failed;
    if (!QFileInfo(file).isFile()) {
        state = State::Absent;
    } else if (MLha::StoreInPackage(memberArchive(index), file, true) == 0) {
        state = State::Stored;
    }
    settle(index, state);
}

void ParallelStore::settle(int index, State state) {
    {
        std::lock_guard lock(mutex_);
        states_[static_cast<std::size_t>(index)] = state;
        --running_;
    }
    settled_.notify_all();
    if (pumpEvents_) {
        // Wakes the application's thread if it waits for events.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
    }
}

// With a window to keep painting, the wait is the event loop's: a worker's
// settle() posts an event that wakes it.
template <typename Busy>
void ParallelStore::waitWhile(std::unique_lock<std::mutex>& lock, Busy busy) {
    while (busy()) {
        if (pumpEvents_) {
            lock.unlock();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            lock.lock();
        } else {
            settled_.wait(lock);
        }
    }
}

ParallelStore::State ParallelStore::waitFor(int index) {
    std::unique_lock lock(mutex_);
    const auto at = static_cast<std::size_t>(index);
    waitWhile(lock, [&] { return states_[at] == State::Pending; });
    return states_[at];
}

ParallelStore::Outcome ParallelStore::append(int index) {
    const State state = waitFor(index);
    if (state == State::Absent) {
        return Outcome::Absent;
    }
    if (state != State::Stored || !packageOk_) {
        return Outcome::Failed;
    }
    QFile member(memberArchive(index));
    if (!member.open(QIODevice::ReadOnly)) {
        return Outcome::Failed;
    }
    const QByteArray bytes = member.readAll();
    member.close();
    QFile::remove(member.fileName());
    // Everything but the member archive's own end marker.
    if (bytes.size() < 2 || bytes.back() != 0 ||
        package_.write(bytes.constData(), bytes.size() - 1) != bytes.size() - 1) {
        packageOk_ = false;
        return Outcome::Failed;
    }
    return Outcome::Appended;
}

bool ParallelStore::finish() {
    if (!packageOk_ || !package_.putChar(0) || !package_.flush()) {
        return false;
    }
    const bool synced = ::fsync(package_.handle()) == 0;
    package_.close();
    return synced && package_.error() == QFileDevice::NoError;
}
