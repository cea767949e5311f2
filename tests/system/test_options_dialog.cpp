// The options dialog over real folders and the real association, in the
// throw-away HOME and XDG folders this test runs in; boxes and folder
// pickers are answered through their test hooks.
#include "system/frmOption.h"

#include "common/MessageBox.h"
#include "moviefile/WorkFolderSession.h"
#include "settings/AppSettings.h"
#include "system/MDIALOG_SAN.h"
#include "system/MKakucyoSet.h"
#include "tests/WindowChecks.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <csignal>

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed) {
    QByteArray bytes(size, 0);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        << path.toStdString();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file directly in `folder`, hidden ones too, with its bytes; with
// `userOnly`, without the program's own lock and record.
QMap<QString, QByteArray> contents(const QString& folder, bool userOnly = false) {
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!userOnly || !name.startsWith(QStringLiteral(".slidewright"))) {
            files.insert(name, readFile(dir.filePath(name)));
        }
    }
    return files;
}

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        oldWork = scratch.filePath(QStringLiteral("BMP"));
        newWork = scratch.filePath(QStringLiteral("作業 新"));
        saveFolder = scratch.filePath(QStringLiteral("movies"));
        for (const QString& folder : {oldWork, newWork, saveFolder}) {
            ASSERT_TRUE(QDir().mkpath(folder));
        }
        // The editor's pictures and sounds, and two files of the user's.
        ASSERT_EQ(session.open(oldWork), WorkFolderSession::OpenResult::Opened);
        for (auto it = files.begin(); it != files.end(); ++it) {
            const QString from = session.scratchFolder() + u'/' + it.key();
            writeFile(from, it.value());
            if (isMovieFile(it.key())) {
                ASSERT_TRUE(session.adopt(from, it.key()));
            } else {
                ASSERT_TRUE(QFile::rename(from, oldWork + u'/' + it.key()));
            }
        }
        settings.workFolder = oldWork;
        settings.saveFolder = saveFolder;
        settings.captureDelay = 3;
        before = settings;
        MessageBox::clearShownBoxes();
        // A box no test expected is recorded, never left waiting.
        MessageBox::setAutoAnswer(true);
        MDIALOG_SAN::clearShownDialogs();
    }

    void TearDown() override {
        MessageBox::setAutoAnswer(false);
        session.close();
        MessageBox::clearShownBoxes();
        MDIALOG_SAN::clearShownDialogs();
    }

    static bool isMovieFile(const QString& name) {
        return QStringList{QStringLiteral(".bmp"), QStringLiteral(".wav"), QStringLiteral(".mid")}
            .contains(name.right(4), Qt::CaseInsensitive);
    }

    QTemporaryDir scratch;
    WorkFolderSession session;
    QString oldWork;
    QString newWork;
    QString saveFolder;
    // A work folder as the editor leaves it: pictures named the Windows way
    // and ours, one larger than a copy chunk, and sounds and stray files.
    const QMap<QString, QByteArray> files{
        {QStringLiteral("SW001.bmp"), randomBytes(70000, 1)},
        {QStringLiteral("PHOTO.BMP"), randomBytes(3 * 1024 * 1024 + 17, 2)},
        {QStringLiteral("写真 2.Bmp"), randomBytes(54, 3)},
        {QStringLiteral("empty.bmp"), QByteArray()},
        {QStringLiteral("voice.wav"), randomBytes(4000, 4)},
        {QStringLiteral("tune.MID"), randomBytes(300, 5)},
        {QStringLiteral("notes.txt"), QByteArrayLiteral("not a picture")},
        {QStringLiteral("bmp"), QByteArrayLiteral("no suffix")},
    };
    AppSettings settings;
    AppSettings before;
};

TEST_F(OptionsDialog, ShowsTheFoldersInAWellFormedFixedDialog) {
    frmOption dialog(settings, session);
    dialog.show();
    EXPECT_TRUE(dialog.isModal());
    EXPECT_EQ(dialog.txtSagyou->text(), oldWork);
    EXPECT_EQ(dialog.txtHozon->text(), saveFolder);
    WindowChecks::expectWellFormed(&dialog);
}

// A new work folder takes the movie's files along, all or nothing: a file
// that cannot be moved keeps the old folder, and OK works once there is room.
TEST_F(OptionsDialog, OkWithANewWorkFolderTakesTheMoviesFilesAlongOrNone) {
    frmOption dialog(settings, session);
    dialog.show();
    dialog.txtSagyou->setText(newWork + u'/');
    // A file-size limit below PHOTO.BMP's 3 MB, as a full disk would.
    const auto ignored = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = 1 << 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, ignored);

    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
    EXPECT_EQ(MessageBox::shownBoxes()[0].text,
              OptionTexts::kPicturesNotMoved + QStringLiteral("PHOTO.BMP"));
    EXPECT_EQ(settings, before);
    EXPECT_EQ(session.folder(), oldWork);
    EXPECT_EQ(contents(oldWork, true), files);
    EXPECT_TRUE(contents(newWork).isEmpty()) << "the copies made are gone again";

    MessageBox::clearShownBoxes();
    QTest::mouseClick(dialog.OKButton, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(MessageBox::shownBoxes().empty());
    before.workFolder = newWork + u'/';  // taken exactly as typed
    EXPECT_EQ(settings, before);
    EXPECT_EQ(session.folder(), newWork) << "the editor's files are looked for there now";

    for (auto it = files.begin(); it != files.end(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        const QString moved = newWork + u'/' + it.key();
        const QString stayed = oldWork + u'/' + it.key();
        if (isMovieFile(it.key())) {
            EXPECT_EQ(readFile(moved), it.value()) << "pictures and sounds alike";
            EXPECT_FALSE(QFileInfo::exists(stayed));
            EXPECT_TRUE(session.owns(it.key()));
        } else {
            EXPECT_EQ(readFile(stayed), it.value()) << "the user's files stay";
            EXPECT_FALSE(QFileInfo::exists(moved));
        }
    }
    EXPECT_TRUE(QDir(oldWork)
                    .entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot)
                    .filter(QStringLiteral(".slidewright"))
                    .isEmpty())
        << "the old folder is left without the program's lock and record";
}

// A new save folder, or the same work folder spelled otherwise, is taken
// exactly as typed and moves nothing.
TEST_F(OptionsDialog, TheSameWorkFolderOrANewSaveFolderMovesNothing) {
    const QString otherSave = scratch.filePath(QStringLiteral("elsewhere/"));
    ASSERT_TRUE(QDir().mkpath(otherSave));
    const QString link = scratch.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(oldWork, link));
    for (const auto& [work, save] : {std::pair{oldWork, otherSave},
                                     {oldWork + u'/', saveFolder},
                                     {newWork + QStringLiteral("/../BMP"), saveFolder},
                                     {link, saveFolder},
                                     {link + u'/', saveFolder}}) {
        SCOPED_TRACE((work + u' ' + save).toStdString());
        settings = before;
        frmOption dialog(settings, session);
        dialog.txtSagyou->setText(work);
        dialog.txtHozon->setText(save);
        dialog.OKButton_Click();

        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(std::pair(settings.workFolder, settings.saveFolder), std::pair(work, save));
        EXPECT_EQ(contents(oldWork, true), files) << "not one picture lost";
        EXPECT_TRUE(contents(newWork, true).isEmpty());
        EXPECT_EQ(session.folder(), oldWork);
    }
}

TEST_F(OptionsDialog, FoldersThatAreMissingOrNotTheProgramsOwnAreRefused) {
    const QString settingsFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
        QStringLiteral("/slidewright");
    ASSERT_TRUE(QDir().mkpath(settingsFolder));
    const QString usersFolder = scratch.filePath(QStringLiteral("photos"));
    ASSERT_TRUE(QDir().mkpath(usersFolder));
    writeFile(usersFolder + QStringLiteral("/.thumb.bmp"), QByteArrayLiteral("the user's"));
    const QString busyFolder = scratch.filePath(QStringLiteral("busy"));
    ASSERT_TRUE(QDir().mkpath(busyFolder));
    WorkFolderSession otherEditor;
    ASSERT_EQ(otherEditor.open(busyFolder), WorkFolderSession::OpenResult::Opened);

    const QString missing =
        QStringLiteral("フォルダ指定が異常です\n存在するフォルダを指定して下さい");
    const QString aFile = oldWork + QStringLiteral("/SW001.bmp");  // a file is no folder
    QLineEdit* frmOption::*const save = &frmOption::txtHozon;
    const struct {
        QString folder;
        QString message;
        QLineEdit* frmOption::*box = &frmOption::txtSagyou;
    } cases[] = {
        {QString(), missing},
        {scratch.filePath(QStringLiteral("gone")), missing},
        {aFile, missing},
        {QString(), missing, save},
        {aFile, missing, save},
        // The save folder may not become the work folder either.
        {oldWork, OptionTexts::kSaveFolderRefused, save},
        {QDir::homePath(), OptionTexts::kHomeRefused},
        {QDir::homePath() + QStringLiteral("/./"), OptionTexts::kHomeRefused},
        {QStringLiteral("/"), OptionTexts::kRootRefused},
        {settingsFolder, OptionTexts::kSettingsFolderRefused},
        {saveFolder, OptionTexts::kSaveFolderRefused},
        {usersFolder, OptionTexts::kOthersFilesRefused + QStringLiteral(".thumb.bmp")},
        {busyFolder, OptionTexts::kInUseRefused},
    };
    for (const auto& refused : cases) {
        SCOPED_TRACE(refused.folder.toStdString());
        MessageBox::clearShownBoxes();
        frmOption dialog(settings, session);
        dialog.show();
        (dialog.*refused.box)->setText(refused.folder);
        QTest::mouseClick(dialog.OKButton, Qt::LeftButton);

        EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open";
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
        EXPECT_EQ(MessageBox::shownBoxes()[0].text, refused.message);
        EXPECT_EQ(settings, before);
        EXPECT_EQ(session.folder(), oldWork);
        EXPECT_EQ(contents(oldWork, true), files);
    }
    EXPECT_EQ(readFile(usersFolder + QStringLiteral("/.thumb.bmp")), "the user's");
}

// The browse buttons fill their boxes unless the picker is cancelled, each
// picker starting where its box points; Cancel and Escape then change
// nothing, and Enter is OK.
TEST_F(OptionsDialog, BrowseFillsTheBoxesCancelAndEscapeChangeNothingEnterIsOk) {
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        MDIALOG_SAN::clearShownDialogs();
        frmOption dialog(settings, session);
        dialog.open();
        for (const QString& picked : {newWork, QString()}) {
            MDIALOG_SAN::setNextFolder(picked);
            QTest::mouseClick(dialog.cmdSagyou, Qt::LeftButton);
        }
        dialog.txtHozon->setText(QStringLiteral("typed by hand"));
        MDIALOG_SAN::setNextFolder(QString());
        QTest::mouseClick(dialog.cmdHozon, Qt::LeftButton);
        EXPECT_EQ(dialog.txtHozon->text(), QStringLiteral("typed by hand"));
        MDIALOG_SAN::setNextFolder(newWork);
        QTest::mouseClick(dialog.cmdHozon, Qt::LeftButton);
        EXPECT_EQ(std::pair(dialog.txtSagyou->text(), dialog.txtHozon->text()),
                  std::pair(newWork, newWork));
        const std::vector<MDIALOG_SAN::Shown>& shown = MDIALOG_SAN::shownDialogs();
        ASSERT_EQ(shown.size(), 4u);
        EXPECT_EQ(shown[0].startFolder, oldWork);
        EXPECT_EQ(shown[2].startFolder, QStringLiteral("typed by hand"));

        if (escape) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            QTest::mouseClick(dialog.CancelButton, Qt::LeftButton);
        }
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_EQ(settings, before);
        EXPECT_EQ(session.folder(), oldWork);
        EXPECT_EQ(contents(oldWork, true), files);
        EXPECT_TRUE(contents(newWork, true).isEmpty());
    }
    frmOption dialog(settings, session);
    dialog.open();
    dialog.txtSagyou->setText(newWork);
    QTest::keyClick(dialog.txtSagyou, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(settings.workFolder, newWork);
}

}  // namespace
