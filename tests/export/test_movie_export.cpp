// Movies exported from packages the test makes, read back with ffprobe and
// ffmpeg: how long the file and each picture last, what a player shows in
// the middle of each frame, where the sound plays and where it is silent.
#include "ExportProbe.h"
#include "common/ProgramEnd.h"
#include "export/ExportPackage.h"
#include "export/MovieExporter.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/MLha.h"
#include "moviefile/MovieScript.h"
#include "tests/moviefile/WholeFiles.h"
#include "tests/player/SoundFiles.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace ExportProbe;

const QString kData = QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/export_movie");
// The largest picture is 176x144; the chart's 151 rows make the video 152
// high, rounded up to even.
const QSize kVideo(176, 152);

struct Frame {
    QString picture;
    int waitMs;
    QString sound;
};

struct Movie {
    int mode;
    std::vector<Frame> frames;
    std::vector<double> starts;  // seconds, as the export must time them
    double length;
};

// Mode 1: every frame its wait; the 3 s tone is cut at 1.5 s and the
// 1.5 s chords at 1 s. Mode 2: the tone and the chords hold their frames.
const Movie kAutomatic{
    1,
    {{"photo.bmp", 1500, "tone.wav"}, {"chart.bmp", 2500, ""}, {"photo.bmp", 1000, "chords.mid"}},
    {0, 1.5, 4.0},
    5.0};
const Movie kHoldingForSounds{
    2,
    {{"photo.bmp", 1500, "tone.wav"}, {"chart.bmp", 2500, ""}, {"photo.bmp", 500, "chords.mid"}},
    {0, 3.0, 5.5},
    7.0};

class MovieExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        if (ArchiverLibrary::instance() == nullptr) {
            ASSERT_TRUE(ArchiverLibrary::load(kArchiver));
        }
    }

    // A package of the test data's files with a script for these frames.
    QString makePackage(const Movie& movie, int loop = 0) {
        const QString folder = scratch.filePath(QStringLiteral("source"));
        QDir().mkpath(folder);
        MovieDoc doc;
        QStringList members{MovieScript::kScriptName};
        for (size_t i = 0; i < movie.frames.size(); ++i) {
            const Frame& frame = movie.frames[i];
            doc.frames[i + 1] = FrameEntry{true, frame.picture, frame.waitMs, frame.sound};
            // A name the test data does not hold stays out of the package.
            for (const QString& name : {frame.picture, frame.sound}) {
                if (!name.isEmpty() && QFile::exists(kData + u'/' + name) &&
                    !members.contains(name)) {
                    members << name;
                    QFile::copy(kData + u'/' + name, folder + u'/' + name);
                }
            }
        }
        EXPECT_TRUE(MovieScript::WriteMovieScript(doc, static_cast<int>(movie.frames.size()),
                                                  folder,
                                                  {loop != 0, movie.mode, QStringLiteral("10")}));
        const QString package = scratch.filePath(QStringLiteral("movie%1.sdw").arg(++made_));
        for (const QString& member : members) {
            EXPECT_EQ(MLha::StoreInPackage(package, folder + u'/' + member, member == members[0]),
                      0);
        }
        QDir(folder).removeRecursively();
        return package;
    }

    // As `slidewright --export` does it.
    ExportResult exportPackage(const QString& package, const QString& target,
                               const ExportProgress& progress = {}) {
        const QString files = scratch.filePath(QStringLiteral("files%1").arg(++opened_));
        QDir().mkpath(files);
        ExportResult result;
        const auto movie = ExportPackage::Open(package, files, result);
        if (movie) {
            result = MovieExporter::Export(*movie, target, progress);
        }
        return result;
    }

    // What the frame must show: its picture centred on black, unscaled.
    static QImage expected(const QString& picture, QSize video) {
        const QImage image(kData + u'/' + picture);
        QImage canvas(video, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter(&canvas).drawImage((video.width() - image.width()) / 2,
                                    (video.height() - image.height()) / 2, image);
        return canvas;
    }

    // The index of the picture shown at `time`.
    static size_t shownAt(const std::vector<double>& times, double time) {
        return size_t(std::upper_bound(times.begin(), times.end(), time) - times.begin()) - 1;
    }

    // What a frame must show, as rgb24 bytes: 176 pixels of three bytes
    // fill whole 32-bit words, so its rows carry no padding.
    static QByteArray rgbBytes(const QString& picture) {
        const QImage image = expected(picture, kVideo).convertToFormat(QImage::Format_RGB888);
        return QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
    }

    QStringList filesIn(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir scratch;
    int made_ = 0;
    int opened_ = 0;
};

struct VideoCase {
    const char* extension;
    const Movie* movie;
};

class VideoExport : public MovieExportTest, public ::testing::WithParamInterface<VideoCase> {};

TEST_P(VideoExport, FramesLastTheirTimeShowTheirPictureAndPlayTheirSound) {
    const Movie& movie = *GetParam().movie;
    const QString target = scratch.filePath(QStringLiteral("out.") + GetParam().extension);
    ASSERT_TRUE(exportPackage(makePackage(movie), target).ok());

    // Exact to the millisecond, the file and each picture.
    EXPECT_NEAR(Entry(target, "format=duration").toDouble(), movie.length, 0.0005);
    const std::vector<double> times = FrameTimes(target);
    ASSERT_EQ(times.size(), movie.starts.size());
    for (size_t i = 0; i < times.size(); ++i) {
        EXPECT_NEAR(times[i], movie.starts[i], 0.0005) << "picture " << i;
    }

    // Flagged as what it is, so that players convert it back right.
    EXPECT_EQ(Entry(target, "stream=width,height", "v:0"), QStringLiteral("176,152"));
    EXPECT_EQ(Entry(target, "stream=color_range,color_space,color_transfer,color_primaries", "v:0"),
              QStringLiteral("tv,bt709,bt709,bt709"));

    // The middle of each frame, against its picture: PSNR in the video's
    // own colours, and the colours a player shows of the chart's flat areas.
    const QByteArray planes = Pictures(target, "yuv420p");
    const QByteArray rgb = Pictures(target, "rgb24");
    const qsizetype planeSize = kVideo.width() * kVideo.height() * 3 / 2;
    const qsizetype rgbSize = kVideo.width() * kVideo.height() * 3;
    ASSERT_EQ(planes.size(), planeSize * qsizetype(times.size()));
    for (size_t k = 0; k < movie.frames.size(); ++k) {
        const double end = k + 1 < movie.starts.size() ? movie.starts[k + 1] : movie.length;
        const size_t shown = shownAt(times, (movie.starts[k] + end) / 2);
        const QImage picture = expected(movie.frames[k].picture, kVideo);
        EXPECT_GE(Psnr(planes.mid(qsizetype(shown) * planeSize, planeSize),
                       AsVideoPlanes(picture, scratch)),
                  40.0)
            << "frame " << k + 1;
        const auto* pixels = reinterpret_cast<const uchar*>(rgb.constData()) + shown * rgbSize;
        // The black around the picture; the chart's three bars and its ground.
        std::vector<QPoint> flat{QPoint(2, 2)};
        if (movie.frames[k].picture == u"chart.bmp") {
            flat.insert(flat.end(),
                        {QPoint(47, 120), QPoint(77, 120), QPoint(107, 120), QPoint(130, 40)});
        }
        for (const QPoint at : flat) {
            const QRgb want = picture.pixel(at);
            const uchar* got = pixels + (at.y() * kVideo.width() + at.x()) * 3;
            EXPECT_LE(std::max({std::abs(got[0] - qRed(want)), std::abs(got[1] - qGreen(want)),
                                std::abs(got[2] - qBlue(want))}),
                      6)
                << "frame " << k + 1 << " at " << at.x();
        }
    }

    // The tone from the first frame's start until the next frame, silence
    // through the second frame, the chords from the third frame's start.
    const std::vector<float> sound = Sound(target);
    EXPECT_NEAR(double(sound.size()) / 48000, movie.length, 0.025);
    const double toneEnd = movie.mode == 2 ? 3.0 : 1.5;
    EXPECT_GT(Rms(sound, 0.05, toneEnd - 0.05), 0.1);
    EXPECT_LT(Rms(sound, toneEnd + 0.05, movie.starts[2] - 0.05), 0.001);
    EXPECT_GT(Rms(sound, movie.starts[2] + 0.05, movie.starts[2] + 0.9), 0.01);
}

INSTANTIATE_TEST_SUITE_P(MovieExport, VideoExport,
                         ::testing::Values(VideoCase{"mp4", &kAutomatic},
                                           VideoCase{"mp4", &kHoldingForSounds},
                                           VideoCase{"webm", &kAutomatic},
                                           VideoCase{"webm", &kHoldingForSounds}));

class GifExport : public MovieExportTest, public ::testing::WithParamInterface<int> {};

TEST_P(GifExport, DelaysAreTheFramesTimesInCentiseconds) {
    const bool loop = GetParam() == 0;
    // Manual: a frame without a wait lasts 3 s. Holding for sounds: the
    // tone's 3 s and the chords' 1.5 s, though a GIF has no sound.
    const Movie manual{
        0,
        {{"photo.bmp", 1500, "tone.wav"}, {"chart.bmp", 0, ""}, {"photo.bmp", 2500, ""}},
        {0, 1.5, 4.5},
        7.0};
    const Movie& movie = GetParam() == 0 ? manual : kHoldingForSounds;
    const QString target = scratch.filePath(QStringLiteral("out.gif"));
    ASSERT_TRUE(exportPackage(makePackage(movie, loop ? 1 : 0), target).ok());

    QStringList delays;
    for (size_t k = 0; k < movie.starts.size(); ++k) {
        const double end = k + 1 < movie.starts.size() ? movie.starts[k + 1] : movie.length;
        delays << QString::number(qRound((end - movie.starts[k]) * 100));
    }
    EXPECT_EQ(Entry(target, "packet=duration", "v:0").split(u'\n'), delays);

    // The chart's five colours come through exactly; the photograph's
    // thousands through our quantiser.
    const QByteArray rgb = Pictures(target, "rgb24");
    const qsizetype size = kVideo.width() * kVideo.height() * 3;
    ASSERT_EQ(rgb.size(), size * 3);
    EXPECT_TRUE(rgb.mid(size, size) == rgbBytes("chart.bmp"));
    EXPECT_GE(Psnr(rgb.left(size), rgbBytes("photo.bmp")), 30.0);

    // The movie's loop flag makes the GIF repeat; without it, it plays once.
    EXPECT_EQ(readFile(target).contains("NETSCAPE2.0"), loop);
}

INSTANTIATE_TEST_SUITE_P(MovieExport, GifExport, ::testing::Values(0, 2));

TEST_F(MovieExportTest, AFailedOrCancelledExportLeavesNoFileAndKeepsTheEarlierOne) {
    const QString target = scratch.filePath(QStringLiteral("out/movie.mp4"));
    writeFile(target, "an earlier export");
    const QStringList before = filesIn(scratch.filePath(QStringLiteral("out")));

    // A package cut short: its last members are gone.
    const QString truncated = makePackage(kAutomatic);
    QFile package(truncated);
    ASSERT_TRUE(package.resize(package.size() / 2));
    ExportResult result = exportPackage(truncated, target);
    EXPECT_EQ(result.problem, ExportProblem::InvalidPackage);
    EXPECT_EQ(result.subject, truncated);

    // A picture the package does not hold.
    Movie missing = kAutomatic;
    const QString complete = makePackage(kAutomatic);
    missing.frames[1].picture = QStringLiteral("gone.bmp");
    result = exportPackage(makePackage(missing), target);
    EXPECT_EQ(result.problem, ExportProblem::MissingPicture);
    EXPECT_EQ(result.subject, QStringLiteral("gone.bmp"));

    // Cancelled after the second frame.
    int done = 0;
    result = exportPackage(complete, target,
                           {[&](int frames, int) { done = frames; }, [&] { return done >= 2; }});
    EXPECT_EQ(result.problem, ExportProblem::Cancelled);

    // The program ending while it exports (a signal, say) takes the
    // unfinished file with it.
    ProgramEnd::resetForTests();
    ProgramEnd::setHandler([](int) {});
    QStringList duringEnd;
    result = exportPackage(complete, target, {{}, [&] {
                                                  ProgramEnd::endProgram(0);
                                                  duringEnd = filesIn(scratch.filePath("out"));
                                                  return true;
                                              }});
    ProgramEnd::setHandler(nullptr);
    ProgramEnd::resetForTests();
    EXPECT_EQ(result.problem, ExportProblem::Cancelled);
    EXPECT_EQ(duringEnd, before);

    // A folder the file cannot go to.
    result = exportPackage(complete, scratch.filePath(QStringLiteral("no/such/folder/x.mp4")));
    EXPECT_EQ(result.problem, ExportProblem::CannotWrite);
    EXPECT_EQ(exportPackage(complete, target + QStringLiteral(".avi")).problem,
              ExportProblem::UnknownFormat);

    EXPECT_EQ(filesIn(scratch.filePath(QStringLiteral("out"))), before);
    EXPECT_EQ(readFile(target), "an earlier export");
}

TEST_F(MovieExportTest, AGifFrameLongerThanItsLongestDelayShowsItsPictureAgain) {
    // 700 s of 8 kHz silence holds the frame in mode 2; a GIF delay stops
    // at 655.35 s.
    const QString folder = scratch.filePath(QStringLiteral("long"));
    writeFile(folder + QStringLiteral("/chart.bmp"),
              readFile(kData + QStringLiteral("/chart.bmp")));
    ASSERT_TRUE(SoundFiles::writeFile(folder + QStringLiteral("/long.wav"),
                                      SoundFiles::toneWav(700, 0, 8000)));
    const QString target = scratch.filePath(QStringLiteral("long.gif"));
    const MovieToExport movie{{FrameEntry{true, "chart.bmp", 1000, "long.wav"}}, 2, 0, folder};
    ASSERT_TRUE(MovieExporter::Export(movie, target, {}).ok());
    EXPECT_EQ(Entry(target, "packet=duration", "v:0").split(u'\n'),
              QStringList({QStringLiteral("65535"), QStringLiteral("4465")}));
}

TEST_F(MovieExportTest, APictureBeyondTheLargestVideoIsRefusedBeforeAnythingIsWritten) {
    // A header claiming 9000 columns: refused from the header alone.
    const QString folder = scratch.filePath(QStringLiteral("huge"));
    QDir().mkpath(folder);
    QImage wide(9000, 2, QImage::Format_RGB32);
    wide.fill(Qt::white);
    ASSERT_TRUE(wide.save(folder + QStringLiteral("/wide.bmp"), "BMP"));
    const QString target = scratch.filePath(QStringLiteral("wide.webm"));
    const MovieToExport movie{{FrameEntry{true, "wide.bmp", 1000, {}}}, 1, 0, folder};
    const ExportResult result = MovieExporter::Export(movie, target, {});
    EXPECT_EQ(result.problem, ExportProblem::PictureTooLarge);
    EXPECT_EQ(result.subject, QStringLiteral("wide.bmp"));
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(filesIn(scratch.path()).filter(QStringLiteral("wide")), QStringList{});
}

TEST_F(MovieExportTest, MembersDeclaringHugeSizesAreRefusedBeforeAnyIsUnpacked) {
    // Three members of 2 GB of zeros in 3 KB, and a picture header asking
    // for 400 million pixels: each named, and nothing unpacked or written.
    const QString hostile = QStringLiteral(SLIDEWRIGHT_SOURCE_DIR "/tests/data/hostile-packages/");
    const QString target = scratch.filePath(QStringLiteral("hostile.mp4"));
    const std::tuple<const char*, ExportProblem, const char*> cases[] = {
        {"zeros-2gb.sdw", ExportProblem::InvalidPackage, "SW001.bmp（"},
        {"pixel-bomb.sdw", ExportProblem::PictureTooLarge, "bomb.bmp（20000×20000）"},
    };
    for (const auto& [package, problem, named] : cases) {
        const ExportResult result = exportPackage(hostile + QLatin1String(package), target);
        EXPECT_EQ(result.problem, problem) << package;
        EXPECT_TRUE(result.subject.startsWith(QString::fromUtf8(named)))
            << result.subject.toStdString();
        EXPECT_EQ(entries(scratch.filePath(QStringLiteral("files%1").arg(opened_))), QStringList{})
            << package;
    }
    EXPECT_FALSE(QFileInfo::exists(target));
}

}  // namespace
