#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// The editor's hold on its work folder. The folder is whatever the user
// chose and may hold the user's own files: the program deletes or replaces
// there only what it put there itself. Each file is written in a record in
// the folder as it arrives under its name, so a run that dies leaves the
// exact list of what the next run clears away, and nothing else is ever
// touched. A lock in the folder keeps a second editor out.
class WorkFolderSession {
public:
    enum class OpenResult {
        Opened,
        InUse,     // another running editor holds the folder
        Unusable,  // no folder there, or it cannot hold the lock and record
    };

    WorkFolderSession();
    // Leaves the files and the record for the next run: an editor that did
    // not close normally still has its pictures found and cleared.
    ~WorkFolderSession();
    WorkFolderSession(const WorkFolderSession&) = delete;
    WorkFolderSession& operator=(const WorkFolderSession&) = delete;

    // Locks the folder, then removes what earlier runs of the program left
    // there according to their record, and only that.
    OpenResult open(const QString& folder);
    // Removes every file of this run, the scratch folder, the record and
    // the lock.
    void close();
    bool isOpen() const;
    // The folder, also after a failed open; empty before any.
    const QString& folder() const;

    // A folder of this run inside the work folder, for files on their way
    // in (a copy, an unpacked package, a capture, the script); empty when
    // none can be made.
    QString scratchFolder();

    // Puts a finished file (normally in scratchFolder()) into the work
    // folder under a bare name. Never replaces anything the program did not
    // make; replaces a file of its own only when replaceOwn. False when the
    // file could not be put there; it then stays where it was.
    bool adopt(const QString& file, const QString& name, bool replaceOwn = false);
    // Takes the file now under name as the program's again, when the name
    // was its own: an external picture editor may save its work as a new
    // file under the same name.
    void reclaim(const QString& name);
    // True while the file under name is the one the program put there.
    bool owns(const QString& name) const;
    // True when something the program did not make is under name.
    bool isTakenByOthers(const QString& name) const;
    void remove(const QString& name);
    void removeAll();
    QStringList ownedNames() const;

    enum class MoveResult { Moved, InUse, Unusable, Failed };
    // Moves the session with every file of its own into another folder, all
    // or nothing: should one file fail to go, the copies already made are
    // removed and the session stays where it was. `failed` receives the
    // names that could not go.
    MoveResult moveTo(const QString& folder, QStringList* failed = nullptr);

    // What in a folder no run of the program put there (files, folders and
    // links alike): what makes a folder unfit to be chosen as a work folder.
    static QStringList othersEntries(const QString& folder);

private:
    struct State;
    std::unique_ptr<State> state_;
};
