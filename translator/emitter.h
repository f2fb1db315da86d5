// Emission of one block into x86-64 code, and the services the instruction
// forms (forms.h) build on: guest registers, operands, memory accesses,
// condition codes, exits and call-outs.
//
// Conventions of translated code:
//   r15   the address of the CPU state; everything else (guest memory, the
//         line map, the budget, the tier's shared record) at a fixed
//         displacement from it.
//   rcx   scratch of the memory accesses and the shift count; never a
//         temporary.
//   rsp   16-byte aligned, so helpers are called directly.
// Guest registers and condition codes live in host registers inside a
// block (emitter_state.cpp): a register is loaded at its first use, a value
// an instruction computes becomes the register's home when the instruction
// is done (no copy), and a condition code is kept as what it is made from
// (a result, a setcc byte, a constant). The CPU state is brought up to date
// only where something else reads it: at every exit, before a call-out and
// in the out-of-line stubs (a hand-over to the interpreter, a store that
// met translated code), always as whole 32-bit words (narrower stores would
// stall the next wide load of the same word).
//
// Every instruction is emitted in four steps, so that the interpreter can
// take it over from its start at any check:
//   1. operands located: extension values are constants; an address is
//      computed into a temporary and a register step (An)+ or -(An) is only
//      queued, visible to the instruction's later operands;
//   2. every memory address masked and checked against the I/O region (a
//      hit leaves the block before the instruction: the interpreter runs it);
//   3. loads, the operation, stores to memory (each store looks up its line
//      in the translated-code map);
//   4. queued registers and live flags committed (they become the homes of
//      the guest registers and flags); after a store, a block whose code the
//      store changed leaves.
#pragma once

#include <asmjit/x86.h>

#include <cstdint>
#include <vector>

#include "translator/guest_block.h"

namespace translator {

namespace x86 = asmjit::x86;

// Where the fixed parts of the tier are, for the block being emitted.
struct EmitContext {
  uint64_t exit_trampoline = 0;  // returns eax to the dispatcher
  uint32_t block_id = 0;
  bool chaining = true;               // static exits may be linked to other blocks
  bool lockstep = false;              // every store calls the lockstep recorder
  uint64_t* entry_counter = nullptr;  // incremented at every entry (coverage counts)
};

// A static exit: a jump the cache may point at the block of `target`.
// Offsets are from the block's first byte.
struct ExitSite {
  uint32_t target;
  uint32_t jump_at;
  uint32_t stub_at;
};

// An operand once located (step 1).
struct Location {
  enum class Kind : uint8_t { kRegister, kImmediate, kMemory } kind = Kind::kImmediate;
  unsigned reg = 0;       // kRegister: 0-7 D0-D7, 8-15 A0-A7
  uint32_t value = 0;     // kImmediate; kMemory with a constant address
  bool constant = false;  // kMemory: the address is `value`
  x86::Gp address;        // kMemory, computed
  bool checked = false;
};

// Where the value of a guest register or a condition code is while a block
// runs; the CPU state holds it unless `dirty` (registers) or a kind other
// than kMemory (flags) says otherwise.
struct CachedRegister {
  int8_t host = -1;  // host register id, -1: not loaded
  bool dirty = false;
};
struct FlagValue {
  enum class Kind : uint8_t {
    kMemory,    // in the CPU state
    kConstant,  // `value`, as the interpreter stores it
    kValue,     // the host register holds the store itself
    kSign,      // N of a zero-extended result of `size` bytes in the host register
    kBit,       // a setcc byte in the host register; the flag's place is bit `size`
  };
  Kind kind = Kind::kMemory;
  int8_t host = -1;
  uint8_t size = 0;
  uint32_t value = 0;
};
struct CacheState {
  CachedRegister regs[16];
  FlagValue flags[5];       // by bit position in the CCR: C V Z N X
  uint8_t owners[16] = {};  // per host register: entries that name it
};

class BlockEmitter {
 public:
  BlockEmitter(x86::Assembler& a, const GuestBlock& block, const EmitContext& context);

  // Emits the block; false when asmjit failed.
  bool emit();
  // After assembly: the static exits, with their offsets.
  std::vector<ExitSite> exit_sites(const asmjit::CodeHolder& code) const;

  // --- The instruction being emitted ---------------------------------------
  x86::Assembler& a;
  const Insn& insn() const { return *insn_; }
  // Flags something after this instruction may read.
  uint8_t live_after() const { return block_.live_after[index_]; }
  bool live(uint8_t flags) const { return (live_after() & flags) != 0; }

  // A 32-bit temporary, free again after the instruction. When none is free
  // a cached guest register or flag is written back (host flags and rcx
  // kept) and its host register reused.
  x86::Gp temp();

  // --- Guest registers ------------------------------------------------------
  // The register's value as the instruction sees it: with the steps of its
  // own earlier operands.
  void read_register(x86::Gp dst, unsigned n);
  // Committed in step 4 (the value's host register becomes the guest
  // register's home: the form must not change it afterwards); later reads in
  // the instruction see it.
  void queue_register(unsigned n, x86::Gp value);
  // A byte or word into Dn keeps the upper bits; a long replaces it.
  void queue_data_register(unsigned n, x86::Gp value, m68k::Size size);
  // Commits what is queued now, for a form whose exits branch apart after it.
  void commit_now() { commit(); }
  // The register set at once, for a form past its last check whose values
  // do not fit the queue (MOVEM): stored to the CPU state, its cached copy
  // forgotten.
  void store_register_now(unsigned n, x86::Gp value);
  // Where the registers and flags are, to emit a second path of a form from
  // the same point (every path must end in an exit).
  CacheState save_state() const { return state_; }
  void restore_state(const CacheState& s) { state_ = s; }

  // --- Operands ---------------------------------------------------------------
  // Step 1 for an operand read, written or both.
  Location locate(const Operand& operand, m68k::Size size);
  // The address of a control operand (LEA, PEA, JMP, JSR), unmasked.
  x86::Gp operand_address(const Operand& operand);
  // Step 2 for a memory operand of the size (no-op for the others).
  void check(Location& location, m68k::Size size);
  // Zero-extended value of the operand (registers read as read_register).
  void load(x86::Gp dst, const Location& location, m68k::Size size);
  // A register operand's home itself when it has one, kept for the rest of
  // the instruction (the form must only read it, and only its low `size`
  // bits mean anything below a long); otherwise a temporary it is loaded
  // into (zero-extended).
  x86::Gp read_only(const Location& location, m68k::Size size);
  // Memory: the store (step 3); registers: queued.
  void store(const Location& location, x86::Gp value, m68k::Size size);
  // Pushes a long onto the active stack (a queued A7 and a store).
  void push_long(x86::Gp value);

  // --- Memory at a checked address (masked 24-bit value in a register) ------
  void load_memory(x86::Gp dst, x86::Gp address, m68k::Size size);
  void store_memory(x86::Gp address, x86::Gp value, m68k::Size size);

  // --- Condition codes ----------------------------------------------------------
  // Each setter queues the flag for step 4 when it is live, and keeps the
  // value's host register: the form must not change it afterwards.
  // N and Z from a zero-extended result of the size, V and C cleared.
  void logic_flags(x86::Gp result, m68k::Size size);
  // Right after the host operation: carry and overflow as setcc bytes
  // (invalid when not live) for arith_flags.
  struct HostFlags {
    x86::Gp carry, overflow;
  };
  HostFlags capture_host_flags(bool with_x);
  // X (when `with_x`) and C from the carry, V from the overflow, N and Z from
  // the zero-extended result.
  void arith_flags(x86::Gp result, m68k::Size size, const HostFlags& host, bool with_x);
  // The flag as the interpreter stores it (X and C at bit 8, N and V at
  // bit 7, Z zero when set).
  void store_flag(Flag flag, x86::Gp value);
  void store_flag(Flag flag, uint32_t value);
  // N from a zero-extended result of the size.
  void sign_flag(x86::Gp result, m68k::Size size);
  // The flag from a setcc byte (0 or 1).
  void bit_flag(Flag flag, x86::Gp byte);
  // The flag's committed value as the interpreter would store it.
  void read_flag(x86::Gp dst, Flag flag);
  // Jumps to `taken` when the condition (0 to 15) holds.
  void condition_jump(unsigned condition, asmjit::Label taken);

  // --- Exits ------------------------------------------------------------------
  // Leaves after this instruction for a known PC, with `extra` budget units
  // on top of one per instruction; a linkable jump when chaining.
  void exit_to(uint32_t target, unsigned extra);
  // The same from a branch the block goes on past: the instruction goes on
  // after it on the other way.
  void side_exit(uint32_t target, unsigned extra);
  // Leaves for the PC in `pc` (stored), through the jump cache.
  void exit_computed(x86::Gp pc, unsigned extra);
  // Leaves before this instruction: the interpreter runs it. A stub of its
  // own for every jump to it (what it writes back is the state there).
  asmjit::Label bail();
  // Budget units on top of the instruction's own: now (an extra only some
  // paths pay), or with the next subtraction (one every path pays; only once
  // the instruction can no longer hand itself to the interpreter).
  void charge_now(unsigned units);
  void charge_now(x86::Gp units);
  void charge_later(unsigned units);

  // The memory word of the CPU state or of the tier at an absolute address.
  x86::Mem state_word(const void* address) const;

 private:
  struct Pending {
    unsigned reg;
    x86::Gp value;
  };
  enum class StubKind : uint8_t { kBail, kExitAfter, kLink, kComputedMiss, kCodeWrite };
  struct Stub {
    Stub(StubKind k, asmjit::Label l, unsigned i) : kind(k), label(l), index(i) {}
    StubKind kind;
    asmjit::Label label;
    unsigned index;   // the instruction
    uint32_t pc = 0;  // kBail, kExitAfter, kLink; kCodeWrite: a constant address
    bool store_pc = false;
    unsigned charge = 0;  // kBail, kExitAfter
    unsigned exit = 0;    // kLink: index of the exit
    asmjit::Label back;   // kCodeWrite: where the store is
    x86::Gp address;      // kCodeWrite: a computed address
    x86::Gp value;        // kCodeWrite
    unsigned size = 0;    // kCodeWrite
    // kBail, kExitAfter: what the stub writes back before it leaves.
    bool write_back = false;
    CacheState state;
  };

  x86::Mem guest_register(unsigned n) const;
  x86::Mem flag_word(Flag flag) const;
  x86::Mem flag_word_at(unsigned index) const;

  void emit_instruction();
  void emit_call_out();
  void commit();
  void drop_dead_flags();
  void after_stores();
  void emit_stubs();
  void emit_stub(const Stub& stub);
  void record_last_instruction(unsigned index);
  unsigned exit_charge(unsigned extra) const;
  void subtract_budget(unsigned units);
  void store_budget();
  asmjit::Label stub(Stub s);
  // A stub that writes back the state as it is now.
  Stub state_stub(StubKind kind);

  // emitter_state.cpp: the homes of registers and flags.
  void reset_temps();
  void own(int host);
  void release(int host);
  void queue_flag(Flag flag, const FlagValue& value);
  void write_back(const CacheState& s);
  void write_flag(unsigned index, const FlagValue& f);
  void forget_all();
  x86::Gp evict();
  // Emits a test of the committed flag; returns 1 or 0 when the flag is
  // known without one, else -1 with ZF clear when the flag is set (`set_nz`)
  // or set when it is set (Z from a value).
  int test_flag(Flag flag, bool& set_nz);
  void jump_on_flag(Flag flag, bool when_set, asmjit::Label to);

  // emitter_loop.cpp: a block that branches back to its own start.
  bool loops_to_itself() const;
  void enter_loop();
  void loop_back(unsigned extra);
  void reconcile(const CacheState& to);
  bool head_rotates() const;
  void rotate_head();

  const GuestBlock& block_;
  EmitContext context_;
  // The loop's head, after the registers are loaded, and the state there.
  asmjit::Label loop_head_;
  CacheState loop_state_;
  // A loop whose head is a branch with side exits: where the code after
  // the head starts, and the state there (emitter_loop.cpp).
  asmjit::Label body_;
  CacheState body_state_;
  // The budget's host register in a loop; invalid elsewhere.
  x86::Gp budget_;
  const Insn* insn_ = nullptr;
  unsigned index_ = 0;
  // Instructions whose budget unit has already been subtracted, and extra
  // units owed since.
  unsigned charged_ = 0;
  unsigned extra_ = 0;
  bool ended_ = false;  // the instruction left the block on every path
  bool stored_ = false;
  bool failed_ = false;
  std::vector<Pending> pending_;
  FlagValue pending_flags_[5];
  uint8_t pending_flag_mask_ = 0;
  std::vector<x86::Gp> free_;
  CacheState state_;
  uint32_t use_clock_ = 0;
  uint16_t pinned_ = 0;  // host registers a form reads in place
  uint32_t last_use_[16] = {};
  std::vector<Stub> stubs_;
  struct Exit {
    uint32_t target;
    asmjit::Label jump, stub;
  };
  std::vector<Exit> exits_;
};

// The form emitter of a kind: emits the instruction (steps 1 to 3, and the
// exits of program-flow forms).
void emit_form(BlockEmitter& e);

}  // namespace translator
