// The editor's export: the movie being edited to MP4, WebM or an animated
// GIF, with a progress window that can cancel it.
#include "frmMaker.h"

#include "common/FileDialogs.h"
#include "common/MessageBox.h"
#include "export/ExportFormat.h"
#include "export/MovieExporter.h"
#include "moviefile/MovieDoc.h"

#include <QApplication>
#include <QFileInfo>
#include <QProgressDialog>

namespace {

std::vector<FileDialogs::FileFilter> exportFilter() {
    return {{QStringLiteral("MP4 動画 (H.264 + AAC)"), QStringLiteral("*.mp4")},
            {QStringLiteral("WebM 動画 (VP9 + Opus)"), QStringLiteral("*.webm")},
            {QStringLiteral("アニメーション GIF"), QStringLiteral("*.gif")}};
}

}  // namespace

void frmMaker::mnuExport_Click() {
    stopSound();
    const int frameCount = storedFrameCount();
    if (frameCount < 1) {
        return;
    }
    const MovieDoc& doc = doc_;
    QString target =
        FileDialogs::DialogSave(this, doc_.dialogFolder(), exportFilter(), QStringLiteral("mp4"));
    if (target.isEmpty()) {
        return;
    }
    if (!ExportFormats::ForPath(target)) {
        MessageBox::show(this, ExportMessages::Text({ExportProblem::UnknownFormat, target}),
                         ExportMessages::Title(), MessageBox::Icon::Critical);
        return;
    }

    MovieToExport movie;
    movie.frames.assign(doc.frames.begin() + 1, doc.frames.begin() + 1 + frameCount);
    movie.advanceMode = doc.advanceMode;
    movie.loopFlag = doc.loopFlag;
    movie.folder = workFolder();

    QProgressDialog window(
        QStringLiteral("%1 に書き出しています...").arg(QFileInfo(target).fileName()),
        QStringLiteral("キャンセル"), 0, frameCount, this);
    window.setObjectName(QStringLiteral("frmExportProgress"));
    window.setWindowTitle(QStringLiteral("書き出し"));
    window.setWindowModality(Qt::WindowModal);
    window.setMinimumDuration(0);
    window.setAutoReset(false);
    window.setAutoClose(false);
    window.setValue(0);
    window.show();
    QCoreApplication::processEvents();
    const ExportResult result =
        MovieExporter::Export(movie, target,
                              {[&window](int done, int) { window.setValue(done); },
                               [&window] {
                                   QCoreApplication::processEvents();
                                   return window.wasCanceled();
                               }});
    window.close();
    if (!result.ok() && result.problem != ExportProblem::Cancelled) {
        MessageBox::show(this, ExportMessages::Text(result), ExportMessages::Title(),
                         MessageBox::Icon::Critical);
    }
}
