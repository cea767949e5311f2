// The player window: its controls, its size and layout, moving it, the
// texts it shows, and what closing it does.
#include "PlayerMovies.h"

#include "common/LauncherLink.h"

#include <QListWidget>
#include <QScreen>

using namespace PlayerMovies;

namespace {

using PlayerWindow = PlayerTest;

TEST_F(PlayerWindow, ControlsCarryTheirNamesCaptionsAndTips) {
    setMovie(work.path(), {{"SW001.bmp", 500, "", QSize(400, 300)}}, 0);
    ASSERT_TRUE(openPlayer());
    EXPECT_TRUE(movie->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(movie->findChild<QLabel*>("Pic1"), movie->Pic1);
    EXPECT_EQ(movie->findChild<QPushButton*>("cmdAuto"), movie->cmdAuto);
    EXPECT_EQ(movie->findChild<QPushButton*>("cmdNo"), movie->cmdNo);
    EXPECT_EQ(movie->findChild<QPushButton*>("cmdEnd"), movie->cmdEnd);
    EXPECT_EQ(movie->findChild<QListWidget*>("lstDat"), movie->lstDat);
    EXPECT_EQ(movie->findChild<QLabel*>("lblLoopWait"), movie->lblLoopWait);
    EXPECT_EQ(movie->findChild<QTimer*>("tmrMain"), movie->tmrMain);
    EXPECT_EQ(movie->findChild<QTimer*>("tmrMidPlay"), movie->tmrMidPlay);
    EXPECT_EQ(movie->findChild<QTimer*>("tmrEnd"), movie->tmrEnd);

    EXPECT_EQ(movie->cmdAuto->toolTip(), QStringLiteral("Auto=自動再生　Manual=手動再生"));
    EXPECT_EQ(movie->cmdNo->toolTip(), QStringLiteral("動作状況"));
    EXPECT_EQ(movie->cmdEnd->toolTip(), QStringLiteral("終了する"));
    EXPECT_EQ(movie->lstDat->toolTip(), QStringLiteral("ダブルクリックで切り替わる"));
    EXPECT_EQ(movie->cmdEnd->text(), QStringLiteral("End"));
    EXPECT_EQ(movie->cmdNo->text(), QStringLiteral("001/001"));
    EXPECT_TRUE(movie->lstDat->isHidden());
    EXPECT_TRUE(movie->lblLoopWait->isHidden());
    EXPECT_EQ(movie->tmrMidPlay->interval(), 50);
    EXPECT_EQ(movie->tmrEnd->interval(), 5);
    // Everything but the picture sits inside the picture.
    for (QWidget* control : std::initializer_list<QWidget*>{
             movie->cmdAuto, movie->cmdNo, movie->cmdEnd, movie->lstDat, movie->lblLoopWait}) {
        EXPECT_EQ(control->parentWidget(), movie->Pic1) << control->objectName().toStdString();
    }
}

TEST_F(PlayerWindow, ButtonsStackAtThePicturesRightEdgeWithTheListBesideThem) {
    setMovie(work.path(), {{"a.bmp", 0, "", QSize(400, 300)}, {"b.bmp", 0, "", QSize(640, 200)}},
             0);
    ASSERT_TRUE(openPlayer());
    // 855 x 375 twips at tops 0, 360 and 720; the list 200 twips left of them.
    auto check = [&](int width, int height) {
        EXPECT_EQ(movie->Pic1->geometry(), QRect(0, 0, width, height));
        EXPECT_EQ(movie->size(), QSize(width, height));
        EXPECT_EQ(movie->cmdAuto->geometry(), QRect(width - 57, 0, 57, 25));
        EXPECT_EQ(movie->cmdNo->geometry(), QRect(width - 57, 24, 57, 25));
        EXPECT_EQ(movie->cmdEnd->geometry(), QRect(width - 57, 48, 57, 25));
        EXPECT_EQ(movie->lstDat->geometry(), QRect(width - 57 - 160 - 13, 0, 160, height));
        EXPECT_EQ(movie->lblLoopWait->pos(), QPoint(0, 0));
    };
    check(400, 300);
    movie->AdvanceFrame();
    check(640, 200);
}

TEST_F(PlayerWindow, ButtonsStayOnScreenForPicturesWiderThanAnyWindow) {
    // 40000 pixels: wider than the screen, and than an X11 window can be;
    // 30 pixels: shorter than the buttons stacked.
    setMovie(work.path(),
             {{"wide.bmp", 0, "", QSize(40000, 30)}, {"a.bmp", 0, "", QSize(400, 300)}}, 0);
    ASSERT_TRUE(openPlayer());
    const QRect screen = movie->screen()->availableGeometry();
    auto onScreen = [&] {
        for (QPushButton* button : {movie->cmdAuto, movie->cmdNo, movie->cmdEnd}) {
            const QRect place(button->mapToGlobal(QPoint(0, 0)), button->size());
            EXPECT_TRUE(screen.contains(place)) << button->objectName().toStdString();
        }
    };
    onScreen();
    // Moved by hand in manual mode, far to the left: the buttons follow.
    movie->move(-20000, 40);
    QApplication::processEvents();
    onScreen();
    // A picture that fits puts them back at its own right edge.
    movie->AdvanceFrame();
    EXPECT_EQ(movie->cmdEnd->geometry(), QRect(400 - 57, 48, 57, 25));
    movie->AdvanceFrame();
    movie.clear();

    setMovie(work.path(), {{"wide.bmp", 0, "", QSize(40000, 30)}}, 0);
    ASSERT_TRUE(openPlayer());
    const QPoint end = movie->cmdEnd->mapTo(movie, movie->cmdEnd->rect().center());
    ASSERT_TRUE(movie->rect().contains(end));
    QTest::mouseClick(movie->cmdEnd, Qt::LeftButton);
    EXPECT_TRUE(movie->playerClosed) << "End still ends";
}

TEST_F(PlayerWindow, EachPictureSizesTheWindowKeepingItsTopLeftCorner) {
    setMovie(work.path(),
             {{"a.bmp", 0, "", QSize(300, 200)},
              {"b.bmp", 0, "", QSize(123, 457)},
              {"c.bmp", 0, "", QSize(800, 90)}},
             0);
    ASSERT_TRUE(openPlayer());
    const QPoint corner = movie->pos();
    EXPECT_EQ(movie->size(), QSize(300, 200));
    movie->AdvanceFrame();
    EXPECT_EQ(movie->pos(), corner);
    EXPECT_EQ(movie->size(), QSize(123, 457));
    EXPECT_EQ(movie->Pic1->pixmap().size(), QSize(123, 457));
    movie->AdvanceFrame();
    EXPECT_EQ(movie->pos(), corner);
    EXPECT_EQ(movie->size(), QSize(800, 90));
    // The picture is shown as it is: its own pixels, unscaled.
    const QImage shown = movie->Pic1->pixmap().toImage();
    const QImage file(workFile("c.bmp"));
    EXPECT_EQ(shown.pixel(400, 45), file.pixel(400, 45));
}

TEST_F(PlayerWindow, TheMovieModeChoosesAutoOrManual) {
    struct Case {
        int mode;
        const char* caption;
        bool timer;
    };
    for (const Case& c : {Case{0, "Manual", false}, Case{1, "Auto", true}, Case{2, "Auto", true},
                          Case{7, "Manual", false}, Case{-1, "Manual", false}}) {
        setMovie(work.path(), {{"a.bmp", 4000, ""}, {"b.bmp", 100, ""}}, c.mode);
        ASSERT_TRUE(openPlayer());
        EXPECT_EQ(movie->cmdAuto->text(), QString::fromLatin1(c.caption)) << c.mode;
        EXPECT_EQ(movie->cmdNo->isEnabled(), !c.timer) << c.mode;
        EXPECT_EQ(movie->tmrMain->isActive(), c.timer) << c.mode;
        if (c.timer) {
            EXPECT_EQ(movie->tmrMain->interval(), 4001);
        }
        delete movie.data();
    }
}

TEST_F(PlayerWindow, ManualModeMovesTheWindowOnceOnRelease) {
    setMovie(work.path(), {{"a.bmp", 0, ""}}, 0);
    ASSERT_TRUE(openPlayer());
    const QPoint start = movie->pos();
    QTest::mousePress(movie->Pic1, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(movie->dragStartX, 10);
    EXPECT_EQ(movie->dragStartY, 10);
    QTest::mouseMove(movie->Pic1, QPoint(60, 60));
    EXPECT_EQ(movie->pos(), start) << "the window follows no pointer during the drag";
    QTest::mouseRelease(movie->Pic1, Qt::LeftButton, {}, QPoint(40, 25));
    EXPECT_EQ(movie->pos(), start + QPoint(30, 15));
    EXPECT_EQ(movie->dragStartX, -1);
    EXPECT_EQ(movie->dragStartY, -1);
    // A release with no press before it does nothing.
    QTest::mouseRelease(movie->Pic1, Qt::LeftButton, {}, QPoint(90, 90));
    EXPECT_EQ(movie->pos(), start + QPoint(30, 15));
}

TEST_F(PlayerWindow, AutomaticModeDoesNotMoveTheWindow) {
    setMovie(work.path(), {{"a.bmp", 60000, ""}}, 1);
    ASSERT_TRUE(openPlayer());
    const QPoint start = movie->pos();
    QTest::mousePress(movie->Pic1, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(movie->Pic1, Qt::LeftButton, {}, QPoint(40, 25));
    EXPECT_EQ(movie->pos(), start);
    EXPECT_EQ(movie->dragStartX, -1);
    // Once switched to manual the same drag moves it.
    QTest::mouseClick(movie->cmdAuto, Qt::LeftButton);
    QTest::mousePress(movie->Pic1, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(movie->Pic1, Qt::LeftButton, {}, QPoint(5, 40));
    EXPECT_EQ(movie->pos(), start + QPoint(-5, 30));
}

TEST(PlayerTexts, CountdownCounterAndListTexts) {
    EXPECT_EQ(frmMovie::FormatMinSec(10), QStringLiteral("10秒"));
    EXPECT_EQ(frmMovie::FormatMinSec(75), QStringLiteral("1分15秒"));
    EXPECT_EQ(frmMovie::FormatMinSec(0), QStringLiteral("0秒"));
    EXPECT_EQ(frmMovie::FormatMinSec(90), QStringLiteral("1分30秒"));
    EXPECT_EQ(frmMovie::FormatMinSec(120), QStringLiteral("2分0秒"));
    EXPECT_EQ(frmMovie::FormatMinSec(59), QStringLiteral("59秒"));
    EXPECT_EQ(frmMovie::FormatMinSec(-75), QStringLiteral("-15秒"));
    EXPECT_EQ(frmMovie::LoopWaitText(90),
              QStringLiteral("再生開始まであと 1分30秒 お待ち下さい..."));

    EXPECT_EQ(frmMovie::FrameCounterText(7, 12), QStringLiteral("007/012"));
    EXPECT_EQ(frmMovie::FrameCounterText(1, 12), QStringLiteral("001/012"));
    EXPECT_EQ(frmMovie::FrameCounterText(100, 100), QStringLiteral("100/100"));

    EXPECT_EQ(frmMovie::FrameListEntry(3, "SW003.bmp"), QStringLiteral("003｜SW003"));
    EXPECT_EQ(frmMovie::FrameListEntry(12, QStringLiteral("写真 一.bmp")),
              QStringLiteral("012｜写真 一"));
    EXPECT_EQ(frmMovie::FrameListEntry(100, "x.b"), QStringLiteral("100｜"));

    EXPECT_EQ(frmMovie::FrameInterval(1000), 1001);
    EXPECT_EQ(frmMovie::FrameInterval(0), 1);
    EXPECT_EQ(frmMovie::FrameInterval(-9000), 1);
    EXPECT_EQ(frmMovie::FrameInterval(99000), 99001);
}

TEST_F(PlayerWindow, TheFirstTickUnloadsTheLauncherOnce) {
    int unloads = 0;
    LauncherLink::setUnloader([&] { ++unloads; });
    setMovie(work.path(), {{"a.bmp", 0, ""}}, 0);
    ASSERT_TRUE(openPlayer());
    EXPECT_TRUE(movie->tmrEnd->isActive());
    EXPECT_TRUE(waitFor([&] { return unloads == 1; }, 2000));
    EXPECT_FALSE(movie->tmrEnd->isActive());
    QTest::qWait(50);
    EXPECT_EQ(unloads, 1);
    LauncherLink::setUnloader(nullptr);
}

TEST_F(PlayerWindow, ClosingOutsidePreviewEndsTheProgram) {
    setMovie(work.path(), {{"a.bmp", 0, ""}}, 0);
    ASSERT_TRUE(openPlayer());
    previewMode = false;
    QTest::mouseClick(movie->cmdEnd, Qt::LeftButton);
    EXPECT_EQ(endCodes, std::vector<int>{0});
    EXPECT_FALSE(movie->isVisible());
}

TEST_F(PlayerWindow, ClosingAPreviewLeavesTheProgramRunning) {
    setMovie(work.path(), {{"a.bmp", 0, ""}}, 0);
    ASSERT_TRUE(openPlayer());
    bool closed = false;
    QObject::connect(movie, &frmMovie::closed, [&] { closed = true; });
    QTest::mouseClick(movie->cmdEnd, Qt::LeftButton);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(movie->isVisible());
    EXPECT_TRUE(endCodes.empty());
}

TEST_F(PlayerWindow, PreviewRunsModallyOverTheEditorAndReturnsWhenClosed) {
    setMovie(work.path(), {{"a.bmp", 0, ""}, {"b.bmp", 0, ""}}, 0);
    previewMode = false;
    QWidget editor;
    editor.show();
    bool sawModal = false;
    QTimer::singleShot(200, [&] {
        auto* player = editor.findChild<frmMovie*>();
        ASSERT_NE(player, nullptr);
        sawModal = player->isModal() && player->isVisible();
        EXPECT_EQ(QApplication::activeModalWidget(), player);
        doubleClick(player->Pic1, QPoint(5, 5));
        EXPECT_EQ(player->currentFrame, 2);
        // The last frame's double-click closes the preview.
        doubleClick(player->Pic1, QPoint(5, 5));
    });
    frmMovie::RunPreview(&editor);
    EXPECT_TRUE(sawModal);
    EXPECT_TRUE(previewMode);
    EXPECT_EQ(editor.findChild<frmMovie*>(), nullptr);
    EXPECT_TRUE(endCodes.empty());
    // The editor's files are the editor's: nothing was deleted.
    EXPECT_TRUE(QFile::exists(workFile("a.bmp")));
    EXPECT_TRUE(QFile::exists(workFile("b.bmp")));
}

TEST_F(PlayerWindow, APreviewPictureThatCannotLoadClosesThePreviewOnly) {
    setMovie(work.path(), {{"a.bmp", 0, ""}, {"b.bmp", 0, ""}}, 0);
    writeJunk(workFile("b.bmp"));
    QWidget editor;
    editor.show();
    QTimer::singleShot(100, [&] {
        auto* player = editor.findChild<frmMovie*>();
        ASSERT_NE(player, nullptr);
        player->Pic1_DblClick();
    });
    frmMovie::RunPreview(&editor);
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_EQ(MessageBox::shownBoxes()[0].title, QStringLiteral("異常終了"));
    EXPECT_EQ(MessageBox::shownBoxes()[0].icon, MessageBox::Icon::Critical);
    EXPECT_TRUE(endCodes.empty()) << "the editor's unsaved movie must survive";

    // A first picture that cannot load: no player at all.
    writeJunk(workFile("a.bmp"));
    frmMovie::RunPreview(&editor);
    EXPECT_EQ(MessageBox::shownBoxes().size(), 2u);
    EXPECT_EQ(editor.findChild<frmMovie*>(), nullptr);
    EXPECT_TRUE(endCodes.empty());
}

}  // namespace
