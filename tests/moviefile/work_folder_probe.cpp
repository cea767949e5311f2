// A tiny program that makes the player's private work folder, prints its
// path and then ends the way its argument says, so a test can see the
// folder go (or stay) however the program ended.
#include "app/TerminationSignals.h"
#include "common/MessageBox.h"
#include "common/ProgramEnd.h"
#include "moviefile/AFrameReel.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/CommandLine.h"
#include "moviefile/MovieScript.h"
#include "moviefile/WorkFolder.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace {

void report(const char* what, const QString& text) {
    std::printf("%s %s\n", what, text.toUtf8().constData());
    std::fflush(stdout);
}

int showAndEnd(MovieMessage message) {
    const auto box = MovieMessages::of(message);
    MessageBox::show(nullptr, box.text, box.title, box.icon);
    report("box", box.title);
    ProgramEnd::endProgram(1);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    MessageBox::setAutoAnswer(true);
    const QByteArray mode = argc > 1 ? argv[1] : "";
    CommandLine::set(argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
    if (argc > 3) {
        ArchiverLibrary::load(argv[3]);
    }

    MovieDoc doc;
    const MovieMessage prepared = AFrameReel::PrepareWorkAndPackage(doc);
    const QString folder = WorkFolder::privateFolder().value_or(QString());
    report("folder", folder);
    if (prepared != MovieMessage::None) {
        return showAndEnd(prepared);
    }
    if (mode == "end") {
        ProgramEnd::endProgram(0);
    } else if (mode == "script") {
        const MovieScript::ReadResult read =
            MovieScript::ReadPackageScript(doc.packagePath, folder, MovieScript::ForPlayer, doc);
        if (!read.ok()) {
            return showAndEnd(read.message());
        }
        ProgramEnd::endProgram(0);
    } else if (mode == "signal") {
        TerminationSignals::install();
        report("waiting", QString());
        return QCoreApplication::exec();
    } else if (mode == "killed") {
        std::raise(SIGKILL);
    }
    return 0;  // "return": a normal return from main
}
