#include "StartUp.h"

#include "InstanceLock.h"
#include "MDllChk.h"
#include "TerminationSignals.h"
#include "common/AppIcon.h"
#include "common/MessageBox.h"
#include "common/ProgramEnd.h"
#include "frmMain.h"
#include "moviefile/ArchiverLibrary.h"
#include "moviefile/CommandLine.h"
#include "moviefile/PreviewMode.h"

#include <QApplication>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QTranslator>

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

int run(int argc, char** argv) {
    QApplication application(argc, argv);
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
    previewMode = false;
    CommandLine::setFromArguments(QApplication::arguments().mid(1));

    auto* launcher = new frmMain();
    launcher->setAttribute(Qt::WA_DeleteOnClose);
    launcher->show();
    return QApplication::exec();
}

}  // namespace StartUp
