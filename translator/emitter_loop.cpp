// A block that branches back to its own start runs as a loop inside its
// code: the guest registers it names are loaded into host registers once,
// before the loop's head, and a jump back puts every one of them into the
// same host register again instead of writing them back and loading them.
// Of the flags, only those the block may read before writing them (its
// live-in set, which counts every memory access and call-out as a reader)
// are written back on the way round; the others are dead at the head. The
// budget is charged and checked on every pass, as at any exit, in a host
// register of its own that every way out of the block stores: an end
// signal, which zeroes the budget in memory, ends the run at the end of the
// timeslice (the run loop looks at the signal after every one) rather than
// at the next pass.
#include <cstddef>
#include <vector>

#include "cpu/cpu_state.h"
#include "translator/emitter.h"
#include "translator/tier_state.h"

namespace translator {

namespace {

using m68k::Ea;

// Guest registers kept in host registers across the loop, at most: the
// pool's other registers stay for the forms' temporaries.
constexpr int kLoopRegisters = 7;

// rcx holds a value for a moment when the moves go round in a cycle.
constexpr int kScratch = 1;

uint16_t operand_registers(const Operand& o) {
  switch (o.mode) {
    case Ea::Dn:
      return static_cast<uint16_t>(1u << o.reg);
    case Ea::An:
    case Ea::Ind:
    case Ea::PostInc:
    case Ea::PreDec:
    case Ea::Disp:
      return static_cast<uint16_t>(1u << (8 + o.reg));
    case Ea::Index:
      return static_cast<uint16_t>((1u << (8 + o.reg)) | (1u << ((o.value >> 12) & 15)));
    case Ea::PcIndex:
      return static_cast<uint16_t>(1u << ((o.value >> 12) & 15));
    default:
      return 0;
  }
}

// The guest registers an instruction names; call-outs name none (the
// block forgets every register at a call-out anyway).
uint16_t registers_of(const Insn& in) {
  constexpr uint16_t kA7 = 1u << 15;
  switch (in.kind) {
    case Kind::kCallOut:
    case Kind::kBra:
    case Kind::kBcc:
    case Kind::kNop:
      return 0;
    case Kind::kBsr:
    case Kind::kRts:
      return kA7;
    case Kind::kJmp:
      return operand_registers(in.src);
    case Kind::kJsr:
    case Kind::kPea:
      return static_cast<uint16_t>(operand_registers(in.src) | kA7);
    case Kind::kDbcc:
    case Kind::kScc:
    case Kind::kClr:
    case Kind::kTst:
    case Kind::kNot:
    case Kind::kNeg:
    case Kind::kExtWord:
    case Kind::kExtLong:
    case Kind::kSwap:
      return operand_registers(in.dst);
    // The transferred registers pass through once; only the address
    // register is worth a home.
    case Kind::kMovemToMemory:
      return operand_registers(in.dst);
    case Kind::kMovemToRegisters:
      return operand_registers(in.src);
    default:
      return static_cast<uint16_t>(operand_registers(in.src) | operand_registers(in.dst));
  }
}

}  // namespace

bool BlockEmitter::loops_to_itself() const {
  for (const Insn& in : block_.insns) {
    const bool branch = in.kind == Kind::kBra || in.kind == Kind::kBcc || in.kind == Kind::kDbcc;
    if (branch && (in.target == block_.pc || in.next == block_.pc)) return true;
  }
  return !block_.insns.empty() && block_.insns.back().trace_next == block_.pc;
}

void BlockEmitter::enter_loop() {
  uint16_t used = 0;
  for (const Insn& in : block_.insns) used |= registers_of(in);
  reset_temps();
  budget_ = temp();
  own(budget_.id());
  a.mov(budget_, state_word(&m68k::cycle_budget));
  int loaded = 0;
  for (unsigned n = 0; n < 16 && loaded < kLoopRegisters; ++n) {
    if (!(used & (1u << n))) continue;
    const x86::Gp home = temp();
    a.mov(home, guest_register(n));
    // Dirty from the start: after a pass round the loop it may be.
    state_.regs[n] = CachedRegister{static_cast<int8_t>(home.id()), true};
    own(home.id());
    ++loaded;
  }
  loop_state_ = state_;
  loop_head_ = a.newLabel();
  a.bind(loop_head_);
}

// Brings the registers from the state now into the homes of `to`: a dirty
// register without a home there is written back, registers in other host
// registers are moved (in an order that reads every source before it is
// overwritten, a cycle broken through rcx), and those not loaded now are
// loaded. Flags must have been written back before: the moves overwrite
// the host registers they are made of.
void BlockEmitter::reconcile(const CacheState& to) {
  const CacheState& now = state_;
  for (unsigned n = 0; n < 16; ++n)
    if (now.regs[n].dirty && to.regs[n].host < 0)
      a.mov(guest_register(n), x86::gpd(static_cast<uint32_t>(now.regs[n].host)));
  struct Move {
    int from, to;
  };
  std::vector<Move> moves;
  std::vector<unsigned> loads;
  for (unsigned n = 0; n < 16; ++n) {
    const int dst = to.regs[n].host;
    if (dst < 0 || now.regs[n].host == dst) continue;
    if (now.regs[n].host >= 0)
      moves.push_back({now.regs[n].host, dst});
    else
      loads.push_back(n);
  }
  while (!moves.empty()) {
    size_t ready = moves.size();
    for (size_t i = 0; i < moves.size() && ready == moves.size(); ++i) {
      bool read_later = false;
      for (size_t j = 0; j < moves.size(); ++j)
        if (j != i && moves[j].from == moves[i].to) read_later = true;
      if (!read_later) ready = i;
    }
    if (ready == moves.size()) {
      // Every destination is still to be read: keep one in rcx.
      const int saved = moves[0].to;
      a.mov(x86::ecx, x86::gpd(static_cast<uint32_t>(saved)));
      for (Move& m : moves)
        if (m.from == saved) m.from = kScratch;
      ready = 0;
    }
    a.mov(x86::gpd(static_cast<uint32_t>(moves[ready].to)),
          x86::gpd(static_cast<uint32_t>(moves[ready].from)));
    moves.erase(moves.begin() + static_cast<std::ptrdiff_t>(ready));
  }
  for (unsigned n : loads)
    a.mov(x86::gpd(static_cast<uint32_t>(to.regs[n].host)), guest_register(n));
}

// A head that is a followed Bcc or DBcc is emitted again at every jump
// back, from the state there: its side exits write back the flags as they
// are, instead of every pass storing them for the head. The pass then
// jumps past the head, whose state it takes (its flags in the CPU state:
// those still live after the head are written back, none in a DBRA loop).
bool BlockEmitter::head_rotates() const {
  const Insn& head = block_.insns[0];
  if (block_.insns.size() < 2 || head.follow == Follow::kNone) return false;
  if (head.kind != Kind::kBcc && head.kind != Kind::kDbcc) return false;
  const uint32_t side =
      head.kind == Kind::kBcc && head.follow == Follow::kFallThrough ? head.target : head.next;
  if (side == block_.pc) return false;
  for (const FlagValue& f : state_.flags)
    if (f.kind != FlagValue::Kind::kMemory) return false;
  return true;
}

void BlockEmitter::rotate_head() {
  const CacheState state = state_;
  const std::vector<x86::Gp> free = free_;
  const std::vector<Pending> pending = pending_;
  const Insn* insn = insn_;
  const unsigned index = index_, charged = charged_, extra = extra_;
  const bool stored = stored_;
  index_ = 0;
  insn_ = &block_.insns[0];
  charged_ = 0;
  extra_ = 0;
  stored_ = false;
  ended_ = false;
  pending_.clear();
  pending_flag_mask_ = 0;
  reset_temps();
  emit_form(*this);
  commit();
  drop_dead_flags();
  // Past the head the flags are in the CPU state: those still live after
  // it (a BEQ behind a BGE reads Z) are written back before the moves.
  for (unsigned i = 0; i < 5; ++i) write_flag(i, state_.flags[i]);
  reconcile(body_state_);
  a.jmp(body_);
  state_ = state;
  free_ = free;
  pending_ = pending;
  insn_ = insn;
  index_ = index;
  charged_ = charged;
  extra_ = extra;
  stored_ = stored;
}

void BlockEmitter::loop_back(unsigned extra) {
  commit();
  const unsigned charge = exit_charge(extra);
  if (stored_) {
    Stub changed = state_stub(StubKind::kExitAfter);
    changed.pc = block_.pc;
    changed.store_pc = true;
    changed.charge = charge;
    a.cmp(state_word(&tier_shared.code_changed), 0);
    a.jne(stub(changed));
  }
  subtract_budget(charge);
  Stub out = state_stub(StubKind::kExitAfter);
  out.pc = block_.pc;
  out.store_pc = true;
  a.jle(stub(out));
  if (context_.lockstep) a.add(state_word(&tier_shared.block_instructions), index_ + 1);
  if (body_.isValid()) {
    rotate_head();
    ended_ = true;
    return;
  }
  for (unsigned i = 0; i < 5; ++i)
    if (block_.live_in & (1u << i)) write_flag(i, state_.flags[i]);
  // A hand-over at the head's first instruction leaves instr_addr and IR
  // as they are, which on a later pass must be this instruction's.
  record_last_instruction(index_);
  reconcile(loop_state_);
  a.jmp(loop_head_);
  ended_ = true;
}

}  // namespace translator
