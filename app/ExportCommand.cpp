#include "ExportCommand.h"

#include "MDllChk.h"
#include "export/ExportFormat.h"
#include "export/ExportPackage.h"
#include "export/MovieExporter.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/WorkFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <optional>

namespace ExportCommand {
namespace {

volatile std::sig_atomic_t interrupted = 0;

void noteInterruption(int) {
    interrupted = 1;
}

// An interrupted export still removes its temporary file and folder: the
// signal only asks the export to stop.
void catchInterruptions() {
    struct sigaction action {};
    action.sa_handler = noteInterruption;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(signal, &action, nullptr);
    }
    // A file-size limit then fails the write, which the export reports,
    // instead of killing it with its temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
}

void say(const QString& line) {
    std::fprintf(stderr, "slidewright: %s\n", line.toLocal8Bit().constData());
}

// One line per frame for a log, or a bar redrawn in place on a terminal.
class ProgressReport {
public:
    ProgressReport() : terminal_(::isatty(STDERR_FILENO) == 1) {}

    void frameDone(int done, int total) {
        if (!terminal_) {
            std::fprintf(stderr, "フレーム %d/%d\n", done, total);
            return;
        }
        constexpr int kWidth = 30;
        const int filled = total > 0 ? done * kWidth / total : kWidth;
        std::fprintf(stderr, "\r書き出し中 [%s%s] %d/%d", QByteArray(filled, '#').constData(),
                     QByteArray(kWidth - filled, '-').constData(), done, total);
        std::fflush(stderr);
        barShown_ = true;
    }

    // Ends the bar's line before anything else is printed.
    void finish() {
        if (barShown_) {
            std::fputc('\n', stderr);
            barShown_ = false;
        }
    }

private:
    bool terminal_;
    bool barShown_ = false;
};

}  // namespace

int Run(int argc, char** argv, const QString& target, const QString& package) {
    std::optional<QCoreApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        application.emplace(argc, argv);
    }
    const QString output = QFileInfo(target).absoluteFilePath();
    if (!ExportFormats::ForPath(output)) {
        say(ExportMessages::Text({ExportProblem::UnknownFormat, target}));
        return 2;
    }
    const std::string library = MDllChk::FindLibrary("libunlha32.so");
    if (library.empty() || !ArchiverLibrary::load(library)) {
        say(ExportMessages::Text({ExportProblem::NoArchiver, {}}));
        return 1;
    }
    catchInterruptions();
    const auto folder = WorkFolder::privateFolder();
    if (!folder) {
        say(ExportMessages::Text({ExportProblem::CannotWrite, QDir::tempPath()}));
        return 1;
    }

    ExportResult result;
    const auto movie = ExportPackage::Open(package, *folder, result);
    ProgressReport report;
    if (movie && !interrupted) {
        result = MovieExporter::Export(
            *movie, output,
            {[&report](int done, int total) { report.frameDone(done, total); },
             [] { return interrupted != 0; }});
    }
    report.finish();
    WorkFolder::removePrivateFolder();
    if (interrupted) {
        say(QStringLiteral("中断しました"));
        return 130;
    }
    if (!result.ok()) {
        say(ExportMessages::Text(result));
        return 1;
    }
    return 0;
}

}  // namespace ExportCommand
