#pragma once

#include "archiver/ReplaceByRename.h"
#include "common/ProgramEnd.h"

#include <QString>

#include <optional>

// A package while it is being written: a hidden file beside the target,
// named after this run, removed however the save ends (a failure, an early
// return, or the end of the program, by a signal too) unless it was put in
// place. A file of that pattern whose run is over is what a killed save
// left behind; the next save to its folder removes it.
class TemporaryPackage {
public:
    // Removes abandoned temporary packages beside target, then reserves a
    // new one. isValid() tells whether that worked.
    explicit TemporaryPackage(const QString& target);
    ~TemporaryPackage();
    TemporaryPackage(const TemporaryPackage&) = delete;
    TemporaryPackage& operator=(const TemporaryPackage&) = delete;

    bool isValid() const { return !path_.isEmpty(); }
    const QString& path() const { return path_; }

    // Renames the finished package over the target; false when it could not.
    bool commit();

    // Removes from folder the temporary packages of runs that are over; only
    // regular files of this user with this program's pattern. Returns how
    // many were removed.
    static int removeAbandoned(const QString& folder);

private:
    void remove();

    QString target_;
    QString path_;
    std::optional<ReplaceByRename::PendingFile> file_;
    std::optional<ProgramEnd::ScopedHook> atEnd_;
};
