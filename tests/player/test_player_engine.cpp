// The playback engine driven through its real timers, with short waits:
// frame order and timing, holding for sounds, the loop countdown, the mode
// button, End, the frame list and the end of the movie.
#include "PlayerMovies.h"

#include <QKeyEvent>
#include <QListWidget>
#include <QWindow>

using namespace PlayerMovies;

namespace {

using PlaybackEngine = PlayerTest;

QString counter(int n, int count) {
    return frmMovie::FrameCounterText(n, count);
}

TEST_F(PlaybackEngine, FramesAdvanceInOrderEachForItsWaitThenThePreviewCloses) {
    setMovie(work.path(), {{"a.bmp", 100, ""}, {"b.bmp", 250, ""}, {"c.bmp", 50, ""}}, 1);
    ASSERT_TRUE(openPlayer());
    bool closed = false;
    QObject::connect(movie, &frmMovie::closed, [&] { closed = true; });
    Recorder seen(movie);
    EXPECT_TRUE(movie->tmrMain->isActive());
    EXPECT_EQ(movie->tmrMain->interval(), 101);

    ASSERT_TRUE(waitFor([&] { return movie->currentFrame == 2; }, 2000));
    EXPECT_TRUE(movie->tmrMain->isActive());
    EXPECT_EQ(movie->tmrMain->interval(), 251);
    ASSERT_TRUE(waitFor([&] { return movie->currentFrame == 3; }, 2000));
    EXPECT_EQ(movie->tmrMain->interval(), 51);
    ASSERT_TRUE(waitFor([&] { return closed; }, 2000));
    seen.sample();

    EXPECT_EQ(seen.counterTexts(), (QStringList{counter(1, 3), counter(2, 3), counter(3, 3)}));
    const qint64 second = seen.shownAt(2);
    const qint64 third = seen.shownAt(3);
    EXPECT_GE(second, 100);
    EXPECT_LT(second, 100 + 300);
    EXPECT_GE(third - second, 250);
    EXPECT_LT(third - second, 250 + 300);
    EXPECT_FALSE(movie->tmrMain->isActive());
    EXPECT_TRUE(movie->playerClosed);
    EXPECT_TRUE(endCodes.empty());
}

TEST_F(PlaybackEngine, NegativeAndZeroWaitsStillAdvanceAndLongWaitsArm) {
    setMovie(work.path(), {{"a.bmp", -9000, ""}, {"b.bmp", 0, ""}, {"c.bmp", 99000, ""}}, 1);
    ASSERT_TRUE(openPlayer());
    EXPECT_EQ(movie->tmrMain->interval(), 1);
    ASSERT_TRUE(waitFor([&] { return movie->currentFrame == 3; }, 1000));
    EXPECT_TRUE(movie->tmrMain->isActive());
    EXPECT_EQ(movie->tmrMain->interval(), 99001);
    EXPECT_GT(movie->tmrMain->remainingTime(), 90000);
}

TEST_F(PlaybackEngine, TheLastFrameOutsidePreviewEndsTheProgram) {
    setMovie(work.path(), {{"a.bmp", 30, ""}}, 1);
    ASSERT_TRUE(openPlayer());
    // The end of a played package: nothing more is shown or timed.
    previewMode = false;
    ASSERT_TRUE(waitFor([&] { return !endCodes.empty(); }, 2000));
    EXPECT_EQ(endCodes, std::vector<int>{0});
    QTest::qWait(100);
    EXPECT_EQ(endCodes.size(), 1u);
    EXPECT_FALSE(movie->tmrMain->isActive());
}

TEST_F(PlaybackEngine, ModeTwoHoldsAFrameUntilItsSoundEndsAndNoLonger) {
    writeWave(workFile("long.wav"), 700);
    setMovie(work.path(), {{"a.bmp", 40, "long.wav"}, {"b.bmp", 60000, ""}}, 2);
    ASSERT_TRUE(openPlayer());
    Recorder seen(movie);
    if (!movie->tmrMidPlay->isActive()) {
        GTEST_SKIP() << "no audio device: the sound could not start";
    }
    EXPECT_TRUE(movie->waitingForSound);
    ASSERT_TRUE(waitFor([&] { return movie->currentFrame == 2; }, 3000));
    const qint64 held = seen.shownAt(2);
    // The sound's 700 ms, then the next 41 ms tick after the poll saw its end.
    EXPECT_GE(held, 700 - 60);
    EXPECT_LT(held, 700 + 50 + 41 + 250);
    EXPECT_FALSE(movie->waitingForSound);
    EXPECT_FALSE(movie->tmrMidPlay->isActive());
}

TEST_F(PlaybackEngine, ModeTwoReleasesAMidiFrameAtItsLastNoteNotAfterTheReverb) {
    ASSERT_TRUE(SoundFiles::writeFile(workFile("chords.mid"), SoundFiles::chordsMidi()));
    setMovie(work.path(), {{"a.bmp", 40, "chords.mid"}, {"b.bmp", 60000, ""}}, 2);
    ASSERT_TRUE(openPlayer());
    Recorder seen(movie);
    if (!movie->tmrMidPlay->isActive()) {
        GTEST_SKIP() << "no audio device or no MIDI synthesiser: the sound could not start";
    }
    EXPECT_TRUE(movie->waitingForSound);
    ASSERT_TRUE(waitFor([&] { return movie->currentFrame == 2; }, 6000));
    // The chords last 1.5 s; the synthesiser's tail must not hold the frame.
    const qint64 held = seen.shownAt(2);
    EXPECT_GE(held, 1500 - 60);
    EXPECT_LT(held, 1500 + 50 + 41 + 250);
}

TEST_F(PlaybackEngine, ModeOneDoesNotWaitForTheSound) {
    writeWave(workFile("long.wav"), 1500);
    setMovie(work.path(), {{"a.bmp", 40, "long.wav"}, {"b.bmp", 60000, ""}}, 1);
    ASSERT_TRUE(openPlayer());
    Recorder seen(movie);
    EXPECT_FALSE(movie->waitingForSound);
    ASSERT_TRUE(waitFor([&] { return movie->currentFrame == 2; }, 3000));
    EXPECT_LT(seen.shownAt(2), 400);
    // The next frame has no sound: the first one was stopped.
    EXPECT_TRUE(waitFor([&] { return !movie->tmrMidPlay->isActive(); }, 500));
}

TEST_F(PlaybackEngine, ASoundThatCannotPlayDoesNotHoldItsFrame) {
    writeJunk(workFile("broken.wav"));
    setMovie(work.path(),
             {{"a.bmp", 40, "broken.wav"},
              {"b.bmp", 40, "missing.wav"},
              {"c.bmp", 40, "  "},
              {"d.bmp", 60000, ""}},
             2);
    ASSERT_TRUE(openPlayer());
    Recorder seen(movie);
    EXPECT_FALSE(movie->waitingForSound);
    EXPECT_FALSE(movie->tmrMidPlay->isActive());
    ASSERT_TRUE(waitFor([&] { return movie->currentFrame == 4; }, 3000));
    EXPECT_LT(seen.shownAt(4), 3 * 41 + 400);
    EXPECT_TRUE(MessageBox::shownBoxes().empty()) << "a silent frame shows no box";
}

// Runs check every few milliseconds while the player plays, also inside
// the countdown's own event processing.
class Watcher {
public:
    explicit Watcher(std::function<void()> check) : check_(std::move(check)) {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { check_(); });
        timer_.start();
    }

private:
    std::function<void()> check_;
    QTimer timer_;
};

TEST_F(PlaybackEngine, TheLoopCountdownShowsEachSecondThenFrameOne) {
    setMovie(work.path(), {{"a.bmp", 30, ""}, {"b.bmp", 30, ""}}, 1, 1, 3);
    ASSERT_TRUE(openPlayer());
    Recorder seen(movie);
    bool labelHiddenAtFrameOne = false;
    QObject::connect(movie, &frmMovie::frameShown, [&](int n) {
        if (n == 1) {
            labelHiddenAtFrameOne = movie->lblLoopWait->isHidden();
        }
    });
    ASSERT_TRUE(waitFor([&] { return seen.frameNumbers() == std::vector<int>{2, 1}; }, 8000));
    EXPECT_EQ(seen.labelTexts(),
              (QStringList{frmMovie::LoopWaitText(3), frmMovie::LoopWaitText(2),
                           frmMovie::LoopWaitText(1), frmMovie::LoopWaitText(0)}));
    EXPECT_EQ(seen.labelTexts().first(), QStringLiteral("再生開始まであと 3秒 お待ち下さい..."));
    // Sampled texts: a late sample shortens the step after it.
    for (size_t i = 1; i < seen.labels.size(); ++i) {
        const qint64 step = seen.labels[i].second - seen.labels[i - 1].second;
        EXPECT_GE(step, 850) << i;
        EXPECT_LT(step, 1300) << i;
    }
    // Frame 1 follows "0" at once, three whole seconds after the last
    // frame's tick, and the movie runs on.
    const qint64 again = seen.frames[1].second;
    EXPECT_GE(again - (seen.frames[0].second + 31), 3000);
    EXPECT_LT(again - (seen.frames[0].second + 31), 3300);
    EXPECT_LT(again - seen.labels.back().second, 200);
    EXPECT_TRUE(labelHiddenAtFrameOne);
    EXPECT_TRUE(movie->lblLoopWait->isHidden());
    EXPECT_FALSE(movie->inLoopWait);
    EXPECT_TRUE(movie->tmrMain->isActive());
    EXPECT_EQ(movie->tmrMain->interval(), 31);
    EXPECT_TRUE(waitFor([&] { return movie->currentFrame == 2; }, 2000));
}

TEST_F(PlaybackEngine, LongLoopWaitsCountInMinutes) {
    setMovie(work.path(), {{"a.bmp", 10, ""}}, 2, 1, 90);
    ASSERT_TRUE(openPlayer());
    QString first;
    Watcher watcher([&] {
        if (movie && movie->lblLoopWait->isVisible() && first.isEmpty()) {
            first = movie->lblLoopWait->text();
            movie->cmdEnd_Click();
        }
    });
    ASSERT_TRUE(waitFor([&] { return !first.isEmpty() && !movie->isVisible(); }, 3000));
    EXPECT_EQ(first, QStringLiteral("再生開始まであと 1分30秒 お待ち下さい..."));
}

TEST_F(PlaybackEngine, TheModeButtonStopsTheCountdownOnTheLastFrame) {
    setMovie(work.path(), {{"a.bmp", 30, ""}, {"b.bmp", 30, ""}}, 1, 1, 5);
    ASSERT_TRUE(openPlayer());
    Recorder seen(movie);
    qint64 clickedAt = -1;
    Watcher watcher([&] {
        if (movie && clickedAt < 0 && movie->lblLoopWait->isVisible() &&
            movie->lblLoopWait->text() == frmMovie::LoopWaitText(4)) {
            clickedAt = seen.elapsed();
            QTest::mouseClick(movie->cmdAuto, Qt::LeftButton);
        }
    });
    ASSERT_TRUE(waitFor([&] { return clickedAt >= 0 && !movie->inLoopWait; }, 5000));
    EXPECT_LT(seen.elapsed() - clickedAt, 200);
    QTest::qWait(1500);
    EXPECT_EQ(movie->cmdAuto->text(), QStringLiteral("Manual"));
    EXPECT_TRUE(movie->cmdNo->isEnabled());
    EXPECT_EQ(movie->currentFrame, 2);
    EXPECT_EQ(movie->cmdNo->text(), counter(2, 2));
    EXPECT_TRUE(movie->lblLoopWait->isHidden());
    EXPECT_FALSE(movie->tmrMain->isActive());
    EXPECT_TRUE(movie->isVisible());
    EXPECT_EQ(seen.labelTexts(),
              (QStringList{frmMovie::LoopWaitText(5), frmMovie::LoopWaitText(4)}));
    // Manual from here: a double-click on the last frame ends even a loop.
    bool closed = false;
    QObject::connect(movie, &frmMovie::closed, [&] { closed = true; });
    doubleClick(movie->Pic1, QPoint(5, 5));
    EXPECT_TRUE(closed);
}

TEST_F(PlaybackEngine, EndDuringTheCountdownClosesThePlayerPromptly) {
    setMovie(work.path(), {{"a.bmp", 30, ""}}, 1, 1, 5);
    ASSERT_TRUE(openPlayer());
    bool closed = false;
    QObject::connect(movie, &frmMovie::closed, [&] { closed = true; });
    QElapsedTimer clock;
    qint64 clickedAt = -1;
    bool closeDeferred = false;
    Watcher watcher([&] {
        if (movie && clickedAt < 0 && movie->lblLoopWait->isVisible() &&
            movie->lblLoopWait->text() == frmMovie::LoopWaitText(4)) {
            clock.start();
            clickedAt = 0;
            QTest::mouseClick(movie->cmdEnd, Qt::LeftButton);
            // The click only asks: the countdown is still on the stack.
            closeDeferred = movie->isVisible() && movie->closeRequested;
        }
    });
    ASSERT_TRUE(waitFor([&] { return closed; }, 5000));
    EXPECT_TRUE(closeDeferred);
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(movie->isVisible());
    EXPECT_FALSE(movie->tmrMain->isActive());
    EXPECT_EQ(movie->currentFrame, 1);
    EXPECT_TRUE(endCodes.empty());
}

TEST_F(PlaybackEngine, EndDuringTheCountdownOfAPackageEndsTheProgram) {
    setMovie(work.path(), {{"a.bmp", 30, ""}}, 1, 1, 5);
    ASSERT_TRUE(openPlayer());
    previewMode = false;
    bool clicked = false;
    Watcher watcher([&] {
        if (movie && !clicked && movie->inLoopWait) {
            clicked = true;
            movie->cmdEnd_Click();
        }
    });
    ASSERT_TRUE(waitFor([&] { return !endCodes.empty(); }, 5000));
    EXPECT_EQ(endCodes, std::vector<int>{0});
}

TEST_F(PlaybackEngine, AWindowCloseDuringTheCountdownWaitsForItThenCloses) {
    setMovie(work.path(), {{"a.bmp", 30, ""}}, 1, 1, 3);
    ASSERT_TRUE(openPlayer());
    bool closed = false;
    QObject::connect(movie, &frmMovie::closed, [&] { closed = true; });
    bool asked = false;
    Watcher watcher([&] {
        if (movie && !asked && movie->inLoopWait) {
            asked = true;
            movie->close();
        }
    });
    ASSERT_TRUE(waitFor([&] { return closed; }, 5000));
    EXPECT_TRUE(asked);
    EXPECT_FALSE(movie->isVisible());
    EXPECT_FALSE(movie->inLoopWait);
    QTest::qWait(100);
    EXPECT_FALSE(movie->tmrMain->isActive());
}

TEST_F(PlaybackEngine, ManualModeAdvancesOnDoubleClickOnly) {
    setMovie(work.path(), {{"a.bmp", 10, ""}, {"b.bmp", 10, ""}, {"c.bmp", 10, ""}}, 0, 1, 3);
    ASSERT_TRUE(openPlayer());
    QTest::qWait(100);
    EXPECT_EQ(movie->currentFrame, 1);
    doubleClick(movie->Pic1, QPoint(5, 5));
    EXPECT_EQ(movie->currentFrame, 2);
    EXPECT_EQ(movie->cmdNo->text(), counter(2, 3));
    doubleClick(movie->Pic1, QPoint(5, 5));
    EXPECT_EQ(movie->currentFrame, 3);
    bool closed = false;
    QObject::connect(movie, &frmMovie::closed, [&] { closed = true; });
    doubleClick(movie->Pic1, QPoint(5, 5));
    EXPECT_TRUE(closed) << "the loop flag does not apply in manual mode";
}

// Without a mouse: Space and Right go on as a double-click does, a key
// held down does not run on, Escape ends as End does.
TEST_F(PlaybackEngine, ManualModeGoesOnWithSpaceOrRightAndEndsWithEscape) {
    setMovie(work.path(), {{"a.bmp", 10, ""}, {"b.bmp", 10, ""}, {"c.bmp", 10, ""}}, 0);
    ASSERT_TRUE(openPlayer());
    QWindow* window = movie->windowHandle();
    QTest::keyClick(window, Qt::Key_Space);
    EXPECT_EQ(movie->currentFrame, 2);
    QTest::keyClick(window, Qt::Key_Right);
    EXPECT_EQ(movie->currentFrame, 3);
    QTest::keyClick(window, Qt::Key_Left);
    QKeyEvent held(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
    QCoreApplication::sendEvent(movie, &held);
    EXPECT_EQ(movie->currentFrame, 3);
    ASSERT_FALSE(movie->playerClosed) << "the last frame is still on screen";
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(movie->playerClosed);
}

TEST_F(PlaybackEngine, AutomaticModeIgnoresDoubleClicksAndKeysButEscape) {
    setMovie(work.path(), {{"a.bmp", 60000, ""}, {"b.bmp", 10, ""}}, 1);
    ASSERT_TRUE(openPlayer());
    doubleClick(movie->Pic1, QPoint(5, 5));
    QTest::keyClick(movie->windowHandle(), Qt::Key_Space);
    QTest::keyClick(movie->windowHandle(), Qt::Key_Right);
    EXPECT_EQ(movie->currentFrame, 1);
    EXPECT_FALSE(movie->cmdNo->isEnabled());
    QTest::keyClick(movie->windowHandle(), Qt::Key_Escape);
    EXPECT_TRUE(movie->playerClosed);
}

TEST_F(PlaybackEngine, TheFrameListJumpsToTheChosenFrame) {
    std::vector<Frame> frames;
    for (int k = 1; k <= 12; ++k) {
        frames.push_back({QStringLiteral("SW%1.bmp").arg(k, 3, 10, QChar(u'0')), 60000, ""});
    }
    setMovie(work.path(), frames, 1);
    ASSERT_TRUE(openPlayer());
    EXPECT_EQ(movie->cmdNo->text(), QStringLiteral("001/012"));
    QTest::mouseClick(movie->cmdAuto, Qt::LeftButton);
    ASSERT_TRUE(movie->cmdNo->isEnabled());
    QTest::mouseClick(movie->cmdNo, Qt::LeftButton);
    ASSERT_TRUE(movie->lstDat->isVisible());
    EXPECT_FALSE(movie->tmrMain->isActive());
    ASSERT_EQ(movie->lstDat->count(), 12);
    EXPECT_EQ(movie->lstDat->item(2)->text(), QStringLiteral("003｜SW003"));
    EXPECT_EQ(movie->lstDat->item(11)->text(), QStringLiteral("012｜SW012"));

    // Shown again while open: nothing happens, nothing doubles.
    QTest::mouseClick(movie->cmdNo, Qt::LeftButton);
    EXPECT_EQ(movie->lstDat->count(), 12);
    // While the list is up the picture's double-click does nothing.
    doubleClick(movie->Pic1, QPoint(5, 5));
    EXPECT_EQ(movie->currentFrame, 1);
    // With no entry chosen its double-click does nothing either.
    movie->lstDat_DblClick();
    EXPECT_TRUE(movie->lstDat->isVisible());

    QCoreApplication::processEvents();
    QListWidgetItem* fifth = movie->lstDat->item(4);
    movie->lstDat->scrollToItem(fifth);
    const QPoint at = movie->lstDat->visualItemRect(fifth).center();
    doubleClick(movie->lstDat->viewport(), at);
    EXPECT_EQ(movie->currentFrame, 5);
    EXPECT_EQ(movie->cmdNo->text(), QStringLiteral("005/012"));
    EXPECT_TRUE(movie->lstDat->isHidden());
    EXPECT_EQ(movie->lstDat->count(), 0);

    // Manual play goes on from the chosen frame.
    doubleClick(movie->Pic1, QPoint(5, 5));
    EXPECT_EQ(movie->cmdNo->text(), QStringLiteral("006/012"));
}

}  // namespace
