#include "WholeFiles.h"
#include "moviefile/AFrameReel.h"
#include "moviefile/CommandLine.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <csignal>

namespace {

const QString kProbe = QStringLiteral(SLIDEWRIGHT_BINARY_DIR "/bin/work_folder_probe");

struct ProbeRun {
    QString folder;
    QString box;
    int exitCode = -1;
    bool crashed = false;
    bool folderExistedWhileRunning = false;
};

// The rest of the probe's line that starts with `key` and a blank.
QString valueOf(const QString& output, const QString& key) {
    return QRegularExpression(u'^' + key + QStringLiteral(" (.*)$"),
                              QRegularExpression::MultilineOption)
        .match(output)
        .captured(1);
}

ProbeRun runProbe(const QStringList& arguments, int signalToSend = 0) {
    QProcess probe;
    probe.start(kProbe, arguments);
    EXPECT_TRUE(probe.waitForStarted());
    ProbeRun run;
    QString output;
    // The folder, printed before "waiting", is looked at while the probe lives.
    if (signalToSend != 0) {
        while (!output.contains(QStringLiteral("waiting")) && probe.waitForReadyRead(10000)) {
            output += QString::fromUtf8(probe.readAllStandardOutput());
        }
        run.folderExistedWhileRunning =
            QFileInfo(valueOf(output, QStringLiteral("folder"))).isDir();
        ::kill(static_cast<pid_t>(probe.processId()), signalToSend);
    }
    EXPECT_TRUE(probe.waitForFinished(10000));
    output += QString::fromUtf8(probe.readAllStandardOutput());
    run.folder = valueOf(output, QStringLiteral("folder"));
    run.box = valueOf(output, QStringLiteral("box"));
    run.exitCode = probe.exitCode();
    run.crashed = probe.exitStatus() == QProcess::CrashExit;
    return run;
}

QStringList privateFolders() {
    return QDir(QDir::tempPath())
        .entryList({QStringLiteral("slidewright-run-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
}

TEST(PrivateWorkFolder, GoneAfterTheProgramEndsHoweverItEnds) {
    QTemporaryDir movies;
    const QString missing = movies.filePath(QStringLiteral("missing.sdw"));
    const QString garbage = movies.filePath(QStringLiteral("garbage.sdw"));
    writeFile(garbage, "not an archive");

    // Ended, returned from main, and the fatal "ファイルが不正です" of a package
    // that is missing and of one whose script cannot be read.
    const struct {
        QStringList arguments;
        int exitCode;
        QString box;
    } ways[] = {{{QStringLiteral("end")}, 0, {}},
                {{QStringLiteral("return")}, 0, {}},
                {{QStringLiteral("end"), missing}, 1, QStringLiteral("異常終了")},
                {{QStringLiteral("script"), garbage, kArchiver}, 1, QStringLiteral("実行エラー")}};
    for (const auto& way : ways) {
        const ProbeRun run = runProbe(way.arguments);
        EXPECT_EQ(run.exitCode, way.exitCode) << way.arguments.join(u' ').toStdString();
        EXPECT_EQ(run.box, way.box);
        ASSERT_FALSE(run.folder.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(run.folder));
    }
    for (int number : {SIGTERM, SIGINT}) {
        const ProbeRun signalled = runProbe({QStringLiteral("signal")}, number);
        EXPECT_TRUE(signalled.folderExistedWhileRunning);
        EXPECT_FALSE(signalled.crashed);
        EXPECT_EQ(signalled.exitCode, 128 + number);
        ASSERT_FALSE(signalled.folder.isEmpty());
        EXPECT_FALSE(QFileInfo::exists(signalled.folder));
    }
    EXPECT_TRUE(privateFolders().isEmpty()) << privateFolders().join(u' ').toStdString();
}

// A killed run's folder is cleared at the next start; a live run's is not.
TEST(PrivateWorkFolder, AKilledRunsFolderIsClearedAtTheNextStart) {
    const ProbeRun killed = runProbe({QStringLiteral("killed")});
    EXPECT_TRUE(killed.crashed);
    ASSERT_FALSE(killed.folder.isEmpty());
    ASSERT_TRUE(QFileInfo(killed.folder).isDir());

    // A live run's folder, a folder naming this process with another start
    // time (its id was reused), and things that merely look alike.
    const auto mine = WorkFolder::privateFolder();
    ASSERT_TRUE(mine);
    // This run's own: one per run, under TMPDIR, for this user alone.
    EXPECT_EQ(WorkFolder::privateFolder(), mine);
    EXPECT_EQ(QFileInfo(*mine).absolutePath(), QDir(QDir::tempPath()).absolutePath());
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(*mine).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    writeFile(*mine + QStringLiteral("/SW001.bmp"));
    const QDir temp(QDir::tempPath());
    const QString reused = QStringLiteral("slidewright-run-%1-1-abcdef").arg(::getpid());
    const QString foreign = QStringLiteral("slidewright-run-notes");
    ASSERT_TRUE(temp.mkdir(reused));
    ASSERT_TRUE(temp.mkdir(foreign));

    const ProbeRun next = runProbe({QStringLiteral("end")});
    EXPECT_EQ(next.exitCode, 0);
    EXPECT_FALSE(QFileInfo::exists(killed.folder));
    EXPECT_FALSE(temp.exists(reused));
    EXPECT_TRUE(QFileInfo(*mine).isDir());
    EXPECT_TRUE(temp.exists(foreign));
    WorkFolder::removePrivateFolder();
    EXPECT_FALSE(QFileInfo::exists(*mine));
    temp.rmdir(foreign);
}

// The quotes and the package folder are MovieDoc::setPackagePath's.
TEST(PrepareWorkAndPackage, MakesThePlayersFolderAndTakesTheCommandLine) {
    QTemporaryDir movies;
    const QString package = movies.filePath(QStringLiteral("demo.sdw"));
    writeFile(package);

    CommandLine::set(u'"' + package + u'"');
    MovieDoc doc;
    EXPECT_EQ(AFrameReel::PrepareWorkAndPackage(doc), MovieMessage::None);
    EXPECT_EQ(doc.packagePath, package);
    EXPECT_TRUE(WorkFolder::privateFolder().has_value());

    CommandLine::set(QString());
    EXPECT_EQ(AFrameReel::PrepareWorkAndPackage(doc), MovieMessage::None);
    EXPECT_TRUE(doc.packagePath.isEmpty());
    EXPECT_EQ(doc.packageFolder, AFrameReel::DefaultFolder() + u'/');

    CommandLine::set(movies.filePath(QStringLiteral("none.sdw")));
    EXPECT_EQ(AFrameReel::PrepareWorkAndPackage(doc), MovieMessage::InvalidPackage);
    WorkFolder::removePrivateFolder();
}

}  // namespace
