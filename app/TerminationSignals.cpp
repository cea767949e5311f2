#include "TerminationSignals.h"

#include "common/ProgramEnd.h"

#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>
#include <csignal>

namespace TerminationSignals {
namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] ssize_t written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void install() {
    // Past a file-size limit (ulimit -f) a write then fails with EFBIG, and
    // the save reports it as any other failed write instead of dying.
    ::signal(SIGXFSZ, SIG_IGN);
    if (signalPipe[0] >= 0 ||
        ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, [notifier] {
        unsigned char byte = 0;
        if (::read(signalPipe[0], &byte, 1) == 1) {
            notifier->setEnabled(false);
            ProgramEnd::endProgram(128 + byte);
        }
    });

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        ::sigaction(number, &action, nullptr);
    }
}

}  // namespace TerminationSignals
