#pragma once

#include "editor/frames/MPicSizeChg.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <list>
#include <unordered_map>

// Thumbnails already made, by file and box, so that turning back to a page
// does not read its pictures again. An entry counts only while the file
// keeps its size, identity and times of change.
class ThumbnailCache {
public:
    explicit ThumbnailCache(std::size_t capacity = 256);

    // The thumbnail of the picture at `path` for `box`; null when the file
    // cannot be read as a picture.
    QImage thumbnail(const QString& path, const MPicSizeChg::TargetBox& box);

    // Forgets every thumbnail of `path`: its picture was rewritten in place.
    void forget(const QString& path);
    void clear();
    std::size_t size() const { return entries_.size(); }
    // Lookups answered from the cache and lookups that read the file.
    std::uint64_t hits() const { return hits_; }
    std::uint64_t misses() const { return misses_; }

    // The editor's cache.
    static ThumbnailCache& shared();

private:
    struct FileStamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t modifiedNs = 0;
        std::int64_t changedNs = 0;
        friend bool operator==(const FileStamp&, const FileStamp&) = default;
    };
    struct Entry {
        std::string key;
        FileStamp stamp;
        QImage thumbnail;
    };

    static bool stampOf(const QString& path, FileStamp& stamp);
    static std::string keyOf(const QString& path, const MPicSizeChg::TargetBox& box);

    std::size_t capacity_;
    std::list<Entry> entries_;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> index_;
    std::uint64_t hits_ = 0;
    std::uint64_t misses_ = 0;
};
