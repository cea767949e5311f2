#include "frmMovie.h"

#include "common/AppIcon.h"
#include "common/LauncherLink.h"
#include "common/ProgramEnd.h"
#include "moviefile/PreviewMode.h"

#include <QCloseEvent>
#include <QPushButton>

frmMovie::frmMovie(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmMovie"));
    setWindowTitle(QStringLiteral("Slidewright"));
    setWindowIcon(AppIcon::programIcon());
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 480);

    cmdEnd = new QPushButton(QStringLiteral("End"), this);
    cmdEnd->setObjectName(QStringLiteral("cmdEnd"));
    cmdEnd->setToolTip(QStringLiteral("終了する"));
    cmdEnd->setGeometry(width() - 57, 48, 57, 25);
    connect(cmdEnd, &QPushButton::clicked, this, &frmMovie::cmdEnd_Click);

    tmrEnd = new QTimer(this);
    tmrEnd->setObjectName(QStringLiteral("tmrEnd"));
    tmrEnd->setInterval(5);
    connect(tmrEnd, &QTimer::timeout, this, &frmMovie::tmrEnd_Timer);
}

frmMovie* frmMovie::Open() {
    auto* movie = new frmMovie();
    movie->Form_Load();
    if (ProgramEnd::hasEnded()) {
        return nullptr;
    }
    movie->show();
    return movie;
}

void frmMovie::Form_Load() {
    tmrEnd->start();
}

void frmMovie::tmrEnd_Timer() {
    tmrEnd->stop();
    LauncherLink::unloadLauncher();
}

void frmMovie::cmdEnd_Click() {
    close();
}

void frmMovie::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!previewMode) {
        ProgramEnd::endProgram(0);
    }
}
