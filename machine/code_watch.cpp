#include "machine/code_watch.h"

#include <algorithm>

namespace machine {

uint8_t code_lines[kCodeLineCount];

namespace {
CodeWriteHook code_write_hook;
}  // namespace

void register_code_write_hook(CodeWriteHook hook) {
  code_write_hook = hook;
}

void code_line_written(uint32_t address, uint32_t size) {
  if (code_write_hook) code_write_hook(address, size);
}

// Runs of lines up to the top of the address space, then on from 0; the
// hook hears of each run that has a marked line in it. Before the tier has
// registered its hook nothing is marked, and the lines are not even looked
// at (clearing memory and loading a program would otherwise read all of
// them).
void note_range_write(uint32_t address, size_t n) {
  if (!code_write_hook) return;
  uint32_t at = address & (kCodeLineCount * (1u << kCodeLineShift) - 1);
  while (n > 0) {
    const size_t run = std::min<size_t>(n, (kCodeLineCount << kCodeLineShift) - at);
    const uint8_t* first = code_lines + (at >> kCodeLineShift);
    const uint8_t* last = code_lines + ((at + run - 1) >> kCodeLineShift);
    if (std::any_of(first, last + 1, [](uint8_t marked) { return marked != 0; }))
      code_line_written(at, static_cast<uint32_t>(run));
    n -= run;
    at = 0;
  }
}

}  // namespace machine
