#pragma once

// SIGTERM, SIGINT and SIGHUP end the program through its normal end, so the
// sound stops and private folders are removed. The signal is carried into
// the event loop through a pipe; the handler itself only writes a byte.
namespace TerminationSignals {

void install();

}  // namespace TerminationSignals
