// Under a locale that writes "2,5", a movie's numbers keep their values on
// the way through the editor: read from a package, typed, and saved again,
// and in the settings file.
// Runs with LC_ALL=de_DE.UTF-8 (tests/editor/CMakeLists.txt).
#include "EditorFixture.h"
#include "editor/frames/FrameRows.h"
#include "settings/SettingsFile.h"
#include "tests/QtWait.h"

#include <QImage>
#include <QLineEdit>

#include <clocale>

namespace {

class LocaleNumbers : public EditorTest {
protected:
    // A package whose script says LOOPWAIT,2.5 and WAIT,001,2500.
    QString makePackage() {
        const QString folder = scratch.filePath("parts");
        writePicture(folder + QStringLiteral("/SW001.bmp"), Qt::blue);
        const QString package = scratch.filePath("movie.sdw");
        ::makePackage(package, folder,
                      readFile(SLIDEWRIGHT_SOURCE_DIR "/tests/data/locale-numbers/Slidewright.ini"),
                      {"SW001.bmp"});
        return package;
    }

    QString savedScript(const QString& package) {
        const QString folder = scratch.filePath("out");
        QDir().mkpath(folder);
        EXPECT_EQ(MLha::ExtractFromPackage(package, folder, "Slidewright.ini"), 0);
        return QString::fromLatin1(readFile(folder + QStringLiteral("/Slidewright.ini")));
    }
};

TEST_F(LocaleNumbers, ScriptWaitsAndSettingsKeepTheirDecimals) {
    // The locale must be the one the test is about.
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    // The editor's start-up has run, as before any user's command.
    ASSERT_TRUE(waitUntil([&] { return !editor->tmrEnd->isActive(); }));

    const QString package = makePackage();
    open(package);
    ASSERT_EQ(movie.frames[1].waitMs, 2500);
    ASSERT_EQ(editor->rows()->txtWait[0]->text(), "2.5");

    // A wait and a loop wait typed with a point, as the boxes take them. A
    // script's LOOPWAIT,2.5 reads as 2 whole seconds; a typed 2.5 is
    // written as it stands.
    ASSERT_EQ(movie.loopWaitSeconds, 2);
    editor->rows()->txtWait[0]->setText("1.5");
    editor->rows()->txtLoop->setText("2.5");
    const QString saved = scratch.filePath("saved.sdw");
    ASSERT_TRUE(saveAs(saved));
    const QString script = savedScript(saved);
    EXPECT_TRUE(script.contains("LOOPWAIT,2.5\r\n")) << script.toStdString();
    EXPECT_TRUE(script.contains("WAIT,001,1500\r\n")) << script.toStdString();

    // The settings file's capture delay, rounded as stored values are.
    AppSettings read;
    ASSERT_EQ(SettingsFile::ParseSettingsText("[TIMER ],3.5\r\n", read,
                                              [](const QString&) { return true; }),
              SettingsFile::ParseResult::Complete);
    EXPECT_EQ(read.captureDelay, 4);
}

}  // namespace
