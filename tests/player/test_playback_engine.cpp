// The playback engine in virtual time: when each frame shows, holding for
// sounds, the loop countdown, the mode button, End, the frame list, the
// frame read ahead, the sounds removed, and how the movie ends.
#include "common/ProgramEnd.h"
#include "moviefile/MovieDoc.h"
#include "player/PlaybackEngine.h"
#include "tests/player/MovieFrames.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <map>
#include <ranges>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace PlayerMovies;

// The engine's window and sound device, recording what the viewer would
// see and hear, each at its virtual time.
class Playback : public ::testing::Test,
                 public PlaybackEngine::Screen,
                 public PlaybackEngine::Sound {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        ProgramEnd::resetForTests();
        ProgramEnd::setHandler([this](int code) { ends.emplace_back(clock.now(), code); });
    }
    void TearDown() override {
        engine.reset();
        ProgramEnd::setHandler(nullptr);
        ProgramEnd::resetForTests();
    }

    // A sound file in the work folder; it plays for `lengthMs`, or not at
    // all when negative.
    void addSound(const QString& name, int lengthMs) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        if (lengthMs >= 0) {
            soundLengths[name] = lengthMs;
        }
    }
    // A fresh engine on doc; what the last one showed and did is forgotten.
    bool start(bool preview = false) {
        shown.clear(), countdowns.clear(), boxes.clear(), closedAt.clear(), ends.clear();
        engine = std::make_unique<PlaybackEngine>(doc, folder.path(), preview, *this, *this, clock);
        return engine->start();
    }

    std::vector<int> framesShown() const {
        const auto frames = shown | std::views::values;
        return {frames.begin(), frames.end()};
    }
    bool exists(const QString& name) const { return QFileInfo::exists(folder.filePath(name)); }

    // PlaybackEngine::Screen
    bool showPicture(int n) override {
        if (damaged.count(n) != 0) {
            boxes.push_back(n);
            return false;
        }
        shown.emplace_back(clock.now(), n);
        return true;
    }
    void expectFrame(int n) override { expected = n; }
    void refresh() override {
        counters.push_back(engine->counterText());
        const QString countdown = engine->countdownText();
        if (!countdown.isEmpty() && (countdowns.empty() || countdowns.back().second != countdown)) {
            countdowns.emplace_back(clock.now(), countdown);
        }
    }
    void closeWindow() override { closedAt.push_back(clock.now()); }

    // PlaybackEngine::Sound, polled every 50 ms from its start as the
    // window's sound timer polls it.
    bool play(const QString& path) override {
        const auto length = soundLengths.find(QFileInfo(path).fileName());
        if (length == soundLengths.end()) {
            return false;
        }
        playingUntil = clock.now() + length->second;
        poll->start(50);
        return true;
    }
    void stop() override { playingUntil = -1; }
    void pollSound() {
        const bool playing = playingUntil >= 0 && clock.now() < playingUntil;
        if (!playing) {
            poll->stop();
            playingUntil = -1;
        }
        engine->soundPolled(playing);
    }

    QTemporaryDir folder;
    VirtualClock clock;
    MovieDoc doc;
    std::unique_ptr<PlaybackEngine> engine;
    std::unique_ptr<PlaybackTimer> poll = clock.createTimer("poll", [this] { pollSound(); });
    std::map<QString, int> soundLengths;
    qint64 playingUntil = -1;
    std::set<int> damaged;

    std::vector<std::pair<qint64, int>> shown;
    std::vector<std::pair<qint64, QString>> countdowns;
    QStringList counters;
    std::vector<int> boxes;
    std::vector<qint64> closedAt;
    std::vector<std::pair<qint64, int>> ends;
    int expected = -1;
};

using PlaybackEngineTest = Playback;

// A wait below zero counts as none; the longest wait holds.
TEST_F(PlaybackEngineTest, EachFrameStaysForItsWaitThenTheMovieEnds) {
    setMovie(doc, {{"a.bmp", -9000, ""}, {"b.bmp", 2000, ""}, {"c.bmp", 99000, ""}}, 1);
    ASSERT_TRUE(start());
    EXPECT_EQ(expected, 2) << "the next frame is read while this one shows";
    // Playing by itself, it takes no double-click and shows no list.
    engine->goOn();
    engine->counterClicked();
    EXPECT_FALSE(engine->listShown());
    EXPECT_EQ(framesShown(), std::vector<int>{1});
    clock.advance(101002);
    // Each tick comes its wait and a millisecond after the frame's start.
    EXPECT_EQ(shown, (std::vector<std::pair<qint64, int>>{{0, 1}, {1, 2}, {2002, 3}}));
    EXPECT_EQ(counters.back(), "003/003");
    EXPECT_TRUE(counters.contains("001/003"));
    EXPECT_TRUE(ends.empty());
    clock.advance(1);
    EXPECT_EQ(ends, (std::vector<std::pair<qint64, int>>{{101003, 0}}));
    EXPECT_EQ(closedAt, std::vector<qint64>{101003});
    EXPECT_EQ(expected, 0);
    EXPECT_TRUE(engine->isOver());

    // A preview closes its window, and the program goes on.
    ASSERT_TRUE(start(true));
    clock.advance(200000);
    EXPECT_EQ(framesShown(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(closedAt.size(), 1u);
    EXPECT_TRUE(ends.empty());
}

TEST_F(PlaybackEngineTest, ModeTwoHoldsAFrameUntilItsSoundEndsButNotForASoundThatFails) {
    addSound("five.wav", 5000);
    addSound("broken.wav", -1);
    // Frame 2 starts at 1 and ticks every 1001 ms: the five-second sound
    // ends at 5001, so the tick at 5006 is the first to go on.
    for (const auto& [mode, sound, thirdAt] : {std::tuple{2, "five.wav", 5006},
                                               {2, "broken.wav", 1002},
                                               {2, "missing.wav", 1002},
                                               {2, "  ", 1002},
                                               {1, "five.wav", 1002}}) {
        SCOPED_TRACE(testing::Message() << sound << " in mode " << mode);
        setMovie(doc, {{"a.bmp", 0, ""}, {"b.bmp", 1000, sound}, {"c.bmp", 60000, ""}}, mode);
        ASSERT_TRUE(start());
        clock.advance(1);
        EXPECT_EQ(engine->waitingForSound(), thirdAt > 1002);
        clock.advance(10000);
        ASSERT_EQ(framesShown(), (std::vector<int>{1, 2, 3}));
        EXPECT_EQ(shown[2].first - shown[0].first, thirdAt);
        EXPECT_FALSE(engine->waitingForSound());
    }
}

TEST_F(PlaybackEngineTest, TheLoopCountsDownEachSecondThenShowsFrameOne) {
    setMovie(doc, {{"a.bmp", 1000, ""}, {"b.bmp", 2000, ""}, {"c.bmp", 500, ""}}, 1, 1, 3);
    ASSERT_TRUE(start());
    clock.advance(3002);
    EXPECT_EQ(expected, 1) << "frame 1 is read during the last frame and the countdown";
    clock.advance(4502);
    EXPECT_EQ(countdowns, (std::vector<std::pair<qint64, QString>>{
                              {3503, "再生開始まであと 3秒 お待ち下さい..."},
                              {4503, PlaybackEngine::LoopWaitText(2)},
                              {5503, PlaybackEngine::LoopWaitText(1)},
                              {6503, PlaybackEngine::LoopWaitText(0)}}));
    EXPECT_EQ(shown, (std::vector<std::pair<qint64, int>>{
                         {0, 1}, {1001, 2}, {3002, 3}, {6503, 1}, {7504, 2}}));
    EXPECT_TRUE(engine->countdownText().isEmpty());
    EXPECT_TRUE(ends.empty());

    // Without a wait the loop starts over at the last frame's tick; a long
    // one counts in minutes.
    for (const auto& [seconds, first, again] :
         {std::tuple{0, "0秒", 3503}, {90, "1分30秒", 93503}}) {
        doc.loopWaitSeconds = seconds;
        ASSERT_TRUE(start());
        clock.advance(100000);
        ASSERT_FALSE(countdowns.empty());
        EXPECT_TRUE(countdowns.front().second.contains(first)) << seconds;
        ASSERT_GE(shown.size(), 4u);
        EXPECT_EQ(shown[3].second, 1);
        EXPECT_EQ(shown[3].first - shown[0].first, again) << seconds;
    }
}

TEST_F(PlaybackEngineTest, AutoOrEndDuringTheCountdownActsAtOnce) {
    setMovie(doc, {{"a.bmp", 1000, ""}, {"b.bmp", 500, ""}}, 2, 1, 5);
    ASSERT_TRUE(start());
    clock.advance(3000);
    ASSERT_TRUE(engine->inLoopWait());
    engine->autoClicked();
    EXPECT_EQ(engine->mode(), PlaybackEngine::Mode::Manual);
    EXPECT_TRUE(engine->countdownText().isEmpty());
    EXPECT_EQ(expected, 0) << "no frame is to come by itself";
    clock.advance(60000);
    EXPECT_EQ(framesShown(), (std::vector<int>{1, 2})) << "the last frame stays";
    // By hand now: the last frame's double-click ends even a loop.
    engine->goOn();
    EXPECT_EQ(ends, (std::vector<std::pair<qint64, int>>{{63000, 0}}));

    ASSERT_TRUE(start());
    clock.advance(3000);
    ASSERT_TRUE(engine->inLoopWait());
    engine->endClicked();
    EXPECT_EQ(closedAt, std::vector<qint64>{66000});
    EXPECT_EQ(ends, (std::vector<std::pair<qint64, int>>{{66000, 0}}));
    clock.advance(60000);
    EXPECT_EQ(shown.back().second, 2);
}

TEST_F(PlaybackEngineTest, ManualModeGoesOnOnlyWhenAskedAndItsListJumps) {
    std::vector<Frame> frames;
    for (int k = 1; k <= 12; ++k) {
        frames.push_back({QStringLiteral("SW%1.bmp").arg(k, 3, 10, QChar(u'0')), 100, ""});
    }
    // A mode the program does not know plays by hand, loop or not.
    setMovie(doc, frames, -1, 1, 3);
    ASSERT_TRUE(start());
    EXPECT_EQ(engine->mode(), PlaybackEngine::Mode::Manual);
    EXPECT_EQ(engine->counterText(), "001/012");
    clock.advance(60000);
    EXPECT_EQ(framesShown(), std::vector<int>{1});
    engine->goOn();
    EXPECT_EQ(framesShown(), (std::vector<int>{1, 2}));

    engine->counterClicked();
    ASSERT_TRUE(engine->listShown());
    const QStringList entries = engine->listEntries();
    ASSERT_EQ(entries.size(), 12);
    EXPECT_EQ(entries[2], "003｜SW003");
    // While the list is up only its entries move on; a missed entry nothing.
    engine->goOn();
    engine->listChosen(-1);
    engine->listChosen(12);
    EXPECT_EQ(framesShown(), (std::vector<int>{1, 2}));
    engine->listChosen(4);
    EXPECT_EQ(engine->counterText(), "005/012");
    EXPECT_FALSE(engine->listShown());
    EXPECT_EQ(expected, 6);
    engine->goOn();
    EXPECT_EQ(engine->currentFrame(), 6);

    engine->counterClicked();
    engine->listChosen(11);
    EXPECT_EQ(expected, 0) << "the last frame by hand: nothing after it";
    engine->goOn();
    EXPECT_EQ(ends.size(), 1u) << "a looping movie ends too when played by hand";
}

TEST_F(PlaybackEngineTest, AFrameThatCannotBeShownEndsTheMovieAtItsTurn) {
    setMovie(doc, {{"a.bmp", 1000, ""}, {"b.bmp", 1000, ""}, {"c.bmp", 1000, ""}}, 1);
    damaged = {2};
    ASSERT_TRUE(start());
    clock.advance(1000);
    EXPECT_TRUE(boxes.empty()) << "not before its turn";
    clock.advance(1);
    EXPECT_EQ(boxes, std::vector<int>{2});
    EXPECT_EQ(ends, (std::vector<std::pair<qint64, int>>{{1001, 1}}));
    EXPECT_EQ(closedAt, std::vector<qint64>{1001});
    clock.advance(60000);
    EXPECT_EQ(framesShown(), std::vector<int>{1});

    // A preview only closes; a first frame that fails stops the start.
    damaged = {1};
    EXPECT_FALSE(start(true));
    EXPECT_TRUE(ends.empty());
    EXPECT_EQ(closedAt.size(), 1u);
}

// Sounds go once their frames have gone (the player-package test follows
// them frame by frame); a preview's are the editor's and stay.
TEST_F(PlaybackEngineTest, APreviewRemovesNoSound) {
    addSound("s1.wav", 10);
    setMovie(doc, {{"a.bmp", 0, "s1.wav"}, {"b.bmp", 0, ""}, {"c.bmp", 60000, ""}}, 0);
    ASSERT_TRUE(start(true));
    engine->goOn();
    engine->goOn();
    EXPECT_TRUE(exists("s1.wav"));
}

}  // namespace
