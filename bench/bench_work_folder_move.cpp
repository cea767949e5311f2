// How long the options dialog's OK takes to move a full movie's pictures:
// 100 uncompressed 1024x768 captures (2.25 MiB each), copied, synced, read
// back and deleted, between two folders of the same file system.
#include "moviefile/WorkFolderSession.h"

#include <benchmark/benchmark.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

constexpr int kPictures = 100;
constexpr qsizetype kPictureBytes = 54 + 1024 * 768 * 3;

// The pictures enter the session as captures do: written in its scratch
// folder, then taken in.
void fill(WorkFolderSession& session) {
    QByteArray bytes(kPictureBytes, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 2654435761u >> 24);
    }
    for (int i = 1; i <= kPictures; ++i) {
        const QString name = QStringLiteral("SW%1.bmp").arg(i, 3, 10, QChar(u'0'));
        QFile file(session.scratchFolder() + u'/' + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::abort();
        }
        file.close();
        if (!session.adopt(file.fileName(), name)) {
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
    WorkFolderSession session;
    if (session.open(a) != WorkFolderSession::OpenResult::Opened) {
        state.SkipWithError("no work folder");
        return;
    }
    fill(session);
    bool forth = true;
    for (auto _ : state) {
        if (session.moveTo(forth ? b : a) != WorkFolderSession::MoveResult::Moved ||
            session.ownedNames().size() != kPictures) {
            state.SkipWithError("not every picture moved");
            break;
        }
        forth = !forth;
    }
    session.close();
    state.SetBytesProcessed(state.iterations() * kPictures * kPictureBytes);
}
BENCHMARK(BM_MoveHundredPictures)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
