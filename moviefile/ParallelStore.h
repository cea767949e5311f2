#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThreadPool>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

// Stores files into a package the archiver has already started, compressing
// them on a pool of worker threads: each worker runs the archiver's store
// command on one file into an archive of its own, and the members are then
// appended to the package one by one in the order given. An LHA archive is
// its members followed by a zero byte, so the package ends byte for byte as
// storing the files one after another would leave it.
//
// The workers get plain paths and touch nothing else. While waiting for a
// member, the calling thread lets window events run when it is the
// application's thread, so the window stays responsive.
class ParallelStore {
public:
    enum class Outcome { Appended, Absent, Failed };

    // Starts compressing `files` (paths, in package order) for `package`,
    // an archive whose only content so far ends with its end marker.
    ParallelStore(const QString& package, const QStringList& files);
    // Drops work not yet started, waits for the workers and removes every
    // file they made. The package is left as far as it was written.
    ~ParallelStore();
    ParallelStore(const ParallelStore&) = delete;
    ParallelStore& operator=(const ParallelStore&) = delete;

    // Waits for file `index` and appends its member to the package. Absent
    // when the file was not there to store (nothing is appended); Failed
    // when it could not be stored or appended.
    Outcome append(int index);
    // Puts back the end marker and flushes the package to disk.
    bool finish();

    static int workerCount();

private:
    enum class State { Pending, Stored, Absent, Failed };

    void compress(int index);
    State waitFor(int index);
    template <typename Busy>
    void waitWhile(std::unique_lock<std::mutex>& lock, Busy busy);
    void settle(int index, State state);
    QString memberArchive(int index) const;

    // Read by every worker at once: const, so that no access detaches the
    // list shared with the caller (a detach writes the list itself).
    const QStringList files_;
    QTemporaryDir folder_;
    QFile package_;
    bool packageOk_ = false;
    bool pumpEvents_ = false;

    std::mutex mutex_;
    std::condition_variable settled_;
    std::vector<State> states_;
    int running_ = 0;
    std::atomic<bool> stopping_{false};
    QThreadPool pool_;
};
