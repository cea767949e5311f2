// The about box: every control whole on screen, every way out answering as
// OK, the link cyan under the pointer and handed to the desktop's URL
// handler.
#include "system/frmVersion.h"
#include "tests/WindowChecks.h"

#include <gtest/gtest.h>
#include <QDesktopServices>
#include <QTest>
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

TEST(AboutBox, IsWellFormedAndEveryWayOutAnswersAsOk) {
    frmVersion shown;
    shown.show();
    WindowChecks::expectWellFormed(&shown);
    EXPECT_TRUE(shown.lblTitle->text().contains(AboutInfo::versionText()));
    // The frame's close button, where a window manager shows one anyway,
    // and Escape answer as OK does.
    for (const bool escape : {false, true}) {
        frmVersion box;
        box.open();
        if (escape) {
            QTest::keyClick(&box, Qt::Key_Escape);
        } else {
            box.close();
        }
        EXPECT_EQ(box.result(), QDialog::Accepted) << (escape ? "Escape" : "close");
    }
}

TEST(AboutBox, LinkOpensTheHomePageThroughTheDesktop) {
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &recorder, "open");
    frmVersion box;
    box.show();

    EXPECT_EQ(linkColour(box), QColor(0, 0, 255));
    // The pointer moving over the link, which lies on the title label.
    QTest::mouseMove(box.lblHttp, box.lblHttp->rect().center() - QPoint(4, 0));
    QTest::mouseMove(box.lblHttp, box.lblHttp->rect().center());
    EXPECT_EQ(linkColour(box), QColor(0, 255, 255));
    QTest::mouseMove(box.lblTitle, QPoint(4, 4));
    EXPECT_EQ(linkColour(box), QColor(0, 0, 255));

    QTest::mouseMove(box.lblHttp);
    QTest::mouseClick(box.lblHttp, Qt::LeftButton);
    EXPECT_EQ(linkColour(box), QColor(0, 0, 255));
    EXPECT_EQ(recorder.opened, QList{QUrl(QStringLiteral("https://slidewright.github.io/"))});
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

}  // namespace

#include "test_about_box.moc"
