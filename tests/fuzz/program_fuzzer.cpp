// Whole programs through the runner's start-up path: the input is the
// program file, optionally followed by "#ARGS#" and up to four parameters
// separated by newlines. Each input runs in a fresh machine for a bounded
// number of instructions, so a guest that loops forever only costs time.
#include <cstdio>
#include <cstring>

#include "cpu/cpu_state.h"
#include "machine/run_state.h"
#include "runner/runner.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr int kExecuteCalls = 4;
constexpr int32_t kBudget = 10000;  // instructions per execute call
constexpr int kMaxParams = 4;
constexpr char kArgsMark[] = "#ARGS#";
constexpr size_t kArgsMarkLength = sizeof kArgsMark - 1;

// The last "#ARGS#" splits the input; none means no parameters.
size_t program_length(const uint8_t* data, size_t size) {
  for (size_t i = size; i >= kArgsMarkLength; --i)
    if (std::memcmp(data + i - kArgsMarkLength, kArgsMark, kArgsMarkLength) == 0)
      return i - kArgsMarkLength;
  return size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const size_t length = program_length(data, size);
  // The runner refuses empty and oversized files before touching the machine.
  if (length == 0 || length > runner::kMaxProgramSize) return -1;

  // Parameters: split at newlines, NULs end one early (as argv would).
  static char text[512];
  const size_t tail = size - length - (length < size ? kArgsMarkLength : 0);
  const size_t text_length = tail < sizeof text - 1 ? tail : sizeof text - 1;
  std::memcpy(text, data + size - tail, text_length);
  text[text_length] = 0;
  char* params[kMaxParams];
  int count = 0;
  if (length < size) {
    char* p = text;
    while (count < kMaxParams) {
      params[count++] = p;
      char* nl = std::strchr(p, '\n');
      if (!nl) break;
      *nl = 0;
      p = nl + 1;
    }
  }
  if (runner::argv_environment_needed("FUZZ.TOS", count, params) > runner::kMaxArgvEnvironment)
    return -1;

  fuzz::reset_machine();
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data), length, "rb");
  if (!file) return 0;
  const uint32_t loaded = runner::load_program(file);
  std::fclose(file);
  if (loaded == 0 || loaded > runner::kMaxProgramSize) return 0;

  // As runner::run does, with a bounded loop.
  m68k::cpu = {};
  m68k::set_cpu_type(m68k::kM68000);
  m68k::pulse_reset();
  runner::write_parameters(runner::command_tail_address, "FUZZ.TOS", count, params);
  for (int i = 0; i < kExecuteCalls && !machine::quit_flag; ++i) {
    m68k::execute(kBudget);
    if (!machine::quit_flag && m68k::cpu.stopped != 0) break;
  }
  std::fflush(stdout);
  return 0;
}
