#include "MTSK_DOUKI.h"

#include "common/MFIL_CHK2.h"

#include <QEventLoop>
#include <QProcess>

namespace MTSK_DOUKI {

bool RunAndWait(const QStringList& commandLine, const QString& workingFolder) {
    if (!MFIL_CHK2::ProgramFileExists(commandLine)) {
        return false;
    }
    QProcess process;
    process.setProgram(commandLine.first());
    process.setArguments(commandLine.mid(1));
    if (!workingFolder.isEmpty()) {
        process.setWorkingDirectory(workingFolder);
    }
    // Nobody reads the program's output, and a program that reads its input
    // must not wait for us.
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setStandardInputFile(QProcess::nullDevice());

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop,
                     [&loop, &process](QProcess::ProcessError) {
                         if (process.state() == QProcess::NotRunning) {
                             loop.quit();
                         }
                     });
    process.start();
    if (!process.waitForStarted()) {
        return false;
    }
    // The program may already have ended while it was being started.
    if (process.state() != QProcess::NotRunning) {
        loop.exec();
    }
    return true;
}

}  // namespace MTSK_DOUKI
