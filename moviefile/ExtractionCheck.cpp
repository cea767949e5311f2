#include "ExtractionCheck.h"

#include "archiver/LhaMemberName.h"
#include "archiver/LhaReader.h"

#include <QFile>

#include <sys/statvfs.h>

#include <cstdlib>
#include <filesystem>

namespace ExtractionCheck {
namespace {

constexpr std::size_t kBmpHeaderBytes = 26;

std::uint32_t littleEndian(const std::uint8_t* bytes, int width) {
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

QString megabytes(std::int64_t bytes, bool roundUp) {
    return QString::number((bytes + (roundUp ? (1 << 20) - 1 : 0)) >> 20) + QStringLiteral("MB");
}

std::optional<std::int64_t> freeSpace(const QString& folder) {
    struct statvfs info {};
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

}  // namespace

std::optional<PictureSize> BmpHeaderSize(const std::uint8_t* bytes, std::size_t length) {
    if (length < 18 || bytes[0] != 'B' || bytes[1] != 'M') {
        return std::nullopt;
    }
    const std::uint32_t infoSize = littleEndian(bytes + 14, 4);
    if (infoSize == 12 && length >= 22) {  // the OS/2 core header: 16-bit sizes
        return PictureSize{littleEndian(bytes + 18, 2), littleEndian(bytes + 20, 2)};
    }
    if (infoSize >= 40 && length >= 26) {
        const auto width = static_cast<std::int32_t>(littleEndian(bytes + 18, 4));
        const auto height = static_cast<std::int32_t>(littleEndian(bytes + 22, 4));
        return PictureSize{std::llabs(width), std::llabs(height)};
    }
    return std::nullopt;
}

Plan Check(const QString& package, const QStringList& patterns, const QString& folder,
           std::int64_t largestMember) {
    Plan plan;
    const std::filesystem::path archive(QFile::encodeName(package).toStdString());
    const auto members = lha::ListFiles(archive);
    if (!members) {
        return plan;
    }
    for (std::size_t index = 0; index < members->size(); ++index) {
        const lha::MemberInfo& member = (*members)[index];
        bool selected = false;
        for (const QString& pattern : patterns) {
            selected = selected || lha::MatchesPattern(member.name, pattern.toStdString());
        }
        // An unsafe name lists as empty: the archiver refuses it by itself.
        if (!selected || member.name.empty()) {
            continue;
        }
        const QString name = QString::fromStdString(member.name);
        const auto size = static_cast<std::int64_t>(member.size);
        if (size > largestMember) {
            plan.message = MovieMessage::MemberTooLarge;
            plan.detail =
                name + QStringLiteral("（") + megabytes(size, true) + QStringLiteral("）");
            return plan;
        }
        if (lha::MatchesPattern(member.name, "*.bmp")) {
            const auto head = lha::ReadMemberStart(archive, index, kBmpHeaderBytes);
            const auto picture =
                head ? BmpHeaderSize(head->data(), head->size()) : std::optional<PictureSize>();
            if (picture && picture->width * picture->height > kMostPixels) {
                plan.message = MovieMessage::PictureTooLarge;
                plan.detail =
                    name + QStringLiteral("（%1×%2）").arg(picture->width).arg(picture->height);
                return plan;
            }
        }
        plan.names << name;
        plan.bytes += size;
    }
    const auto available = freeSpace(folder);
    if (available && plan.bytes > *available) {
        plan.message = MovieMessage::NotEnoughSpace;
        plan.detail = QStringLiteral("必要: ") + megabytes(plan.bytes, true) +
                      QStringLiteral("　空き: ") + megabytes(*available, false);
    }
    return plan;
}

}  // namespace ExtractionCheck
