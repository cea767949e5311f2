#pragma once

#include "archiver/FileDescriptor.h"

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <string>

// ReplaceByRename: how every file the program puts in place of another gets
// there (a saved package, an extracted member, a dropped or moved picture,
// an export). It is written beside its target under a hidden name, flushed
// to disk, renamed into place, and the folder flushed after it: a failure or
// a crash leaves the old file or the whole new one, never a part of it.
namespace ReplaceByRename {

// Whether the final rename may replace a file already under the name.
enum class Existing { Replace, Keep };
// Whether a commit flushes its folder at once, or leaves it to the caller,
// which commits many files into one folder and flushes it once after them.
enum class FolderSync { Now, ByCaller };

// A new file being written beside its target under a hidden name of its
// own, removed unless it is committed.
class PendingFile {
public:
    // A new file in `folder`, named by `pattern` with its trailing XXXXXX
    // made unique, with the permissions a new file gets (0666 less the
    // umask).
    PendingFile(const std::filesystem::path& folder, const std::string& pattern);
    // The same in a folder already open, which must outlive this.
    PendingFile(int folderFd, const std::string& pattern);
    // A new file in the target's folder, hidden under the target's name.
    static PendingFile beside(const std::filesystem::path& target);
    ~PendingFile();
    PendingFile(PendingFile&& other) noexcept;
    PendingFile& operator=(PendingFile&&) = delete;
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool valid() const { return file_.valid(); }
    int fd() const { return file_.get(); }
    // Where it is, for writers that open it themselves; empty for a file
    // made in an open folder.
    std::filesystem::path path() const;

    // Takes the permissions `target` has, when it exists.
    bool keepModeOf(const std::filesystem::path& target);
    bool write(const void* data, std::size_t size);
    // Appends everything left to read from `source`.
    bool copyFrom(int source);

    // Flushes the file, renames it to `name` in its folder and flushes the
    // folder. On failure the file is removed and the name is as it was.
    bool commit(const std::string& name, Existing existing = Existing::Replace,
                FolderSync sync = FolderSync::Now);
    void discard();

private:
    void create(const std::string& pattern);

    FileDescriptor ownFolder_;
    int folder_ = -1;
    std::filesystem::path folderPath_;
    FileDescriptor file_;
    std::string name_;
};

// Makes `target` a copy of `source` (with its permissions) through a
// pending file beside it: the whole copy, or nothing changed.
bool CopyFile(const std::filesystem::path& source, const std::filesystem::path& target,
              Existing existing = Existing::Replace);

// Moves a file that came through a PendingFile or CopyFile, so is already
// on disk, to `to` on the same file system. With Existing::Keep nothing at
// `to` is ever replaced, on file systems without an atomic no-replace
// rename too.
bool MoveFile(const std::filesystem::path& from, const std::filesystem::path& to,
              Existing existing = Existing::Replace);

}  // namespace ReplaceByRename
