// The about box: its exact lines, every way out answering as OK, the link
// cyan under the pointer and handed to the desktop's URL handler.
#include "system/frmVersion.h"

#include <gtest/gtest.h>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

QColor linkColour(const frmVersion& box) {
    return box.lblHttp->palette().color(QPalette::WindowText);
}

TEST(AboutBox, TitleLabelReadsLineByLine) {
    frmVersion box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("Slidewright バージョン情報"));
    const QStringList lines = box.lblTitle->text().split(u'\n');
    const QStringList expected{
        QString(),
        QStringLiteral("\u3000\u3000Slidewright  　バージョン　3.01"),
        QString(),
        QStringLiteral("　　著作権：Slidewright developers"),
        QStringLiteral("　　連絡先：https://github.com/slidewright/slidewright/issues"),
        QStringLiteral("　　ＨＰ　："),
        QString(),
        AboutInfo::kClosingLine,
        QString(),  // the text ends with a line break
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(AboutInfo::versionText(), QStringLiteral("3.01"));
    EXPECT_EQ(box.lblHttp->text(), QStringLiteral("https://slidewright.github.io/"));
    EXPECT_TRUE(box.cmdEnd->isDefault());
    EXPECT_EQ(box.cmdEnd->text(), QStringLiteral("OK"));
}

// The frame's close button, where a window manager shows one anyway, and
// Escape answer as OK does.
TEST(AboutBox, CloseRequestsAndEscapeAnswerAsOk) {
    for (const bool escape : {false, true}) {
        frmVersion box;
        EXPECT_TRUE(box.isModal());
        const Qt::WindowFlags flags = box.windowFlags();
        EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
        QTimer::singleShot(0, &box, [&] {
            if (escape) {
                QTest::keyClick(&box, Qt::Key_Escape);
            } else {
                box.close();
            }
        });
        QTimer::singleShot(5000, &box, [&] { box.done(-2); });
        EXPECT_EQ(box.exec(), QDialog::Accepted) << (escape ? "Escape" : "close");
        EXPECT_FALSE(box.isVisible());
    }
}

TEST(AboutBox, LinkOpensTheHomePageThroughTheDesktop) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    frmVersion box;
    box.show();

    EXPECT_EQ(linkColour(box), QColor(0, 0, 255));
    EXPECT_EQ(box.lblHttp->cursor().shape(), Qt::PointingHandCursor);
    // The pointer moving over the link, which lies on the title label.
    QTest::mouseMove(box.lblHttp, box.lblHttp->rect().center() - QPoint(4, 0));
    QTest::mouseMove(box.lblHttp, box.lblHttp->rect().center());
    EXPECT_EQ(linkColour(box), QColor(0, 255, 255));
    QTest::mouseMove(box.lblTitle, QPoint(4, 4));
    EXPECT_EQ(linkColour(box), QColor(0, 0, 255));

    // The address reads as the end of the home-page line.
    EXPECT_EQ(box.lblHttp->parentWidget(), box.lblTitle);
    const QFontMetrics metrics(box.lblTitle->font());
    EXPECT_EQ(box.lblHttp->y() - box.lblTitle->contentsRect().top(), 5 * metrics.lineSpacing());

    QTest::mouseMove(box.lblHttp);
    QTest::mouseClick(box.lblHttp, Qt::LeftButton);
    EXPECT_EQ(linkColour(box), QColor(0, 0, 255));
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened.first(), QUrl(QStringLiteral("https://slidewright.github.io/")));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

}  // namespace

#include "test_about_box.moc"
