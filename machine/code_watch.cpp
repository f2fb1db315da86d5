#include "machine/code_watch.h"

#include <algorithm>

namespace machine {

uint8_t code_lines[kCodeLineCount];
// Zero-initialised, but emitted with the initialised data (see the header).
alignas(4096) uint8_t code_pages[kCodePageCount] __attribute__((section(".data")));

namespace {
CodeWriteHook code_write_hook;
}  // namespace

void register_code_write_hook(CodeWriteHook hook) {
  code_write_hook = hook;
}

void code_line_written(uint32_t address, uint32_t size) {
  if (code_write_hook) code_write_hook(address, size);
}

// Runs of pages up to the top of the address space, then on from 0; the
// hook hears of each run that has a marked page in it, and looks at the
// lines itself. Before the tier has registered its hook nothing is marked,
// and nothing is looked at.
void note_range_write(uint32_t address, size_t n) {
  if (!code_write_hook) return;
  constexpr uint32_t kSpace = kCodePageCount << kCodePageShift;
  uint32_t at = address & (kSpace - 1);
  while (n > 0) {
    const size_t run = std::min<size_t>(n, kSpace - at);
    const uint8_t* first = code_pages + (at >> kCodePageShift);
    const uint8_t* last = code_pages + ((at + run - 1) >> kCodePageShift);
    if (std::any_of(first, last + 1, [](uint8_t marked) { return marked != 0; }))
      code_write_hook(at, static_cast<uint32_t>(run));
    n -= run;
    at = 0;
  }
}

}  // namespace machine
