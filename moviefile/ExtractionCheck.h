#pragma once

#include "MovieMessages.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <optional>

// Sizes in a package come from headers anyone can write: a few kilobytes
// may declare gigabytes of zeros. Members are weighed before any of them
// is unpacked, so that such a package costs neither time nor disk.
namespace ExtractionCheck {

// The largest member unpacked: far above any screen picture or sound.
inline constexpr std::int64_t kLargestMember = std::int64_t{256} << 20;
// The most pixels a picture may declare (Qt's own image limit is 256 MB,
// 67 million pixels at four bytes each).
inline constexpr std::int64_t kMostPixels = 64'000'000;

struct Plan {
    MovieMessage message = MovieMessage::None;  // None when unpacking may go on
    QString detail;                             // for the box: name and sizes
    QStringList names;                          // bare names of the members selected
    std::int64_t bytes = 0;                     // their unpacked size together

    bool ok() const { return message == MovieMessage::None; }
};

// Selects the members of `package` matching one of `patterns` as the
// archiver matches them (a bare name or a wildcard, letter case ignored)
// and checks them before they are unpacked into `folder`: none larger than
// `largestMember`, no BMP picture declaring more than kMostPixels, and room
// for all of them on folder's disk. A package that cannot be listed passes:
// unpacking it fails with the archiver's own result.
Plan Check(const QString& package, const QStringList& patterns, const QString& folder,
           std::int64_t largestMember = kLargestMember);

// Width and height a BMP header declares (either header kind, a top-down
// picture's negative height as its size); nothing when it is no BMP header.
struct PictureSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
};
std::optional<PictureSize> BmpHeaderSize(const std::uint8_t* bytes, std::size_t length);

}  // namespace ExtractionCheck
