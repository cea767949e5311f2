#pragma once

// Movies for the player's tests: pictures and sounds written on the spot,
// packages made through the program's own archiver, and a player window
// on virtual time.

#include "MovieFrames.h"
#include "SoundFiles.h"
#include "common/MessageBox.h"
#include "common/ProgramEnd.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/MovieScript.h"
#include "player/MMidPlay.h"
#include "player/frmMovie.h"
#include "tests/QtWait.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

namespace PlayerMovies {

// A different colour per frame, so a wrong frame shows as wrong pixels.
inline QColor frameColour(int index) {
    return QColor::fromHsv((index * 47) % 360, 200, 220);
}

inline void writeBitmap(const QString& path, QSize size, int index) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(frameColour(index));
    ASSERT_TRUE(image.save(path, "BMP")) << path.toStdString();
}

// Puts the frames into doc with their pictures in folder; sounds are left
// to the test, which decides what they hold.
inline void setMovie(MovieDoc& doc, const QString& folder, const std::vector<Frame>& frames,
                     int advanceMode, int loopFlag = 0, int loopWaitSeconds = 10) {
    setMovie(doc, frames, advanceMode, loopFlag, loopWaitSeconds);
    for (size_t i = 0; i < frames.size(); ++i) {
        writeBitmap(QDir(folder).filePath(frames[i].picture), frames[i].size, static_cast<int>(i));
    }
}

// A package of doc's movie as the editor saves it: the script, then the
// files of `members` found in folder.
inline void makePackage(const QString& package, const MovieDoc& doc, const QString& folder,
                        const QStringList& members) {
    if (ArchiverLibrary::instance() == nullptr) {
        ASSERT_TRUE(ArchiverLibrary::load(SLIDEWRIGHT_BINARY_DIR "/bin/libunlha32.so"));
    }
    const MovieScript::ScriptSettings settings{doc.loopFlag == 1, doc.advanceMode,
                                               QString::number(doc.loopWaitSeconds)};
    const auto script = MovieScript::FormatMovieScript(doc.frameCount, settings, doc);
    ASSERT_TRUE(script.has_value());
    ASSERT_TRUE(SoundFiles::writeFile(QDir(folder).filePath(MovieScript::kScriptName), *script));
    bool startNew = true;
    for (const QString& name : QStringList{MovieScript::kScriptName} + members) {
        ASSERT_EQ(MLha::StoreInPackage(package, QDir(folder).filePath(name), startNew), 0)
            << name.toStdString();
        startNew = false;
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

// A player on a movie in a folder of its own, timed by a virtual clock.
class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work.isValid());
        ProgramEnd::resetForTests();
        ProgramEnd::setHandler([this](int code) { endCodes.push_back(code); });
        MessageBox::clearShownBoxes();
        MessageBox::setAutoAnswer(true);
    }
    void TearDown() override {
        delete movie.data();
        deleteTopLevelWindows();
        MMidPlay::CloseAudio();
        MessageBox::setAutoAnswer(false);
        MessageBox::clearShownBoxes();
        ProgramEnd::setHandler(nullptr);
        ProgramEnd::resetForTests();
    }

    QString workFile(const QString& name) const { return QDir(work.path()).filePath(name); }

    // Loads the movie into a player and shows it; false when the load refused.
    bool openPlayer(bool preview, const QString& folder) {
        delete movie.data();
        movie = new frmMovie(movieData, folder, preview, nullptr, &clock);
        if (!movie->Form_Load()) {
            return false;
        }
        movie->move(100, 80);
        movie->show();
        return true;
    }
    bool openPreview() { return openPlayer(true, work.path()); }

    QTemporaryDir work;
    VirtualClock clock;
    QPointer<frmMovie> movie;
    std::vector<int> endCodes;
    MovieDoc movieData;
};

}  // namespace PlayerMovies
