// The OS-call trace of vellum-trace: one line per OS call and per fault
// report, on standard error. Off in vellum itself; every line is built only
// when it is on.
//
// Every line goes out through the two writers below, which hand the
// program's buffered standard output to the host first: on a terminal that
// shows both streams, a line then follows the output of the calls before it.
#pragma once

#include <cstddef>

namespace machine {

extern bool trace_enabled;

// printf-style line (the caller ends it) on standard error, when tracing.
void trace_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A line already built, `length` bytes, when tracing.
void trace_write(const char* text, size_t length);

}  // namespace machine
