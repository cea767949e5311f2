#include "WholeFiles.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieScript.h"
#include "moviefile/WorkFolder.h"
#include "player/FrameLoader.h"
#include "tests/archiver/lha_test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace MovieScript;

namespace {

class PackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(ArchiverLibrary::load(kArchiver));
        for (const char* name : {"source", "work", "movies"}) {
            ASSERT_TRUE(QDir(root.path()).mkdir(QString::fromLatin1(name)));
        }
    }

    // Frame k as the player shows it: taken from the package first, unless
    // previewing the editor's own files.
    FramePicture frame(int k, bool preview = false) const {
        return FrameLoader::LoadFramePicture(movie, work(), preview, k);
    }

    QString source() const { return root.filePath(QStringLiteral("source")); }
    QString work() const { return root.filePath(QStringLiteral("work")); }
    QString workFile(const QString& name) const { return QDir(work()).filePath(name); }
    // A package's script, read into a fresh movie as the player or the editor reads it.
    ReadResult readScript(ScriptMode mode, const QString& archive) {
        movie = MovieDoc();
        movie.packagePath = archive;
        return ReadPackageScript(archive, work(), mode, movie);
    }
    QString package(const QString& name = QStringLiteral("movie.sdw")) const {
        return root.filePath(QStringLiteral("movies/") + name);
    }

    // A picture of one colour, saved as a BMP file.
    static void savePicture(const QString& path, int width, int height, QRgb colour) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(path, "BMP")) << path.toStdString();
    }

    // A three-frame movie in the source folder: pictures, one sound and
    // the script that names them, as the editor would leave it.
    void writeMovie(const QStringList& pictures, const QString& sound) {
        movie.resetFrames(MovieDoc::kEditorSlots);
        const QRgb colours[] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200)};
        for (int k = 1; k <= pictures.size(); ++k) {
            savePicture(QDir(source()).filePath(pictures[k - 1]), 30 + 10 * k, 20 + k,
                        colours[(k - 1) % 3]);
            movie.frames[k] =
                FrameEntry{true, pictures[k - 1], 1000 * k, k == 2 ? sound : QString()};
        }
        writeFile(QDir(source()).filePath(sound), "RIFF\x24\0\0\0WAVEfmt a sound");
        ASSERT_TRUE(WriteMovieScript(movie, static_cast<int>(pictures.size()), source(),
                                     {true, 2, QStringLiteral("3")}));
    }

    // Packs files of the source folder with jlha, under their bare names,
    // in CP932 as packages made on Windows hold them.
    void packWithJlha(const QString& archive, const QStringList& names) const {
        std::vector<std::string> argv{"jlha", "a", archive.toStdString()};
        for (const QString& name : names) {
            argv.push_back(name.toStdString());
        }
        const auto packed =
            lhatest::runTool(argv, source().toStdString(),
                             {"LC_ALL=C.UTF-8", "JAVA_TOOL_OPTIONS=-Dlha.encoding=Windows-31J"});
        ASSERT_EQ(packed.status, 0) << packed.output;
    }

    QTemporaryDir root;
    MovieDoc movie;
};

// A package jlha made as on Windows: the player takes it frame by frame,
// the editor takes all its files.
TEST_F(PackageTest, JlhaPackageOpensInThePlayerAndInTheEditor) {
    const QStringList pictures = {QStringLiteral("SW001.bmp"), QStringLiteral("表紙.BMP"),
                                  QStringLiteral("SW003, photo.bmp")};
    writeMovie(pictures, QStringLiteral("tune.mid"));
    packWithJlha(package(), QStringList{kScriptName} + pictures + QStringList{"tune.mid"});

    const ReadResult read = readScript(ForPlayer, package());
    ASSERT_TRUE(read.ok()) << static_cast<int>(read.problem);
    EXPECT_EQ(
        std::tuple(movie.frameCount, movie.lastSlot(), movie.advanceMode, movie.loopWaitSeconds),
        std::tuple(3, 3, 2, 3));
    EXPECT_TRUE(entries(work()).isEmpty()) << "the script is deleted once read";
    for (int k = 1; k <= 3; ++k) {
        const FramePicture shown = frame(k);
        ASSERT_TRUE(shown.ok()) << k;
        EXPECT_EQ(shown.image.size(), QSize(30 + 10 * k, 20 + k)) << k;
        // The picture is gone once on screen; the sound stays to be played.
        EXPECT_FALSE(QFileInfo::exists(workFile(pictures[k - 1]))) << k;
        if (k == 2) {
            EXPECT_EQ(entries(work()), QStringList{QStringLiteral("tune.mid")});
        }
    }
    EXPECT_EQ(entries(root.path()), QStringList({"movies", "source", "work"}));

    QDir(work()).removeRecursively();
    QDir().mkpath(work());
    ASSERT_TRUE(readScript(ForEditor, package()).ok());
    EXPECT_EQ(movie.lastSlot(), 100);
    for (const char* pattern : {"*.bmp", "*.wav", "*.mid"}) {
        EXPECT_EQ(MLha::ExtractFromPackage(package(), work(), QString::fromLatin1(pattern)), 0);
    }
    EXPECT_EQ(entries(work()),
              QStringList({"SW001.bmp", "SW003, photo.bmp", "tune.mid", "表紙.BMP"}));
    for (int k = 1; k <= 3; ++k) {
        const FramePicture shown = frame(k, true);
        ASSERT_TRUE(shown.ok()) << k;
        EXPECT_EQ(shown.image.size(), QSize(30 + 10 * k, 20 + k));
    }
    EXPECT_EQ(entries(work()).size(), 4) << "the editor keeps its files";
}

TEST_F(PackageTest, ScriptNamingPathsIsRefusedAndNothingLandsOutsideTheWorkFolder) {
    writeFile(root.filePath(QStringLiteral("x.bmp")), "the user's own file");
    savePicture(QDir(source()).filePath(QStringLiteral("x.bmp")), 10, 10, qRgb(1, 2, 3));
    for (const QString& name :
         {QStringLiteral("../x.bmp"), QStringLiteral("/etc/passwd"), QStringLiteral("..\\x.bmp")}) {
        // The three-frame script of tests/data with the first picture renamed.
        const QByteArray script =
            readFile(SLIDEWRIGHT_SOURCE_DIR "/tests/data/script-three-frames/Slidewright.ini")
                .replace("NAME,001,SW001.bmp", "NAME,001," + name.toUtf8());
        writeFile(QDir(source()).filePath(kScriptName), script);
        const QString archive = package(QStringLiteral("hostile.sdw"));
        QFile::remove(archive);
        packWithJlha(archive, {kScriptName, QStringLiteral("x.bmp")});

        const ReadResult read = readScript(ForPlayer, archive);
        EXPECT_EQ(read.outcome, ReadOutcome::InvalidFile) << name.toStdString();
        EXPECT_EQ(read.problem, ScriptProblem::UnsafeName) << name.toStdString();
        EXPECT_EQ(read.message(), MovieMessage::InvalidScript);
        // Even asked directly, the player extracts nothing for such a name.
        movie.resetFrames(1);
        movie.frameCount = 1;
        movie.frames[1] = FrameEntry{true, name, 100, QString()};
        EXPECT_EQ(frame(1).message, MovieMessage::InvalidPackage);

        EXPECT_TRUE(entries(work()).isEmpty()) << entries(work()).join(u' ').toStdString();
        EXPECT_EQ(entries(root.path()), QStringList({"movies", "source", "work", "x.bmp"}));
        EXPECT_EQ(readFile(root.filePath(QStringLiteral("x.bmp"))), "the user's own file");
    }
}

TEST_F(PackageTest, SoundMissingFromThePackageLeavesTheFrameSilentPictureMissingIsInvalid) {
    const QStringList pictures = {QStringLiteral("SW001.bmp"), QStringLiteral("SW002.bmp")};
    writeMovie(pictures, QStringLiteral("gone.wav"));
    packWithJlha(package(), {kScriptName, QStringLiteral("SW001.bmp")});
    ASSERT_TRUE(readScript(ForPlayer, package()).ok());
    movie.frames[1].soundFile = QStringLiteral("gone.wav");
    EXPECT_TRUE(frame(1).ok());
    EXPECT_EQ(frame(2).message, MovieMessage::InvalidPackage);
}

TEST_F(PackageTest, APreviewLoadsFromTheWorkFolderWithoutTouchingIt) {
    savePicture(workFile("SW001.bmp"), 64, 48, qRgb(9, 9, 9));
    writeFile(workFile(QStringLiteral("broken.bmp")), "BM not a picture");
    movie.resetFrames(MovieDoc::kEditorSlots);
    movie.packagePath = package(QStringLiteral("not there.sdw"));
    movie.frames[1] = FrameEntry{true, QStringLiteral("SW001.bmp"), 1000, {}};
    movie.frames[2] = FrameEntry{true, QStringLiteral("broken.bmp"), 1000, {}};
    movie.frames[3] = FrameEntry{true, QStringLiteral("missing.bmp"), 1000, {}};

    const FramePicture shown = frame(1, true);
    ASSERT_TRUE(shown.ok());
    EXPECT_EQ(shown.image.size(), QSize(64, 48));
    for (int k : {2, 3, 4, 101}) {
        EXPECT_EQ(frame(k, true).message, MovieMessage::InvalidPackage) << k;
    }
    EXPECT_EQ(entries(work()), QStringList({"SW001.bmp", "broken.bmp"}));
}

}  // namespace
