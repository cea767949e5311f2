#include "frmMovie.h"
#include "common/Twips.h"

#include "common/AppIcon.h"
#include "common/DevicePixels.h"
#include "common/FileDialogs.h"
#include "common/LauncherLink.h"
#include "common/MessageBox.h"
#include "common/ProgramEnd.h"
#include "moviefile/AFrameReel.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/MovieScript.h"
#include "moviefile/WorkFolder.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

// Sizes are kept in twips, as the window was laid out; 15 twips make a pixel.
constexpr int pixels(int twips) {
    return twips / Twips::kPerPixel;
}

constexpr int kButtonWidth = 855;
constexpr int kButtonHeight = 375;
constexpr int kButtonTops[] = {0, 360, 720};
constexpr int kListWidth = 2400;
constexpr int kListGap = 200;

}  // namespace

frmMovie::frmMovie(MovieDoc& doc, QString workFolder, bool preview, QWidget* parent,
                   TimerSource* timers)
    : QWidget(parent),
      doc_(doc),
      workFolder_(std::move(workFolder)),
      preview_(preview),
      frames_(doc, workFolder_, preview) {
    setObjectName(QStringLiteral("frmMovie"));
    setWindowTitle(QStringLiteral("Slidewright"));
    setWindowIcon(AppIcon::programIcon());
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);

    Pic1 = new QLabel(this);
    Pic1->setObjectName(QStringLiteral("Pic1"));
    Pic1->setFrameShape(QFrame::NoFrame);
    Pic1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Pic1->setContentsMargins(0, 0, 0, 0);
    Pic1->move(0, 0);
    Pic1->installEventFilter(this);

    // The buttons are small; a smaller face keeps "999/999" readable in them.
    QFont buttonFont = font();
    buttonFont.setPixelSize(11);
    auto makeButton = [&](const char* name, const QString& caption, const QString& tip, int top) {
        auto* button = new QPushButton(caption, Pic1);
        button->setObjectName(QString::fromLatin1(name));
        button->setToolTip(tip);
        button->setFont(buttonFont);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(0, pixels(top), pixels(kButtonWidth), pixels(kButtonHeight));
        return button;
    };
    cmdAuto = makeButton("cmdAuto", QStringLiteral("Auto"),
                         QStringLiteral("Auto=自動再生　Manual=手動再生"), kButtonTops[0]);
    cmdNo =
        makeButton("cmdNo", QStringLiteral("999/999"), QStringLiteral("動作状況"), kButtonTops[1]);
    cmdEnd =
        makeButton("cmdEnd", QStringLiteral("End"), QStringLiteral("終了する"), kButtonTops[2]);
    // In automatic mode the counter is disabled but still tells where the
    // movie is: a grey that reads at about 4:1 on the button, still plainly
    // lighter than the enabled captions.
    QPalette counterColours = cmdNo->palette();
    counterColours.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x6e, 0x6e, 0x6e));
    cmdNo->setPalette(counterColours);

    lstDat = new QListWidget(Pic1);
    lstDat->setObjectName(QStringLiteral("lstDat"));
    lstDat->setToolTip(QStringLiteral("ダブルクリックで切り替わる"));
    lstDat->resize(pixels(kListWidth), lstDat->height());
    lstDat->hide();

    lblLoopWait = new QLabel(QStringLiteral("再生開始まであと ＸＸ秒 お待ち下さい..."), Pic1);
    lblLoopWait->setObjectName(QStringLiteral("lblLoopWait"));
    // Readable over any picture.
    lblLoopWait->setAutoFillBackground(true);
    lblLoopWait->setMargin(6);
    lblLoopWait->adjustSize();
    lblLoopWait->hide();

    tmrMidPlay = new QTimer(this);
    tmrMidPlay->setObjectName(QStringLiteral("tmrMidPlay"));
    tmrMidPlay->setInterval(50);
    tmrEnd = new QTimer(this);
    tmrEnd->setObjectName(QStringLiteral("tmrEnd"));
    tmrEnd->setInterval(5);
    for (QTimer* timer : {tmrMidPlay, tmrEnd}) {
        timer->setTimerType(Qt::PreciseTimer);
    }
    if (timers == nullptr) {
        ownTimers_ = std::make_unique<QtTimerSource>(this);
        timers = ownTimers_.get();
    }
    PlaybackEngine::Screen& screen = *this;
    PlaybackEngine::Sound& sound = *this;
    engine_ = std::make_unique<PlaybackEngine>(doc_, workFolder_, preview_, screen, sound, *timers);

    connect(cmdAuto, &QPushButton::clicked, this, &frmMovie::cmdAuto_Click);
    connect(cmdNo, &QPushButton::clicked, this, &frmMovie::cmdNo_Click);
    connect(cmdEnd, &QPushButton::clicked, this, &frmMovie::cmdEnd_Click);
    connect(lstDat, &QListWidget::itemDoubleClicked, this, &frmMovie::lstDat_DblClick);
    connect(tmrMidPlay, &QTimer::timeout, this, &frmMovie::tmrMidPlay_Timer);
    connect(tmrEnd, &QTimer::timeout, this, &frmMovie::tmrEnd_Timer);
}

frmMovie::~frmMovie() {
    tmrMidPlay->stop();
}

frmMovie* frmMovie::Open(MovieDoc& doc) {
    // No folder: the load says the package cannot be used, and ends.
    QPointer<frmMovie> movie =
        new frmMovie(doc, WorkFolder::privateFolder().value_or(QString()), false);
    movie->setAttribute(Qt::WA_DeleteOnClose);
    if (!movie->Form_Load()) {
        // The program has ended; only a test's end handler gets here.
        delete movie.data();
        return nullptr;
    }
    movie->placeOnScreen();
    movie->show();
    return movie;
}

void frmMovie::RunPreview(QWidget* editor, MovieDoc& doc, const QString& workFolder) {
    QPointer<frmMovie> movie = new frmMovie(doc, workFolder, true, editor);
    movie->setWindowModality(Qt::ApplicationModal);
    if (movie->Form_Load()) {
        movie->placeOnScreen();
        movie->show();
        QEventLoop loop;
        connect(movie, &frmMovie::closed, &loop, &QEventLoop::quit);
        connect(movie, &QObject::destroyed, &loop, &QEventLoop::quit);
        if (!movie->engine_->isOver()) {
            loop.exec();
        }
    }
    // Gone already when the editor itself was destroyed meanwhile.
    delete movie.data();
}

bool frmMovie::Form_Load() {
    dragStartX = -1;
    dragStartY = -1;

    if (!preview_) {
        const MovieMessage prepared = AFrameReel::PrepareWorkAndPackage(doc_);
        if (prepared != MovieMessage::None || workFolder_.isEmpty()) {
            failLoad(MovieMessage::InvalidPackage);
            return false;
        }
        MovieDoc& doc = doc_;
        if (doc.packagePath.isEmpty() || !QFileInfo(doc.packagePath).isFile()) {
            const QString chosen =
                FileDialogs::DialogRead(this, doc.dialogFolder(), FileDialogs::packageFilter());
            if (!doc.setPackagePath(chosen)) {
                ProgramEnd::endProgram(0);
                return false;
            }
        }
        const MovieScript::ReadResult script = MovieScript::ReadPackageScript(
            doc.packagePath, workFolder_, MovieScript::ForPlayer, doc);
        if (script.newerVersion) {
            const auto box = MovieMessages::of(MovieMessage::NewerVersion);
            MessageBox::show(this, box.text, box.title, box.icon);
        }
        if (!script.ok()) {
            failLoad(script.message());
            return false;
        }
    }

    if (!engine_->start()) {
        return false;
    }
    ArrangeControls();
    lblLoopWait->move(Pic1->contentsRect().topLeft());
    tmrEnd->start();
    return true;
}

void frmMovie::ArrangeControls() {
    // The buttons sit at the picture's right edge, or at the right edge of
    // what is on screen when the picture runs past the window (which the
    // window system caps) or past the screen, so they can always be reached.
    QRect visible(0, 0, std::min(Pic1->contentsRect().width(), width()),
                  std::min(Pic1->height(), height()));
    if (const QScreen* shown = screen(); shown != nullptr && isWindow()) {
        const QRect onScreen = visible & shown->availableGeometry().translated(-pos());
        if (!onScreen.isEmpty()) {
            visible = onScreen;
        }
    }
    const int buttonWidth = cmdAuto->width();
    const int left = std::max(visible.left(), visible.right() + 1 - buttonWidth);
    for (int i = 0; QPushButton * button : {cmdAuto, cmdNo, cmdEnd}) {
        button->move(left, visible.top() + pixels(kButtonTops[i++]));
    }
    // A picture narrower than the buttons and the list still shows the list.
    const int listLeft = cmdNo->x() - lstDat->width() - pixels(kListGap);
    lstDat->setGeometry(std::max(visible.left(), listLeft), visible.top(), lstDat->width(),
                        visible.height());
}

QSize frmMovie::buttonStackSize() {
    return {pixels(kButtonWidth), pixels(kButtonTops[2] + kButtonHeight)};
}

void frmMovie::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    ArrangeControls();
}

void frmMovie::Pic1_MouseDown(const QPoint& position) {
    if (engine_->mode() == PlaybackEngine::Mode::Auto) {
        return;
    }
    dragStartX = position.x();
    dragStartY = position.y();
}

void frmMovie::Pic1_MouseUp(const QPoint& position) {
    if (engine_->mode() == PlaybackEngine::Mode::Auto || dragStartX == -1 || dragStartY == -1) {
        return;
    }
    move(x() + position.x() - dragStartX, y() + position.y() - dragStartY);
    DevicePixels::FitWindow(this, windowDeviceSize_);
    dragStartX = -1;
    dragStartY = -1;
}

bool frmMovie::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Pic1) {
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() == Qt::LeftButton) {
                    Pic1_MouseDown(mouse->position().toPoint());
                }
                return true;
            }
            case QEvent::MouseButtonRelease: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() == Qt::LeftButton) {
                    Pic1_MouseUp(mouse->position().toPoint());
                }
                return true;
            }
            case QEvent::MouseButtonDblClick:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                    Pic1_DblClick();
                }
                return true;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmMovie::keyPressEvent(QKeyEvent* event) {
    // A key held down must not race through the movie and past its end.
    if (event->isAutoRepeat()) {
        event->accept();
        return;
    }
    switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Right:
            Pic1_DblClick();
            break;
        case Qt::Key_Escape:
            cmdEnd_Click();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void frmMovie::tmrEnd_Timer() {
    tmrEnd->stop();
    LauncherLink::unloadLauncher();
}

void frmMovie::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Once Qt has shown the window, which sets its own size hints last.
    QTimer::singleShot(0, this, [this] { DevicePixels::FitWindow(this, windowDeviceSize_); });
}

void frmMovie::closeEvent(QCloseEvent* event) {
    event->accept();
    engine_->windowClosed();
    tmrMidPlay->stop();
    emit closed();
}

void frmMovie::failLoad(MovieMessage message) {
    const auto box = MovieMessages::of(message);
    MessageBox::show(this, box.text, box.title, box.icon);
    ProgramEnd::endProgram(1);
}

void frmMovie::placeOnScreen() {
    QScreen* screen =
        parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    // Centred when it fits; a picture larger than the screen starts at the
    // screen's top-left corner.
    const QRect area = screen->availableGeometry();
    const int left = area.left() + std::max(0, (area.width() - width()) / 2);
    const int top = area.top() + std::max(0, (area.height() - height()) / 2);
    move(left, top);
    DevicePixels::FitWindow(this, windowDeviceSize_);
}
