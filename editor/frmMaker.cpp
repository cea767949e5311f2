// The editor window's life: made, loaded, started on a package, closed.
#include "frmMaker.h"

#include "common/AppIcon.h"
#include "common/LauncherLink.h"
#include "common/MessageBox.h"
#include "common/ProgramEnd.h"
#include "common/Twips.h"
#include "editor/frames/EditorIcons.h"
#include "editor/frames/FrameRows.h"
#include "moviefile/CommandLine.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/MovieMessages.h"
#include "moviefile/MovieScript.h"
#include "moviefile/WorkFolder.h"
#include "moviefile/WorkFolderSession.h"
#include "player/MMidPlay.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"
#include "settings/WorkFolderChoice.h"

#include <QAction>
#include <QCloseEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QToolButton>

namespace {

// The client area: five columns of rows, two lines, the options below.
constexpr QSize kClientSize(776, 484);

}  // namespace

frmMaker::frmMaker(const EditorContext& context, QWidget* parent)
    : QMainWindow(parent),
      doc_(context.doc),
      settings_(context.settings),
      workFiles_(context.workFiles) {
    setObjectName(QStringLiteral("frmMaker"));
    setWindowIcon(AppIcon::programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Slidewright - 新規ファイル"));

    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("clientArea"));
    area->setFixedSize(kClientSize);
    setCentralWidget(area);

    createMenus();
    createToolbar(area);
    rows_ = new FrameRows(area, doc_, state_, workFiles_);
    rows_->isBusy = [this] { return !cmdNew->isEnabled(); };
    connect(rows_, &FrameRows::rowMenuRequested, this,
            [this](int, QPoint position, bool hasPicture) {
                mnuBmpEdit->setVisible(hasPicture);
                mnuBmpAdd->setVisible(hasPicture);
                mnuMClick->popup(position);
            });

    tmrEnd = new QTimer(this);
    tmrEnd->setObjectName(QStringLiteral("tmrEnd"));
    tmrEnd->setInterval(5);
    connect(tmrEnd, &QTimer::timeout, this, &frmMaker::tmrEnd_Timer);
    tmrMidPlay = new QTimer(this);
    tmrMidPlay->setObjectName(QStringLiteral("tmrMidPlay"));
    tmrMidPlay->setInterval(50);
    connectFrameCommands();
    connectSoundButtons();

    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

frmMaker::~frmMaker() = default;

frmMaker* frmMaker::Open(const EditorContext& context) {
    auto* maker = new frmMaker(context);
    maker->Form_Load();
    if (ProgramEnd::hasEnded()) {
        return nullptr;
    }
    maker->show();
    return maker;
}

void frmMaker::Form_Load() {
    for (int r = 0; r < FrameRows::kRows; ++r) {
        rows_->txtSound[r]->clear();
        rows_->cmdSound[r]->setIcon(EditorIcons::soundPlay());
    }
    const QString commandLine = CommandLine::get();
    if (commandLine.isEmpty()) {
        doc_.packagePath.clear();
    } else if (!doc_.setPackagePath(commandLine)) {
        showMovieMessage(MovieMessage::InvalidPackage);
        closing_ = true;
        ProgramEnd::endProgram(1);
        return;
    }
    SettingsFile::CreateDefaultWorkFolder();
    SettingsFile::ReadSettings(settings_);
    if (!takeWorkFolder()) {
        return;
    }

    doc_.beginEditorMovie();
    if (!doc_.packagePath.isEmpty()) {
        // A newer version is told once, by the start-up open that follows.
        const MovieScript::ReadResult read = MovieScript::ReadPackageScript(
            doc_.packagePath, scratchFolder(), MovieScript::ForEditor, doc_);
        if (!read.ok()) {
            // The start-up open would only fail again: begin a new movie.
            showMovieMessage(read.message());
            doc_.packagePath.clear();
        }
    }
    state_.pageBase = 0;
    placeWindow();
    rows_->showMovieSettings();
    tmrEnd->start();
    doc_.packageFolder = settings_.saveFolder + QLatin1Char('/');
    state_.modified = false;
}

bool frmMaker::takeWorkFolder() {
    AppSettings& settings = settings_;
    // A settings file may name a folder the options dialog would refuse:
    // the default takes its place, as for a folder that no longer exists.
    if (WorkFolderChoice::Check(settings.workFolder, settings.saveFolder) !=
        WorkFolderChoice::Refusal::None) {
        settings.workFolder = SettingsFile::DefaultWorkFolder();
    }
    if (workFiles_.open(settings.workFolder) == WorkFolderSession::OpenResult::InUse) {
        showMovieMessage(MovieMessage::WorkFolderInUse, settings.workFolder);
        closing_ = true;
        ProgramEnd::endProgram(1);
        return false;
    }
    return true;
}

QString frmMaker::workFolder() const {
    return workFiles_.folder();
}

QString frmMaker::scratchFolder() {
    const QString scratch = workFiles_.scratchFolder();
    return scratch.isEmpty() ? WorkFolder::privateFolder().value_or(QString()) : scratch;
}

void frmMaker::placeWindow() {
    const AppSettings& settings = settings_;
    adjustSize();
    if (settings.windowTop == AppSettings::kPositionNotSet) {
        const QRect screen = this->screen()->availableGeometry();
        const QSize outer = frameGeometry().size();
        move(screen.left() + (screen.width() - outer.width()) / 2,
             screen.top() + (screen.height() - outer.height()) / 2);
    } else {
        move(settings.windowLeft / Twips::kPerPixel, settings.windowTop / Twips::kPerPixel);
    }
}

void frmMaker::tmrEnd_Timer() {
    tmrEnd->stop();
    LauncherLink::unloadLauncher();
    const QString path = doc_.packagePath;
    if (!path.isEmpty() && OpenPackageInEditor(path)) {
        showCaption();
    }
}

void frmMaker::showCaption() {
    const QString& path = doc_.packagePath;
    setWindowTitle(path.isEmpty() ? QStringLiteral("Slidewright - 新規ファイル")
                                  : QStringLiteral("Slidewright - ") + path);
}

void frmMaker::stopSound() {
    MMidPlay::StopSound(*tmrMidPlay);
}

void frmMaker::clearWorkFolder() {
    // Only what this editor put there: the folder may hold the user's own
    // pictures and sounds under any name.
    workFiles_.removeAll();
}

void frmMaker::mnuEnd_Click() {
    close();
}

void frmMaker::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    // The external picture editor is still working on a file of the work
    // folder, and the wait for it runs inside this window.
    if (!cmdNew->isEnabled()) {
        event->ignore();
        return;
    }
    if (state_.modified) {
        const auto answer = MessageBox::show(
            this, QStringLiteral("変更内容を保存しますか？"), QStringLiteral("終了確認"),
            MessageBox::Icon::Exclamation, MessageBox::Buttons::YesNoCancel);
        if (answer == MessageBox::Answer::Cancel ||
            (answer == MessageBox::Answer::Yes && !mnuFUwaSave_Click())) {
            event->ignore();
            return;
        }
    }
    stopSound();
    clearWorkFolder();
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) {
        settings_.windowTop = y() * Twips::kPerPixel;
        settings_.windowLeft = x() * Twips::kPerPixel;
    }
    SettingsFile::WriteSettings(settings_);
    workFiles_.close();
    closing_ = true;
    event->accept();
    ProgramEnd::endProgram(0);
}

void frmMaker::showMovieMessage(MovieMessage message, const QString& detail) {
    const auto box = MovieMessages::of(message, detail);
    MessageBox::show(this, box.text, box.title, box.icon);
}

int frmMaker::storedFrameCount() {
    rows_->StorePageFields();
    const FrameSequence sequence = doc_.CheckFrameSequence();
    if (sequence.count < 1) {
        showMovieMessage(sequence.message);
    }
    return sequence.count;
}
