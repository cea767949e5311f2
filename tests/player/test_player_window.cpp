// The player window: where its controls sit for each picture, moving it,
// its keys, what it shows of the engine, its sound poll, and what closing
// it does.
#include "PlayerMovies.h"

#include "common/LauncherLink.h"
#include "tests/WindowChecks.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

using namespace PlayerMovies;

namespace {

using PlayerWindow = PlayerTest;

// Each picture sizes the window and is shown as it is, its own pixels
// unscaled; the controls lie on it, their captions whole, even the longest.
// A picture of 40000 by 30 pixels (wider than the screen and than an X11
// window can be, shorter than the buttons stacked) keeps them on screen.
TEST_F(PlayerWindow, EachPictureSizesTheWindowWithEveryControlOnScreen) {
    const QSize sizes[] = {QSize(400, 300), QSize(123, 457), QSize(600, 90)};
    setMovie(movieData, work.path(),
             {{"a.bmp", 0, "", sizes[0]},
              {"b.bmp", 0, "", sizes[1]},
              {"c.bmp", 0, "", sizes[2]},
              {"wide.bmp", 0, "", QSize(40000, 30)},
              {"e.bmp", 0, "", QSize(400, 300)}},
             0);
    ASSERT_TRUE(openPreview());
    const QPoint corner = movie->pos();
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE(k);
        const QSize picture = sizes[k - 1];
        EXPECT_EQ(movie->pos(), corner);
        EXPECT_EQ(movie->size(), picture);
        EXPECT_EQ(movie->Pic1->pixmap().toImage().pixel(picture.width() - 1, 0),
                  frameColour(k - 1).rgb());
        WindowChecks::expectControlsInside(movie);
        movie->cmdAuto->setText("Manual");
        movie->cmdNo->setText("999/999");
        WindowChecks::expectTextsWhole(movie);
        movie->Pic1_DblClick();
    }

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
    movie->Pic1_DblClick();
    EXPECT_EQ(movie->cmdEnd->geometry().right(), 399);
    QTest::mouseClick(movie->cmdEnd, Qt::LeftButton);
    EXPECT_TRUE(movie->engine().isOver()) << "End still ends";
}

TEST_F(PlayerWindow, ADragMovesTheWindowOnceOnReleaseInManualModeOnly) {
    setMovie(movieData, work.path(), {{"a.bmp", 60000, ""}}, 1);
    ASSERT_TRUE(openPreview());
    const QPoint start = movie->pos();
    QTest::mousePress(movie->Pic1, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(movie->Pic1, Qt::LeftButton, {}, QPoint(40, 25));
    EXPECT_EQ(movie->pos(), start) << "automatic mode";

    QTest::mouseClick(movie->cmdAuto, Qt::LeftButton);
    QTest::mousePress(movie->Pic1, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(movie->Pic1, QPoint(60, 60));
    EXPECT_EQ(movie->pos(), start) << "the window follows no pointer during the drag";
    QTest::mouseRelease(movie->Pic1, Qt::LeftButton, {}, QPoint(40, 25));
    EXPECT_EQ(movie->pos(), start + QPoint(30, 15));
    // A release with no press before it does nothing.
    QTest::mouseRelease(movie->Pic1, Qt::LeftButton, {}, QPoint(90, 90));
    EXPECT_EQ(movie->pos(), start + QPoint(30, 15));
}

// Without a mouse: Space and Right go on as a double-click does, a key
// held down does not run on, Escape ends as End does.
TEST_F(PlayerWindow, SpaceOrRightGoOnAndEscapeEnds) {
    setMovie(movieData, work.path(), {{"a.bmp", 10, ""}, {"b.bmp", 10, ""}, {"c.bmp", 10, ""}}, 0);
    ASSERT_TRUE(openPreview());
    QWindow* window = movie->windowHandle();
    doubleClick(movie->Pic1, QPoint(5, 5));
    EXPECT_EQ(movie->engine().currentFrame(), 2);
    QTest::keyClick(window, Qt::Key_Space);
    EXPECT_EQ(movie->engine().currentFrame(), 3);
    QTest::keyClick(window, Qt::Key_Left);
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(movie, &held);
    ASSERT_FALSE(movie->engine().isOver()) << "the last frame is still on screen";
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(movie->engine().isOver());
    EXPECT_FALSE(movie->isVisible());
}

TEST_F(PlayerWindow, ItShowsTheModeTheCountdownAndTheListItIsTold) {
    std::vector<Frame> frames;
    for (int k = 1; k <= 6; ++k) {
        frames.push_back({QStringLiteral("SW%1.bmp").arg(k, 3, 10, QChar(u'0')), 100, ""});
    }
    setMovie(movieData, work.path(), frames, 1, 1, 3);
    ASSERT_TRUE(openPreview());
    EXPECT_EQ(movie->cmdAuto->text(), "Auto");
    EXPECT_FALSE(movie->cmdNo->isEnabled());
    clock.advance(6 * 101 + 1000);
    EXPECT_EQ(movie->cmdNo->text(), "006/006");
    ASSERT_TRUE(movie->lblLoopWait->isVisible());
    EXPECT_EQ(movie->lblLoopWait->text(), PlaybackEngine::LoopWaitText(2));
    EXPECT_TRUE(movie->rect().contains(movie->lblLoopWait->geometry()));

    QTest::mouseClick(movie->cmdAuto, Qt::LeftButton);
    EXPECT_EQ(movie->cmdAuto->text(), "Manual");
    EXPECT_TRUE(movie->lblLoopWait->isHidden());
    ASSERT_TRUE(movie->cmdNo->isEnabled());
    QTest::mouseClick(movie->cmdNo, Qt::LeftButton);
    ASSERT_TRUE(movie->lstDat->isVisible());
    ASSERT_EQ(movie->lstDat->count(), 6);

    QCoreApplication::processEvents();
    QListWidgetItem* fifth = movie->lstDat->item(4);
    movie->lstDat->scrollToItem(fifth);
    doubleClick(movie->lstDat->viewport(), movie->lstDat->visualItemRect(fifth).center());
    EXPECT_EQ(movie->cmdNo->text(), "005/006");
    EXPECT_EQ(movie->Pic1->pixmap().toImage().pixel(0, 0), frameColour(4).rgb());
    EXPECT_TRUE(movie->lstDat->isHidden());
    EXPECT_EQ(movie->lstDat->count(), 0);
}

TEST_F(PlayerWindow, ModeTwoWaitsForTheSoundTheWindowPolls) {
    ASSERT_TRUE(SoundFiles::writeFile(workFile("short.wav"), SoundFiles::toneWav(0.3)));
    setMovie(movieData, work.path(), {{"a.bmp", 0, "short.wav"}, {"b.bmp", 0, ""}}, 2);
    ASSERT_TRUE(openPreview());
    ASSERT_TRUE(movie->engine().waitingForSound()) << "the sound did not start";
    clock.advance(10);
    EXPECT_EQ(movie->engine().currentFrame(), 1);
    EXPECT_TRUE(waitUntil([&] { return !movie->engine().waitingForSound(); }, 3000));
    clock.advance(1);
    EXPECT_EQ(movie->engine().currentFrame(), 2);
}

// The first tick unloads the launcher once; closing a preview goes back,
// closing a package's player ends the program.
TEST_F(PlayerWindow, TheFirstTickUnloadsTheLauncherAndClosingEndsUnlessAPreview) {
    int unloads = 0;
    LauncherLink::setUnloader([&] { ++unloads; });
    setMovie(movieData, work.path(), {{"a.bmp", 0, ""}}, 0);
    ASSERT_TRUE(openPreview());
    EXPECT_TRUE(waitUntil([&] { return unloads == 1; }, 2000));
    EXPECT_FALSE(movie->tmrEnd->isActive());
    LauncherLink::setUnloader(nullptr);
    bool closed = false;
    QObject::connect(movie, &frmMovie::closed, [&] { closed = true; });
    movie->close();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(endCodes.empty());

    delete movie.data();
    movie = new frmMovie(movieData, work.path(), false, nullptr, &clock);
    movie->show();
    movie->close();
    EXPECT_EQ(endCodes, std::vector<int>{0});
}

TEST_F(PlayerWindow, APreviewRunsModallyAndAPictureThatCannotLoadClosesOnlyIt) {
    setMovie(movieData, work.path(), {{"a.bmp", 0, ""}, {"b.bmp", 0, ""}, {"c.bmp", 0, ""}}, 0);
    ASSERT_TRUE(SoundFiles::writeFile(workFile("c.bmp"), "BM not a picture"));
    QWidget editor;
    editor.show();
    bool sawModal = false;
    QTimer::singleShot(0, [&] {
        auto* player = editor.findChild<frmMovie*>();
        ASSERT_NE(player, nullptr);
        sawModal = player->isModal() && QApplication::activeModalWidget() == player;
        doubleClick(player->Pic1, QPoint(5, 5));
        EXPECT_EQ(player->engine().currentFrame(), 2);
        EXPECT_TRUE(MessageBox::shownBoxes().empty()) << "frame 3 fails at its turn only";
        doubleClick(player->Pic1, QPoint(5, 5));
    });
    frmMovie::RunPreview(&editor, movieData, work.path());
    EXPECT_TRUE(sawModal);
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_EQ(MessageBox::shownBoxes()[0].title, "異常終了");
    EXPECT_EQ(editor.findChild<frmMovie*>(), nullptr);
    EXPECT_TRUE(endCodes.empty()) << "the editor's unsaved movie must survive";
    // The editor's files are the editor's: nothing was deleted.
    EXPECT_TRUE(QFile::exists(workFile("a.bmp")) && QFile::exists(workFile("b.bmp")));

    // A first picture that cannot load: no player at all.
    ASSERT_TRUE(SoundFiles::writeFile(workFile("a.bmp"), "BM not a picture"));
    frmMovie::RunPreview(&editor, movieData, work.path());
    EXPECT_EQ(MessageBox::shownBoxes().size(), 2u);
    EXPECT_EQ(editor.findChild<frmMovie*>(), nullptr);
    EXPECT_TRUE(endCodes.empty());
}

}  // namespace
