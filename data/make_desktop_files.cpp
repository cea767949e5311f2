// Writes the installed desktop entry and shared-mime-info package with the
// routines the options dialog uses per user, so the two never disagree.
#include "archiver/ReplaceByRename.h"
#include "system/MKakucyoSet.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool write(const QString& folder, const QString& name, const QByteArray& bytes) {
    ReplaceByRename::PendingFile file(
        QFile::encodeName(folder).toStdString(),
        QFile::encodeName(u'.' + name + QStringLiteral(".XXXXXX")).toStdString());
    return file.valid() && file.write(bytes.constData(), static_cast<std::size_t>(bytes.size())) &&
           file.commit(QFile::encodeName(name).toStdString());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    using namespace MKakucyoSet;
    // Installed in bin/, the program is found on the PATH by its bare name.
    if (!QDir().mkpath(folder) ||
        !write(folder, kDesktopEntryFile, desktopEntry(QStringLiteral("slidewright %f"))) ||
        !write(folder, kMimePackageFile, mimePackage(kExtension, kDescription))) {
        std::fprintf(stderr, "cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
