// The exits of a block, its call-outs and its out-of-line stubs, and the
// block as a whole.
#include <cstddef>

#include "cpu/cpu_state.h"
#include "cpu/decode_table.h"
#include "machine/code_watch.h"
#include "translator/code_hook.h"
#include "translator/emit_layout.h"
#include "translator/emitter.h"
#include "translator/tier_state.h"

namespace translator {

using asmjit::Label;

// --- Budget and exits -------------------------------------------------------------

// In a loop the budget lives in a host register (emitter_loop.cpp), stored
// wherever anything else may read it: every exit, stub and call-out.
void BlockEmitter::subtract_budget(unsigned units) {
  if (budget_.isValid()) {
    if (units > 0)
      a.sub(budget_, units);
    else
      a.cmp(budget_, 0);
    return;
  }
  if (units > 0)
    a.sub(state_word(&m68k::cycle_budget), units);
  else
    a.cmp(state_word(&m68k::cycle_budget), 0);
}

void BlockEmitter::store_budget() {
  if (budget_.isValid()) a.mov(state_word(&m68k::cycle_budget), budget_);
}

void BlockEmitter::charge_now(unsigned units) {
  if (budget_.isValid())
    a.sub(budget_, units);
  else
    a.sub(state_word(&m68k::cycle_budget), units);
}

void BlockEmitter::charge_now(x86::Gp units) {
  if (budget_.isValid())
    a.sub(budget_, units.r32());
  else
    a.sub(state_word(&m68k::cycle_budget), units.r32());
}

void BlockEmitter::charge_later(unsigned units) {
  extra_ += units;
}

unsigned BlockEmitter::exit_charge(unsigned extra) const {
  return index_ + 1 - charged_ + extra_ + extra;
}

Label BlockEmitter::stub(Stub s) {
  stubs_.push_back(s);
  return s.label;
}

BlockEmitter::Stub BlockEmitter::state_stub(StubKind kind) {
  Stub s{kind, a.newLabel(), index_};
  s.write_back = true;
  s.state = state_;
  return s;
}

Label BlockEmitter::bail() {
  Stub s = state_stub(StubKind::kBail);
  s.pc = insn_->address;
  s.charge = index_ - charged_ + extra_;
  return stub(s);
}

void BlockEmitter::exit_to(uint32_t target, unsigned extra) {
  if (target == block_.pc && loop_head_.isValid()) return loop_back(extra);
  commit();
  write_back(state_);
  const unsigned charge = exit_charge(extra);
  if (stored_) {
    Stub changed{StubKind::kExitAfter, a.newLabel(), index_};
    changed.pc = target;
    changed.store_pc = true;
    changed.charge = charge;
    a.cmp(state_word(&tier_shared.code_changed), 0);
    a.jne(stub(changed));
  }
  Stub link{StubKind::kLink, a.newLabel(), index_};
  link.pc = target;
  link.exit = static_cast<unsigned>(exits_.size());
  subtract_budget(charge);
  store_budget();
  const Label to_stub = stub(link);
  a.jle(to_stub);
  Exit exit{target, a.newLabel(), to_stub};
  a.bind(exit.jump);
  a.long_().jmp(to_stub);
  exits_.push_back(exit);
  ended_ = true;
}

void BlockEmitter::side_exit(uint32_t target, unsigned extra) {
  exit_to(target, extra);
  ended_ = false;
}

void BlockEmitter::exit_computed(x86::Gp pc, unsigned extra) {
  commit();
  write_back(state_);
  a.mov(state_word(&m68k::cpu.pc), pc);
  const unsigned charge = exit_charge(extra);
  if (stored_) {
    Stub changed{StubKind::kExitAfter, a.newLabel(), index_};
    changed.charge = charge;
    a.cmp(state_word(&tier_shared.code_changed), 0);
    a.jne(stub(changed));
  }
  const Label miss = stub(Stub{StubKind::kComputedMiss, a.newLabel(), index_});
  subtract_budget(charge);
  store_budget();
  a.jle(miss);
  if (context_.chaining) {
    const int32_t cache = distance(tier_shared.jump_cache);
    a.mov(x86::ecx, pc);
    a.and_(x86::ecx, (kJumpCacheSize - 1) << 1);
    a.cmp(x86::dword_ptr(x86::r15, x86::rcx, 3, cache), pc);
    a.jne(miss);
    a.jmp(x86::qword_ptr(x86::r15, x86::rcx, 3,
                         cache + static_cast<int32_t>(offsetof(JumpEntry, code))));
  } else {
    a.jmp(miss);
  }
  ended_ = true;
}

void BlockEmitter::after_stores() {
  if (!stored_) return;
  Stub changed = state_stub(StubKind::kExitAfter);
  changed.pc = insn_->next;
  changed.store_pc = true;
  changed.charge = exit_charge(0);
  a.cmp(state_word(&tier_shared.code_changed), 0);
  a.jne(stub(changed));
}

// --- Call-outs ----------------------------------------------------------------------

// The interpreter's loop body for one instruction, run from inside the
// block: the budget up to date, instr_addr, PC and IR as the loop sets them,
// the handler, the loop's unit. The block goes on only while the budget
// lasts, no translation was dropped and the PC is where the next
// instruction of the block starts.
void BlockEmitter::emit_call_out() {
  write_back(state_);
  const unsigned before = index_ - charged_ + extra_;
  if (before > 0) charge_now(before);
  store_budget();
  a.mov(state_word(&m68k::cpu.instr_addr), insn_->address);
  a.mov(state_word(&m68k::cpu.pc), insn_->address + 2);
  a.mov(state_word(&m68k::cpu.ir), static_cast<uint32_t>(insn_->opcode));
  a.mov(x86::rax, reinterpret_cast<uint64_t>(m68k::instruction_jump_table[insn_->opcode]));
  a.call(x86::rax);
  forget_all();
  // The handler may have changed the budget (its extras, an end).
  if (budget_.isValid()) a.mov(budget_, state_word(&m68k::cycle_budget));
  charge_now(1u);
  charged_ = index_ + 1;
  extra_ = 0;
  const Label out = stub(Stub{StubKind::kExitAfter, a.newLabel(), index_});
  a.jle(out);
  a.cmp(state_word(&tier_shared.code_changed), 0);
  a.jne(out);
  if (insn_->ends_block) {
    a.jmp(out);
    ended_ = true;
    return;
  }
  a.cmp(state_word(&m68k::cpu.pc), insn_->next);
  a.jne(out);
}

// --- Stubs ----------------------------------------------------------------------------

void BlockEmitter::record_last_instruction(unsigned index) {
  const Insn& last = block_.insns[index];
  a.mov(state_word(&m68k::cpu.instr_addr), last.address);
  a.mov(state_word(&m68k::cpu.ir), static_cast<uint32_t>(last.opcode));
}

void BlockEmitter::emit_stub(const Stub& s) {
  a.bind(s.label);
  if (s.write_back) write_back(s.state);
  auto leave = [&](ExitReason reason, unsigned completed) {
    if (context_.lockstep) a.add(state_word(&tier_shared.block_instructions), completed);
    a.mov(x86::eax, static_cast<uint32_t>(reason));
    a.jmp(context_.exit_trampoline);
  };
  switch (s.kind) {
    case StubKind::kBail:
      if (s.charge > 0) charge_now(s.charge);
      store_budget();
      a.mov(state_word(&m68k::cpu.pc), s.pc);
      if (s.index > 0) record_last_instruction(s.index - 1);
      leave(kExitBail, s.index);
      break;
    case StubKind::kExitAfter:
      if (s.charge > 0) charge_now(s.charge);
      store_budget();
      if (s.store_pc) a.mov(state_word(&m68k::cpu.pc), s.pc);
      record_last_instruction(s.index);
      leave(kExitNormal, s.index + 1);
      break;
    case StubKind::kLink:
      a.mov(state_word(&m68k::cpu.pc), s.pc);
      record_last_instruction(s.index);
      if (context_.chaining) {
        a.mov(state_word(&tier_shared.exit_block), context_.block_id);
        a.mov(state_word(&tier_shared.exit_index), s.exit);
        leave(kExitLink, s.index + 1);
      } else {
        leave(kExitNormal, s.index + 1);
      }
      break;
    case StubKind::kComputedMiss:
      record_last_instruction(s.index);
      leave(kExitNormal, s.index + 1);
      break;
    case StubKind::kCodeWrite: {
      // In a page with translated code: the write's line decides, before
      // anything is saved for the call.
      if (!context_.lockstep) {
        if (s.address.isValid()) {
          a.mov(x86::ecx, s.address.r32());
          a.shr(x86::ecx, machine::kCodeLineShift);
          a.cmp(x86::byte_ptr(x86::r15, x86::rcx, 0, distance(machine::code_lines)), 0);
        } else {
          a.cmp(x86::byte_ptr(x86::r15, distance(machine::code_lines) +
                                            static_cast<int32_t>(s.pc >> machine::kCodeLineShift)),
                0);
        }
        a.je(s.back);
      }
      // Every register a form may hold a value in survives the call.
      static const x86::Gp kSaved[] = {x86::rax, x86::rcx, x86::rdx, x86::rsi, x86::rdi,
                                       x86::r8,  x86::r9,  x86::r10, x86::r11};
      for (const x86::Gp& r : kSaved) a.push(r);
      a.sub(x86::rsp, 8);
      // The value first, into the scratch register no form holds anything
      // in; the address before its register can be overwritten.
      a.mov(x86::ecx, s.value.r32());
      if (s.address.isValid())
        a.mov(x86::edi, s.address.r32());
      else
        a.mov(x86::edi, s.pc);
      a.mov(x86::esi, s.size);
      if (context_.lockstep) {
        a.mov(x86::edx, x86::ecx);
        a.mov(x86::rax, reinterpret_cast<uint64_t>(&lockstep_translated_store));
      } else {
        a.mov(x86::rax, reinterpret_cast<uint64_t>(&translated_code_written));
      }
      a.call(x86::rax);
      a.add(x86::rsp, 8);
      for (size_t i = std::size(kSaved); i-- > 0;) a.pop(kSaved[i]);
      a.jmp(s.back);
      break;
    }
  }
}

void BlockEmitter::emit_stubs() {
  // A stub may add none: emitting one never creates another.
  for (size_t i = 0; i < stubs_.size(); ++i) emit_stub(stubs_[i]);
}

// --- The block -------------------------------------------------------------------------

void BlockEmitter::emit_instruction() {
  pending_.clear();
  pending_flag_mask_ = 0;
  reset_temps();
  stored_ = false;
  ended_ = false;
  if (insn_->kind == Kind::kCallOut) {
    emit_call_out();
    return;
  }
  emit_form(*this);
  if (ended_) return;
  commit();
  drop_dead_flags();
  after_stores();
}

bool BlockEmitter::emit() {
  if (context_.entry_counter) {
    // Nothing is held in a register when a block is entered.
    a.mov(x86::rax, reinterpret_cast<uint64_t>(context_.entry_counter));
    a.inc(x86::qword_ptr(x86::rax));
  }
  if (loops_to_itself()) enter_loop();
  for (index_ = 0; index_ < block_.insns.size(); ++index_) {
    insn_ = &block_.insns[index_];
    emit_instruction();
    if (ended_) break;
    if (index_ == 0 && loop_head_.isValid() && head_rotates()) {
      body_ = a.newLabel();
      a.bind(body_);
      body_state_ = state_;
    }
  }
  if (!ended_) {
    // The block stops before the next instruction: a limit, or what comes
    // next cannot be translated.
    --index_;
    pending_.clear();
    pending_flag_mask_ = 0;
    stored_ = false;
    exit_to(insn_->trace_next, 0);
  }
  emit_stubs();
  return !failed_;
}

std::vector<ExitSite> BlockEmitter::exit_sites(const asmjit::CodeHolder& code) const {
  std::vector<ExitSite> sites;
  for (const Exit& e : exits_)
    sites.push_back({e.target, static_cast<uint32_t>(code.labelOffset(e.jump)),
                     static_cast<uint32_t>(code.labelOffset(e.stub))});
  return sites;
}

}  // namespace translator
