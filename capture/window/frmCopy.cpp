// The capture window's controls, its opening and closing, and the buttons;
// the timed capture is in frmCopyCapture.cpp, how the window keeps out of
// the way in frmCopyWindow.cpp.
#include "frmCopy.h"

#include "capture/MH_COPY.h"
#include "capture/window/CaptureIcons.h"
#include "common/MFRM_FRONT.h"
#include "common/MessageBox.h"
#include "common/NumericText.h"
#include "moviefile/MovieDoc.h"
#include "settings/AppSettings.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kLastDelay = 9;

QToolButton* pictureButton(QWidget* parent, const char* name, const QIcon& icon,
                           const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(icon);
    button->setIconSize(QSize(18, 18));
    button->setFixedSize(34, 30);
    button->setToolTip(tip);
    button->setAutoRaise(false);
    return button;
}

}  // namespace

frmCopy::frmCopy(const MovieDoc& doc, AppSettings& settings, WorkFolderSession& files,
                 QPoint placeTwips, QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      doc_(doc),
      settings_(settings),
      files_(files),
      place_(placeTwips) {
    setObjectName(QStringLiteral("frmCopy"));
    setWindowTitle(CopyTexts::kCaption);
    // The window never takes the focus, and Qt shows tooltips only in the
    // active window unless told.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    createControls();

    tmrSleep = new QTimer(this);
    tmrSleep->setObjectName(QStringLiteral("tmrSleep"));
    tmrSleep->setSingleShot(true);
    // Connected first, so it runs before the capture.
    connect(tmrSleep, &QTimer::timeout, this, &frmCopy::hideToolTips);
    connect(tmrSleep, &QTimer::timeout, this, &frmCopy::tmrSleep_Timer);

    connect(cmdCopy, &QToolButton::clicked, this, &frmCopy::cmdCopy_Click);
    connect(cmdStop, &QToolButton::clicked, this, &frmCopy::cmdStop_Click);
    connect(cmdEnd, &QToolButton::clicked, this, &frmCopy::cmdEnd_Click);
    // A change to ticked runs the rule, whether the user or the opening set it.
    connect(chkCopy, &QCheckBox::toggled, this, [this](bool ticked) {
        if (ticked) {
            chkCopy_Click();
        }
    });
    connect(txtTim, &QLineEdit::editingFinished, this, [this] { acceptFocusForTyping(false); });
    txtTim->installEventFilter(this);
}

frmCopy::~frmCopy() = default;

void frmCopy::createControls() {
    cmdCopy = pictureButton(this, "cmdCopy", CaptureIcons::record(), CopyTexts::kRecordTip);
    cmdStop = pictureButton(this, "cmdStop", CaptureIcons::pause(), CopyTexts::kPauseTip);
    cmdStop->setEnabled(false);
    cmdEnd = pictureButton(this, "cmdEnd", CaptureIcons::stop(), CopyTexts::kStopTip);

    Label1 = new QLabel(CopyTexts::kDelayLabel, this);
    Label1->setObjectName(QStringLiteral("Label1"));

    const QFontMetrics metrics(font());
    txtTim = new QLineEdit(QStringLiteral("0"), this);
    txtTim->setObjectName(QStringLiteral("txtTim"));
    txtTim->setMaxLength(1);
    txtTim->setToolTip(CopyTexts::kDelayTip);
    txtTim->setAlignment(Qt::AlignCenter);
    txtTim->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]?")), txtTim));
    txtTim->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("0")) * 2 + 16);
    Label1->setBuddy(txtTim);

    txtNo = new QLineEdit(QStringLiteral("999"), this);
    txtNo->setObjectName(QStringLiteral("txtNo"));
    txtNo->setMaxLength(3);
    txtNo->setReadOnly(true);
    txtNo->setFocusPolicy(Qt::NoFocus);
    txtNo->setToolTip(CopyTexts::kNumberTip);
    txtNo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    txtNo->setFixedWidth(metrics.horizontalAdvance(QStringLiteral("000")) + 16);

    chkCopy = new QCheckBox(CopyTexts::kContinuousCaption, this);
    chkCopy->setObjectName(QStringLiteral("chkCopy"));
    chkCopy->setToolTip(CopyTexts::kContinuousTip);
    chkAct = new QCheckBox(CopyTexts::kActiveCaption, this);
    chkAct->setObjectName(QStringLiteral("chkAct"));

    colourGroup_ = new QButtonGroup(this);
    for (int i = 0; i < static_cast<int>(optColor.size()); ++i) {
        optColor[i] = new QRadioButton(CopyTexts::kColourCaptions[i], this);
        // A control array's members are named with their index, as the
        // editor's rows are.
        optColor[i]->setObjectName(QStringLiteral("optColor_%1").arg(i));
        optColor[i]->setToolTip(CopyTexts::kColourTip);
        colourGroup_->addButton(optColor[i], i);
    }

    auto* top = new QHBoxLayout;
    top->setSpacing(2);
    top->addWidget(cmdCopy);
    top->addWidget(cmdStop);
    top->addWidget(cmdEnd);
    top->addSpacing(12);
    top->addWidget(Label1);
    top->addSpacing(4);
    top->addWidget(txtTim);
    top->addStretch(1);
    top->addSpacing(8);
    top->addWidget(txtNo);

    auto* options = new QGridLayout;
    options->setHorizontalSpacing(16);
    options->setVerticalSpacing(2);
    options->addWidget(chkCopy, 0, 0);
    options->addWidget(chkAct, 1, 0);
    for (int i = 0; i < static_cast<int>(optColor.size()); ++i) {
        options->addWidget(optColor[i], i, 1);
    }
    options->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(8);
    layout->addLayout(top);
    layout->addLayout(options);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmCopy::Form_Load() {
    unloaded_ = false;
    moveToPosition();
    MFRM_FRONT::SetWindowTopmost(this, false);

    nextFrameNo = doc_.nextFreeFrame();
    showNextFrameNo();

    const AppSettings& settings = settings_;
    // A hand-edited settings file may hold anything; show the nearest choice
    // the window offers.
    const int colour =
        settings.captureColor >= 0 && settings.captureColor < 3 ? settings.captureColor : 0;
    optColor[static_cast<size_t>(colour)]->setChecked(true);
    const int delay = std::clamp<int>(settings.captureDelay, 0, kLastDelay);
    txtTim->setText(QString::number(delay));
    chkCopy->setChecked(settings.captureContinuous != 0);
    chkAct->setChecked(settings.captureActiveWindow != 0);
}

void frmCopy::showNextFrameNo() {
    txtNo->setText(QString::number(nextFrameNo));
}

double frmCopy::delaySeconds() const {
    return NumericText::LeadingNumber(txtTim->text());
}

int frmCopy::colourOption() const {
    return colourGroup_->checkedId();
}

void frmCopy::txtTim_GotFocus() {
    // After the click that gave the focus has placed the cursor.
    QTimer::singleShot(0, txtTim, &QLineEdit::selectAll);
}

void frmCopy::chkCopy_Click() {
    if (chkCopy->isChecked() && delaySeconds() < 4) {
        txtTim->setText(QStringLiteral("3"));
    }
}

void frmCopy::setInputsEnabled(bool enabled) {
    cmdCopy->setEnabled(enabled);
    txtTim->setEnabled(enabled);
    chkCopy->setEnabled(enabled);
    chkAct->setEnabled(enabled);
    for (QRadioButton* option : optColor) {
        option->setEnabled(enabled);
    }
    cmdStop->setEnabled(!enabled);
}

void frmCopy::armTimer() {
    tmrSleep->setInterval(static_cast<int>(std::nearbyint(delaySeconds() * 1000 + 5)));
    tmrSleep->start();
}

void frmCopy::cmdCopy_Click() {
    acceptFocusForTyping(false);
    if (nextFrameNo > MovieDoc::kEditorSlots) {
        MessageBox::show(this, CopyTexts::kTableFull, CopyTexts::kStoppedTitle,
                         MessageBox::Icon::Exclamation);
        return;
    }
    if (chkCopy->isChecked() && delaySeconds() < 3) {
        MessageBox::show(this, CopyTexts::kContinuousDelay, CopyTexts::kStoppedTitle,
                         MessageBox::Icon::Information);
        // The box has taken the focus from the user's window already: let
        // the delay be typed at once.
        acceptFocusForTyping(true);
        txtTim->setFocus();
        return;
    }
    if (chkAct->isChecked()) {
        tellWholeScreenOnly();
    }
    setInputsEnabled(false);
    armTimer();
}

void frmCopy::tellWholeScreenOnly() {
    static bool told = false;
    if (told || MH_COPY::Grabber().copiesActiveWindow()) {
        return;
    }
    told = true;
    MessageBox::show(this, CopyTexts::kWholeScreenOnly, CopyTexts::kActiveCaption,
                     MessageBox::Icon::Information);
}

void frmCopy::cmdStop_Click() {
    tmrSleep->stop();
    setInputsEnabled(true);
}

void frmCopy::cmdEnd_Click() {
    close();
}

void frmCopy::Form_Unload() {
    AppSettings& settings = settings_;
    if (const int option = colourOption(); option >= 0) {
        settings.captureColor = static_cast<std::int16_t>(option);
    }
    if (const auto delay = NumericText::RoundToInt16(delaySeconds())) {
        settings.captureDelay = *delay;
    }
    settings.captureContinuous = chkCopy->isChecked() ? 1 : 0;
    settings.captureActiveWindow = chkAct->isChecked() ? 1 : 0;
}

void frmCopy::done(int result) {
    // Every way out (the stop button, the close box, Escape, a full table)
    // comes through here once.
    tmrSleep->stop();
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    QDialog::done(result);
}
