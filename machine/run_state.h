// Process-wide values of the run: read by the run loop, set by whichever
// handler ends the run, and the ways the host can end it from outside (a
// signal, a standard output that no longer takes data).
#pragma once

#include <csignal>
#include <cstdint>

namespace machine {

extern uint32_t quit_flag;
extern uint32_t exit_code;

// Every path that ends the run goes through here: QuitFlag and end of the
// CPU's timeslice, so execute returns after the current instruction.
void stop_run();

// The code of a run that failed rather than ended: a fault report, an
// unhandled I/O access, a CPU stopped for ever. -1, as Pterm(-1) gives, so
// the host sees status 255 and a build script can tell a crashed tool from
// one that worked.
inline constexpr uint32_t kFailedRunCode = 0xFFFF;
// Ends the run as failed: stop_run with that code.
void fail_run();

// Why the run ended, when it was not the program's own doing.
enum class HostEnd : uint8_t {
  kNone,
  kSignal,        // SIGTERM, SIGINT or SIGHUP; see pending_signal
  kOutputFailed,  // standard output refused data (a closed pipe, a full disk)
};

// The signal that asked the run to end, 0 while none has. Set only by the
// signal handler.
extern volatile std::sig_atomic_t pending_signal;

// Installs the handlers for SIGTERM, SIGINT and SIGHUP and ignores SIGPIPE,
// so that a closed output pipe shows as a write error instead of killing
// the process with the program's files unflushed.
void install_signal_handlers();
// Blocks the end signals while the run is being wound up, so a second
// Ctrl-C cannot cut the flushing short.
void block_end_signals();

// Whether the host's standard output is in error (a closed pipe, a full
// disk), so that anything written to it now is lost. Only a query: output
// code uses it to stop copying what could not go out.
bool stdout_in_error();

// Checks standard output's error flag and ends the run when it is set.
// The run loop calls it after every timeslice; output code may call it too,
// to stop the program sooner. Returns true when the run must end.
bool output_failed();

// What ended the run from outside: kNone when the program or a fault did.
HostEnd host_end();

// For code that waits for input (reading standard input): waits until `fd`
// is readable. Returns false, without waiting, when the run is to end, and
// as soon as an end signal arrives during the wait, so a blocked read never
// outlives a Ctrl-C. Race-free: the handler also writes to a pipe this
// function polls.
bool wait_for_input(int fd);

}  // namespace machine
