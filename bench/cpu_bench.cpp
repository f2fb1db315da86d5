// Instruction throughput of the execute loop on small guest loops. Each
// benchmark reports guest instructions per second ("items").
#include <benchmark/benchmark.h>

#include <cstdint>
#include <initializer_list>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/run_state.h"

namespace {

constexpr uint32_t kCode = 0x1000;

void load(std::initializer_list<uint16_t> words) {
  machine::clear_memory();
  m68k::cpu = m68k::CpuState{};
  m68k::init();
  m68k::set_cpu_type(m68k::kM68000);
  m68k::set_register(m68k::kSR, 0x2700);
  m68k::areg(7) = 0x8000;
  uint32_t a = kCode;
  for (uint16_t w : words) {
    machine::poke16(a, w);
    a += 2;
  }
  m68k::cpu.pc = kCode;
}

// Runs the loop for a fixed slice of instructions per iteration.
void run_slices(benchmark::State& state) {
  constexpr int32_t kSlice = 1 << 20;
  int64_t executed = 0;
  for (auto _ : state) {
    m68k::cpu.pc = kCode;
    m68k::execute(kSlice);
    executed += kSlice - 1;
  }
  state.SetItemsProcessed(executed);
}

// Register arithmetic: ADD.L D1,D0 / EOR.L D0,D2 / ADDQ.L #1,D1 / BRA back.
void BM_RegisterLoop(benchmark::State& state) {
  load({0xD081, 0xB182, 0x5281, 0x60F8});
  run_slices(state);
}
BENCHMARK(BM_RegisterLoop);

// Memory traffic: MOVE.L (A0)+,(A1)+ / MOVE.W -(A1),D3 / LEA $1000(A0)... kept
// in bounds by resetting A0/A1 with MOVEA.L #imm each pass.
void BM_MemoryLoop(benchmark::State& state) {
  load({0x207C, 0x0002, 0x0000,  // MOVEA.L #$20000,A0
        0x227C, 0x0003, 0x0000,  // MOVEA.L #$30000,A1
        0x7E3F,                  // MOVEQ #63,D7
        0x22D8,                  // MOVE.L (A0)+,(A1)+
        0x3621,                  // MOVE.W -(A1),D3
        0x5449,                  // ADDQ.W #2,A1
        0x51CF, 0xFFF8,          // DBRA D7,loop
        0x60E6});                // BRA to start
  run_slices(state);
}
BENCHMARK(BM_MemoryLoop);

}  // namespace
