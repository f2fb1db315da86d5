// The OS-call trace of vellum-trace: one line per OS call and per fault
// report, on standard error. Off in vellum itself; every line is built only
// when it is on.
#pragma once

namespace machine {

extern bool trace_enabled;

// printf-style line (the caller ends it) on standard error, when tracing.
void trace_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace machine
