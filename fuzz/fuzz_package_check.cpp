// Feeds arbitrary bytes, as a package, to the weighing done before any
// member is unpacked, and as a work folder's record to its reader. Neither
// may crash or hang; what they accept must be what they promise.
#include "fuzz/FuzzCheck.h"
#include "moviefile/ExtractionCheck.h"
#include "moviefile/WorkFolderRecord.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir folder;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString package = folder.filePath(QStringLiteral("input.sdw"));
    QFile file(package);
    FuzzCheck(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              file.write(bytes) == bytes.size());
    file.close();

    const ExtractionCheck::Plan plan = ExtractionCheck::Check(
        package,
        {QStringLiteral("*.bmp"), QStringLiteral("*.wav"), QStringLiteral("Slidewright.ini")},
        folder.path());
    if (plan.ok()) {
        FuzzCheck(plan.bytes >= 0);
    } else {
        FuzzCheck(!plan.detail.isEmpty());
    }
    if (const auto picture = ExtractionCheck::BmpHeaderSize(data, size)) {
        FuzzCheck(picture->width >= 0 && picture->height >= 0);
    }

    const QString record = folder.filePath(WorkFolderRecord::kFileName);
    QFile recordFile(record);
    FuzzCheck(recordFile.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
              recordFile.write(bytes) == bytes.size());
    recordFile.close();
    for (const auto& [name, identity] : WorkFolderRecord::read(folder.path())) {
        FuzzCheck(!name.isEmpty());
    }
    return 0;
}
