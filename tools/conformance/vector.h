// Single-step vectors: one instruction run from a complete processor and
// memory state, with the state the reference hardware reached afterwards.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace conformance {

struct MachineState {
  uint32_t d[8] = {};
  uint32_t a[7] = {};
  uint32_t usp = 0, ssp = 0, sr = 0, pc = 0;
  uint16_t prefetch[2] = {};
  std::vector<std::pair<uint32_t, uint8_t>> ram;  // (24-bit address, byte)
};

// One bus cycle of the reference run. Idle cycles ('n') are dropped on load.
struct BusAccess {
  char kind = 'r';  // 'r' read, 'w' write, 't' read-modify-write (TAS)
  uint8_t function_code = 0;
  bool word = false;  // word or byte cycle
  uint32_t address = 0;
  uint32_t value = 0;
};

struct Vector {
  std::string name;
  uint16_t opcode = 0;  // first prefetch word: the instruction under test
  MachineState initial, final;
  std::vector<BusAccess> bus;
};

// Reads one gzip-compressed JSON array of vectors. On failure returns false
// and puts a one-line reason into `error`.
bool load_vector_file(const std::string& path, std::vector<Vector>& out, std::string& error);

// Expands the command-line arguments: files as given, folders to every
// *.json.gz inside, sorted by name.
std::vector<std::string> expand_vector_paths(const std::vector<std::string>& args,
                                             std::string& error);

}  // namespace conformance
