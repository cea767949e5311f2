#include "system/frmVersion.h"

#include "common/ProgramVersion.h"
#include "system/MHomePage.h"
#include "system/MWin_Close.h"

#include <QCloseEvent>
#include <QColor>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

namespace AboutInfo {

QString versionText() {
    return ProgramVersion::text();
}

QString titleText() {
    const QStringList lines{
        QString(),
        QStringLiteral("\u3000\u3000") + kProductName + QStringLiteral("  　バージョン　") +
            versionText(),
        QString(),
        QStringLiteral("　　著作権：") + kAuthor,
        QStringLiteral("　　連絡先：") + kContact,
        QStringLiteral("　　ＨＰ　："),
        QString(),
        kClosingLine,
    };
    return lines.join(u'\n') + u'\n';
}

}  // namespace AboutInfo

namespace {

// The link's colours: blue at rest and when clicked, cyan under the pointer.
const QColor kLinkColour(0x00, 0x00, 0xFF);
const QColor kLinkHoverColour(0x00, 0xFF, 0xFF);

}  // namespace

frmVersion::frmVersion(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(AboutInfo::kProductName + QStringLiteral(" バージョン情報"));
    setModal(true);

    lblTitle = new QLabel(AboutInfo::titleText(), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setTextFormat(Qt::PlainText);
    lblTitle->setMouseTracking(true);
    lblTitle->installEventFilter(this);

    lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // The address sits on the title's home-page line, right after its
    // heading, as one more word of that text.
    lblHttp = new QLabel(AboutInfo::kHomePage, lblTitle);
    lblHttp->setObjectName(QStringLiteral("lblHttp"));
    lblHttp->setTextFormat(Qt::PlainText);
    lblHttp->setCursor(Qt::PointingHandCursor);
    lblHttp->setMouseTracking(true);
    lblHttp->setToolTip(AboutInfo::kHomePage);
    lblHttp->installEventFilter(this);
    setLinkColour(kLinkColour);

    cmdEnd = new QPushButton(QStringLiteral("OK"), this);
    cmdEnd->setObjectName(QStringLiteral("cmdEnd"));
    cmdEnd->setDefault(true);
    cmdEnd->setAutoDefault(true);
    connect(cmdEnd, &QPushButton::clicked, this, &frmVersion::cmdEnd_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdEnd);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    placeLink();

    MWin_Close::RemoveCloseCommand(this);
    cmdEnd->setFocus();
}

void frmVersion::placeLink() {
    const QFontMetrics metrics(lblTitle->font());
    const QStringList lines = lblTitle->text().split(u'\n');
    constexpr int kHomePageLine = 5;
    const int x = metrics.horizontalAdvance(lines.value(kHomePageLine));
    const int y = kHomePageLine * metrics.lineSpacing();
    lblHttp->adjustSize();
    lblHttp->move(lblTitle->contentsRect().topLeft() + QPoint(x, y));
    lblTitle->setMinimumWidth(x + lblHttp->width() +
                              metrics.horizontalAdvance(QStringLiteral("\u3000\u3000")));
}

void frmVersion::setLinkColour(const QColor& colour) {
    QPalette palette = lblHttp->palette();
    palette.setColor(QPalette::WindowText, colour);
    lblHttp->setPalette(palette);
}

bool frmVersion::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblHttp) {
        switch (event->type()) {
            case QEvent::Enter:
                setLinkColour(kLinkHoverColour);
                break;
            case QEvent::MouseMove:
                // Kept here: passed on, the move would reach the title
                // label beneath, which turns the link blue again.
                setLinkColour(kLinkHoverColour);
                return true;
            case QEvent::Leave:
                setLinkColour(kLinkColour);
                break;
            case QEvent::MouseButtonRelease:
                if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                    lblHttp->rect().contains(
                        static_cast<QMouseEvent*>(event)->position().toPoint())) {
                    lblHttp_Click();
                    return true;
                }
                break;
            default:
                break;
        }
    } else if (watched == lblTitle && event->type() == QEvent::MouseMove) {
        setLinkColour(kLinkColour);
    }
    return QDialog::eventFilter(watched, event);
}

void frmVersion::lblHttp_Click() {
    setLinkColour(kLinkColour);
    MHomePage::OpenHomePage(AboutInfo::kHomePage);
}

void frmVersion::cmdEnd_Click() {
    closing_ = true;
    accept();
}

// Some window managers keep a close button on the frame whatever the hints
// say; it, and Escape, answer as OK does rather than look broken.
void frmVersion::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        event->ignore();
        cmdEnd_Click();
        return;
    }
    QDialog::closeEvent(event);
}

void frmVersion::reject() {
    cmdEnd_Click();
}
