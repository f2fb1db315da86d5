#include "machine/trace.h"

#include <cstdarg>
#include <cstdio>

namespace machine {

bool trace_enabled;

void trace_printf(const char* format, ...) {
  if (!trace_enabled) return;
  std::va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

}  // namespace machine
