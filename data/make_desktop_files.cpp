// Writes the installed desktop entry and shared-mime-info package with the
// routines the options dialog uses per user, so the two never disagree.
#include "system/MKakucyoSet.h"

#include <QDir>
#include <QSaveFile>

#include <cstdio>

namespace {

bool write(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
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
        !write(folder + u'/' + kDesktopEntryFile, desktopEntry(QStringLiteral("slidewright %f"))) ||
        !write(folder + u'/' + kMimePackageFile, mimePackage(kExtension, kDescription))) {
        std::fprintf(stderr, "cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
