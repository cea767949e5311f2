#pragma once

// SIGTERM, SIGINT and SIGHUP end the program through its normal end, so the
// sound stops and private folders are removed. The signal is carried into
// the event loop through a pipe; the handler itself only writes a byte.
// SIGXFSZ is ignored, so a file-size limit fails a write rather than the
// program.
namespace TerminationSignals {

void install();

}  // namespace TerminationSignals
