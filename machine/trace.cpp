#include "machine/trace.h"

#include <cstdarg>
#include <cstdio>

namespace machine {

bool trace_enabled;

void trace_printf(const char* format, ...) {
  if (!trace_enabled) return;
  std::fflush(stdout);
  std::va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

void trace_write(const char* text, size_t length) {
  if (!trace_enabled) return;
  std::fflush(stdout);
  std::fwrite(text, 1, length, stderr);
}

}  // namespace machine
