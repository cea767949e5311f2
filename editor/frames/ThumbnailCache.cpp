#include "ThumbnailCache.h"

#include <QFile>

#include <sys/stat.h>

ThumbnailCache::ThumbnailCache(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

ThumbnailCache& ThumbnailCache::shared() {
    static ThumbnailCache cache;
    return cache;
}

bool ThumbnailCache::stampOf(const QString& path, FileStamp& stamp) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::int64_t>(info.st_size);
    // Nanoseconds and the change time catch a picture rewritten within the
    // same second with the same size, as a quick recapture can be.
    stamp.modifiedNs = std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    stamp.changedNs = std::int64_t(info.st_ctim.tv_sec) * 1'000'000'000 + info.st_ctim.tv_nsec;
    return true;
}

std::string ThumbnailCache::keyOf(const QString& path, const MPicSizeChg::TargetBox& box) {
    return QStringLiteral("%1x%2/%3x%4/%5|%6")
        .arg(box.outerTwips.width())
        .arg(box.outerTwips.height())
        .arg(box.innerTwips.width())
        .arg(box.innerTwips.height())
        .arg(box.background.rgba(), 8, 16, QLatin1Char('0'))
        .arg(path)
        .toStdString();
}

QImage ThumbnailCache::thumbnail(const QString& path, const MPicSizeChg::TargetBox& box) {
    FileStamp stamp;
    if (!stampOf(path, stamp)) {
        ++misses_;
        return {};
    }
    const std::string key = keyOf(path, box);
    const auto found = index_.find(key);
    if (found != index_.end()) {
        if (found->second->stamp == stamp) {
            ++hits_;
            entries_.splice(entries_.begin(), entries_, found->second);
            return found->second->thumbnail;
        }
        entries_.erase(found->second);
        index_.erase(found);
    }
    ++misses_;
    // A picture that cannot be read is remembered too, until its file
    // changes, so a broken frame does not slow every page turn.
    QImage made = MPicSizeChg::LoadThumbnail(path, box);
    entries_.push_front(Entry{key, stamp, made});
    index_[key] = entries_.begin();
    while (entries_.size() > capacity_) {
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
    return made;
}

void ThumbnailCache::forget(const QString& path) {
    const std::string suffix = '|' + path.toStdString();
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->key.size() >= suffix.size() &&
            it->key.compare(it->key.size() - suffix.size(), suffix.size(), suffix) == 0) {
            index_.erase(it->key);
            it = entries_.erase(it);
        } else {
            ++it;
        }
    }
}

void ThumbnailCache::clear() {
    entries_.clear();
    index_.clear();
}
