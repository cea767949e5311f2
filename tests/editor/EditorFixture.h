#pragma once

#include "common/FileDialogs.h"
#include "common/MessageBox.h"
#include "common/ProgramEnd.h"
#include "editor/frames/FrameRows.h"
#include "editor/frames/PictureBox.h"
#include "editor/frmMaker.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/CommandLine.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/MovieMessages.h"
#include "moviefile/WorkFolderSession.h"
#include "settings/AppSettings.h"

#include <gtest/gtest.h>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPointer>
#include <QTemporaryDir>

#include <tuple>

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A 24-bit BMP of one colour.
inline QByteArray bmpOf(QColor colour, QSize size = {64, 48}) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

inline QString writePicture(const QString& path, QColor colour, QSize size = {64, 48}) {
    writeFile(path, bmpOf(colour, size));
    return path;
}

// The bits a pixel of a BMP file's bytes; 0 when they are no BMP.
inline int bmpBits(const QByteArray& bytes) {
    return bytes.startsWith("BM") && bytes.size() > 30 ? uchar(bytes[28]) | uchar(bytes[29]) << 8
                                                       : 0;
}

// Everything a folder holds, hidden entries too, by name.
inline QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// A package as another program would write it: the script and members
// taken from `folder`.
inline void makePackage(const QString& package, const QString& folder, const QByteArray& script,
                        const QStringList& members) {
    writeFile(folder + QStringLiteral("/Slidewright.ini"), script);
    bool startNew = true;
    for (const QString& name : QStringList{"Slidewright.ini"} + members) {
        ASSERT_EQ(MLha::StoreInPackage(package, folder + u'/' + name, startNew), 0);
        startNew = false;
    }
}

// A frame as one value, to compare whole.
inline auto fields(const FrameEntry& f) {
    return std::tuple(f.inUse, f.pictureFile, f.waitMs, f.soundFile);
}

// A box as its title and text.
using Box = std::pair<QString, QString>;
inline Box boxOf(MovieMessage message, const QString& detail = {}) {
    const auto shown = MovieMessages::of(message, detail);
    return {shown.title, shown.text};
}

// An editor window as the launcher opens it, in a fresh document, with
// boxes and the program's end observed instead of shown.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProgramEnd::resetForTests();
        ProgramEnd::setHandler([this](int code) { endCodes.push_back(code); });
        MessageBox::clearShownBoxes();
        FileDialogs::clearAskedDialogs();
        // A box a test did not expect is recorded, never left waiting.
        MessageBox::setAutoAnswer(true);
        if (ArchiverLibrary::instance() == nullptr) {
            ASSERT_TRUE(ArchiverLibrary::load(SLIDEWRIGHT_BINARY_DIR "/bin/libunlha32.so"));
        }
        movie = MovieDoc();
        prepare();
        CommandLine::set(commandLine());
        editor = new frmMaker(context());
        editor->Form_Load();
        editor->show();
    }

    void TearDown() override {
        workFiles.close();
        delete editor.data();
        clearWorkFolder();
        MessageBox::setAutoAnswer(false);
        MessageBox::clearShownBoxes();
        FileDialogs::clearAskedDialogs();
        ProgramEnd::setHandler(nullptr);
        ProgramEnd::resetForTests();
    }

    virtual QString commandLine() const { return {}; }
    // Runs before the editor is made: settings files, packages.
    virtual void prepare() {}

    EditorContext context() { return {movie, settings, workFiles}; }
    QString workFolder() const { return workFiles.folder(); }
    QString workFile(const QString& name) const { return workFiles.folder() + u'/' + name; }
    auto frameAt(int k) const { return fields(movie.frames[k]); }

    // Files in the test's own folder (not the work folder).
    QString scratchFile(const QString& relative, const QByteArray& bytes) {
        writeFile(scratch.filePath(relative), bytes);
        return scratch.filePath(relative);
    }
    QString scratchPicture(const QString& relative, QColor colour, QSize size = {64, 48}) {
        return writePicture(scratch.filePath(relative), colour, size);
    }

    // Save as and open, through the menu, with `path` chosen in the dialog.
    bool saveAs(const QString& path) {
        FileDialogs::setNextFileName(path);
        return editor->mnuFBetuSave_Click();
    }
    void open(const QString& path) {
        FileDialogs::setNextFileName(path);
        editor->mnuFOpen_Click();
    }

    void clearWorkFolder() {
        QDir folder(workFolder());
        for (const QString& name : folder.entryList(QDir::Files)) {
            folder.remove(name);
        }
    }

    // A file the editor brought into its work folder, as a drop does.
    void addWorkFile(const QString& name, const QByteArray& bytes) {
        const QString written = editor->workFiles().scratchFolder() + u'/' + name;
        writeFile(written, bytes);
        ASSERT_TRUE(editor->workFiles().adopt(written, name, true));
    }

    // A picture file in the work folder, one colour, and the frame naming it
    // and its sound; the sound file too when its bytes are given.
    void addFrame(int k, const QString& name, QColor colour, int waitMs = 0,
                  const QString& sound = {}, const QByteArray& soundBytes = {}) {
        addWorkFile(name, bmpOf(colour));
        if (!soundBytes.isNull()) {
            addWorkFile(sound, soundBytes);
        }
        movie.frames[k] = FrameEntry{true, name, waitMs, sound};
    }

    // The colour in the middle of row r's thumbnail; invalid when empty.
    QColor rowColour(int r) const {
        const QImage& picture = editor->rows()->picDat[r]->picture();
        return picture.isNull() ? QColor()
                                : picture.pixelColor(picture.width() / 2, picture.height() / 2);
    }

    static std::vector<QString> boxTexts() {
        std::vector<QString> texts;
        for (const auto& box : MessageBox::shownBoxes()) {
            texts.push_back(box.text);
        }
        return texts;
    }
    static std::vector<Box> boxes() {
        std::vector<Box> shown;
        for (const auto& box : MessageBox::shownBoxes()) {
            shown.emplace_back(box.title, box.text);
        }
        return shown;
    }

    MovieDoc movie;
    AppSettings settings;
    WorkFolderSession workFiles;
    QPointer<frmMaker> editor;
    std::vector<int> endCodes;
    QTemporaryDir scratch;
};
