// The settings file: defaults, every reading rule, the eight written lines,
// and writes that cannot happen.
#include "common/NumericText.h"
#include "settings/AppSettings.h"
#include "settings/SettingsFile.h"
#include "tests/moviefile/WholeFiles.h"

#include <gtest/gtest.h>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <future>

namespace {

// Whether what is at `path`, not following a link, is a FIFO.
bool isFifo(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
}

// Each test gets its own HOME and XDG folders inside a fresh folder.
class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        home = root.filePath(QStringLiteral("home"));
        config = root.filePath(QStringLiteral("config"));
        data = root.filePath(QStringLiteral("data"));
        QDir().mkpath(home);
        saved = {qgetenv("HOME"), qgetenv("XDG_CONFIG_HOME"), qgetenv("XDG_DATA_HOME")};
        qputenv("HOME", home.toUtf8());
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        qputenv("XDG_DATA_HOME", data.toUtf8());
    }
    void TearDown() override {
        qputenv("HOME", saved[0]);
        qputenv("XDG_CONFIG_HOME", saved[1]);
        qputenv("XDG_DATA_HOME", saved[2]);
    }

    QString settingsPath() const { return config + QStringLiteral("/slidewright/Slidewright.ini"); }
    void writeSettings(const QByteArray& text) { writeFile(settingsPath(), text); }

    // What ReadSettings makes of `text`, starting from capture values of 0.
    AppSettings readText(const QByteArray& text) {
        writeSettings(text);
        AppSettings settings;
        SettingsFile::ReadSettings(settings);
        return settings;
    }

    AppSettings defaults() const {
        AppSettings settings;
        settings.workFolder = data + QStringLiteral("/slidewright/BMP");
        settings.saveFolder = home;
        return settings;
    }

    QTemporaryDir root;
    QString home, config, data;
    std::array<QByteArray, 3> saved;
};

TEST_F(SettingsFileTest, NoFileGivesDefaultsInTheXdgFolders) {
    AppSettings settings;
    settings.windowTop = 5;
    settings.workFolder = QStringLiteral("/elsewhere");
    settings.captureDelay = 7;  // not reset: the capture options keep their values
    SettingsFile::ReadSettings(settings);
    AppSettings expected = defaults();  // the home folder: no documents folder yet
    expected.captureDelay = 7;
    EXPECT_EQ(SettingsFile::SettingsText(settings).toStdString(),
              SettingsFile::SettingsText(expected).toStdString());
    EXPECT_FALSE(QFile::exists(settingsPath()));

    QDir().mkpath(home + "/Documents");
    SettingsFile::ReadSettings(settings);
    EXPECT_EQ(settings.saveFolder, home + "/Documents");
    EXPECT_EQ(SettingsFile::SettingsFilePath(), settingsPath());

    // The default work folder is made on request, an existing one no error.
    const QString work = data + "/slidewright/BMP";
    EXPECT_FALSE(QFileInfo(work).isDir());
    EXPECT_TRUE(SettingsFile::CreateDefaultWorkFolder());
    EXPECT_TRUE(QFileInfo(work).isDir());
    EXPECT_TRUE(SettingsFile::CreateDefaultWorkFolder());

    // A data folder that is a regular file: the folder cannot be made.
    writeFile(root.filePath("plain"), "x");
    qputenv("XDG_DATA_HOME", root.filePath("plain").toUtf8());
    EXPECT_FALSE(SettingsFile::CreateDefaultWorkFolder());
}

// The eight lines, byte for byte, and every field read back as written.
TEST_F(SettingsFileTest, WritesExactlyTheEightLinesAndReadsThemBack) {
    const QString work = root.filePath("作業, with a comma");
    const QString save = root.filePath("保存 folder");
    QDir().mkpath(work);
    QDir().mkpath(save);
    const AppSettings written{1200, -2400, work, save, 2, 3, 1, 1};
    ASSERT_TRUE(SettingsFile::WriteSettings(written));
    EXPECT_EQ(readFile(settingsPath()),
              "[TOP   ],1200\r\n[LEFT  ],-2400\r\n[SAGYOU]," + work.toUtf8() + "\r\n[HOZON ]," +
                  save.toUtf8() + "\r\n[COLOR ],2\r\n[TIMER ],3\r\n[RENZOK],1\r\n[ACTIVE],1\r\n");
    AppSettings read;
    SettingsFile::ReadSettings(read);
    EXPECT_EQ(read, written);

    // Writing again replaces the whole file, even with shorter values; a
    // folder with a line break is not written, the home folder is.
    AppSettings shorter = written;
    shorter.workFolder = defaults().workFolder;
    shorter.saveFolder = root.filePath("two\nlines");
    ASSERT_TRUE(SettingsFile::WriteSettings(shorter));
    shorter.saveFolder = home;
    EXPECT_EQ(readFile(settingsPath()), SettingsFile::SettingsText(shorter));
}

// The cases of tests/data/settings-reading-rules, as expected.txt there says.
TEST_F(SettingsFileTest, EachReadingRule) {
    const QString cases =
        QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/settings-reading-rules/");
    int count = 0;
    for (const QByteArray& line : readFile(cases + "expected.txt").split('\n')) {
        const QList<QByteArray> field = line.split('\t');
        if (line.startsWith('#') || field.size() < 2) {
            continue;
        }
        ++count;
        const QByteArray written = SettingsFile::SettingsText(readText(readFile(cases + field[0])));
        for (const QByteArray& want : field.mid(1)) {
            EXPECT_TRUE(written.contains(want + "\r\n"))
                << field[0].constData() << " leaves no " << want.constData();
        }
    }
    EXPECT_EQ(count, 19);
    // -1000 is "not set": the editor centres itself as without a value.
    EXPECT_EQ(readText("[TOP   ],-1000\r\n[LEFT  ],-1000\r\n"), defaults());
}

TEST_F(SettingsFileTest, FolderTakenOnlyWhenItExists) {
    const QString existing = root.filePath("movies");
    QDir().mkpath(existing);
    AppSettings settings = readText(
        ("[SAGYOU]," + root.filePath("gone") + "\r\n[HOZON ]," + existing + "\r\n").toUtf8());
    EXPECT_EQ(settings.workFolder, defaults().workFolder);
    EXPECT_EQ(settings.saveFolder, existing);

    // A regular file, an empty value or a relative name is not a folder to use.
    writeFile(root.filePath("plain"), "x");
    EXPECT_EQ(readText(("[SAGYOU]," + root.filePath("plain") + "\r\n").toUtf8()).workFolder,
              defaults().workFolder);
    EXPECT_EQ(readText("[SAGYOU],\r\n").workFolder, defaults().workFolder);
    EXPECT_EQ(readText("[HOZON ],home\r\n").saveFolder, defaults().saveFolder);

    // A later missing folder does not undo an earlier one that exists.
    settings = readText(
        ("[HOZON ]," + existing + "\r\n[HOZON ]," + root.filePath("gone") + "\r\n").toUtf8());
    EXPECT_EQ(settings.saveFolder, existing);
}

TEST_F(SettingsFileTest, UnreadableOrHugeFileLeavesDefaults) {
    // Far beyond any settings file: not ours, so not read at all.
    EXPECT_EQ(readText("[TIMER ],4\r\n" + QByteArray(2 << 20, 'x')), defaults());
    QFile::remove(settingsPath());
    QDir().mkpath(settingsPath());  // a folder where the file should be
    AppSettings settings;
    SettingsFile::ReadSettings(settings);
    EXPECT_EQ(settings, defaults());
}

// Writes that cannot happen fail and leave what was there.
TEST_F(SettingsFileTest, WritesThatCannotHappenFailCleanly) {
    // The configuration folder lies under a regular file: no folder can be
    // made there, not even by root.
    writeFile(root.filePath("plain"), "x");
    qputenv("XDG_CONFIG_HOME", root.filePath("plain/config").toUtf8());
    EXPECT_FALSE(SettingsFile::WriteSettings(defaults()));
    EXPECT_EQ(readFile(root.filePath("plain")), "x");

    // A folder where the file should be cannot be replaced.
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    QDir().mkpath(settingsPath());
    EXPECT_FALSE(SettingsFile::WriteSettings(defaults()));
    EXPECT_TRUE(QFileInfo(settingsPath()).isDir());
    QDir().rmdir(settingsPath());

    // A disk that fills after a few bytes keeps the earlier file.
    const QByteArray earlier = "[TOP   ],1\r\n[LEFT  ],2\r\n[TIMER ],3\r\n";
    writeSettings(earlier);
    // The file size limit makes every write past it fail, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    rlimit tiny = original;
    tiny.rlim_cur = 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool written = SettingsFile::WriteSettings(defaults());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &original), 0);
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile(settingsPath()), earlier);
    // No half-written temporary file is left beside it.
    EXPECT_EQ(QDir(config + "/slidewright").entryList(QDir::Files), QStringList{"Slidewright.ini"});
}

TEST_F(SettingsFileTest, ALinkIsWrittenThroughOnlyToAPlainFile) {
    const QString dotfiles = root.filePath(QStringLiteral("dotfiles"));
    QDir().mkpath(dotfiles);
    QDir().mkpath(config + QStringLiteral("/slidewright"));
    const QString fifo = dotfiles + QStringLiteral("/fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    writeFile(dotfiles + QStringLiteral("/Slidewright.ini"), "[TIMER ],4\r\n");
    const struct {
        QString target;  // where the link leads
        bool written;
    } cases[] = {
        {dotfiles + QStringLiteral("/Slidewright.ini"), true},
        {fifo, false},
        {dotfiles, false},
        {dotfiles + QStringLiteral("/gone.ini"), false},
    };
    for (const auto& link : cases) {
        SCOPED_TRACE(link.target.toStdString());
        QFile::remove(settingsPath());
        ASSERT_TRUE(QFile::link(link.target, settingsPath()));
        EXPECT_EQ(SettingsFile::WriteSettings(defaults()), link.written);
        EXPECT_EQ(QFileInfo(settingsPath()).symLinkTarget(), link.target) << "the link stays";
    }
    EXPECT_EQ(readFile(dotfiles + QStringLiteral("/Slidewright.ini")),
              SettingsFile::SettingsText(defaults()));
    EXPECT_TRUE(isFifo(fifo)) << "what the link leads to is no file to replace";
    EXPECT_FALSE(QFileInfo::exists(dotfiles + QStringLiteral("/gone.ini")));
}

TEST_F(SettingsFileTest, AFifoInTheFilesPlaceReadsAsNoFile) {
    QDir().mkpath(config + QStringLiteral("/slidewright"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(settingsPath()).constData(), 0600), 0);
    // Opening a FIFO to read waits for a writer: were the reader to wait,
    // this test would give it one after a while, and fail.
    auto reading = std::async(std::launch::async, [] {
        AppSettings settings;
        SettingsFile::ReadSettings(settings);
        return settings;
    });
    if (reading.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ADD_FAILURE() << "reading the settings waits on the FIFO";
        const int writer = ::open(QFile::encodeName(settingsPath()).constData(), O_WRONLY);
        ::close(writer);
    }
    EXPECT_EQ(reading.get(), defaults());
    EXPECT_FALSE(SettingsFile::WriteSettings(defaults()));
    EXPECT_TRUE(isFifo(settingsPath()));
}

TEST(NumericText, LeadingNumber) {
    using NumericText::LeadingNumber;
    const std::pair<const char16_t*, double> cases[] = {
        {u".5", 0.5}, {u"ab", 0.0},   {u"1a", 1.0}, {u"-5", -5.0}, {u"  2.25x", 2.25}, {u"3.", 3.0},
        {u"2e", 2.0}, {u"2e-1", 0.2}, {u"-", 0.0},  {u".", 0.0},   {u"1e-999", 0.0}};
    for (const auto& [text, value] : cases) {
        EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << QString::fromUtf16(text).toStdString();
    }
    EXPECT_TRUE(std::isinf(LeadingNumber(u"-1e999")));
    EXPECT_EQ(NumericText::RoundToInt16(-0.5), std::int16_t{0});
    EXPECT_EQ(NumericText::RoundToInt32(2.5), 2);
    EXPECT_FALSE(NumericText::RoundToInt16(32768));
}

}  // namespace
