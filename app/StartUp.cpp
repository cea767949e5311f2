#include "StartUp.h"

#include "ExportCommand.h"
#include "InstanceLock.h"
#include "MDllChk.h"
#include "PlatformChoice.h"
#include "StartOptions.h"
#include "TerminationSignals.h"
#include "common/AppIcon.h"
#include "common/MessageBox.h"
#include "common/ProgramEnd.h"
#include "editor/frmMaker.h"
#include "frmMain.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/CommandLine.h"
#include "moviefile/MovieDoc.h"
#include "moviefile/WorkFolderSession.h"
#include "player/frmMovie.h"
#include "settings/AppSettings.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>
#include <optional>
#include <vector>

namespace StartUp {

void installJapanese(QApplication& application) {
    auto* translator = new QTranslator(&application);
    if (translator->load(QStringLiteral("qtbase_ja"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }
    const QStringList families = QFontDatabase::families();
    for (const QString& family : {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                  QStringLiteral("Noto Sans CJK JP")}) {
        if (families.contains(family)) {
            QFont font(family);
            font.setPointSize(10);
            QApplication::setFont(font);
            break;
        }
    }
}

namespace {

// Answers that need no window system: help, version and refusals.
int answerOnTheTerminal(int argc, char** argv, const StartOptions::Options& options) {
    std::optional<QCoreApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        application.emplace(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("slidewright"));
    switch (options.action) {
        case StartOptions::Action::Help:
            std::fputs(StartOptions::HelpText().toLocal8Bit().constData(), stdout);
            return 0;
        case StartOptions::Action::Version:
            std::fputs(StartOptions::VersionText().toLocal8Bit().constData(), stdout);
            return 0;
        default:
            std::fprintf(stderr, "slidewright: %s\n", options.message.toLocal8Bit().constData());
            std::fputs(StartOptions::HelpText().toLocal8Bit().constData(), stderr);
            return 2;
    }
}

QStringList argumentList(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}

// The exit code of what needs no window (an export, help, version, a
// refusal), once done; nothing for the actions that show windows.
std::optional<int> answerWithoutWindows(int argc, char** argv,
                                        const StartOptions::Options& options) {
    using StartOptions::Action;
    if (options.action == Action::Export) {
        return ExportCommand::Run(argc, argv, options.exportTarget, options.package);
    }
    if (options.action == Action::Launcher || options.action == Action::Play ||
        options.action == Action::Edit) {
        return std::nullopt;
    }
    return answerOnTheTerminal(argc, argv, options);
}

}  // namespace

int run(int argc, char** argv) {
    StartOptions::Options options = StartOptions::Parse(argumentList(argc, argv));
    if (options.action != StartOptions::Action::LeftToQt) {
        if (const auto code = answerWithoutWindows(argc, argv, options)) {
            return *code;
        }
    }
    std::vector<char*> arguments = PlatformChoice::Arguments(argc, argv);
    int count = static_cast<int>(arguments.size()) - 1;
    QApplication application(count, arguments.data());
    if (options.action == StartOptions::Action::LeftToQt) {
        // Qt has taken its own options (-platform xcb, ...) out of the list.
        options = StartOptions::Parse(QApplication::arguments());
        if (const auto code = answerWithoutWindows(argc, argv, options)) {
            return *code;
        }
    }
    QApplication::setApplicationName(QStringLiteral("slidewright"));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setWindowIcon(AppIcon::programIcon());

    InstanceLock lock;
    if (!lock.acquire()) {
        return 0;
    }
    installJapanese(application);
    TerminationSignals::install();

    const std::string library = MDllChk::FindLibrary("libunlha32.so");
    if (library.empty() || !ArchiverLibrary::load(library)) {
        MessageBox::show(nullptr, QStringLiteral("UNLHA32.DLL がないと動作できません"),
                         QStringLiteral("環境エラー"), MessageBox::Icon::Critical);
        ProgramEnd::endProgram(1);
        return 1;
    }
    CommandLine::set(options.package);

    // What the windows work on lives as long as they do: one movie, which
    // whichever of player and editor opens works on.
    MovieDoc movie;
    AppSettings settings;
    WorkFolderSession workFiles;
    const EditorContext editor{movie, settings, workFiles};
    if (options.action == StartOptions::Action::Play) {
        frmMovie::Open(movie);
    } else if (options.action == StartOptions::Action::Edit) {
        frmMaker::Open(editor);
    } else {
        auto* launcher = new frmMain(editor);
        launcher->setAttribute(Qt::WA_DeleteOnClose);
        launcher->show();
    }
    return QApplication::exec();
}

}  // namespace StartUp
