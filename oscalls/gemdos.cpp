#include "oscalls/gemdos.h"

#include <cstdio>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "oscalls/host_files.h"
#include "oscalls/param_stream.h"
#include "runner/run_state.h"

namespace oscalls {

namespace {

using machine::peek16;
using machine::peek32;
using machine::poke16;
using machine::poke32;

constexpr uint32_t kSupervisorBit = 0x2000;
constexpr uint32_t kMallocFreeQuery = 0xFFFFFFFF;

uint32_t dta_address;

uint32_t u32(int32_t v) {
  return static_cast<uint32_t>(v);
}

void pterm0(uint32_t) {
  runner::stop_run();
}

void pterm(uint32_t) {
  runner::exit_code = param_read16();
  runner::stop_run();
}

// No input exists: every console and serial status answers "nothing waiting".
void answer_zero(uint32_t) {
  set_d0(0);
}

void cconws(uint32_t) {
  uint32_t s = param_read32();
  // Bounded by the address space, so a string without terminator cannot
  // keep the run printing forever.
  for (uint32_t i = 0; i < machine::kMemorySize; ++i) {
    uint32_t c = machine::peek8(s + i);
    if (c == 0) break;
    std::putchar(static_cast<int>(c));
  }
}

// The program always runs on drive C.
void dgetdrv(uint32_t) {
  set_d0(2);
}

void fsetdta(uint32_t) {
  dta_address = param_read32();
}
void fgetdta(uint32_t) {
  set_d0(dta_address);
}

// The TRAP's frame on the supervisor stack at F (ISP): SR word, return PC.
// Whatever mode the call came from, the stub's RTE takes the frame that
// ISP points at when the handler returns.
void super(uint32_t params) {
  const uint32_t stack = param_read32();
  const uint32_t frame = m68k::get_register(nullptr, m68k::kISP);
  const uint32_t sr = peek16(frame);
  const uint32_t pc = peek32(frame + 2);
  const bool from_supervisor = sr & kSupervisorBit;

  if (stack == 1) {  // inquiry only
    set_d0(from_supervisor ? u32(-1) : 0);
    return;
  }
  if (!from_supervisor) {
    // Copy the frame, with S set, below the new supervisor stack. Without a
    // stack of its own the program keeps the one it called from.
    const uint32_t top = stack != 0 ? stack : params;
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

void read_local_time(std::tm& out) {
  const std::time_t now = std::time(nullptr);
  const std::tm* t = std::localtime(&now);
  out = t ? *t : std::tm{};
}

void tgetdate(uint32_t) {
  std::tm t;
  read_local_time(t);
  set_d0(u32(pack_gemdos_date(t)));
}

void tgettime(uint32_t) {
  std::tm t;
  read_local_time(t);
  set_d0(u32(pack_gemdos_time(t)));
}

void fcreate(uint32_t) {
  set_d0(u32(file_create(param_read32())));
}

void fopen_call(uint32_t) {
  uint32_t path = param_read32();
  uint32_t mode = param_read16();
  set_d0(u32(file_open(path, mode)));
}

void fclose_call(uint32_t) {
  set_d0(u32(file_close(param_read16())));
}

void fread_call(uint32_t) {
  uint32_t handle = param_read16();
  int32_t count = static_cast<int32_t>(param_read32());
  uint32_t buffer = param_read32();
  set_d0(u32(file_read(handle, count, buffer)));
}

void fwrite_call(uint32_t) {
  uint32_t handle = param_read16();
  int32_t count = static_cast<int32_t>(param_read32());
  uint32_t buffer = param_read32();
  set_d0(u32(file_write(handle, count, buffer)));
}

void fseek_call(uint32_t) {
  int32_t offset = static_cast<int32_t>(param_read32());
  uint32_t handle = param_read16();
  int32_t mode = static_cast<int16_t>(param_read16());
  set_d0(u32(file_seek(offset, handle, mode)));
}

// No attributes are kept: reading one finds no file, setting one is refused.
void fattrib(uint32_t) {
  param_read32();  // name
  uint32_t wflag = param_read16();
  set_d0(u32(wflag == 0 ? kFileNotFound : -36));
}

void fforce(uint32_t) {
  uint32_t stdh = param_read16();
  set_d0(stdh < 3 ? 0 : u32(kInvalidHandle));
}

void dgetpath(uint32_t) {
  uint32_t buffer = param_read32();
  uint32_t drive = param_read16();
  set_d0(u32(copy_working_directory(buffer, drive)));
}

// A bump allocator. Sizes are unsigned: a request that would reach the
// memory top (computed without wrap-around) fails, so a huge or "negative"
// size can never hand out memory above the top or move MallocNext down.
void malloc_call(uint32_t) {
  const uint32_t size = param_read32();
  const uint32_t top = peek32(kMemoryTopAddress);
  const uint32_t next = runner::malloc_next;
  if (size == kMallocFreeQuery) {
    set_d0(next < top ? top - next : 0);
    return;
  }
  const uint64_t end = uint64_t{next} + size;
  if (end >= top) {
    set_d0(0);
    return;
  }
  set_d0(next);
  runner::malloc_next = static_cast<uint32_t>(end);
}

void mfree(uint32_t) {
  set_d0(0);
}

void mshrink(uint32_t) {
  param_read16();
  uint32_t block = param_read32();
  uint32_t new_size = param_read32();
  runner::malloc_next = block + new_size;
  set_d0(0);
}

void ssystem(uint32_t) {
  set_d0(u32(kInvalidFunction));
}

constexpr OsCall kGemdosCalls[] = {
    {0x0000, "Pterm0", pterm0},      {0x0008, "Cnecin", answer_zero},
    {0x0009, "Cconws", cconws},      {0x000B, "Cconis", answer_zero},
    {0x0012, "Cauxis", answer_zero}, {0x0019, "Dgetdrv", dgetdrv},
    {0x001A, "Fsetdta", fsetdta},    {0x0020, "Super", super},
    {0x002A, "Tgetdate", tgetdate},  {0x002C, "Tgettime", tgettime},
    {0x002F, "Fgetdta", fgetdta},    {0x003C, "Fcreate", fcreate},
    {0x003D, "Fopen", fopen_call},   {0x003E, "Fclose", fclose_call},
    {0x003F, "Fread", fread_call},   {0x0040, "Fwrite", fwrite_call},
    {0x0042, "Fseek", fseek_call},   {0x0043, "Fattrib", fattrib},
    {0x0046, "Fforce", fforce},      {0x0047, "Dgetpath", dgetpath},
    {0x0048, "Malloc", malloc_call}, {0x0049, "Mfree", mfree},
    {0x004A, "Mshrink", mshrink},    {0x004C, "Pterm", pterm},
    {0x0154, "Ssystem", ssystem},
};

const OsCallLayer kGemdos{"GEMDOS", kGemdosCalls, kGemdosNames};

}  // namespace

std::span<const OsCall> gemdos_calls() {
  return kGemdosCalls;
}

int32_t pack_gemdos_time(const std::tm& t) {
  return t.tm_hour * 2048 + t.tm_min * 32 + t.tm_sec / 2;
}

int32_t pack_gemdos_date(const std::tm& t) {
  return (t.tm_year + 1900 - 1980) * 512 + (t.tm_mon + 1) * 32 + t.tm_mday;
}

void gemdos_dispatch(uint32_t params) {
  dispatch_os_call(kGemdos, params);
}

}  // namespace oscalls
