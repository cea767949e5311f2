#pragma once

#include "tests/QtWait.h"

// Movies for the player's tests: pictures and sounds written on the spot,
// the movie set into movieDoc(), and a player window run through its load.

#include "SoundFiles.h"
#include "common/MessageBox.h"
#include "common/ProgramEnd.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/PreviewMode.h"
#include "moviefile/WorkFolder.h"
#include "player/MMidPlay.h"
#include "player/frmMovie.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace PlayerMovies {

struct Frame {
    QString picture;
    int waitMs = 0;
    QString sound;
    QSize size = QSize(320, 240);
};

inline void writeBitmap(const QString& path, QSize size, int index) {
    QImage image(size, QImage::Format_RGB32);
    // A different colour per frame, so a wrong frame shows as wrong pixels.
    image.fill(QColor::fromHsv((index * 47) % 360, 200, 220));
    ASSERT_TRUE(image.save(path, "BMP")) << path.toStdString();
}

// A tone of exactly the given length.
inline void writeWave(const QString& path, int milliseconds) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(SoundFiles::toneWav(milliseconds / 1000.0));
}

inline void writeJunk(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("RIFF this is not a sound at all");
}

// Puts the frames into movieDoc() with their pictures in folder; sounds
// are left to the test, which decides what they hold.
inline void setMovie(const QString& folder, const std::vector<Frame>& frames, int advanceMode,
                     int loopFlag = 0, int loopWaitSeconds = 10) {
    MovieDoc& doc = movieDoc();
    doc.resetFrames(static_cast<int>(frames.size()));
    doc.frameCount = static_cast<int>(frames.size());
    doc.advanceMode = advanceMode;
    doc.loopFlag = loopFlag;
    doc.loopWaitSeconds = loopWaitSeconds;
    for (size_t i = 0; i < frames.size(); ++i) {
        FrameEntry& entry = doc.frames[i + 1];
        entry.inUse = true;
        entry.pictureFile = frames[i].picture;
        entry.waitMs = frames[i].waitMs;
        entry.soundFile = frames[i].sound;
        writeBitmap(QDir(folder).filePath(frames[i].picture), frames[i].size, static_cast<int>(i));
    }
}

// The events a real double-click brings: the second press comes before the
// double-click event, as the window system sends them.
inline void doubleClick(QWidget* widget, QPoint at) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    QTest::mousePress(widget, Qt::LeftButton, {}, at);
    QMouseEvent event(QEvent::MouseButtonDblClick, at, widget->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at);
}

// What a test saw of the player over time: each counter text and each
// countdown text, with the milliseconds since recording began.
class Recorder {
public:
    explicit Recorder(frmMovie* movie) : movie_(movie) {
        clock_.start();
        sampler_.setInterval(1);
        sampler_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&sampler_, &QTimer::timeout, [this] { sample(); });
        // Frames are timed when they are shown, not when a sample sees them.
        QObject::connect(movie, &frmMovie::frameShown, &sampler_,
                         [this](int n) { frames.emplace_back(n, clock_.elapsed()); });
        sample();
        sampler_.start();
    }
    void sample() {
        if (!movie_) {
            return;
        }
        const QString counter = movie_->cmdNo->text();
        if (counters.empty() || counters.back().first != counter) {
            counters.emplace_back(counter, clock_.elapsed());
        }
        const QString label =
            movie_->lblLoopWait->isVisible() ? movie_->lblLoopWait->text() : QString();
        if (!label.isEmpty() && (labels.empty() || labels.back().first != label)) {
            labels.emplace_back(label, clock_.elapsed());
        }
    }
    qint64 elapsed() const { return clock_.elapsed(); }
    QStringList counterTexts() const {
        QStringList texts;
        for (const auto& [text, at] : counters) {
            texts << text;
        }
        return texts;
    }
    QStringList labelTexts() const {
        QStringList texts;
        for (const auto& [text, at] : labels) {
            texts << text;
        }
        return texts;
    }
    // When frame n was first shown after recording began, or -1.
    qint64 shownAt(int n) const {
        for (const auto& [frame, at] : frames) {
            if (frame == n) {
                return at;
            }
        }
        return -1;
    }
    std::vector<int> frameNumbers() const {
        std::vector<int> numbers;
        for (const auto& [frame, at] : frames) {
            numbers.push_back(frame);
        }
        return numbers;
    }

    std::vector<std::pair<QString, qint64>> counters;
    std::vector<std::pair<QString, qint64>> labels;
    std::vector<std::pair<int, qint64>> frames;

private:
    QPointer<frmMovie> movie_;
    QElapsedTimer clock_;
    QTimer sampler_;
};

// A player on a movie in a work folder of its own, as the editor's preview
// plays it; tests that need the program's end switch preview off.
class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work.isValid());
        ProgramEnd::resetForTests();
        ProgramEnd::setHandler([this](int code) { endCodes.push_back(code); });
        MessageBox::clearShownBoxes();
        MessageBox::setAutoAnswer(true);
        WorkFolder::setPath(work.path());
        previewMode = true;
    }
    void TearDown() override {
        delete movie.data();
        deleteTopLevelWindows();
        MMidPlay::CloseAudio();
        previewMode = false;
        MessageBox::setAutoAnswer(false);
        MessageBox::clearShownBoxes();
        ProgramEnd::setHandler(nullptr);
        ProgramEnd::resetForTests();
    }

    QString workFile(const QString& name) const { return QDir(work.path()).filePath(name); }

    // Loads and shows the player; false when the load refused.
    bool openPlayer() {
        movie = new frmMovie();
        if (!movie->Form_Load()) {
            return false;
        }
        movie->move(100, 80);
        movie->show();
        return true;
    }

    bool waitFor(const std::function<bool()>& condition, int milliseconds) {
        return QTest::qWaitFor(condition, milliseconds);
    }

    QTemporaryDir work;
    QPointer<frmMovie> movie;
    std::vector<int> endCodes;
};

}  // namespace PlayerMovies
