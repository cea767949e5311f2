// The options dialog over real folders and the real association, in the
// throw-away HOME and XDG folders this test runs in; boxes and folder
// pickers are answered through their test hooks. The association buttons:
// each answer to their questions, and what the desktop then sees. The folder
// picker itself: Qt's own dialog with the caller's title when nothing is
// scripted.
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
#include <QFileDialog>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <csignal>

using namespace Qt::StringLiterals;

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
        if (!userOnly || !name.startsWith(u".slidewright"_s)) {
            files.insert(name, readFile(dir.filePath(name)));
        }
    }
    return files;
}

class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        oldWork = scratch.filePath(u"BMP"_s);
        newWork = scratch.filePath(u"作業 新"_s);
        saveFolder = scratch.filePath(u"movies"_s);
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
        return QStringList{u".bmp"_s, u".wav"_s, u".mid"_s}.contains(name.right(4),
                                                                     Qt::CaseInsensitive);
    }

    QTemporaryDir scratch;
    WorkFolderSession session;
    QString oldWork;
    QString newWork;
    QString saveFolder;
    // A work folder as the editor leaves it: pictures named the Windows way
    // and ours, one larger than a copy chunk, and sounds and stray files.
    const QMap<QString, QByteArray> files{
        {u"SW001.bmp"_s, randomBytes(70000, 1)},
        {u"PHOTO.BMP"_s, randomBytes(3 * 1024 * 1024 + 17, 2)},
        {u"写真 2.Bmp"_s, randomBytes(54, 3)},
        {u"empty.bmp"_s, QByteArray()},
        {u"voice.wav"_s, randomBytes(4000, 4)},
        {u"tune.MID"_s, randomBytes(300, 5)},
        {u"notes.txt"_s, QByteArrayLiteral("not a picture")},
        {u"bmp"_s, QByteArrayLiteral("no suffix")},
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
    EXPECT_EQ(MessageBox::shownBoxes()[0].text, OptionTexts::kPicturesNotMoved + u"PHOTO.BMP"_s);
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
                    .filter(u".slidewright"_s)
                    .isEmpty())
        << "the old folder is left without the program's lock and record";
}

// A new save folder, or the same work folder spelled otherwise, is taken
// exactly as typed and moves nothing.
TEST_F(OptionsDialog, TheSameWorkFolderOrANewSaveFolderMovesNothing) {
    const QString otherSave = scratch.filePath(u"elsewhere/"_s);
    ASSERT_TRUE(QDir().mkpath(otherSave));
    const QString link = scratch.filePath(u"link"_s);
    ASSERT_TRUE(QFile::link(oldWork, link));
    for (const auto& [work, save] : {std::pair{oldWork, otherSave},
                                     {oldWork + u'/', saveFolder},
                                     {newWork + u"/../BMP"_s, saveFolder},
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
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u"/slidewright"_s;
    ASSERT_TRUE(QDir().mkpath(settingsFolder));
    const QString usersFolder = scratch.filePath(u"photos"_s);
    ASSERT_TRUE(QDir().mkpath(usersFolder));
    writeFile(usersFolder + u"/.thumb.bmp"_s, QByteArrayLiteral("the user's"));
    const QString busyFolder = scratch.filePath(u"busy"_s);
    ASSERT_TRUE(QDir().mkpath(busyFolder));
    WorkFolderSession otherEditor;
    ASSERT_EQ(otherEditor.open(busyFolder), WorkFolderSession::OpenResult::Opened);

    const QString missing = u"フォルダ指定が異常です\n存在するフォルダを指定して下さい"_s;
    const QString aFile = oldWork + u"/SW001.bmp"_s;  // a file is no folder
    QLineEdit* frmOption::*const save = &frmOption::txtHozon;
    const struct {
        QString folder;
        QString message;
        QLineEdit* frmOption::*box = &frmOption::txtSagyou;
    } cases[] = {
        {QString(), missing},
        {scratch.filePath(u"gone"_s), missing},
        {aFile, missing},
        {QString(), missing, save},
        {aFile, missing, save},
        // The save folder may not become the work folder either.
        {oldWork, OptionTexts::kSaveFolderRefused, save},
        {QDir::homePath(), OptionTexts::kHomeRefused},
        {QDir::homePath() + u"/./"_s, OptionTexts::kHomeRefused},
        {u"/"_s, OptionTexts::kRootRefused},
        {settingsFolder, OptionTexts::kSettingsFolderRefused},
        {saveFolder, OptionTexts::kSaveFolderRefused},
        {usersFolder, OptionTexts::kOthersFilesRefused + u".thumb.bmp"_s},
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
    EXPECT_EQ(readFile(usersFolder + u"/.thumb.bmp"_s), "the user's");
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
        dialog.txtHozon->setText(u"typed by hand"_s);
        MDIALOG_SAN::setNextFolder(QString());
        QTest::mouseClick(dialog.cmdHozon, Qt::LeftButton);
        EXPECT_EQ(dialog.txtHozon->text(), u"typed by hand"_s);
        MDIALOG_SAN::setNextFolder(newWork);
        QTest::mouseClick(dialog.cmdHozon, Qt::LeftButton);
        EXPECT_EQ(std::pair(dialog.txtSagyou->text(), dialog.txtHozon->text()),
                  std::pair(newWork, newWork));
        const std::vector<MDIALOG_SAN::Shown>& shown = MDIALOG_SAN::shownDialogs();
        ASSERT_EQ(shown.size(), 4u);
        EXPECT_EQ(shown[0].startFolder, oldWork);
        EXPECT_EQ(shown[2].startFolder, u"typed by hand"_s);

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

// Answers the modal picker that the call below opens, once it shows.
void answerPicker(QObject* scope, const QString& expectedStart, const QString& choice) {
    auto* poll = new QTimer(scope);
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        poll->stop();
        EXPECT_EQ(dialog->windowTitle(), MDIALOG_SAN::kWorkFolderTitle);
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(expectedStart).canonicalPath());
        if (choice.isEmpty()) {
            dialog->reject();
        } else {
            // Into the folder, then Choose: what a user does.
            dialog->setDirectory(choice);
            static_cast<QDialog*>(dialog)->accept();
        }
    });
    poll->start(10);
}

TEST(FolderBrowse, QtsOwnDialogReturnsTheChosenFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath(u"作業 BMP"_s));
    const QString chosen = root.path() + u"/作業 BMP"_s;
    for (const QString& choice : {chosen, QString()}) {
        QObject scope;
        answerPicker(&scope, root.path(), choice);
        EXPECT_EQ(MDIALOG_SAN::BrowseForFolder(nullptr, MDIALOG_SAN::kWorkFolderTitle, root.path())
                      .toStdString(),
                  choice.toStdString());
    }
}

using MessageBox::Answer;

QString defaultApplication() {
    QProcess process;
    process.start(u"xdg-mime"_s, {u"query"_s, u"default"_s, MKakucyoSet::kMimeType});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

class OptionsAssociation : public ::testing::Test {
protected:
    void SetUp() override {
        dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
        configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        ASSERT_TRUE(dataHome.startsWith(qEnvironmentVariable("HOME").section(u'/', 0, -2)))
            << "runs only in a throw-away HOME";
        MessageBox::clearShownBoxes();
        dialog.show();
    }

    void TearDown() override {
        MessageBox::clearShownBoxes();
        MKakucyoSet::UnregisterFileType(MKakucyoSet::kExtension, MKakucyoSet::kTypeName,
                                        MKakucyoSet::kDescription, {}, 0, {});
    }

    bool registered() const {
        return QFileInfo::exists(dataHome + u"/mime/packages/slidewright.xml"_s) &&
               QFileInfo::exists(dataHome + u"/applications/slidewright.desktop"_s);
    }

    void click(QPushButton* button, Answer answer) {
        MessageBox::clearShownBoxes();
        MessageBox::setNextAnswer(answer);
        if (answer == Answer::Yes) {
            MessageBox::setNextAnswer(Answer::Ok);
        }
        QTest::mouseClick(button, Qt::LeftButton);
    }

    // The boxes' texts tell which question and outcome they were.
    static QStringList boxTexts() {
        QStringList texts;
        for (const auto& box : MessageBox::shownBoxes()) {
            texts << box.text;
        }
        return texts;
    }

    AppSettings settings{.workFolder = QDir::tempPath(), .saveFolder = QDir::tempPath()};
    WorkFolderSession files;
    frmOption dialog{settings, files};
    QString dataHome;
    QString configHome;
};

TEST_F(OptionsAssociation, EachButtonAsksAndActsOnlyOnYes) {
    using namespace MKakucyoSet;
    click(dialog.cmdSet, Answer::No);
    EXPECT_EQ(boxTexts(), QStringList{kAskRegister});
    EXPECT_FALSE(registered());
    EXPECT_EQ(defaultApplication(), QString());

    // Twice: registering again is a success too.
    for (int round = 0; round < 2; ++round) {
        click(dialog.cmdSet, Answer::Yes);
        EXPECT_EQ(boxTexts(), QStringList({kAskRegister, kRegistered}));
        EXPECT_TRUE(registered());
        EXPECT_EQ(defaultApplication(), kDesktopEntryFile);
    }
    // The entry starts the running program.
    QFile entry(dataHome + u"/applications/"_s + kDesktopEntryFile);
    EXPECT_TRUE(
        entry.open(QIODevice::ReadOnly) &&
        entry.readAll().contains(execLine(QCoreApplication::applicationFilePath()).toUtf8()));

    click(dialog.cmdDel, Answer::No);
    EXPECT_EQ(boxTexts(), QStringList{kAskUnregister});
    EXPECT_TRUE(registered());
    // Twice: nothing left to remove is still a success.
    for (int round = 0; round < 2; ++round) {
        click(dialog.cmdDel, Answer::Yes);
        EXPECT_EQ(boxTexts(), QStringList({kAskUnregister, kUnregistered}));
        EXPECT_FALSE(registered());
        EXPECT_EQ(defaultApplication(), QString());
    }
    EXPECT_TRUE(dialog.isVisible()) << "the buttons act at once and leave the dialog open";
}

TEST_F(OptionsAssociation, FailuresAreReported) {
    // Root writes anywhere, so a file stands where the MIME folder goes.
    QDir(dataHome + u"/mime"_s).removeRecursively();
    ASSERT_TRUE(QFile(dataHome + u"/mime"_s).open(QIODevice::WriteOnly));
    click(dialog.cmdSet, Answer::Yes);
    EXPECT_EQ(boxTexts().value(1), MKakucyoSet::kRegisterFailed);
    QFile::remove(dataHome + u"/mime"_s);

    // A folder where the list of default applications should be cannot be
    // read or rewritten.
    ASSERT_TRUE(QDir().mkpath(configHome + u"/mimeapps.list"_s));
    click(dialog.cmdDel, Answer::Yes);
    EXPECT_EQ(boxTexts().value(1), MKakucyoSet::kUnregisterFailed);
    QDir(configHome + u"/mimeapps.list"_s).removeRecursively();

    EXPECT_EQ(settings.workFolder, QDir::tempPath()) << "no folder setting is touched";
}

}  // namespace
