// Prints the MIME type and default application id a fresh process sees for
// a file: Qt caches the MIME database for the life of a process.
#include "common/DefaultApplication.h"

#include <QCoreApplication>
#include <QMimeDatabase>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QString type = QMimeDatabase().mimeTypeForFile(file).name();
    const auto entry = DefaultApplication::forMimeType(type);
    std::printf("%s\n%s\n", qPrintable(type), entry ? qPrintable(entry->id) : "");
    return 0;
}
