#include "translator/tier.h"

#include <asmjit/x86.h>

#include <algorithm>
#include <cstdio>

#include "cpu/cpu_state.h"
#include "machine/code_watch.h"
#include "machine/emu_memory.h"
#include "translator/block_cache.h"
#include "translator/code_hook.h"
#include "translator/coverage_counts.h"
#include "translator/dump.h"
#include "translator/emitter.h"
#include "translator/engine.h"
#include "translator/lockstep.h"
#include "translator/tier_state.h"

namespace translator {

TierShared tier_shared;
const void* jump_miss_stub;

namespace {

namespace x86 = asmjit::x86;

// Free space a translation is started with; far more than a block of the
// longest limit takes.
constexpr size_t kBlockRoom = size_t{256} << 10;

enum class SetUp : uint8_t { kNotYet, kReady, kUnavailable };

struct Stubs {
  uint32_t (*enter)(const void* code) = nullptr;
  uint64_t exit = 0;
  uint32_t end = 0;  // blocks start here
};

// Nothing here is built before the first translation: a static object with
// a constructor or destructor would run code (and touch pages) in every
// run, translating or not.
SetUp set_up = SetUp::kNotYet;
CodeMemory code_memory;
BlockCache* cache = nullptr;
Stubs stubs;
void (*drop_listener)(uint32_t pc) = nullptr;

// Records that asmjit failed; the translation is then abandoned and the
// block stays with the interpreter.
class FailureFlag : public asmjit::ErrorHandler {
 public:
  bool failed = false;
  void handleError(asmjit::Error, const char* message, asmjit::BaseEmitter*) override {
    failed = true;
    if (settings().dump_host) std::fprintf(stderr, "vellum: translation failed: %s\n", message);
  }
};

// Everything translated code reaches relative to the CPU state must lie
// within a 32-bit displacement of it.
bool within_reach(const void* p) {
  const intptr_t d = reinterpret_cast<intptr_t>(p) - reinterpret_cast<intptr_t>(&m68k::cpu);
  return d >= INT32_MIN / 2 && d <= INT32_MAX / 2;
}

bool layout_reachable() {
  return within_reach(machine::emu_memory) &&
         within_reach(machine::emu_memory + machine::kMemorySize) &&
         within_reach(machine::code_lines) &&
         within_reach(machine::code_lines + machine::kCodeLineCount) &&
         within_reach(&tier_shared) && within_reach(&tier_shared + 1) &&
         within_reach(&m68k::cycle_budget);
}

// Entry: the callee-saved registers the blocks use are saved, the stack is
// aligned to 16 and r15 points at the CPU state. Exit: all of it undone,
// eax the reason.
bool emit_stubs() {
  asmjit::CodeHolder code;
  code.init(asmjit::Environment::host(), reinterpret_cast<uint64_t>(code_memory.rx(0)));
  FailureFlag failure;
  code.setErrorHandler(&failure);
  x86::Assembler a(&code);
  const asmjit::Label exit = a.newLabel();
  static const x86::Gp kSaved[] = {x86::rbp, x86::rbx, x86::r12, x86::r13, x86::r14, x86::r15};
  for (const x86::Gp& r : kSaved) a.push(r);
  a.sub(x86::rsp, 8);
  a.mov(x86::r15, reinterpret_cast<uint64_t>(&m68k::cpu));
  a.jmp(x86::rdi);
  a.align(asmjit::AlignMode::kCode, 16);
  a.bind(exit);
  a.add(x86::rsp, 8);
  for (size_t i = std::size(kSaved); i-- > 0;) a.pop(kSaved[i]);
  a.ret();
  a.align(asmjit::AlignMode::kCode, 16);
  const asmjit::Label miss = a.newLabel();
  a.bind(miss);
  a.mov(x86::eax, static_cast<uint32_t>(kExitNormal));
  a.jmp(exit);
  if (failure.failed || code.flatten() != asmjit::kErrorOk ||
      code.resolveUnresolvedLinks() != asmjit::kErrorOk ||
      code.relocateToBase(reinterpret_cast<uint64_t>(code_memory.rx(0))) != asmjit::kErrorOk)
    return false;
  const size_t size = code.codeSize();
  code.copyFlattenedData(code_memory.rw(0), size);
  code_memory.take(size);
  stubs.enter = reinterpret_cast<uint32_t (*)(const void*)>(code_memory.rx(0));
  stubs.exit = reinterpret_cast<uint64_t>(code_memory.rx(0)) + code.labelOffset(exit);
  jump_miss_stub = code_memory.rx(static_cast<uint32_t>(code.labelOffset(miss)));
  stubs.end = code_memory.used();
  return true;
}

void empty_jump_cache() {
  for (JumpEntry& e : tier_shared.jump_cache) e = JumpEntry{0, 0, jump_miss_stub};
}

bool set_up_tier() {
  if (!layout_reachable() || !code_memory.reserve(settings().code_memory_bytes) || !emit_stubs())
    return false;
  empty_jump_cache();
  cache = new BlockCache(code_memory);
  cache->on_drop = drop_listener;
  if (kLockstep)
    for (uint8_t* map : {machine::code_lines, machine::code_pages})
      std::fill(
          map,
          map + (map == machine::code_lines ? machine::kCodeLineCount : machine::kCodePageCount),
          1);
  machine::register_code_write_hook(&translated_code_written);
  return true;
}

}  // namespace

bool tier_ready() {
  if (set_up == SetUp::kNotYet) set_up = set_up_tier() ? SetUp::kReady : SetUp::kUnavailable;
  return set_up == SetUp::kReady;
}

const void* find_sharing_translation(uint32_t pc) {
  JumpEntry& e = tier_shared.jump_cache[jump_cache_index(pc)];
  const int32_t id = cache->find(pc);
  if (id < 0) return nullptr;
  e.pc = pc;
  e.code = code_memory.rx(cache->block(id).code);
  return e.code;
}

GuestBlock block_at(uint32_t pc) {
  BlockLimits limits;
  limits.max_instructions = settings().block_limit;
  limits.stop_before_call_out = kLockstep;
  return read_guest_block(pc, limits);
}

const void* translate(uint32_t pc) {
  if (!tier_ready()) return nullptr;
  const GuestBlock guest = block_at(pc);
  // A block of call-outs alone would only be the interpreter, slower.
  if (guest.insns.empty() || guest.call_outs == guest.insns.size()) return nullptr;
  if (code_memory.free_space() < kBlockRoom) {
    drop_translations();
    ++statistics_for_update().flushes;
  }
  if (code_memory.free_space() < kBlockRoom) return nullptr;

  const uint32_t at = code_memory.used();
  const uint64_t base = reinterpret_cast<uint64_t>(code_memory.rx(at));
  asmjit::CodeHolder code;
  code.init(asmjit::Environment::host(), base);
  FailureFlag failure;
  code.setErrorHandler(&failure);
  asmjit::FileLogger logger(stderr);
  if (settings().dump_host) {
    logger.addFlags(asmjit::FormatFlags::kMachineCode);
    code.setLogger(&logger);
    std::fprintf(stderr, "vellum: host code at offset %#x of the code memory\n", at);
  }
  if (settings().dump_guest) dump_guest_block(stderr, guest);
  x86::Assembler a(&code);
  EmitContext context;
  context.exit_trampoline = stubs.exit;
  context.block_id = cache->next_id();
  context.chaining = !kLockstep;
  context.lockstep = kLockstep;
  if (coverage_counting()) context.entry_counter = coverage_block_counter(guest);
  BlockEmitter emitter(a, guest, context);
  if (!emitter.emit() || failure.failed || code.flatten() != asmjit::kErrorOk ||
      code.resolveUnresolvedLinks() != asmjit::kErrorOk ||
      code.relocateToBase(base) != asmjit::kErrorOk)
    return nullptr;
  const size_t size = code.codeSize();
  if (size > code_memory.free_space()) return nullptr;
  code.copyFlattenedData(code_memory.rw(at), size);
  code_memory.take(size);

  CachedBlock block;
  block.pc = pc;
  block.first = guest.first;
  block.end = guest.end;
  block.code = at;
  for (const ExitSite& s : emitter.exit_sites(code))
    block.exits.push_back({s.target, at + s.jump_at, at + s.stub_at});
  cache->add(std::move(block));
  ++statistics_for_update().translations;
  // The new block takes its jump-cache entry; one it displaces stays in the
  // cache's map (and its entry is not empty).
  const void* entry = code_memory.rx(at);
  tier_shared.jump_cache[jump_cache_index(pc)] = JumpEntry{pc, 0, entry};
  return entry;
}

uint32_t enter_translation(const void* code) {
  tier_shared.code_changed = 0;
  return stubs.enter(code);
}

void link_exit(uint32_t block, uint32_t exit) {
  cache->link(block, exit);
}

void drop_translations() {
  if (set_up != SetUp::kReady) return;
  cache->clear();
  code_memory.truncate(stubs.end);
  empty_jump_cache();
}

void set_drop_listener(void (*listener)(uint32_t pc)) {
  drop_listener = listener;
  if (cache) cache->on_drop = listener;
}

void translated_code_written(uint32_t address, uint32_t size) {
  if (kLockstep && lockstep_repeating()) return lockstep_interpreted_store(address, size);
  if (cache) statistics_for_update().dropped += cache->drop_written(address, size);
}

}  // namespace translator
