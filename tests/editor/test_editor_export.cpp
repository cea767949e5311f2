// The editor's ファイル → 書き出し...: the movie being edited, as typed,
// exported through the export dialog and its progress window.
#include "EditorFixture.h"
#include "editor/frames/FrameRows.h"
#include "export/ExportResult.h"
#include "tests/QtWait.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

class EditorExport : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        addFrame(1, "one.bmp", Qt::red, 1000);
        addFrame(2, "two.bmp", Qt::blue, 2000);
        addFrame(3, "three.bmp", Qt::green, 500);
        editor->rows()->DrawFrameRows(1);
        editor->rows()->selectAdvanceMode(1);
        out = scratch.filePath("out");
        QDir().mkpath(out);
    }

    static QString gifDelays(const QString& file) {
        QProcess probe;
        probe.start("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                "packet=duration", "-of", "csv=p=0", file});
        probe.waitForFinished(30000);
        return QString::fromUtf8(probe.readAllStandardOutput()).trimmed().replace(u'\n', u' ');
    }

    QString out;
};

TEST_F(EditorExport, CtrlEExportsTheMovieWithTheWaitJustTyped) {
    // Typed and still in its box, as a save would take it.
    editor->rows()->txtWait[1]->setFocus();
    editor->rows()->txtWait[1]->setText("3.5");
    const QString target = out + QStringLiteral("/movie.gif");
    FileDialogs::setNextFileName(target);
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    QTest::keyClick(editor, Qt::Key_E, Qt::ControlModifier);

    ASSERT_EQ(FileDialogs::askedDialogs().size(), 1u);
    EXPECT_EQ(FileDialogs::askedDialogs().front().kind, FileDialogs::Asked::Kind::Save);
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
    EXPECT_EQ(gifDelays(target), "100 350 50");
    EXPECT_EQ(entriesOf(out), QStringList{"movie.gif"});
    EXPECT_EQ(editor->findChild<QProgressDialog*>(), nullptr);
}

TEST_F(EditorExport, CancelAndFailuresLeaveTheEarlierFile) {
    const QString target = out + QStringLiteral("/movie.mp4");
    writeFile(target, "earlier");

    // キャンセル pressed in the progress window as soon as it shows.
    bool pressed = false;
    QTimer::singleShot(0, editor, [&] {
        auto* window = editor->findChild<QProgressDialog*>("frmExportProgress");
        ASSERT_TRUE(window && window->isVisible());
        auto* cancel = window->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
        pressed = true;
    });
    FileDialogs::setNextFileName(target);
    editor->mnuExport->trigger();
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(MessageBox::shownBoxes().empty());

    // A picture gone from the work folder. Which names and folders an
    // export refuses is the export's own test.
    QFile::remove(workFile("two.bmp"));
    FileDialogs::setNextFileName(target);
    editor->mnuExport->trigger();

    EXPECT_EQ(boxTexts(),
              std::vector{ExportMessages::Text({ExportProblem::MissingPicture, "two.bmp"})});
    EXPECT_EQ(entriesOf(out), QStringList{"movie.mp4"});
    EXPECT_EQ(readFile(target), QByteArray("earlier"));
}

TEST_F(EditorExport, AGapInTheFramesAsksForNoFile) {
    addFrame(5, "five.bmp", Qt::yellow);
    editor->mnuExport->trigger();
    EXPECT_TRUE(FileDialogs::askedDialogs().empty());
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
}

}  // namespace
