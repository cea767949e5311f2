#pragma once

#include "capture/MH_COPY.h"
#include "capture/window/frmCopy.h"
#include "common/MessageBox.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolderSession.h"
#include "settings/AppSettings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

// A capture window over a fresh movie, a fresh work folder and default
// settings, with every box recorded instead of shown.
class CaptureWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work.isValid());
        ASSERT_EQ(files.open(work.path()), WorkFolderSession::OpenResult::Opened);
        settings.workFolder = work.path();
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

    // Opens the window as the editor does, at `placeTwips`, but modeless,
    // so the test goes on; the captures it reports enter the movie.
    frmCopy& open(QPoint placeTwips = {}) {
        window = std::make_unique<frmCopy>(doc, settings, files, placeTwips);
        QObject::connect(window.get(), &frmCopy::pictureSaved,
                         [this](int frame, const QString& name) {
                             doc.setFramePicture(frame, name);
                             reported.emplace_back(frame, name);
                         });
        window->Form_Load();
        window->show();
        return *window;
    }

    void useRows(int first, int last) {
        for (int row = first; row <= last; ++row) {
            doc.setFramePicture(row, QStringLiteral("row%1.bmp").arg(row));
        }
    }

    QString workFile(const QString& name) const { return QDir(work.path()).filePath(name); }

    void makeFile(const QString& name) const {
        QFile file(workFile(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("BM") == 2);
    }

    // One field of every box shown so far, in order.
    static QStringList boxTexts(QString MessageBox::Shown::*field = &MessageBox::Shown::text) {
        QStringList texts;
        std::ranges::transform(MessageBox::shownBoxes(), std::back_inserter(texts), field);
        return texts;
    }

    // Bits per pixel in a BMP file's header; 0 when it is no BMP.
    static int bmpBits(const QString& path) {
        QFile file(path);
        const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(30) : QByteArray();
        return head.size() == 30 && head.startsWith("BM") ? uchar(head[28]) | uchar(head[29]) << 8
                                                          : 0;
    }

    QTemporaryDir work;
    MovieDoc doc;
    AppSettings settings;
    WorkFolderSession files;
    std::unique_ptr<frmCopy> window;
    // What the window reported, in order: row and file name.
    std::vector<std::pair<int, QString>> reported;
};
