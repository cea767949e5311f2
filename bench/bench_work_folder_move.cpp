// How long the options dialog's OK takes to move a full movie's pictures:
// 100 uncompressed 1024x768 captures (2.25 MiB each), copied, synced, read
// back and deleted, between two folders of the same file system.
#include "system/WorkFolderMove.h"

#include <benchmark/benchmark.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int kPictures = 100;
constexpr qsizetype kPictureBytes = 54 + 1024 * 768 * 3;

void fill(const QString& folder) {
    QByteArray bytes(kPictureBytes, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 2654435761u >> 24);
    }
    for (int i = 1; i <= kPictures; ++i) {
        QFile file(QStringLiteral("%1/SW%2.bmp").arg(folder).arg(i, 3, 10, QChar(u'0')));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::abort();
        }
    }
}

void BM_MoveHundredPictures(benchmark::State& state) {
    QTemporaryDir scratch;
    const QString a = scratch.filePath(QStringLiteral("a"));
    const QString b = scratch.filePath(QStringLiteral("b"));
    QDir().mkpath(a);
    QDir().mkpath(b);
    fill(a);
    bool forth = true;
    for (auto _ : state) {
        const WorkFolderMove::Result result =
            forth ? WorkFolderMove::MoveBitmaps(a, b) : WorkFolderMove::MoveBitmaps(b, a);
        if (result.moved.size() != kPictures) {
            state.SkipWithError("not every picture moved");
            break;
        }
        forth = !forth;
    }
    state.SetBytesProcessed(state.iterations() * kPictures * kPictureBytes);
}
BENCHMARK(BM_MoveHundredPictures)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
