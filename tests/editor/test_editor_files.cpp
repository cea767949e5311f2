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

#include <tuple>

namespace {

using Answer = MessageBox::Answer;

// What another LHA tool lists of a package.
QString listedBy(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(20000));
    return QString::fromUtf8(process.readAllStandardOutput());
}

class EditorFiles : public EditorTest {
protected:
    QString package(const char* name) const { return scratch.filePath(QString::fromUtf8(name)); }

    void makeMovie() {
        addFrame(1, "SW001.bmp", Qt::red, 3000);
        addFrame(2, "写真２.bmp", Qt::green, 1500, "chime.wav", QByteArray(2048, 'w'));
        editor->rows()->DrawFrameRows(1);
        editor->rows()->selectAdvanceMode(1);
        editor->rows()->chkLoop->setChecked(true);
        editor->rows()->txtLoop->setText("7");
    }
};

TEST_F(EditorFiles, SaveAsThenOpenRestoresTheMovie) {
    makeMovie();
    const QString path = package("動画 one.sdw");
    ASSERT_TRUE(saveAs(path));
    EXPECT_EQ(editor->windowTitle(), "Slidewright - " + path);
    EXPECT_FALSE(editor->state().modified);
    EXPECT_EQ(movie.packagePath, path);
    EXPECT_FALSE(QFile::exists(workFile("Slidewright.ini")));
    EXPECT_TRUE(QFile::exists(workFile("SW001.bmp"))) << "the work folder keeps its files";

    // Other tools read what we wrote.
    const QString lhasa = listedBy("lhasa", {"l", path});
    for (const char* member : {"Slidewright.ini", "SW001.bmp", "chime.wav"}) {
        EXPECT_TRUE(lhasa.contains(member)) << member;
    }
    EXPECT_TRUE(listedBy("7zz", {"l", path}).contains("SW001.bmp"));

    MessageBox::setNextAnswer(Answer::Yes);
    editor->mnuNew_Click();
    EXPECT_EQ(editor->windowTitle(), "Slidewright - 新規ファイル");
    EXPECT_FALSE(movie.frames[1].inUse);
    EXPECT_FALSE(QFile::exists(workFile("SW001.bmp")));

    open(path);
    EXPECT_EQ(editor->windowTitle(), "Slidewright - " + path);
    EXPECT_FALSE(editor->state().modified);
    EXPECT_EQ(frameAt(1), fields({true, "SW001.bmp", 3000, {}}));
    EXPECT_EQ(frameAt(2), fields({true, "写真２.bmp", 1500, "chime.wav"}));
    EXPECT_EQ(std::tuple(movie.advanceMode, movie.loopFlag, movie.loopWaitSeconds),
              std::tuple(1, 1, 7));
    EXPECT_EQ(movie.packageFolder, scratch.path() + "/");
    EXPECT_TRUE(editor->rows()->optJidou[1]->isChecked());
    EXPECT_EQ(editor->rows()->txtLoop->text(), "7");
    EXPECT_TRUE(QFile::exists(workFile("写真２.bmp")));
    EXPECT_FALSE(editor->rows()->picDat[1]->picture().isNull());
    EXPECT_EQ(editor->rows()->txtSound[1]->text(), "chime.wav");
}

TEST_F(EditorFiles, CancelledSaveAsChangesNothingThenOverwriteNeedsNoDialog) {
    makeMovie();
    EXPECT_FALSE(saveAs(QString()));
    EXPECT_TRUE(editor->state().modified);
    EXPECT_EQ(editor->windowTitle(), "Slidewright - 新規ファイル");

    const QString path = package("movie.sdw");
    FileDialogs::setNextFileName(path);
    ASSERT_TRUE(editor->mnuFUwaSave_Click()) << "no package yet: save as";
    movie.frames[1].waitMs = 9000;
    editor->rows()->DrawFrameRows(1);
    ASSERT_TRUE(editor->mnuFUwaSave_Click());
    EXPECT_FALSE(editor->state().modified);
    EXPECT_EQ(editor->windowTitle(), "Slidewright - " + path);
}

// A failed save, by the menu or on closing, keeps the earlier package and
// the editor's movie, and leaves no temporary package beside it.
TEST_F(EditorFiles, AFailedSaveLeavesTheEarlierPackageAndTheEditorOpen) {
    makeMovie();
    const QString path = package("keep.sdw");
    ASSERT_TRUE(saveAs(path));
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
    EXPECT_EQ(QDir(scratch.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.sdw"});

    MessageBox::setNextAnswer(Answer::Yes);
    MessageBox::setNextAnswer(Answer::Ok);
    EXPECT_FALSE(editor->close());
    EXPECT_TRUE(endCodes.empty());
    EXPECT_TRUE(movie.frames[1].inUse);
    EXPECT_TRUE(QFile::exists(workFile("SW001.bmp")));
    EXPECT_EQ(readFile(path), before);
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
    MessageBox::clearShownBoxes();
    addFrame(1, "a.bmp", Qt::red);
    addFrame(3, "c.bmp", Qt::blue);
    FileDialogs::setNextFileName(package("gap.sdw"));
    EXPECT_FALSE(editor->mnuFUwaSave_Click());
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_TRUE(
        MessageBox::shownBoxes()[0].text.startsWith("表示するデータの途中に空きがあります"));
    EXPECT_TRUE(QDir(scratch.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

// New asks even when nothing changed; Open asks only after a change. A
// No keeps the movie and shows no file dialog.
TEST_F(EditorFiles, NewAndOpenAnsweredNoKeepTheMovie) {
    addFrame(1, "a.bmp", Qt::red);
    MessageBox::setNextAnswer(Answer::No);
    editor->mnuNew_Click();
    editor->rows()->DrawFrameRows(1);
    MessageBox::setNextAnswer(Answer::No);
    open(package("never.sdw"));
    EXPECT_EQ(boxTexts(),
              (std::vector<QString>{"現在作成中のデータが全てクリアされますが宜しいですか？",
                                    "編集中のデータを破棄しても宜しいですか？"}));
    EXPECT_TRUE(FileDialogs::askedDialogs().empty());
    EXPECT_TRUE(movie.frames[1].inUse);
    EXPECT_TRUE(QFile::exists(workFile("a.bmp")));
}

TEST_F(EditorFiles, OpeningABrokenPackageKeepsTheEditorWithANewMovie) {
    makeMovie();
    const QString path = package("broken.sdw");
    writeFile(path, "this is not an archive at all");
    editor->state().modified = false;
    open(path);
    EXPECT_TRUE(endCodes.empty());
    EXPECT_EQ(boxTexts(), std::vector<QString>{"ファイルが不正です"});
    EXPECT_EQ(editor->windowTitle(), "Slidewright - 新規ファイル");
    EXPECT_FALSE(movie.frames[1].inUse);
    EXPECT_TRUE(movie.packagePath.isEmpty());
}

TEST_F(EditorFiles, StartsOnThePackageNamedOnTheCommandLineOrEndsWithoutIt) {
    addFrame(1, "first.bmp", Qt::yellow, 2000);
    editor->rows()->DrawFrameRows(1);
    const QString path = package("start.sdw");
    ASSERT_TRUE(saveAs(path));
    auto restart = [&](const QString& commandLine) {
        delete editor.data();
        clearWorkFolder();
        movie = MovieDoc();
        MessageBox::clearShownBoxes();
        CommandLine::set(commandLine);
        editor = new frmMaker(context());
        editor->Form_Load();
    };

    restart('"' + path + '"');
    editor->show();
    ASSERT_TRUE(waitUntil([&] { return !editor->tmrEnd->isActive(); }));
    EXPECT_EQ(editor->windowTitle(), "Slidewright - " + path);
    EXPECT_TRUE(editor->state().modified) << "the start-up open redraws the rows";
    EXPECT_EQ(frameAt(1), fields({true, "first.bmp", 2000, {}}));
    EXPECT_FALSE(editor->rows()->picDat[0]->picture().isNull());
    EXPECT_TRUE(endCodes.empty());

    restart(package("gone.sdw"));
    EXPECT_EQ(boxTexts(), std::vector<QString>{"ファイルが不正です"});
    EXPECT_EQ(endCodes.size(), 1u);
}

}  // namespace
