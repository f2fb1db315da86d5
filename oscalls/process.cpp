#include "oscalls/process.h"

#include <algorithm>
#include <iterator>

#include "cpu/cpu_state.h"
#include "machine/basepage.h"
#include "machine/emu_memory.h"
#include "machine/os_rom.h"
#include "machine/program_entry.h"
#include "machine/run_state.h"
#include "machine/trace.h"
#include "oscalls/dir_search.h"
#include "oscalls/file_calls.h"
#include "oscalls/host_files.h"
#include "oscalls/malloc_calls.h"
#include "oscalls/os_call_table.h"
#include "oscalls/program_loader.h"

namespace oscalls {

namespace {

using machine::kBasepageSize;
using machine::peek16;
using machine::peek32;
using machine::poke16;
using machine::poke32;

constexpr uint32_t kSupervisorBit = 0x2000;

// The parent as its Pexec left it, and what the memory and DTA go back to
// when the child ends.
struct ChildRecord {
  uint32_t registers[16];  // D0-D7, A0-A7 (A7: the supervisor stack at the TRAP frame)
  uint32_t usp, sr, pc;    // PC: the instruction after the channel write, the stub's RTE
  MallocState malloc;      // the parent's, its next address as it is once the child ends
  uint32_t dta;
  uint32_t basepage;  // the child's
};

ChildRecord children[kMaxChildDepth];
static_assert(kMaxChildDepth <= kMaxHeldTraceLines, "every running child's Pexec line is held");
unsigned depth;  // children running; 0 while the first program runs

// Basepages made by modes 3 and 5, with the lowest byte each took (its
// environment copy), so that mode 6 can give all of it back. A few are
// remembered; an older one run with mode 6 gives back from its basepage.
struct Prepared {
  uint32_t basepage, region_start;
};
constexpr unsigned kPreparedSlots = 8;
Prepared prepared[kPreparedSlots];
unsigned next_prepared;

// Where the ROM's reset routine put it: below the load address its header
// names.
uint32_t first_basepage() {
  return peek32(machine::kLoadAddressField) - (machine::kLoadAddress - machine::kFirstBasepage);
}

uint32_t current_basepage() {
  return depth == 0 ? first_basepage() : children[depth - 1].basepage;
}

// The end of the memory a new child may have when its memory starts at
// `start`: the top, or lower where a stack of the (suspended) parent lies
// above `start`, as it does for a program that never moved its stack away
// from the top of memory.
uint32_t limit_below_parent_stacks(uint32_t start) {
  uint32_t limit = malloc_top();
  for (const uint32_t sp :
       {m68k::get_register(nullptr, m68k::kUSP), m68k::get_register(nullptr, m68k::kISP)})
    if (sp > start && sp < limit) limit = sp;
  return limit & ~3u;
}

// A new child's memory starts at the parent's next Malloc address, but
// never inside the parent's own program: a program that did not shrink
// itself has that address at the end of its file, which can lie inside its
// BSS.
NewProcess new_process(uint32_t tail, uint32_t env) {
  NewProcess p;
  p.parent = current_basepage();
  p.start = std::max(malloc_state.next, peek32(p.parent + machine::kBasepageBss) +
                                            peek32(p.parent + machine::kBasepageBssLength));
  p.limit = limit_below_parent_stacks(p.start);
  p.tail = tail;
  p.environment = env != 0 ? env : peek32(p.parent + machine::kBasepageEnvironment);
  return p;
}

void remember_prepared(const LoadedProcess& p) {
  prepared[next_prepared] = Prepared{p.basepage, p.region_start};
  next_prepared = (next_prepared + 1) % kPreparedSlots;
}

uint32_t take_prepared_region(uint32_t basepage) {
  for (Prepared& p : prepared)
    if (p.basepage == basepage) {
      const uint32_t start = p.region_start;
      p = Prepared{};
      return start;
    }
  return basepage;
}

// Saves the parent, then makes the CPU the child's, in the entry state every
// program starts in (machine/program_entry.h): its registers and its user
// stack, and a frame under the parent's TRAP frame that the stub's RTE takes
// into the child's text in user mode. The child's supervisor stack thus
// starts below the parent's frame, which stays intact for the return.
void start_child(uint32_t basepage, uint32_t next, uint32_t limit, uint32_t malloc_after) {
  ChildRecord& rec = children[depth];
  for (unsigned r = 0; r < 16; ++r) rec.registers[r] = m68k::get_register(nullptr, r);
  rec.usp = m68k::get_register(nullptr, m68k::kUSP);
  rec.sr = m68k::get_register(nullptr, m68k::kSR);
  rec.pc = m68k::get_register(nullptr, m68k::kPC);
  rec.malloc = malloc_state;
  rec.malloc.next = malloc_after;
  rec.dta = dta();
  rec.basepage = basepage;
  ++depth;
  set_file_owner(static_cast<uint8_t>(depth));

  malloc_state = MallocState::for_child(basepage, next, limit);
  set_dta(basepage + machine::kBasepageCommandLine);

  const machine::ProgramEntry entry = machine::program_entry(basepage);
  machine::write_entry_stack(entry);
  for (unsigned r = m68k::kD0; r < m68k::kA0; ++r) m68k::set_register(r, 0);
  for (unsigned i = 0; i < std::size(machine::kEntryAddressRegisters); ++i)
    m68k::set_register(m68k::kA0 + i, entry.value(machine::kEntryAddressRegisters[i]));
  m68k::set_register(m68k::kUSP, entry.user_stack);
  const uint32_t frame = m68k::get_register(nullptr, m68k::kISP) - 6;
  poke16(frame, machine::kEntrySr);
  poke32(frame + 2, entry.text);
  m68k::set_register(m68k::kISP, frame);
  machine::trace_printf("PEXEC child %u starts: basepage 0x%06x, text 0x%06x, memory to 0x%06x\n",
                        depth, basepage, entry.text, limit);
  // The parent's answer is the child's code: its Pexec line waits for it.
  hold_trace_line();
}

void answer_error(int32_t error) {
  set_d0_signed(error);
}

// Mode 0: load and go. When the child ends, everything it had is free again.
void load_and_go(uint32_t name, uint32_t tail, uint32_t env) {
  if (depth == kMaxChildDepth) return answer_error(kNotEnoughMemory);
  const NewProcess request = new_process(tail, env);
  LoadedProcess p;
  const uint32_t parent_next = malloc_state.next;
  if (const int32_t error = load_program_file(name, request, p)) return answer_error(error);
  start_child(p.basepage, p.image_end, request.limit, parent_next);
}

// Modes 3 and 5 give the new basepage all the memory up to the top, as the
// largest free block: the parent's Malloc finds nothing until it shrinks
// that block with Mshrink(basepage, size).
void prepare(uint32_t mode, uint32_t name, uint32_t tail, uint32_t env) {
  const NewProcess request = new_process(tail, env);
  LoadedProcess p;
  const int32_t error =
      mode == 3 ? load_program_file(name, request, p) : create_basepage(request, p);
  if (error != 0) return answer_error(error);
  remember_prepared(p);
  malloc_state.next = std::max(malloc_state.next, malloc_top());
  set_d0(p.basepage);
}

// Modes 4 and 6: run a prepared basepage. While its memory reaches up to
// where the parent's next Malloc would start (not shrunk, nothing allocated
// above it), the child's Malloc starts above its BSS; otherwise above the
// parent's blocks. Mode 6 gives the whole block back at the end when it
// still is the last one.
void go(uint32_t basepage, bool free_at_end) {
  if (depth == kMaxChildDepth) return answer_error(kNotEnoughMemory);
  const uint32_t hitpa = peek32(basepage + machine::kBasepageMemoryEnd);
  if ((basepage & 1) != 0 || basepage < first_basepage() ||
      uint64_t{hitpa} < uint64_t{basepage} + kBasepageSize + kMinimumChildStack ||
      hitpa > machine::kIoRegionStart)
    return answer_error(kInvalidMemoryBlock);
  const uint32_t m = malloc_state.next;
  uint32_t image_end =
      peek32(basepage + machine::kBasepageBss) + peek32(basepage + machine::kBasepageBssLength);
  if (image_end < basepage + kBasepageSize || image_end > hitpa)
    image_end = basepage + kBasepageSize;
  const bool owns_rest = m >= hitpa;
  const uint32_t next = owns_rest ? image_end : std::max(m, image_end);
  const uint32_t limit = owns_rest ? hitpa : limit_below_parent_stacks(next);
  const uint32_t after = free_at_end && owns_rest ? take_prepared_region(basepage) : m;
  start_child(basepage, next, limit, after);
}

}  // namespace

void reset_processes() {
  depth = 0;
  reset_held_trace_lines();
  for (Prepared& p : prepared) p = Prepared{};
  next_prepared = 0;
  start_malloc(0);
  set_file_owner(0);
}

unsigned child_depth() {
  return depth;
}

void terminate_program(uint16_t code) {
  if (depth == 0) {
    machine::exit_code = code;
    machine::stop_run();
    return;
  }
  const ChildRecord& rec = children[depth - 1];
  machine::trace_printf("PEXEC child %u ends: code %d\n", depth, static_cast<int16_t>(code));
  close_files_owned_by(static_cast<uint8_t>(depth));
  --depth;
  set_file_owner(static_cast<uint8_t>(depth));
  malloc_state = rec.malloc;
  set_dta(rec.dta);
  // The SR first: it sets S (as in the parent's handler) without moving A7,
  // so that A7 below becomes the parent's supervisor stack at its frame.
  m68k::set_register(m68k::kSR, rec.sr);
  for (unsigned r = 0; r < 16; ++r) m68k::set_register(r, rec.registers[r]);
  m68k::set_register(m68k::kUSP, rec.usp);
  m68k::set_register(m68k::kPC, rec.pc);
  set_d0_signed(static_cast<int16_t>(code));
  answer_held_trace_line();
}

// The first program's Pterm0 leaves the exit status as it is.
void pterm0() {
  if (depth == 0)
    machine::stop_run();
  else
    terminate_program(0);
}

void pterm(SignedWord code) {
  terminate_program(static_cast<uint16_t>(code));
}

void pexec(Word mode, StringPointer name, Pointer tail, Pointer env) {
  switch (mode) {
    case 0:
      return load_and_go(name, tail, env);
    case 3:
    case 5:
      return prepare(mode, name, tail, env);
    case 4:
    case 6:
      return go(tail, mode == 6);  // the basepage comes where the tail would
    default:
      return answer_error(kInvalidFunction);
  }
}

// The TRAP's frame on the supervisor stack at F (ISP): SR word, return PC.
// Whatever mode the call came from, the stub's RTE takes the frame that
// ISP points at when the handler returns.
void super(BlockAddress block, Pointer stack) {
  const uint32_t frame = m68k::get_register(nullptr, m68k::kISP);
  const uint32_t sr = peek16(frame);
  const uint32_t pc = peek32(frame + 2);
  const bool from_supervisor = sr & kSupervisorBit;

  if (stack == 1) {  // inquiry only
    set_d0_signed(from_supervisor ? -1 : 0);
    return;
  }
  if (!from_supervisor) {
    // Copy the frame, with S set, below the new supervisor stack. Without a
    // stack of its own the program keeps the one it called from.
    const uint32_t top = stack != 0 ? stack.value : block.value;
    poke32(top - 4, pc);
    poke16(top - 6, sr | kSupervisorBit);
    set_d0(frame);
    m68k::set_register(m68k::kISP, top - 6);
    return;
  }
  // Back to user mode. The program's stack continues where it was before the
  // TRAP (F + 6) and becomes the user stack.
  if (stack == 0) {
    poke16(frame, sr & ~kSupervisorBit);
    m68k::set_register(m68k::kUSP, frame + 6);
    return;
  }
  poke32(stack - 4, pc);
  poke16(stack - 6, sr & ~kSupervisorBit);
  m68k::set_register(m68k::kUSP, frame + 6);
  m68k::set_register(m68k::kISP, stack - 6);
}

void ssystem(SignedWord, Long, Long) {
  set_d0_signed(kInvalidFunction);
}

}  // namespace oscalls
