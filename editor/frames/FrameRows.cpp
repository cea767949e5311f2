#include "FrameRows.h"

#include "common/MessageBox.h"
#include "common/NumericText.h"
#include "common/Twips.h"
#include "editor/frames/EditorIcons.h"
#include "editor/frames/MPRO_BAR.h"
#include "editor/frames/MPicSizeChg.h"
#include "editor/frames/PictureBox.h"
#include "editor/frames/ProgressBox.h"
#include "editor/frames/ThumbnailCache.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/MovieMessages.h"
#include "moviefile/WorkFolder.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace {

int px(int twips) {
    return Twips::toPixels(twips);
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

// n right-aligned in three characters: "  1", " 11", "100".
QString threeCharacterNumber(int n) {
    return (QStringLiteral("  ") + QString::number(n)).right(3);
}

// A wait in seconds in its shortest decimal form: 0, 1.5, 10, 0.25.
QString secondsText(int waitMs) {
    return QString::number(waitMs / 1000.0, 'g', 15);
}

// Typing stops at a box's limit, as a text box with a maximum length does,
// but a wait set by the program (12.5) shows whole: QLineEdit's own limit
// would cut it.
constexpr const char* kCharacterLimit = "characterLimit";

bool exceedsLimit(QLineEdit* box, const QString& inserted) {
    const QVariant limit = box->property(kCharacterLimit);
    if (!limit.isValid() || inserted.isEmpty()) {
        return false;
    }
    const qsizetype length = box->text().size() - box->selectedText().size() + inserted.size();
    return length > limit.toInt();
}

constexpr int kWaitBoxExtraWidth = 4;

// Set on a box between the press that gave it the focus and the release.
constexpr const char* kFocusingClick = "focusingClick";

QString arrayName(const char* name, int index) {
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

// The rows' labels and the page label line their numbers up in columns.
QFont fixedPitchFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (QFontDatabase::families().contains(QStringLiteral("IPAGothic"))) {
        font.setFamily(QStringLiteral("IPAGothic"));
    }
    font.setPixelSize(12);
    return font;
}

}  // namespace

FrameRows::FrameRows(QWidget* area, EditorState& state, WorkFolderSession& files)
    : QObject(area), state_(state), files_(files), area_(area) {
    createRows(area);
    createPageControls(area);
    createOptions(area);
    enableDrops();
}

void FrameRows::createRows(QWidget* area) {
    const QFont labelFont = fixedPitchFont();
    QFont waitFont = area->font();
    waitFont.setPixelSize(12);
    for (int r = 0; r < kRows; ++r) {
        const int x = 120 + 2280 * (r % 5);
        const bool upper = r < 5;

        auto* label = new QLabel(area);
        label->setObjectName(arrayName("lblNo", r));
        label->setFont(labelFont);
        label->setGeometry(twipsRect(x + 120, upper ? 720 : 3240, 2055, 255));
        label->setText(QStringLiteral("No.XXX         秒"));
        lblNo[r] = label;

        auto* wait = new QLineEdit(area);
        wait->setObjectName(arrayName("txtWait", r));
        // A little wider than its twips and a size smaller than the rest, so
        // that "2.5" keeps a margin; the "秒" after it stays clear.
        QRect waitBox = twipsRect(x + 960, upper ? 675 : 3195, 375, 270);
        waitBox.setWidth(waitBox.width() + kWaitBoxExtraWidth);
        wait->setGeometry(waitBox);
        wait->setFont(waitFont);
        wait->setProperty(kCharacterLimit, 2);
        wait->setAlignment(Qt::AlignRight);
        wait->setToolTip(QStringLiteral("遅延秒数"));
        wait->setText(QStringLiteral("0"));
        wait->setTextMargins(0, 0, 0, 0);
        wait->installEventFilter(this);
        txtWait[r] = wait;

        auto* picture = new PictureBox(area);
        picture->setObjectName(arrayName("picDat", r));
        picture->setGeometry(twipsRect(x, upper ? 960 : 3480, 2260, 1695));
        connect(picture, &PictureBox::mouseReleased, this,
                [this, r](Qt::MouseButton button, QPoint position) {
                    picDat_MouseUp(r, button, position);
                });
        picDat[r] = picture;

        auto* play = new QToolButton(area);
        play->setObjectName(arrayName("cmdSound", r));
        play->setGeometry(twipsRect(x, upper ? 2660 : 5160, 255, 255));
        play->setToolTip(QStringLiteral("音声ファイルを再生する"));
        play->setIcon(EditorIcons::soundPlay());
        play->setIconSize(QSize(15, 13));
        play->setAutoRaise(false);
        cmdSound[r] = play;

        auto* sound = new QLineEdit(area);
        sound->setObjectName(arrayName("txtSound", r));
        sound->setGeometry(twipsRect(x + 240, upper ? 2660 : 5160, 2015, 270));
        sound->setReadOnly(true);
        sound->setFocusPolicy(Qt::NoFocus);
        sound->setToolTip(QStringLiteral("音声(WAV,MID)ファイルをドラッグ＆ドロップで指定する"));
        QPalette grey = sound->palette();
        grey.setColor(QPalette::Base, QColor(0xe0, 0xe0, 0xe0));
        sound->setPalette(grey);
        txtSound[r] = sound;
    }
}

void FrameRows::createPageControls(QWidget* area) {
    cmdBack = new QPushButton(QStringLiteral("<"), area);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdBack->setToolTip(QStringLiteral("Back"));
    cmdBack->setGeometry(twipsRect(3360, 0, 375, 375));
    connect(cmdBack, &QPushButton::clicked, this, &FrameRows::cmdBack_Click);

    cmdNext = new QPushButton(QStringLiteral(">"), area);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    cmdNext->setToolTip(QStringLiteral("Next"));
    cmdNext->setGeometry(twipsRect(3720, 0, 375, 375));
    connect(cmdNext, &QPushButton::clicked, this, &FrameRows::cmdNext_Click);

    lblList = new QLabel(QStringLiteral("  1- 10"), area);
    lblList->setObjectName(QStringLiteral("lblList"));
    lblList->setToolTip(QStringLiteral("表示No"));
    QFont listFont = fixedPitchFont();
    listFont.setPixelSize(14);
    lblList->setFont(listFont);
    lblList->setGeometry(twipsRect(4200, 0, 1320, 375));
    lblList->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    picBar = new ProgressBox(area);
    picBar->setObjectName(QStringLiteral("picBar"));
    picBar->setToolTip(QStringLiteral("進捗表示"));
    picBar->setGeometry(twipsRect(5640, 0, 2775, 375));
    picBar->hide();
}

void FrameRows::createOptions(QWidget* area) {
    Frame1 = new QGroupBox(QStringLiteral("再生時の動作方法"), area);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(8, 374, 760, 104);

    jidouGroup_ = new QButtonGroup(this);
    const QString captions[3] = {
        QStringLiteral("手動　クリックすると次画面を表示する"),
        QStringLiteral("自動　指定した間隔で再生する"),
        QStringLiteral("自動　指定した間隔で再生する＋音声がある場合は音声再生終了までは待機する"),
    };
    for (int i = 0; i < 3; ++i) {
        auto* option = new QRadioButton(captions[i], Frame1);
        option->setObjectName(arrayName("optJidou", i));
        option->setGeometry(10, 22 + 26 * i, 470, 22);
        jidouGroup_->addButton(option, i);
        optJidou[i] = option;
    }
    // Clicking the chosen option again runs its click too: it marks the
    // document modified.
    connect(jidouGroup_, &QButtonGroup::idClicked, this, &FrameRows::optJidou_Click);

    chkLoop = new QCheckBox(QStringLiteral("自動再生時、繰り返し再生する（永久ループ）"), Frame1);
    chkLoop->setObjectName(QStringLiteral("chkLoop"));
    chkLoop->setGeometry(488, 22, 266, 22);

    txtLoop = new QLineEdit(QStringLiteral("10"), Frame1);
    txtLoop->setObjectName(QStringLiteral("txtLoop"));
    txtLoop->setProperty(kCharacterLimit, 3);
    txtLoop->setAlignment(Qt::AlignRight);
    txtLoop->setGeometry(490, 50, 36, 22);
    txtLoop->installEventFilter(this);

    lblLoop = new QLabel(QStringLiteral("終了後、再生開始までの待ち時間(秒)"), Frame1);
    lblLoop->setObjectName(QStringLiteral("lblLoop"));
    lblLoop->setGeometry(532, 50, 224, 22);
}

bool FrameRows::eventFilter(QObject* watched, QEvent* event) {
    if (routeDropEvent(watched, event)) {
        return true;
    }
    if (selectsAllOnClick(watched, event)) {
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        auto* box = qobject_cast<QLineEdit*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        QString inserted = key->text();
        if (key->matches(QKeySequence::Paste)) {
            inserted = QGuiApplication::clipboard()->text();
        } else if (inserted.isEmpty() || !inserted.at(0).isPrint()) {
            inserted.clear();
        }
        if (box != nullptr && exceedsLimit(box, inserted)) {
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        const bool in = event->type() == QEvent::FocusIn;
        if (watched == txtLoop) {
            if (in) {
                txtLoop_GotFocus();
            }
        } else {
            for (int r = 0; r < kRows; ++r) {
                if (watched == txtWait[r]) {
                    in ? txtWait_GotFocus(r) : txtWait_LostFocus(r);
                }
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

bool FrameRows::selectsAllOnClick(QObject* watched, QEvent* event) {
    auto* box = qobject_cast<QLineEdit*>(watched);
    if (box == nullptr ||
        (box != txtLoop && std::find(txtWait.begin(), txtWait.end(), box) == txtWait.end())) {
        return false;
    }
    // A click that brings the focus in selects the whole text, as Tab does,
    // so that typing replaces it. The focus arrives before the press, which
    // would place the cursor over the selection, and a drag before the
    // release would move it: the box sees neither.
    switch (event->type()) {
        case QEvent::FocusIn:
            box->setProperty(kFocusingClick,
                             static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason);
            return false;
        case QEvent::FocusOut:
            box->setProperty(kFocusingClick, false);
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
            if (box->property(kFocusingClick).toBool()) {
                box->selectAll();
                return true;
            }
            return false;
        case QEvent::MouseButtonRelease:
            box->setProperty(kFocusingClick, false);
            return false;
        default:
            return false;
    }
}

void FrameRows::setModified() {
    state_.modified = true;
    emit modifiedSet();
}

void FrameRows::clearPictures() {
    for (PictureBox* box : picDat) {
        box->clear();
    }
}

void FrameRows::showThumbnail(int index, int frame) {
    PictureBox* box = picDat[index];
    // Fitted at the screen's device pixels, so a scaled screen shows it sharp.
    const qreal ratio = box->devicePixelRatioF();
    MPicSizeChg::TargetBox target;
    target.outerTwips = box->size() * ratio * Twips::kPerPixel;
    target.innerTwips = box->contentsRect().size() * ratio * Twips::kPerPixel;
    target.background = box->background();
    const QString path = WorkFolder::filePath(movieDoc().frames[frame].pictureFile);
    QImage thumbnail = ThumbnailCache::shared().thumbnail(path, target);
    if (thumbnail.isNull()) {
        // The row stays empty and the editor goes on: the user's other
        // frames are still there to save.
        box->clear();
        const auto message = MovieMessages::of(MovieMessage::InvalidPackage);
        MessageBox::show(area_->window(), message.text, message.title, message.icon);
        return;
    }
    thumbnail.setDevicePixelRatio(ratio);
    box->setPicture(thumbnail);
}

void FrameRows::DrawFrameRows(int firstRow) {
    QWidget* window = area_->window();
    window->setEnabled(false);
    MovieDoc& doc = movieDoc();
    int count = 0;
    for (int r = firstRow; r <= kRows; ++r) {
        picDat[r - 1]->clear();
        const int n = state_.pageBase + r;
        if (doc.hasSlot(n) && doc.frames[n].inUse) {
            ++count;
        }
    }
    if (count == 0) {
        for (int r = firstRow; r <= kRows; ++r) {
            picDat[r - 1]->clear();
            txtSound[r - 1]->clear();
        }
    } else {
        const float step = 100.0f / static_cast<float>(count);
        float progress = 0;
        picBar->clear();
        picBar->show();
        MPRO_BAR::ShowProgress(picBar, 0);
        QCoreApplication::processEvents();
        for (int r = firstRow; r <= kRows; ++r) {
            const int n = state_.pageBase + r;
            const bool inUse = doc.hasSlot(n) && doc.frames[n].inUse;
            if (inUse) {
                showThumbnail(r - 1, n);
                progress += step;
                MPRO_BAR::ShowProgress(picBar, static_cast<int>(std::nearbyint(progress)));
                QCoreApplication::processEvents();
            } else {
                picDat[r - 1]->clear();
            }
            const QString sound = doc.hasSlot(n) ? doc.frames[n].soundFile.trimmed() : QString();
            txtSound[r - 1]->setText(sound.isEmpty() ? QString() : doc.frames[n].soundFile);
        }
    }
    optJidou_Click(doc.advanceMode);
    ShowPageLabel();
    picBar->hide();
    window->setEnabled(true);
}

void FrameRows::StorePageFields() {
    MovieDoc& doc = movieDoc();
    doc.loopFlag = chkLoop->isChecked() ? 1 : 0;
    doc.loopWaitSeconds =
        NumericText::RoundToInt16(NumericText::LeadingNumber(txtLoop->text().trimmed()))
            .value_or(0);
    for (int r = 1; r <= kRows; ++r) {
        const int n = state_.pageBase + r;
        if (doc.hasSlot(n) && doc.frames[n].inUse) {
            const double seconds = NumericText::LeadingNumber(txtWait[r - 1]->text());
            doc.frames[n].waitMs = NumericText::RoundToInt32(seconds * 1000.0).value_or(0);
        }
    }
}

void FrameRows::ShowRowLabels(int mode) {
    const MovieDoc& doc = movieDoc();
    for (int r = 1; r <= kRows; ++r) {
        const int n = state_.pageBase + r;
        txtWait[r - 1]->setVisible(mode != 0);
        txtWait[r - 1]->setText(secondsText(doc.hasSlot(n) ? doc.frames[n].waitMs : 0));
        QString label = QStringLiteral("No.") + threeCharacterNumber(n);
        if (mode != 0) {
            label += QStringLiteral("         秒");
        }
        lblNo[r - 1]->setText(label);
    }
}

void FrameRows::ShowPageLabel() {
    lblList->setText(threeCharacterNumber(state_.pageBase + 1) + QStringLiteral("-") +
                     threeCharacterNumber(state_.pageBase + 10));
}

void FrameRows::cmdBack_Click() {
    if (state_.pageBase < 1) {
        return;
    }
    StorePageFields();
    state_.pageBase -= 10;
    DrawFrameRows(1);
}

void FrameRows::cmdNext_Click() {
    if (state_.pageBase > 89) {
        return;
    }
    StorePageFields();
    state_.pageBase += 10;
    DrawFrameRows(1);
}

void FrameRows::selectAdvanceMode(int index) {
    optJidou_Click(index);
}

void FrameRows::optJidou_Click(int index) {
    // A package's unknown mode plays as manual, so it is edited as manual.
    if (index < 0 || index > 2) {
        index = 0;
    }
    optJidou[index]->setChecked(true);
    ShowRowLabels(index);
    movieDoc().advanceMode = index;
    setModified();
}

void FrameRows::showMovieSettings() {
    const MovieDoc& doc = movieDoc();
    txtLoop->setText(QString::number(doc.loopWaitSeconds));
    chkLoop->setChecked(doc.loopFlag != 0);
    selectAdvanceMode(doc.advanceMode);
}

void FrameRows::txtWait_GotFocus(int index) {
    txtWait[index]->selectAll();
}

void FrameRows::txtLoop_GotFocus() {
    txtLoop->selectAll();
}

void FrameRows::txtWait_LostFocus(int index) {
    const int n = frameOf(index);
    MovieDoc& doc = movieDoc();
    if (!doc.hasSlot(n)) {
        return;
    }
    const double value = NumericText::LeadingNumber(txtWait[index]->text()) * 1000.0;
    if (value != static_cast<double>(doc.frames[n].waitMs)) {
        setModified();
    }
    doc.frames[n].waitMs = NumericText::RoundToInt32(value).value_or(0);
}

void FrameRows::picDat_MouseUp(int index, Qt::MouseButton button, QPoint globalPosition) {
    if ((isBusy && isBusy()) || button != Qt::RightButton) {
        return;
    }
    const int n = frameOf(index);
    const bool hasPicture = movieDoc().hasSlot(n) && !movieDoc().frames[n].pictureFile.isEmpty();
    state_.selectedRow = index;
    emit rowMenuRequested(index, globalPosition, hasPicture);
}
