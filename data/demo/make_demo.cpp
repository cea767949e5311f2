// Makes the bundled demo movie: five frames drawn here, a chime written as
// a WAV and a short tune written as a standard MIDI file, the script, and
// the package that holds them all.
#include "archiver/LhaWriter.h"
#include "archiver/ReplaceByRename.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/MovieScript.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <vector>

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

QString japaneseFamily() {
    const QStringList families = QFontDatabase::families();
    for (const QString& family : {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                  QStringLiteral("Noto Sans CJK JP")}) {
        if (families.contains(family)) {
            return family;
        }
    }
    return QString();
}

QFont font(int pixelSize, bool bold = false) {
    QFont f(japaneseFamily());
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

// A fresh frame with the background every frame shares, and its heading.
QImage startFrame(QPainter& painter, QImage& image, const QString& heading) {
    image = QImage(kWidth, kHeight, QImage::Format_RGB888);
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient background(0, 0, 0, kHeight);
    background.setColorAt(0, QColor(244, 247, 252));
    background.setColorAt(1, QColor(214, 224, 240));
    painter.fillRect(image.rect(), background);
    if (!heading.isEmpty()) {
        painter.fillRect(QRect(0, 0, kWidth, 90), QColor(38, 70, 120));
        painter.setPen(Qt::white);
        painter.setFont(font(40, true));
        painter.drawText(QRect(40, 0, kWidth - 80, 90), Qt::AlignVCenter | Qt::AlignLeft, heading);
    }
    return image;
}

QImage titleFrame() {
    QImage image;
    QPainter painter;
    startFrame(painter, image, QString());
    painter.setPen(QColor(38, 70, 120));
    painter.setFont(font(86, true));
    painter.drawText(QRect(0, 150, kWidth, 130), Qt::AlignCenter, QStringLiteral("Slidewright"));
    painter.setFont(font(34));
    painter.setPen(QColor(60, 60, 60));
    painter.drawText(QRect(0, 290, kWidth, 60), Qt::AlignCenter,
                     QStringLiteral("スクリーンムービーのデモ"));
    // A strip of film under the title.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(50, 50, 50));
    painter.drawRect(100, 400, 600, 90);
    painter.setBrush(QColor(235, 235, 235));
    for (int x = 110; x < 700; x += 30) {
        painter.drawRect(x, 406, 14, 10);
        painter.drawRect(x, 474, 14, 10);
    }
    const QColor frames[] = {QColor(230, 120, 90), QColor(120, 190, 120), QColor(100, 150, 220),
                             QColor(230, 200, 90)};
    for (int i = 0; i < 4; ++i) {
        painter.setBrush(frames[i]);
        painter.drawRect(120 + i * 145, 422, 125, 46);
    }
    painter.end();
    return image;
}

QImage textFrame() {
    QImage image;
    QPainter painter;
    startFrame(painter, image, QStringLiteral("日本語のテキスト"));
    painter.setPen(QColor(30, 30, 30));
    painter.setFont(font(30));
    const QStringList lines = {
        QStringLiteral("・画面を一枚ずつ、決めた時間だけ表示します"),
        QStringLiteral("・各画面に WAV や MIDI の音を付けられます"),
        QStringLiteral("・この画面は音が鳴り終わるまで待ちます"),
        QStringLiteral("・最後まで行くと、数秒後に最初から繰り返します"),
        QStringLiteral("ｶﾀｶﾅ・ひらがな・漢字・ＡＢＣ・１２３"),
    };
    for (int i = 0; i < lines.size(); ++i) {
        painter.drawText(QPointF(60, 170 + i * 75), lines[i]);
    }
    painter.end();
    return image;
}

QImage barChartFrame() {
    QImage image;
    QPainter painter;
    startFrame(painter, image, QStringLiteral("月別の来場者数"));
    const QRect plot(110, 140, 620, 360);
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    painter.setFont(font(18));
    for (int step = 0; step <= 5; ++step) {
        const int y = plot.bottom() - plot.height() * step / 5;
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.drawText(QRect(30, y - 12, 70, 24), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(step * 200));
    }
    const int values[] = {320, 450, 610, 580, 760, 890};
    const int barWidth = plot.width() / 6;
    for (int i = 0; i < 6; ++i) {
        const int height = plot.height() * values[i] / 1000;
        const QRect bar(plot.left() + i * barWidth + 18, plot.bottom() - height, barWidth - 36,
                        height);
        QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
        fill.setColorAt(0, QColor(90, 150, 230));
        fill.setColorAt(1, QColor(40, 90, 170));
        painter.fillRect(bar, fill);
        painter.setPen(QColor(30, 30, 30));
        painter.drawText(QRect(bar.left() - 10, plot.bottom() + 8, bar.width() + 20, 28),
                         Qt::AlignCenter, QStringLiteral("%1月").arg(i + 1));
        painter.drawText(QRect(bar.left() - 10, bar.top() - 28, bar.width() + 20, 24),
                         Qt::AlignCenter, QString::number(values[i]));
    }
    painter.end();
    return image;
}

QImage pieChartFrame() {
    QImage image;
    QPainter painter;
    startFrame(painter, image, QStringLiteral("音付きの画面"));
    const struct {
        const char16_t* label;
        int percent;
        QColor colour;
    } slices[] = {{u"画像", 55, QColor(230, 120, 90)},
                  {u"音声", 25, QColor(100, 150, 220)},
                  {u"台本", 20, QColor(120, 190, 120)}};
    const QRectF pie(90, 150, 380, 380);
    int start = 90 * 16;
    painter.setFont(font(26));
    for (int i = 0; i < 3; ++i) {
        const int span = -slices[i].percent * 360 * 16 / 100;
        painter.setPen(QPen(Qt::white, 3));
        painter.setBrush(slices[i].colour);
        painter.drawPie(pie, start, span);
        start += span;
        painter.fillRect(QRect(530, 230 + i * 80, 36, 36), slices[i].colour);
        painter.setPen(QColor(30, 30, 30));
        painter.drawText(QPointF(585, 260 + i * 80), QStringLiteral("%1 %2%")
                                                         .arg(QString::fromUtf16(slices[i].label))
                                                         .arg(slices[i].percent));
    }
    painter.setFont(font(20));
    painter.drawText(QRect(470, 480, 320, 40), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("MIDI の曲が終わるまで待ちます"));
    painter.end();
    return image;
}

QImage endFrame() {
    QImage image;
    QPainter painter;
    startFrame(painter, image, QString());
    painter.setPen(QColor(38, 70, 120));
    painter.setFont(font(64, true));
    painter.drawText(QRect(0, 180, kWidth, 100), Qt::AlignCenter, QStringLiteral("おわり"));
    painter.setFont(font(28));
    painter.setPen(QColor(60, 60, 60));
    painter.drawText(QRect(0, 300, kWidth, 50), Qt::AlignCenter,
                     QStringLiteral("数秒後に最初から再生します"));
    QPainterPath wave;
    wave.moveTo(100, 450);
    for (int x = 100; x <= 700; x += 5) {
        wave.lineTo(x, 450 + 30 * std::sin((x - 100) / 40.0));
    }
    painter.setPen(QPen(QColor(90, 150, 230), 4));
    painter.drawPath(wave);
    painter.end();
    return image;
}

void appendLittleEndian(QByteArray& bytes, quint32 value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

// A two-note chime, 16-bit mono PCM.
QByteArray chimeWave() {
    constexpr int kRate = 22050;
    constexpr double kSeconds = 1.6;
    const int samples = static_cast<int>(kRate * kSeconds);
    QByteArray data;
    for (int i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / kRate;
        double value = 0.45 * std::sin(2 * std::numbers::pi * 880 * t) * std::exp(-3 * t);
        if (t > 0.35) {
            const double u = t - 0.35;
            value += 0.45 * std::sin(2 * std::numbers::pi * 659.25 * u) * std::exp(-2.5 * u);
        }
        const auto sample = static_cast<qint16>(std::lround(value * 32767 * 0.9));
        appendLittleEndian(data, static_cast<quint16>(sample), 2);
    }
    QByteArray wave("RIFF");
    appendLittleEndian(wave, static_cast<quint32>(36 + data.size()), 4);
    wave += "WAVEfmt ";
    appendLittleEndian(wave, 16, 4);
    appendLittleEndian(wave, 1, 2);  // PCM
    appendLittleEndian(wave, 1, 2);  // mono
    appendLittleEndian(wave, kRate, 4);
    appendLittleEndian(wave, kRate * 2, 4);
    appendLittleEndian(wave, 2, 2);
    appendLittleEndian(wave, 16, 2);
    wave += "data";
    appendLittleEndian(wave, static_cast<quint32>(data.size()), 4);
    return wave + data;
}

void appendBigEndian(QByteArray& bytes, quint32 value, int size) {
    for (int i = size - 1; i >= 0; --i) {
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xff));
    }
}

void appendDelta(QByteArray& track, quint32 ticks) {
    std::vector<char> groups{static_cast<char>(ticks & 0x7f)};
    while ((ticks >>= 7) != 0) {
        groups.push_back(static_cast<char>(0x80 | (ticks & 0x7f)));
    }
    for (auto it = groups.rbegin(); it != groups.rend(); ++it) {
        track.append(*it);
    }
}

// A short tune on the vibraphone, format 0.
QByteArray tuneMidi() {
    constexpr int kTicksPerQuarter = 480;
    QByteArray track;
    appendDelta(track, 0);
    track += QByteArray("\xFF\x51\x03\x07\xA1\x20", 6);  // 120 beats a minute
    appendDelta(track, 0);
    track += QByteArray("\xC0\x0B", 2);
    const int notes[] = {72, 76, 79, 84, 79, 76, 72, 67};
    for (int note : notes) {
        appendDelta(track, 0);
        track += static_cast<char>(0x90);
        track += static_cast<char>(note);
        track += static_cast<char>(96);
        appendDelta(track, kTicksPerQuarter);
        track += static_cast<char>(0x80);
        track += static_cast<char>(note);
        track += static_cast<char>(64);
    }
    appendDelta(track, 0);
    track += QByteArray("\xFF\x2F\x00", 3);

    QByteArray midi("MThd");
    appendBigEndian(midi, 6, 4);
    appendBigEndian(midi, 0, 2);
    appendBigEndian(midi, 1, 2);
    appendBigEndian(midi, kTicksPerQuarter, 2);
    midi += "MTrk";
    appendBigEndian(midi, static_cast<quint32>(track.size()), 4);
    return midi + track;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

std::filesystem::path fsPath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_demo <package.sdw> [<folder to keep the loose files>]\n");
        return 2;
    }
    const QString target = QFile::decodeName(argv[1]);
    QTemporaryDir temporary;
    const QString keep = argc == 3 ? QFile::decodeName(argv[2]) : QString();
    if (!keep.isEmpty() && !QDir().mkpath(keep)) {
        std::fprintf(stderr, "make_demo: cannot make %s\n", argv[2]);
        return 1;
    }
    if (keep.isEmpty() && !temporary.isValid()) {
        std::fprintf(stderr, "make_demo: no temporary folder\n");
        return 1;
    }
    const QDir work(keep.isEmpty() ? temporary.path() : keep);

    struct Frame {
        QString picture;
        QImage image;
        int waitMs;
        QString sound;
    };
    const std::vector<Frame> frames = {
        {QStringLiteral("title.bmp"), titleFrame(), 3000, QString()},
        {QStringLiteral("日本語.bmp"), textFrame(), 2500, QStringLiteral("chime.wav")},
        {QStringLiteral("chart.bmp"), barChartFrame(), 3500, QString()},
        {QStringLiteral("sound.bmp"), pieChartFrame(), 1000, QStringLiteral("tune.mid")},
        {QStringLiteral("end.bmp"), endFrame(), 2500, QString()},
    };
    MovieDoc doc;
    doc.resetFrames(MovieDoc::kEditorSlots);
    for (size_t i = 0; i < frames.size(); ++i) {
        const Frame& frame = frames[i];
        if (!frame.image.save(work.filePath(frame.picture), "BMP")) {
            std::fprintf(stderr, "make_demo: cannot write %s\n", qPrintable(frame.picture));
            return 1;
        }
        doc.frames[i + 1] = FrameEntry{true, frame.picture, frame.waitMs, frame.sound};
    }
    if (!writeFile(work.filePath(QStringLiteral("chime.wav")), chimeWave()) ||
        !writeFile(work.filePath(QStringLiteral("tune.mid")), tuneMidi()) ||
        !MovieScript::WriteMovieScript(doc, static_cast<int>(frames.size()), work.path(),
                                       {true, 2, QStringLiteral("3")})) {
        std::fprintf(stderr, "make_demo: cannot write the movie's files\n");
        return 1;
    }

    // Script first, then each frame's picture and sound, as a save stores them.
    QStringList members = {MovieScript::kScriptName};
    for (const Frame& frame : frames) {
        members << frame.picture;
        if (!frame.sound.isEmpty()) {
            members << frame.sound;
        }
    }
    const QString partial = target + QStringLiteral(".partial");
    QFile::remove(partial);
    for (const QString& member : members) {
        if (lha::StoreFile(fsPath(partial), fsPath(work.filePath(member))) != 0) {
            QFile::remove(partial);
            std::fprintf(stderr, "make_demo: cannot store %s\n", qPrintable(member));
            return 1;
        }
    }
    if (!ReplaceByRename::MoveFile(fsPath(partial), fsPath(target))) {
        std::fprintf(stderr, "make_demo: cannot write %s\n", qPrintable(target));
        return 1;
    }
    return 0;
}
