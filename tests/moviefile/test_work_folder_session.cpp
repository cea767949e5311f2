// The editor's hold on a work folder that may hold the user's own files:
// what a killed editor leaves is cleared by the next, by record, and
// nothing of the user's is ever deleted or replaced.
#include "WholeFiles.h"
#include "moviefile/WorkFolderSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <functional>

namespace {

// Runs `body` in a child process that is then killed, as an editor dies.
void runAndKill(const std::function<void()>& body) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        body();
        ::kill(::getpid(), SIGKILL);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child got through";
}

// Brings a file into the session as the editor does.
bool bringIn(WorkFolderSession& session, const QString& name, const QByteArray& bytes) {
    const QString written = session.scratchFolder() + u'/' + name;
    QFile file(written);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        return false;
    }
    file.close();
    return session.adopt(written, name);
}

class WorkFolderSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        folder = root.filePath(QStringLiteral("work"));
        // Every pattern the editor once cleared by, hidden files and a link
        // to a file elsewhere included.
        users = {
            {QStringLiteral("holiday.bmp"), "holiday"}, {QStringLiteral("SCAN.BMP"), "scan"},
            {QStringLiteral(".thumb.bmp"), "thumb"},    {QStringLiteral("voice.wav"), "voice"},
            {QStringLiteral("song.mid"), "song"},       {QStringLiteral("SONG2.MID"), "song 2"},
        };
        for (auto it = users.begin(); it != users.end(); ++it) {
            writeFile(path(it.key()), it.value());
        }
        writeFile(root.filePath(QStringLiteral("elsewhere.bmp")), "elsewhere");
        ASSERT_TRUE(QFile::link(root.filePath(QStringLiteral("elsewhere.bmp")),
                                path(QStringLiteral("link.bmp"))));
    }

    QString path(const QString& name) const { return folder + u'/' + name; }

    void expectUsersFilesIntact() const {
        for (auto it = users.begin(); it != users.end(); ++it) {
            EXPECT_EQ(readFile(path(it.key())), it.value()) << it.key().toStdString();
        }
        EXPECT_TRUE(QFileInfo(path(QStringLiteral("link.bmp"))).isSymLink());
        EXPECT_EQ(readFile(root.filePath(QStringLiteral("elsewhere.bmp"))), "elsewhere");
    }

    // What the folder holds of the program's own: lock, record, scratch.
    QStringList housekeeping() const {
        return entries(folder).filter(QStringLiteral(".slidewright"));
    }

    QTemporaryDir root;
    QString folder;
    QMap<QString, QByteArray> users;
};

TEST_F(WorkFolderSessionTest, AKilledEditorsFilesGoAtTheNextStartAndNothingElse) {
    runAndKill([this] {
        WorkFolderSession dying;
        if (dying.open(folder) != WorkFolderSession::OpenResult::Opened) {
            ::_exit(1);
        }
        // A long session: its record has seen far more than it holds.
        for (int i = 0; i < 15000; ++i) {
            if (!bringIn(dying, QStringLiteral("churn.bmp"), "churn")) {
                ::_exit(1);
            }
            dying.remove(QStringLiteral("churn.bmp"));
        }
        if (!bringIn(dying, QStringLiteral("SW001.bmp"), "capture 1") ||
            !bringIn(dying, QStringLiteral("SW002.bmp"), "capture 2") ||
            !bringIn(dying, QStringLiteral("chime.wav"), "chime")) {
            ::_exit(1);
        }
        writeFile(dying.scratchFolder() + QStringLiteral("/half a copy"), "half");
    });
    ASSERT_EQ(readFile(path(QStringLiteral("SW001.bmp"))), "capture 1");
    // After the editor died, the user saved a file of their own under one
    // of its names: that one is no longer the program's.
    writeFile(path(QStringLiteral("SW002.bmp.new")), "the user's own");
    ASSERT_TRUE(::rename(QFile::encodeName(path(QStringLiteral("SW002.bmp.new"))).constData(),
                         QFile::encodeName(path(QStringLiteral("SW002.bmp"))).constData()) == 0);

    WorkFolderSession next;
    ASSERT_EQ(next.open(folder), WorkFolderSession::OpenResult::Opened)
        << "the dead editor's lock is taken over";
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("SW001.bmp"))));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("chime.wav"))));
    EXPECT_EQ(readFile(path(QStringLiteral("SW002.bmp"))), "the user's own");
    expectUsersFilesIntact();

    ASSERT_TRUE(bringIn(next, QStringLiteral("SW001.bmp"), "mine"));
    next.close();
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("SW001.bmp"))));
    EXPECT_EQ(readFile(path(QStringLiteral("SW002.bmp"))), "the user's own");
    expectUsersFilesIntact();
    EXPECT_TRUE(housekeeping().isEmpty()) << housekeeping().join(u' ').toStdString();
}

TEST_F(WorkFolderSessionTest, OneEditorAtATimeAndNeverOverTheUsersFiles) {
    WorkFolderSession first;
    ASSERT_EQ(first.open(folder), WorkFolderSession::OpenResult::Opened);
    ASSERT_TRUE(bringIn(first, QStringLiteral("a.bmp"), "first's"));

    WorkFolderSession second;
    EXPECT_EQ(second.open(folder), WorkFolderSession::OpenResult::InUse);
    second.close();
    second.removeAll();
    EXPECT_EQ(readFile(path(QStringLiteral("a.bmp"))), "first's") << "the second touched nothing";

    // A name the user already has is refused, replacing or not; the file
    // on its way in stays where it was.
    const QString incoming = first.scratchFolder() + QStringLiteral("/incoming");
    writeFile(incoming, "incoming");
    for (const bool replace : {false, true}) {
        EXPECT_FALSE(first.adopt(incoming, QStringLiteral("holiday.bmp"), replace));
        EXPECT_FALSE(first.adopt(incoming, QStringLiteral("link.bmp"), replace));
    }
    EXPECT_TRUE(first.isTakenByOthers(QStringLiteral("holiday.bmp")));
    EXPECT_EQ(readFile(incoming), "incoming");
    expectUsersFilesIntact();

    // Its own file is replaced only when asked to.
    EXPECT_FALSE(first.adopt(incoming, QStringLiteral("a.bmp")));
    EXPECT_TRUE(first.adopt(incoming, QStringLiteral("a.bmp"), true));
    EXPECT_EQ(readFile(path(QStringLiteral("a.bmp"))), "incoming");
    EXPECT_TRUE(first.owns(QStringLiteral("a.bmp")));

    QStringList others = WorkFolderSession::othersEntries(folder);
    others.sort();
    EXPECT_EQ(others, (QStringList{".thumb.bmp", "SCAN.BMP", "SONG2.MID", "holiday.bmp", "link.bmp",
                                   "song.mid", "voice.wav"}));
    first.close();
    expectUsersFilesIntact();
}

}  // namespace
