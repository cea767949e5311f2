#include "EditorFixture.h"
#include "common/FileDialogs.h"
#include "editor/frames/FrameRows.h"
#include "editor/frames/PictureBox.h"
#include "editor/frames/ProgressBox.h"
#include "tests/QtWait.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>

namespace {

using Answer = MessageBox::Answer;

// What another LHA tool lists in a package: its member names.
QStringList listedBy(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(20000));
    return QString::fromUtf8(process.readAllStandardOutput()).split('\n');
}

bool lists(const QStringList& lines, const QString& name) {
    for (const QString& line : lines) {
        if (line.contains(name)) {
            return true;
        }
    }
    return false;
}

class EditorFiles : public EditorTest {
protected:
    QString package(const char* name) const { return scratch.filePath(QString::fromUtf8(name)); }

    // Two frames, a sound on the second, automatic with a loop.
    void makeMovie() {
        addFrame(1, "SW001.bmp", Qt::red, 3000);
        addFrame(2, "写真２.bmp", Qt::green, 1500, "chime.wav");
        addWorkFile("chime.wav", QByteArray(2048, 'w'));
        editor->rows()->DrawFrameRows(1);
        editor->rows()->selectAdvanceMode(1);
        editor->rows()->chkLoop->setChecked(true);
        editor->rows()->txtLoop->setText("7");
    }
};

TEST_F(EditorFiles, SaveAsThenOpenRestoresTheMovie) {
    makeMovie();
    const QString path = package("動画 one.sdw");
    FileDialogs::setNextFileName(path);
    ASSERT_TRUE(editor->mnuFBetuSave_Click());
    EXPECT_EQ(editor->windowTitle(), "Slidewright - " + path);
    EXPECT_FALSE(editor->state().modified);
    EXPECT_EQ(movie.packagePath, path);
    EXPECT_FALSE(QFile::exists(workFile("Slidewright.ini")));
    EXPECT_TRUE(QFile::exists(workFile("SW001.bmp"))) << "the work folder keeps its files";

    // Other tools read what we wrote.
    const QStringList lhasa = listedBy("lhasa", {"l", path});
    EXPECT_TRUE(lists(lhasa, "Slidewright.ini"));
    EXPECT_TRUE(lists(lhasa, "SW001.bmp"));
    EXPECT_TRUE(lists(lhasa, "chime.wav"));
    const QStringList sevenZip = listedBy("7zz", {"l", path});
    EXPECT_TRUE(lists(sevenZip, "SW001.bmp"));

    MessageBox::setNextAnswer(Answer::Yes);
    editor->mnuNew_Click();
    EXPECT_EQ(editor->windowTitle(), "Slidewright - 新規ファイル");
    EXPECT_FALSE(movie.frames[1].inUse);
    EXPECT_FALSE(QFile::exists(workFile("SW001.bmp")));

    FileDialogs::setNextFileName(path);
    editor->mnuFOpen_Click();
    EXPECT_EQ(editor->windowTitle(), "Slidewright - " + path);
    EXPECT_FALSE(editor->state().modified);
    const MovieDoc& doc = movie;
    EXPECT_EQ(doc.frames[1].pictureFile, "SW001.bmp");
    EXPECT_EQ(doc.frames[1].waitMs, 3000);
    EXPECT_EQ(doc.frames[2].pictureFile, "写真２.bmp");
    EXPECT_EQ(doc.frames[2].soundFile, "chime.wav");
    EXPECT_EQ(doc.advanceMode, 1);
    EXPECT_EQ(doc.loopFlag, 1);
    EXPECT_EQ(doc.loopWaitSeconds, 7);
    EXPECT_EQ(doc.packageFolder, scratch.path() + "/");
    EXPECT_TRUE(editor->rows()->optJidou[1]->isChecked());
    EXPECT_EQ(editor->rows()->txtLoop->text(), "7");
    EXPECT_TRUE(QFile::exists(workFile("写真２.bmp")));
    EXPECT_FALSE(editor->rows()->picDat[1]->picture().isNull());
    EXPECT_EQ(editor->rows()->txtSound[1]->text(), "chime.wav");
}

TEST_F(EditorFiles, OverwriteSaveAfterSaveAsNeedsNoDialog) {
    makeMovie();
    const QString path = package("movie.sdw");
    FileDialogs::setNextFileName(path);
    ASSERT_TRUE(editor->mnuFUwaSave_Click()) << "no package yet: save as";
    movie.frames[1].waitMs = 9000;
    editor->rows()->DrawFrameRows(1);
    ASSERT_TRUE(editor->mnuFUwaSave_Click());
    EXPECT_FALSE(editor->state().modified);
    EXPECT_EQ(editor->windowTitle(), "Slidewright - " + path);
}

TEST_F(EditorFiles, CancelledSaveAsChangesNothing) {
    makeMovie();
    FileDialogs::setNextFileName(QString());
    EXPECT_FALSE(editor->mnuFBetuSave_Click());
    EXPECT_TRUE(editor->state().modified);
    EXPECT_EQ(editor->windowTitle(), "Slidewright - 新規ファイル");
}

TEST_F(EditorFiles, AFailedSaveLeavesTheEarlierPackageIntact) {
    makeMovie();
    const QString path = package("keep.sdw");
    FileDialogs::setNextFileName(path);
    ASSERT_TRUE(editor->mnuFBetuSave_Click());
    const QByteArray before = readFile(path);
    ASSERT_FALSE(before.isEmpty());

    editor->rows()->DrawFrameRows(1);
    QFile::remove(workFile("写真２.bmp"));
    EXPECT_FALSE(editor->mnuFUwaSave_Click());
    EXPECT_EQ(boxTexts(), std::vector<QString>{"保存するファイルが存在しません"});
    EXPECT_EQ(readFile(path), before);
    EXPECT_TRUE(editor->state().modified);
    EXPECT_TRUE(editor->isEnabled());
    EXPECT_FALSE(editor->rows()->picBar->isVisible());
    // No temporary package is left beside it.
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.sdw"});
}

TEST_F(EditorFiles, CloseAnsweredYesWithAFailingSaveStaysOpen) {
    makeMovie();
    const QString path = package("close.sdw");
    FileDialogs::setNextFileName(path);
    ASSERT_TRUE(editor->mnuFBetuSave_Click());
    editor->rows()->DrawFrameRows(1);
    QFile::remove(workFile("SW001.bmp"));
    MessageBox::setNextAnswer(Answer::Yes);
    MessageBox::setNextAnswer(Answer::Ok);
    EXPECT_FALSE(editor->close());
    EXPECT_TRUE(endCodes.empty());
    EXPECT_TRUE(movie.frames[2].inUse);
    EXPECT_TRUE(QFile::exists(workFile("写真２.bmp")));
}

TEST_F(EditorFiles, CloseAnsweredYesSavesThenEnds) {
    makeMovie();
    const QString path = package("closed.sdw");
    FileDialogs::setNextFileName(path);
    MessageBox::setNextAnswer(Answer::Yes);
    EXPECT_TRUE(editor->close());
    EXPECT_EQ(endCodes.size(), 1u);
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(EditorFiles, SavingAGapOrNothingStopsBeforeWriting) {
    FileDialogs::setNextFileName(package("empty.sdw"));
    EXPECT_FALSE(editor->mnuFUwaSave_Click());
    EXPECT_EQ(boxTexts(), std::vector<QString>{"表示するデータがありません"});
    EXPECT_FALSE(QFile::exists(package("empty.sdw")));
    MessageBox::clearShownBoxes();
    addFrame(1, "a.bmp", Qt::red);
    addFrame(3, "c.bmp", Qt::blue);
    FileDialogs::setNextFileName(package("gap.sdw"));
    EXPECT_FALSE(editor->mnuFUwaSave_Click());
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_TRUE(
        MessageBox::shownBoxes()[0].text.startsWith("表示するデータの途中に空きがあります"));
    EXPECT_FALSE(QFile::exists(package("gap.sdw")));
}

TEST_F(EditorFiles, NewAsksEvenWhenNothingChangedAndNoKeepsTheMovie) {
    addFrame(1, "a.bmp", Qt::red);
    MessageBox::setNextAnswer(Answer::No);
    editor->mnuNew_Click();
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_EQ(MessageBox::shownBoxes()[0].text,
              "現在作成中のデータが全てクリアされますが宜しいですか？");
    EXPECT_TRUE(movie.frames[1].inUse);
    EXPECT_TRUE(QFile::exists(workFile("a.bmp")));
}

TEST_F(EditorFiles, OpenWithChangesAnsweredNoShowsNoDialog) {
    makeMovie();
    MessageBox::setNextAnswer(Answer::No);
    FileDialogs::setNextFileName(package("never.sdw"));
    editor->mnuFOpen_Click();
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_EQ(MessageBox::shownBoxes()[0].text, "編集中のデータを破棄しても宜しいですか？");
    EXPECT_TRUE(movie.frames[2].inUse);
}

TEST_F(EditorFiles, OpeningABrokenPackageKeepsTheEditorWithANewMovie) {
    makeMovie();
    const QString path = package("broken.sdw");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not an archive at all");
    file.close();
    editor->state().modified = false;
    MessageBox::setAutoAnswer(true);
    FileDialogs::setNextFileName(path);
    editor->mnuFOpen_Click();
    EXPECT_TRUE(endCodes.empty());
    EXPECT_EQ(boxTexts(), std::vector<QString>{"ファイルが不正です"});
    EXPECT_EQ(editor->windowTitle(), "Slidewright - 新規ファイル");
    EXPECT_FALSE(movie.frames[1].inUse);
    EXPECT_TRUE(movie.packagePath.isEmpty());
}

TEST_F(EditorFiles, StartsOnThePackageNamedOnTheCommandLine) {
    addFrame(1, "first.bmp", Qt::yellow, 2000);
    editor->rows()->DrawFrameRows(1);
    const QString path = package("start.sdw");
    FileDialogs::setNextFileName(path);
    ASSERT_TRUE(editor->mnuFBetuSave_Click());
    delete editor.data();
    clearWorkFolder();

    movie = MovieDoc();
    CommandLine::set('"' + path + '"');
    editor = new frmMaker(context());
    editor->Form_Load();
    editor->show();
    ASSERT_TRUE(waitUntil([&] { return !editor->tmrEnd->isActive(); }));
    EXPECT_EQ(editor->windowTitle(), "Slidewright - " + path);
    EXPECT_TRUE(editor->state().modified) << "the start-up open redraws the rows";
    EXPECT_EQ(movie.frames[1].pictureFile, "first.bmp");
    EXPECT_EQ(movie.frames[1].waitMs, 2000);
    EXPECT_FALSE(editor->rows()->picDat[0]->picture().isNull());
}

TEST_F(EditorFiles, AMissingCommandLinePackageEndsTheProgram) {
    delete editor.data();
    movie = MovieDoc();
    CommandLine::set(package("gone.sdw"));
    MessageBox::setAutoAnswer(true);
    editor = new frmMaker(context());
    editor->Form_Load();
    EXPECT_EQ(boxTexts(), std::vector<QString>{"ファイルが不正です"});
    EXPECT_EQ(endCodes.size(), 1u);
}

}  // namespace
