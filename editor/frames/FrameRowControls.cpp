#include "FrameRowControls.h"

#include "common/Twips.h"
#include "editor/frames/EditorIcons.h"
#include "editor/frames/PictureBox.h"
#include "editor/frames/ProgressBox.h"

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
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <algorithm>

namespace {

int px(int twips) {
    return Twips::toPixels(twips);
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
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

FrameRowControls::FrameRowControls(QWidget* area) : QObject(area), area_(area) {
    createRows(area);
    createPageControls(area);
    createOptions(area);
}

void FrameRowControls::createRows(QWidget* area) {
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

void FrameRowControls::createPageControls(QWidget* area) {
    cmdBack = new QPushButton(QStringLiteral("<"), area);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdBack->setToolTip(QStringLiteral("Back"));
    cmdBack->setGeometry(twipsRect(3360, 0, 375, 375));

    cmdNext = new QPushButton(QStringLiteral(">"), area);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    cmdNext->setToolTip(QStringLiteral("Next"));
    cmdNext->setGeometry(twipsRect(3720, 0, 375, 375));

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

void FrameRowControls::createOptions(QWidget* area) {
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

bool FrameRowControls::eventFilter(QObject* watched, QEvent* event) {
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
    return QObject::eventFilter(watched, event);
}

bool FrameRowControls::selectsAllOnClick(QObject* watched, QEvent* event) {
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
