// The editor's document commands: new, open, overwrite save, save as, and
// loading and saving packages.
#include "frmMaker.h"

#include "common/FileDialogs.h"
#include "common/MessageBox.h"
#include "editor/frames/FrameRows.h"
#include "editor/frames/MPRO_BAR.h"
#include "editor/frames/ProgressBox.h"
#include "moviefile/ExtractionCheck.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/MovieMessages.h"
#include "moviefile/MovieScript.h"
#include "moviefile/PackageSave.h"
#include "moviefile/WorkFolderSession.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include <optional>

void frmMaker::startNewMovie() {
    clearWorkFolder();
    state_.pageBase = 0;
    doc_.beginEditorMovie();
    rows_->clearPictures();
    rows_->showMovieSettings();
    doc_.clearPackage(settings_.saveFolder);
    showCaption();
    rows_->DrawFrameRows(1);
    state_.modified = false;
}

void frmMaker::mnuNew_Click() {
    stopSound();
    const auto answer = MessageBox::show(
        this, QStringLiteral("現在作成中のデータが全てクリアされますが宜しいですか？"),
        QStringLiteral("新規作成確認"), MessageBox::Icon::Question, MessageBox::Buttons::YesNo);
    if (answer != MessageBox::Answer::Yes) {
        return;
    }
    startNewMovie();
}

void frmMaker::mnuFOpen_Click() {
    stopSound();
    if (state_.modified) {
        const auto answer = MessageBox::show(
            this, QStringLiteral("編集中のデータを破棄しても宜しいですか？"),
            QStringLiteral("開く確認"), MessageBox::Icon::None, MessageBox::Buttons::YesNo);
        if (answer != MessageBox::Answer::Yes) {
            return;
        }
    }
    const QString path =
        FileDialogs::DialogRead(this, doc_.dialogFolder(), FileDialogs::packageFilter());
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return;
    }
    clearWorkFolder();
    if (!OpenPackageInEditor(path)) {
        return;
    }
    showCaption();
    state_.modified = false;
    const int mode = doc_.advanceMode;
    rows_->optJidou[mode >= 0 && mode <= 2 ? mode : 0]->setFocus();
}

bool frmMaker::OpenPackageInEditor(const QString& path) {
    MovieDoc& doc = doc_;
    auto giveUp = [this](MovieMessage message, const QString& detail = {}) {
        showMovieMessage(message, detail);
        // The editor stays: a new, empty movie rather than a half-loaded one.
        startNewMovie();
        return false;
    };
    if (!doc.setPackagePath(path)) {
        return giveUp(MovieMessage::InvalidPackage01);
    }
    state_.pageBase = 0;
    doc.resetFrames(MovieDoc::kEditorSlots);
    // Everything is unpacked into a folder of the editor's own first and
    // moves in among the user's files only once the whole package is there.
    const QString scratch = scratchFolder();
    std::optional<QTemporaryDir> unpackedFolder;
    if (!scratch.isEmpty()) {
        unpackedFolder.emplace(scratch + QStringLiteral("/open-XXXXXX"));
    }
    if (!unpackedFolder || !unpackedFolder->isValid()) {
        return giveUp(MovieMessage::InvalidPackage02);
    }
    const QTemporaryDir& unpacked = *unpackedFolder;
    const MovieScript::ReadResult read = MovieScript::ReadPackageScript(
        doc.packagePath, unpacked.path(), MovieScript::ForEditor, doc);
    if (read.newerVersion) {
        showMovieMessage(MovieMessage::NewerVersion);
    }
    if (!read.ok()) {
        return giveUp(read.message());
    }
    const QStringList patterns{QStringLiteral("*.bmp"), QStringLiteral("*.wav"),
                               QStringLiteral("*.mid")};
    const ExtractionCheck::Plan plan =
        ExtractionCheck::Check(doc.packagePath, patterns, unpacked.path());
    if (!plan.ok()) {
        return giveUp(plan.message, plan.detail);
    }
    for (const QString& name : plan.names) {
        if (workFiles_.isTakenByOthers(name)) {
            return giveUp(MovieMessage::WorkFileInTheWay, name);
        }
    }
    // Every extraction counts: a package whose pictures cannot be taken out
    // is as broken as one whose sounds cannot.
    bool extracted = true;
    for (const QString& pattern : patterns) {
        extracted =
            MLha::ExtractFromPackage(doc.packagePath, unpacked.path(), pattern) == 0 && extracted;
    }
    if (!extracted) {
        return giveUp(MovieMessage::InvalidPackage02);
    }
    // A picture the script names must come from this package, never from
    // whatever else the work folder holds.
    for (int k = 1; k <= doc.lastSlot(); ++k) {
        const FrameEntry& frame = doc.frames[static_cast<size_t>(k)];
        if (frame.inUse && !QFileInfo(QDir(unpacked.path()).filePath(frame.pictureFile)).isFile()) {
            return giveUp(MovieMessage::InvalidPackage02);
        }
    }
    const QStringList files = QDir(unpacked.path()).entryList(QDir::Files | QDir::Hidden);
    for (const QString& name : files) {
        if (!workFiles_.adopt(QDir(unpacked.path()).filePath(name), name)) {
            return workFiles_.isTakenByOthers(name) ? giveUp(MovieMessage::WorkFileInTheWay, name)
                                                    : giveUp(MovieMessage::InvalidPackage02);
        }
    }
    rows_->DrawFrameRows(1);
    rows_->showMovieSettings();
    return true;
}

bool frmMaker::mnuFUwaSave_Click() {
    stopSound();
    const QString path = doc_.packagePath;
    if (path.isEmpty()) {
        return mnuFBetuSave_Click();
    }
    if (!SavePackage(path)) {
        return false;
    }
    showCaption();
    state_.modified = false;
    return true;
}

bool frmMaker::mnuFBetuSave_Click() {
    stopSound();
    const QString path = FileDialogs::DialogSave(
        this, doc_.dialogFolder(), FileDialogs::packageFilter(), QStringLiteral("sdw"));
    if (path.isEmpty() || !SavePackage(path)) {
        return false;
    }
    // The dialogs go on starting where they did.
    doc_.packagePath = path;
    showCaption();
    state_.modified = false;
    return true;
}

bool frmMaker::SavePackage(const QString& path) {
    const int frameCount = storedFrameCount();
    if (frameCount < 1) {
        return false;
    }
    MovieScript::ScriptSettings settings;
    settings.loop = rows_->chkLoop->isChecked();
    settings.advanceOption = rows_->optJidou[0]->isChecked()   ? 0
                             : rows_->optJidou[1]->isChecked() ? 1
                                                               : 2;
    settings.loopWaitText = rows_->txtLoop->text();

    setEnabled(false);
    ProgressBox* bar = rows_->picBar;
    bar->clear();
    bar->show();
    MPRO_BAR::ShowProgress(bar, 0);
    QCoreApplication::processEvents();
    const PackageSave::SaveResult result = PackageSave::SavePackage(
        doc_, workFolder(), path, frameCount, settings,
        [bar](int percent) {
            MPRO_BAR::ShowProgress(bar, percent);
            QCoreApplication::processEvents();
        },
        scratchFolder());
    if (!result.saved) {
        showMovieMessage(result.message, result.detail);
    }
    bar->hide();
    setEnabled(true);
    return result.saved;
}
