// The editor in a work folder among the user's own files, beside a second
// editor, and opening packages built to hurt: it deletes and replaces only
// what it put there itself, and weighs a package before unpacking it.
#include "EditorFixture.h"

#include "editor/frames/FrameRows.h"
#include "moviefile/ExtractionCheck.h"
#include "moviefile/MovieMessages.h"
#include "settings/SettingsFile.h"
#include "tests/archiver/lha_test_support.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

#include <sys/statvfs.h>

namespace {

const QString kHostile = QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/hostile-packages/");

// Every name the editor once cleared by: both letter cases, hidden, a
// link to a picture elsewhere.
const std::vector<std::pair<QString, QByteArray>> kUsersFiles = {
    {"holiday.bmp", "holiday"}, {"SCAN.BMP", "scan"}, {".thumb.bmp", "thumb"},
    {"voice.wav", "voice"},     {"song.mid", "song"}, {"SONG2.MID", "song 2"},
};

// What a folder holds besides the editor's own lock, record and scratch.
QStringList usersView(const QString& folder) {
    QStringList names = entriesOf(folder);
    names.removeIf([](const QString& name) { return name.startsWith(u".slidewright"); });
    return names;
}

QByteArray oneFrameScript(const QByteArray& picture, const QByteArray& version = "03.01") {
    return "VER," + version + "\r\nMAX,1\r\nLOOP,0\r\nJIDOU,0\r\nLOOPWAIT,10\r\nOPTEND,START\r\n" +
           "NAME,001," + picture + "\r\nWAIT,001,1000\r\nSOUND,001,\r\nEND,END,END\r\n";
}

enum class Place { UsersFolder, Home, SettingsFolder };

// An editor whose settings file names a work folder that already holds the
// user's own pictures and sounds.
class AmongUsersFiles : public EditorTest, public ::testing::WithParamInterface<Place> {
protected:
    void prepare() override {
        const QString places[] = {scratch.filePath("photos"), QDir::homePath(),
                                  QFileInfo(SettingsFile::SettingsFilePath()).absolutePath()};
        usersFolder = places[static_cast<int>(GetParam())];
        for (const auto& [name, bytes] : kUsersFiles) {
            writeFile(usersFolder + u'/' + name, bytes);
        }
        ASSERT_TRUE(
            QFile::link(scratchFile("elsewhere.bmp", "elsewhere"), usersFolder + "/link.bmp"));
        settingsText = "[SAGYOU]," + usersFolder.toUtf8() + "\r\n";
        writeFile(SettingsFile::SettingsFilePath(), settingsText);
    }

    void expectUsersFilesIntact() const {
        for (const auto& [name, bytes] : kUsersFiles) {
            EXPECT_EQ(readFile(usersFolder + u'/' + name), bytes) << name.toStdString();
        }
        EXPECT_TRUE(QFileInfo(usersFolder + QStringLiteral("/link.bmp")).isSymLink());
        EXPECT_EQ(readFile(scratch.filePath("elsewhere.bmp")), "elsewhere");
    }

    QString usersFolder;
    QByteArray settingsText;
};

TEST_P(AmongUsersFiles, TheEditorRemovesOnlyWhatItPutThere) {
    // A folder of the user's may serve; home and the settings folder never.
    const QString expected =
        GetParam() == Place::UsersFolder ? usersFolder : SettingsFile::DefaultWorkFolder();
    EXPECT_EQ(workFolder(), expected);

    addFrame(1, "SW001.bmp", Qt::red, 1000, "chime.wav", "RIFF chime");
    editor->rows()->DrawFrameRows(1);
    const QString package = scratch.filePath("movie.sdw");
    ASSERT_TRUE(saveAs(package));

    // New, then open: the editor's files go and come back, the user's stay.
    MessageBox::setNextAnswer(MessageBox::Answer::Yes);
    editor->mnuNew_Click();
    EXPECT_FALSE(QFileInfo::exists(expected + QStringLiteral("/SW001.bmp")));
    expectUsersFilesIntact();
    open(package);
    ASSERT_TRUE(movie.frames[1].inUse);
    EXPECT_TRUE(editor->workFiles().owns("SW001.bmp"));
    expectUsersFilesIntact();
    EXPECT_EQ(readFile(SettingsFile::SettingsFilePath()), settingsText)
        << "reading the script left it alone";

    MessageBox::setNextAnswer(MessageBox::Answer::No);
    ASSERT_TRUE(editor->close());
    EXPECT_EQ(endCodes, std::vector<int>{0});
    expectUsersFilesIntact();
    EXPECT_EQ(usersView(expected).filter("SW001"), QStringList());
    EXPECT_EQ(usersView(expected).filter("chime"), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Folders, AmongUsersFiles,
                         ::testing::Values(Place::UsersFolder, Place::Home, Place::SettingsFolder));

// The work folder is a folder of the user's, holding a SW001.bmp of theirs.
class UsersWorkFolder : public EditorTest {
protected:
    void prepare() override {
        work = scratch.filePath("photos");
        writeFile(work + QStringLiteral("/SW001.bmp"), "the user's SW001");
        writeFile(SettingsFile::SettingsFilePath(), "[SAGYOU]," + work.toUtf8() + "\r\n");
    }

    QString work;
};

TEST_F(UsersWorkFolder, APackageNeverReplacesOrStandsInForTheUsersFile) {
    QTemporaryDir source;
    writePicture(source.filePath("SW001.bmp"), Qt::blue);
    writePicture(source.filePath("other.bmp"), Qt::green);

    // A package holding a SW001.bmp of its own: refused, named.
    const QString holding = scratch.filePath("holding.sdw");
    makePackage(holding, source.path(), oneFrameScript("SW001.bmp"), {"SW001.bmp"});
    EXPECT_FALSE(editor->OpenPackageInEditor(holding));
    EXPECT_EQ(boxes(), std::vector{boxOf(MovieMessage::WorkFileInTheWay, "SW001.bmp")});

    // A package whose script names SW001.bmp without holding it: the file
    // in the work folder must not pass for the package's picture.
    MessageBox::clearShownBoxes();
    const QString lacking = scratch.filePath("lacking.sdw");
    makePackage(lacking, source.path(), oneFrameScript("SW001.bmp"), {"other.bmp"});
    EXPECT_FALSE(editor->OpenPackageInEditor(lacking));
    EXPECT_EQ(boxes(), std::vector{boxOf(MovieMessage::InvalidPackage02)});
    EXPECT_FALSE(movie.frames[1].inUse);
    EXPECT_EQ(readFile(work + QStringLiteral("/SW001.bmp")), "the user's SW001");
    EXPECT_EQ(usersView(work), QStringList{"SW001.bmp"});
    EXPECT_TRUE(endCodes.empty()) << "the editor carries on";
}

TEST_F(EditorTest, ASecondEditorOnTheSameWorkFolderIsRefusedAndTouchesNothing) {
    addFrame(1, "a.bmp", Qt::red);
    const QString first = workFolder();
    {
        AppSettings secondSettings;
        WorkFolderSession secondFiles;
        frmMaker second({movie, secondSettings, secondFiles});
        second.Form_Load();
        EXPECT_EQ(endCodes, std::vector<int>{1});
        EXPECT_EQ(boxes(), std::vector{boxOf(MovieMessage::WorkFolderInUse, first)});
        second.close();
    }
    EXPECT_TRUE(QFileInfo::exists(first + QStringLiteral("/a.bmp")));
    EXPECT_TRUE(editor->workFiles().owns("a.bmp"));
}

class NewerPackageOnTheCommandLine : public EditorTest {
protected:
    void prepare() override {
        QTemporaryDir source;
        writePicture(source.filePath("a.bmp"), Qt::red);
        package = scratch.filePath("newer.sdw");
        makePackage(package, source.path(), oneFrameScript("a.bmp", "04.00"), {"a.bmp"});
    }
    QString commandLine() const override { return package; }

    QString package;
};

TEST_F(NewerPackageOnTheCommandLine, ItsVersionIsToldOnce) {
    editor->tmrEnd_Timer();
    ASSERT_TRUE(movie.frames[1].inUse);
    const auto shown = boxes();
    EXPECT_EQ(std::count(shown.begin(), shown.end(), boxOf(MovieMessage::NewerVersion)), 1);
}

// Each package opens in a moment and leaves nothing behind in the work
// folder: what a failed unpacking wrote goes with it.
TEST_F(EditorTest, HostilePackagesAreRefusedBeforeTheyAreUnpacked) {
    // Members that together declare twice what this disk holds, each under
    // the member limit: other programs may free space meanwhile.
    struct statvfs disk {};
    ASSERT_EQ(::statvfs(QFile::encodeName(workFolder()).constData(), &disk), 0);
    const std::uint64_t room = std::uint64_t{disk.f_bavail} * disk.f_frsize;
    const std::uint32_t each = 250u << 20;
    std::vector<lhatest::HandMember> members{
        {"Slidewright.ini", oneFrameScript("n0000.bmp").toStdString()}};
    for (std::uint64_t i = 0; i <= 2 * room / each + 1; ++i) {
        lhatest::HandMember member{
            QStringLiteral("n%1.bmp").arg(i, 4, 10, QChar(u'0')).toStdString(), "B"};
        member.declaredLength = each;
        members.push_back(member);
    }
    const QString full = scratch.filePath("fills-the-disk.sdw");
    lhatest::writeFile(full.toStdString(), lhatest::handArchive(members));

    const struct {
        QString package;
        MovieMessage message;
    } cases[] = {
        {kHostile + QStringLiteral("zeros-2gb.sdw"), MovieMessage::MemberTooLarge},
        {kHostile + QStringLiteral("pixel-bomb.sdw"), MovieMessage::PictureTooLarge},
        {full, MovieMessage::NotEnoughSpace},
        {kHostile + QStringLiteral("folder-member.sdw"), MovieMessage::InvalidPackage02},
        {kHostile + QStringLiteral("crc-damage.sdw"), MovieMessage::InvalidPackage02},
    };
    for (const auto& hostile : cases) {
        SCOPED_TRACE(hostile.package.toStdString());
        MessageBox::clearShownBoxes();
        EXPECT_FALSE(editor->OpenPackageInEditor(hostile.package));
        ASSERT_EQ(MessageBox::shownBoxes().size(), 1u);
        const auto box = MovieMessages::of(hostile.message);
        EXPECT_TRUE(MessageBox::shownBoxes()[0].text.startsWith(box.text.section(u'\r', 0, 0)))
            << MessageBox::shownBoxes()[0].text.toStdString();
        EXPECT_EQ(MessageBox::shownBoxes()[0].title, box.title);
        EXPECT_TRUE(usersView(workFolder()).isEmpty())
            << usersView(workFolder()).join(u' ').toStdString();
        EXPECT_EQ(entriesOf(editor->workFiles().scratchFolder()), QStringList());
        EXPECT_FALSE(movie.frames[1].inUse);
        EXPECT_TRUE(endCodes.empty());
    }
}

}  // namespace
