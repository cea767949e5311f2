#include "frmMaker.h"

#include "common/AppIcon.h"
#include "common/LauncherLink.h"
#include "common/ProgramEnd.h"

#include <QCloseEvent>

frmMaker::frmMaker(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMaker"));
    setWindowTitle(QStringLiteral("Slidewright"));
    setWindowIcon(AppIcon::programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    resize(800, 600);

    tmrEnd = new QTimer(this);
    tmrEnd->setObjectName(QStringLiteral("tmrEnd"));
    tmrEnd->setInterval(5);
    connect(tmrEnd, &QTimer::timeout, this, &frmMaker::tmrEnd_Timer);
}

frmMaker* frmMaker::Open() {
    auto* maker = new frmMaker();
    maker->Form_Load();
    if (ProgramEnd::hasEnded()) {
        return nullptr;
    }
    maker->show();
    return maker;
}

void frmMaker::Form_Load() {
    tmrEnd->start();
}

void frmMaker::tmrEnd_Timer() {
    tmrEnd->stop();
    LauncherLink::unloadLauncher();
}

void frmMaker::closeEvent(QCloseEvent* event) {
    event->accept();
    ProgramEnd::endProgram(0);
}
