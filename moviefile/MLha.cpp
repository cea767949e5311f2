#include "MLha.h"

#include "AFrameReel.h"
#include "ArchiverLibrary.h"

#include <array>

namespace MLha {
namespace {

constexpr char kQuote = '"';

int run(const QByteArray& commandLine) {
    const ArchiverLibrary* archiver = ArchiverLibrary::instance();
    if (archiver == nullptr) {
        return -1;
    }
    archiver->setCursorMode(0);
    // The archiver's status text is never looked at, only its result.
    std::array<char, 10> output{};
    return archiver->unlha(commandLine.constData(), output.data(), output.size());
}

}  // namespace

QByteArray ExtractCommandLine(const QString& package, const QString& folder,
                              const QString& memberPattern) {
    QByteArray line("e ");
    line += kQuote + package.toUtf8() + kQuote + ' ';
    line += kQuote + folder.toUtf8() + '/' + kQuote + ' ';
    line += memberPattern.toUtf8() + " -n";
    return line;
}

QByteArray StoreCommandLine(const QString& package, const QString& file) {
    QByteArray line("a -d ");
    line += kQuote + package.toUtf8() + kQuote + ' ';
    line += kQuote + file.toUtf8() + kQuote + " -n -q -x0";
    return line;
}

int ExtractFromPackage(const QString& package, const QString& folder,
                       const QString& memberPattern) {
    return run(ExtractCommandLine(package, folder, memberPattern));
}

int StoreInPackage(const QString& package, const QString& file, bool startNew) {
    if (startNew) {
        AFrameReel::DeleteFileQuietly(package);
    }
    return run(StoreCommandLine(package, file));
}

}  // namespace MLha
