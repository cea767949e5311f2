// The about box: every control whole on screen, every way out answering as
// OK, the link cyan under the pointer and handed to the desktop's URL
// handler.
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

// Every control lies wholly inside the box and has room for its text; the
// link sits inside the title, on one of its lines.
TEST(AboutBox, EveryControlShowsWhollyWithItsText) {
    frmVersion box;
    box.show();
    for (const QWidget* child : box.findChildren<QWidget*>()) {
        const QRect inBox(child->mapTo(&box, QPoint(0, 0)), child->size());
        EXPECT_TRUE(box.rect().contains(inBox)) << child->objectName().toStdString();
        EXPECT_GE(child->width(), child->sizeHint().width()) << child->objectName().toStdString();
        EXPECT_GE(child->height(), child->sizeHint().height()) << child->objectName().toStdString();
    }
    EXPECT_TRUE(box.lblTitle->rect().contains(box.lblHttp->geometry()));
    EXPECT_TRUE(box.lblTitle->text().contains(AboutInfo::versionText()));
    EXPECT_EQ(AboutInfo::versionText(), QStringLiteral("3.01"));
    EXPECT_TRUE(box.cmdEnd->isDefault());
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

    QTest::mouseMove(box.lblHttp);
    QTest::mouseClick(box.lblHttp, Qt::LeftButton);
    EXPECT_EQ(linkColour(box), QColor(0, 0, 255));
    ASSERT_EQ(recorder.opened.size(), 1);
    EXPECT_EQ(recorder.opened.first(), QUrl(QStringLiteral("https://slidewright.github.io/")));
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

}  // namespace

#include "test_about_box.moc"
