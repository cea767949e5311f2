#pragma once

// Reading an exported file back with FFmpeg's own command-line tools from
// Debian's ffmpeg package: what any player would make of it.

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <vector>

namespace ExportProbe {

// What a tool prints on its standard output; nothing when it cannot run.
inline QByteArray Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(10000) || !process.waitForFinished(120000)) {
        return {};
    }
    return process.readAllStandardOutput();
}

// One entry, as ffprobe prints it without keys.
inline QString Entry(const QString& file, const QString& what, const QString& stream = {}) {
    const QStringList streams =
        stream.isEmpty() ? QStringList() : QStringList{"-select_streams", stream};
    return QString::fromUtf8(
               Run("ffprobe", QStringList{"-v", "error"} + streams +
                                  QStringList{"-show_entries", what, "-of", "csv=p=0", file}))
        .trimmed();
}

// Each shown picture's start, in seconds.
inline std::vector<double> FrameTimes(const QString& file) {
    std::vector<double> times;
    const QString lines = Entry(file, "frame=best_effort_timestamp_time", "v:0");
    for (const QString& line : lines.split(u'\n', Qt::SkipEmptyParts)) {
        times.push_back(line.trimmed().toDouble());
    }
    return times;
}

// Every picture as decoded, one after another, in the given pixel format.
inline QByteArray Pictures(const QString& file, const QString& pixelFormat) {
    return Run("ffmpeg", {"-v", "error", "-i", file, "-map", "0:v:0", "-vsync", "passthrough", "-f",
                          "rawvideo", "-pix_fmt", pixelFormat, "-"});
}

// The sound track as one channel of 48 kHz samples, from the start of the
// movie (priming removed as players remove it).
inline std::vector<float> Sound(const QString& file) {
    const QByteArray bytes = Run("ffmpeg", {"-v", "error", "-i", file, "-map", "0:a:0", "-ac", "1",
                                            "-ar", "48000", "-f", "f32le", "-"});
    std::vector<float> samples(static_cast<size_t>(bytes.size()) / sizeof(float));
    std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(float));
    return samples;
}

inline double Rms(const std::vector<float>& samples, double from, double to) {
    const auto begin = static_cast<size_t>(from * 48000);
    const auto end = std::min(samples.size(), static_cast<size_t>(to * 48000));
    if (end <= begin) {
        return -1;
    }
    double sum = 0;
    for (size_t i = begin; i < end; ++i) {
        sum += double(samples[i]) * samples[i];
    }
    return std::sqrt(sum / double(end - begin));
}

// A picture as a BT.709 limited-range 4:2:0 video holds it, converted by
// FFmpeg's own scaler: the reference an exported picture is measured against.
inline QByteArray AsVideoPlanes(const QImage& picture, const QTemporaryDir& scratch) {
    const QString png = scratch.filePath("reference.png");
    picture.save(png, "PNG");
    return Run("ffmpeg",
               {"-v", "error", "-i", png, "-vf",
                "format=rgb24,scale=out_color_matrix=bt709:out_range=tv:flags=bicubic+accurate_rnd,"
                "format=yuv420p",
                "-f", "rawvideo", "-"});
}

inline double Psnr(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size() || a.isEmpty()) {
        return 0;
    }
    double sum = 0;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const double d = double(uchar(a[i])) - double(uchar(b[i]));
        sum += d * d;
    }
    const double mse = sum / double(a.size());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace ExportProbe
