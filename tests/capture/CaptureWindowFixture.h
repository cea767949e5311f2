#pragma once

#include "capture/MH_COPY.h"
#include "capture/window/CaptureHandoff.h"
#include "capture/window/frmCopy.h"
#include "common/MessageBox.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolder.h"
#include "moviefile/WorkFolderSession.h"
#include "settings/AppSettings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <memory>

// A capture window over a fresh movie, a fresh work folder and default
// settings, with every box recorded instead of shown.
class CaptureWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work.isValid());
        WorkFolder::setPath(work.path());
        ASSERT_EQ(files.open(work.path()), WorkFolderSession::OpenResult::Opened);
        appSettings() = AppSettings();
        appSettings().workFolder = work.path();
        movieDoc() = MovieDoc();
        movieDoc().resetFrames(MovieDoc::kEditorSlots);
        capturePosition = CapturePosition();
        captureSaved = false;
        MH_COPY::SetGrabber(nullptr);
        MessageBox::clearShownBoxes();
        MessageBox::setAutoAnswer(true);
    }

    void TearDown() override {
        window.reset();
        files.close();
        MessageBox::setAutoAnswer(false);
        MessageBox::clearShownBoxes();
    }

    // Opens the window as the editor does, but modeless, so the test goes on.
    frmCopy& open() {
        window = std::make_unique<frmCopy>(files);
        window->Form_Load();
        window->show();
        return *window;
    }

    static void useRows(int first, int last) {
        for (int row = first; row <= last; ++row) {
            movieDoc().frames[static_cast<size_t>(row)].inUse = true;
            movieDoc().frames[static_cast<size_t>(row)].pictureFile =
                QStringLiteral("row%1.bmp").arg(row);
        }
    }

    QString workFile(const QString& name) const { return QDir(work.path()).filePath(name); }

    void makeFile(const QString& name) const {
        QFile file(workFile(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("BM");
    }

    static QStringList boxTexts() {
        QStringList texts;
        for (const auto& box : MessageBox::shownBoxes()) {
            texts << box.text;
        }
        return texts;
    }

    // Bits per pixel in a BMP file's header; 0 when it is no BMP.
    static int bmpBits(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return 0;
        }
        const QByteArray head = file.read(30);
        if (head.size() < 30 || !head.startsWith("BM")) {
            return 0;
        }
        return static_cast<unsigned char>(head[28]) | static_cast<unsigned char>(head[29]) << 8;
    }

    QTemporaryDir work;
    WorkFolderSession files;
    std::unique_ptr<frmCopy> window;
};
