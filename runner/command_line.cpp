#include "runner/command_line.h"

#include <cstdio>

namespace runner {

namespace {

using machine::poke8;

constexpr char kArgvVariable[] = "ARGV=";
constexpr char kNullList[] = "NULL:";
constexpr uint32_t kWholeTail = 0x7FFFFFFF;

// The tail's characters from tail_address + 1, at most `limit` of them:
// the parameters with inner spaces as 0x1A, a space after each. Answers the
// address after the last one written.
uint32_t write_tail_characters(uint32_t tail_address, int count, char* const* params,
                               uint32_t limit) {
  uint32_t p = tail_address + 1;
  const uint32_t end = p + limit;
  for (int i = 0; i < count && p < end; ++i) {
    for (const char* c = params[i]; *c && p < end; ++c) poke8(p++, *c == ' ' ? 0x1A : *c);
    if (p < end) poke8(p++, ' ');
  }
  return p;
}

// Walks the ARGV environment's bytes in order, handing each to `put`; the
// size and the writer share it, so they always agree.
template <typename Put>
void emit_argv_environment(const char* program, int count, char* const* params, Put put) {
  auto put_string = [&put](const char* s) {
    while (*s) put(static_cast<uint8_t>(*s++));
  };
  put_string(kArgvVariable);
  bool any_empty = false;
  for (int i = 0; i < count; ++i) {
    if (params[i][0] != 0) continue;
    put_string(any_empty ? "," : kNullList);
    char index[16];
    std::snprintf(index, sizeof index, "%d", i + 1);
    put_string(index);
    any_empty = true;
  }
  put(0);
  for (const char* c = program; *c; ++c) put(static_cast<uint8_t>(*c == '/' ? '\\' : *c));
  put(0);
  for (int i = 0; i < count; ++i) {
    put_string(params[i][0] != 0 ? params[i] : " ");
    put(0);
  }
  put(0);
}

}  // namespace

uint32_t command_tail_length(int count, char* const* params) {
  uint32_t n = 0;
  for (int i = 0; i < count; ++i)
    for (const char* p = params[i];; ++p, ++n)
      if (*p == 0) break;
  n += static_cast<uint32_t>(count);  // one space after each parameter
  return n == 0 ? 0 : n - 1;
}

void write_command_tail(uint32_t tail_address, int count, char* const* params) {
  const uint32_t p = write_tail_characters(tail_address, count, params, kWholeTail);
  const uint32_t written = p - (tail_address + 1);
  poke8(tail_address, written == 0 ? 0 : written - 1);
  poke8(p, 0);
}

void write_parameters(uint32_t tail_address, const char* program, int count, char* const* params) {
  if (command_tail_length(count, params) <= kMaxTailLength) {
    write_command_tail(tail_address, count, params);
    return;
  }
  write_argv_command_tail(tail_address, count, params);
  write_argv_environment(machine::kLongEnvironment, program, count, params);
  machine::poke32(machine::kEnvironmentField, machine::kLongEnvironment);
}

uint32_t argv_environment_needed(const char* program, int count, char* const* params) {
  if (command_tail_length(count, params) <= kMaxTailLength) return 0;
  uint64_t size = 0;
  emit_argv_environment(program, count, params, [&size](uint8_t) { ++size; });
  return size > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(size);
}

void write_argv_environment(uint32_t at, const char* program, int count, char* const* params) {
  emit_argv_environment(program, count, params, [&at](uint8_t byte) { poke8(at++, byte); });
}

void write_argv_command_tail(uint32_t tail_address, int count, char* const* params) {
  poke8(tail_address, kArgvLengthByte);
  poke8(write_tail_characters(tail_address, count, params, kMaxTailLength), 0);
}

}  // namespace runner
