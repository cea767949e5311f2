#include "frmMain.h"

#include "common/AppIcon.h"
#include "common/LauncherLink.h"
#include "common/ProgramEnd.h"
#include "editor/frmMaker.h"
#include "player/frmMovie.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QVBoxLayout>

frmMain::frmMain(const EditorContext& editor, QWidget* parent) : QWidget(parent), editor_(editor) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Slidewright"));
    setWindowIcon(AppIcon::programIcon());
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    auto makeButton = [this](const char* name, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setMinimumSize(180, 40);
        QFont font = button->font();
        font.setPointSizeF(font.pointSizeF() * 1.25);
        button->setFont(font);
        return button;
    };
    cmdMovie = makeButton("cmdMovie", QStringLiteral("再　生"));
    cmdMaker = makeButton("cmdMaker", QStringLiteral("編　集"));
    cmdEnd = makeButton("cmdEnd", QStringLiteral("終　了"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(10);
    layout->addWidget(cmdMovie);
    layout->addWidget(cmdMaker);
    layout->addWidget(cmdEnd);
    setFixedSize(sizeHint());

    setTabOrder(cmdMovie, cmdMaker);
    setTabOrder(cmdMaker, cmdEnd);
    cmdMovie->setDefault(true);
    cmdMovie->setFocus();

    connect(cmdMovie, &QPushButton::clicked, this, &frmMain::cmdMovie_Click);
    connect(cmdMaker, &QPushButton::clicked, this, &frmMain::cmdMaker_Click);
    connect(cmdEnd, &QPushButton::clicked, this, &frmMain::cmdEnd_Click);

    LauncherLink::setUnloader([this] { unloadQuietly(); });
}

frmMain::~frmMain() {
    LauncherLink::setUnloader(nullptr);
}

void frmMain::cmdMovie_Click() {
    // The player and the editor are never open together.
    setEnabled(false);
    frmMovie::Open(editor_.doc);
}

void frmMain::cmdMaker_Click() {
    setEnabled(false);
    frmMaker::Open(editor_);
}

void frmMain::cmdEnd_Click() {
    ProgramEnd::endProgram(0);
}

void frmMain::unloadQuietly() {
    unloading_ = true;
    close();
    deleteLater();
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!unloading_) {
        ProgramEnd::endProgram(0);
    }
}
