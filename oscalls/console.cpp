#include "oscalls/console.h"

#include <cstdio>

#include "machine/emu_memory.h"
#include "machine/run_state.h"
#include "oscalls/console_input.h"
#include "oscalls/console_output.h"
#include "oscalls/os_call_table.h"

namespace oscalls {

namespace {

constexpr uint32_t kReturn = '\r';
constexpr uint32_t kCrawioInput = 0xFF;
constexpr int32_t kReady = -1;
constexpr int32_t kWaiting = -1;

// BIOS device numbers.
constexpr uint32_t kPrinter = 0, kAux = 1, kConsole = 2, kRawConsole = 5;

// The last key handed out was a host CR, so an LF right after it is the
// second half of one Return.
bool after_cr;
unsigned answers_after_end;

// The next key, translated; -1 at the end of input.
int next_key() {
  for (;;) {
    const int c = console_input_next();
    if (c < 0) return -1;
    const bool dropped = c == '\n' && after_cr;
    after_cr = c == '\r';
    if (dropped) continue;
    return c == '\n' ? static_cast<int>(kReturn) : c;
  }
}

bool key_waiting() {
  while (console_input_waiting()) {
    if (!(after_cr && console_input_buffered_peek() == '\n')) return true;
    console_input_next();
    after_cr = false;
  }
  return false;
}

bool echoes() {
  return !console_input_is_terminal();
}

// A call that waits for input found its end. Answers it a few times, as a
// key or line that carries nothing; after that the program is only waiting
// for what can never come, and the run ends.
void input_ended() {
  set_d0(0);
  if (++answers_after_end <= kAnswersAfterEnd) return;
  if (console_line_open()) console_put('\n');
  std::puts(kInputEndedMessage);
  machine::stop_run();
}

// Cconin, Crawcin, Cnecin: wait for a key.
void wait_for_key(bool echo) {
  console_flush();
  const int key = next_key();
  if (key < 0) return input_ended();
  if (echo && echoes()) console_put(static_cast<uint32_t>(key));
  set_d0(static_cast<uint32_t>(key));
}

bool is_console_output(uint32_t device) {
  return device == kPrinter || device == kAux || device == kConsole || device == kRawConsole;
}

}  // namespace

void console_reset(int fd) {
  console_input_reset(fd);
  console_output_reset();
  after_cr = false;
  answers_after_end = 0;
}

int32_t console_read(int32_t count, uint32_t buffer) {
  console_flush();
  if (count <= 0) return 0;
  after_cr = false;
  const uint32_t n = console_input_read(buffer, static_cast<uint32_t>(count));
  if (n == 0) input_ended();
  return static_cast<int32_t>(n);
}

int32_t no_input_read(int32_t count) {
  console_flush();
  if (count <= 0) return 0;
  input_ended();
  return 0;
}

void cconin() {
  wait_for_key(true);
}
void crawcin() {
  wait_for_key(false);
}
void cnecin() {
  wait_for_key(false);
}

// The auxiliary and printer devices print on the console: standard output
// is the one place a pipeline can see what a program sends there.
void cconout(CharWord c) {
  console_put(c);
}
void cauxout(CharWord c) {
  console_put(c);
}
void cprnout(CharWord c) {
  console_put(c);
  set_d0_signed(kReady);
}

void cauxin() {
  input_ended();
}

// Output for any character but 0xFF; with 0xFF, a key if one is waiting and
// 0 if not, without waiting.
void crawio(CharWord character) {
  const uint32_t c = character & 0xFF;
  if (c != kCrawioInput) return console_put(c);
  console_flush();
  set_d0(key_waiting() ? static_cast<uint32_t>(next_key()) : 0);
}

void cconws(StringPointer string) {
  // Bounded by the address space, so a string without terminator cannot
  // keep the run printing forever; cut short once output has failed.
  constexpr uint32_t kFailureCheckEvery = 4096;
  for (uint32_t i = 0; i < machine::kMemorySize; ++i) {
    uint32_t c = machine::peek8(string + i);
    if (c == 0) break;
    if (i % kFailureCheckEvery == kFailureCheckEvery - 1 && machine::stdout_in_error()) break;
    console_put(c);
  }
}

// The buffer: maximum length, count, the characters; no terminator, and the
// Return is not stored. A full buffer ends the line; a Return right behind
// it (already there) is taken with it, so a line of exactly the maximum
// length does not leave an empty line behind.
void cconrs(Pointer buffer) {
  const uint32_t max = machine::peek8(buffer);
  console_flush();
  uint32_t count = 0;
  bool ended = false;
  bool returned = false;
  while (count < max) {
    const int key = next_key();
    if (key < 0) {
      ended = true;
      break;
    }
    if (static_cast<uint32_t>(key) == kReturn) {
      returned = true;
      break;
    }
    machine::poke8(buffer + 2 + count, static_cast<uint32_t>(key));
    if (echoes()) console_put(static_cast<uint32_t>(key));
    ++count;
  }
  if (count == max && max > 0 && key_waiting()) {
    const int next = console_input_buffered_peek();
    if (next == '\r' || next == '\n') {
      next_key();
      returned = true;
    }
  }
  if (returned && echoes()) console_put(kReturn);
  machine::poke8(buffer + 1, count);
  if (ended && count == 0) return input_ended();
  set_d0(count);
}

void cconis() {
  console_flush();
  set_d0_signed(key_waiting() ? kWaiting : 0);
}

void output_ready() {
  set_d0_signed(kReady);
}

void answer_zero() {
  set_d0(0);
}

// Only the console has input; the other devices have none, ever, so
// waiting for them is waiting at the end of input.
void bconstat(Word device) {
  if (device != kConsole) return set_d0(0);
  cconis();
}

void bconin(Word device) {
  if (device != kConsole) return input_ended();
  wait_for_key(false);
}

// Printer and auxiliary output go where the GEMDOS calls send them; MIDI,
// keyboard processor and unknown devices take the character and drop it.
void bconout(Word device, CharWord c) {
  if (is_console_output(device)) console_put(c);
}

void bcostat(Word) {
  output_ready();
}

}  // namespace oscalls
