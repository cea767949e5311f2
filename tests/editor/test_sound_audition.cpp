// The rows' sound buttons against SDL's disk audio driver: which icon each
// button shows, and when, as sounds start, end and are stopped.
#include "EditorFixture.h"
#include "editor/frames/EditorIcons.h"
#include "editor/frames/FrameRows.h"
#include "player/MMidPlay.h"
#include "tests/QtWait.h"
#include "tests/player/SoundFiles.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <ranges>

namespace {

enum class Shown { Play, Stop, Other };

class SoundAudition : public EditorTest {
protected:
    void SetUp() override {
        ASSERT_STREQ(std::getenv("SDL_AUDIODRIVER"), "disk") << "run through tests/isolated.sh";
        EditorTest::SetUp();
        playIcon = EditorIcons::soundPlay().toImage();
        stopIcon = EditorIcons::soundStop().toImage();
    }

    void TearDown() override {
        MMidPlay::StopSound(*editor->tmrMidPlay);
        MMidPlay::CloseAudio();
        EditorTest::TearDown();
    }

    // Frame k plays `name`, whose bytes are written to the work folder
    // unless `bytes` is null.
    void addSound(int k, const QString& name, const QByteArray& bytes) {
        addFrame(k, QStringLiteral("p%1.bmp").arg(k), Qt::gray, 0, name, bytes);
    }

    Shown shown(int r) const {
        const QImage image = editor->rows()->cmdSound[r]->icon().pixmap(QSize(15, 13)).toImage();
        return image == playIcon ? Shown::Play : image == stopIcon ? Shown::Stop : Shown::Other;
    }

    bool allShow(Shown icon) const {
        return std::ranges::all_of(std::views::iota(0, FrameRows::kRows),
                                   [&](int r) { return shown(r) == icon; });
    }

    void click(int r) { QTest::mouseClick(editor->rows()->cmdSound[r], Qt::LeftButton); }

    QImage playIcon;
    QImage stopIcon;
};

TEST_F(SoundAudition, EveryButtonTurnsToStopWhileASoundPlaysAndBackAfterItsEnd) {
    addSound(1, "a.wav", SoundFiles::toneWav(0.4));
    // A sound on a row without a picture plays too, on the second page.
    addFrame(11, "p11.bmp", Qt::gray);
    movie.frames[13].soundFile = QStringLiteral("a.wav");
    editor->rows()->DrawFrameRows(1);
    ASSERT_EQ(editor->rows()->txtSound[0]->text(), "a.wav");
    ASSERT_NE(playIcon, stopIcon);
    EXPECT_TRUE(allShow(Shown::Play)) << "at rest";

    click(0);
    EXPECT_TRUE(allShow(Shown::Stop));
    EXPECT_TRUE(editor->tmrMidPlay->isActive());
    EXPECT_TRUE(waitUntil([&] { return allShow(Shown::Play); }, 10000));
    EXPECT_FALSE(editor->tmrMidPlay->isActive());

    editor->rows()->cmdNext_Click();
    ASSERT_EQ(editor->rows()->txtSound[2]->text(), "a.wav");
    click(2);
    EXPECT_TRUE(allShow(Shown::Stop));
    EXPECT_TRUE(waitUntil([&] { return allShow(Shown::Play); }, 10000));
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

// A click while a sound plays, or deleting the playing frame's row (which
// takes its file), stops it and starts nothing.
TEST_F(SoundAudition, AClickOrADeleteWhilePlayingStopsAndStartsNothing) {
    addSound(1, "long.wav", SoundFiles::toneWav(20));
    addSound(2, "b.wav", SoundFiles::toneWav(20));
    editor->rows()->DrawFrameRows(1);

    int ticks = 0;
    QObject::connect(editor->tmrMidPlay, &QTimer::timeout, [&] { ++ticks; });
    click(0);
    ASSERT_TRUE(allShow(Shown::Stop));
    // Playing on past the timer's first look.
    ASSERT_TRUE(waitUntil([&] { return ticks >= 2; }));
    EXPECT_TRUE(MMidPlay::PollSound(*editor->tmrMidPlay)) << "still playing";
    click(1);
    // The stop is seen by the next tick, within a poll period or so.
    EXPECT_TRUE(waitUntil([&] { return allShow(Shown::Play); }, 2000));
    EXPECT_FALSE(editor->tmrMidPlay->isActive());
    EXPECT_FALSE(MMidPlay::PollSound(*editor->tmrMidPlay)) << "the other row did not start";

    click(1);
    ASSERT_TRUE(allShow(Shown::Stop)) << "the next click plays again";
    editor->state().selectedRow = 1;
    editor->mnuBmpDel_Click();
    EXPECT_FALSE(QFileInfo::exists(workFile("b.wav")));
    EXPECT_TRUE(waitUntil([&] { return allShow(Shown::Play); }, 2000));
    EXPECT_FALSE(MMidPlay::PollSound(*editor->tmrMidPlay));
}

TEST_F(SoundAudition, RowsWithoutAPlayableSoundDoNothing) {
    addSound(1, "gone.wav", QByteArray());  // named, never written
    addSound(2, "bad.wav", QByteArray("RIFF\x04\0\0\0junk", 12));
    addSound(3, "  ", QByteArray());
    editor->rows()->DrawFrameRows(1);
    ASSERT_EQ(editor->rows()->txtSound[0]->text(), "gone.wav");

    for (int r : {0, 3, 9}) {
        click(r);
        EXPECT_TRUE(allShow(Shown::Play)) << r;
        EXPECT_FALSE(editor->tmrMidPlay->isActive()) << r;
    }
    // A file the sound module cannot play gives the play icons back at once.
    click(1);
    EXPECT_TRUE(allShow(Shown::Play));
    EXPECT_FALSE(editor->tmrMidPlay->isActive());
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
}

}  // namespace
