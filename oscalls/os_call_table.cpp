#include "oscalls/os_call_table.h"

#include <cstdarg>
#include <cstdio>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/trace.h"
#include "oscalls/param_stream.h"

namespace oscalls {

namespace {

// One trace line, built in a fixed buffer: parameters are decoded before the
// handler runs (it may overwrite them), the answer is added after it.
struct TraceLine {
  char text[512];
  size_t length = 0;

  __attribute__((format(printf, 2, 3))) void add(const char* format, ...) {
    if (length >= sizeof text) return;
    std::va_list values;
    va_start(values, format);
    int n = std::vsnprintf(text + length, sizeof text - length, format, values);
    va_end(values);
    if (n > 0) length += static_cast<size_t>(n);
    if (length >= sizeof text) length = sizeof text - 1;
  }

  void add_char(uint32_t c) {
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\')
      add("%c", static_cast<int>(c));
    else
      add("\\x%02x", c);
  }
};

constexpr unsigned kTraceStringLimit = 64;

// Lines of calls whose answer comes later, innermost last. An answer that
// arrives during a traced call (the child's Pterm) is written after that
// call's own line, so the lines keep the order of events.
TraceLine held_lines[kMaxHeldTraceLines];
unsigned held_count;
bool hold_requested;
bool in_traced_call;
unsigned answers_due;

void add_string(TraceLine& line, uint32_t address) {
  line.add("\"");
  for (unsigned i = 0;; ++i) {
    const uint32_t c = machine::peek8(address + i);
    if (c == 0) break;
    if (i == kTraceStringLimit) {
      line.add("...");
      break;
    }
    line.add_char(c);
  }
  line.add("\"");
}

void add_parameters(TraceLine& line, const CallParams& params, const DecodedParams& decoded) {
  bool first = true;
  for (unsigned i = 0; i < params.count; ++i) {
    const ParamKind kind = params.kinds[i];
    if (kind == ParamKind::kBlockAddress) continue;
    const uint32_t value = decoded.values[i];
    const ParamName& name = params.names[i];
    line.add(first ? "%.*s=" : ", %.*s=", static_cast<int>(name.length), name.text);
    first = false;
    switch (kind) {
      case ParamKind::kWord:
        line.add("%u", value);
        break;
      case ParamKind::kSignedWord:
        line.add("%d", static_cast<int16_t>(value));
        break;
      case ParamKind::kCharWord:
        line.add("0x%02x", value);
        break;
      case ParamKind::kLong:
        line.add("%d", static_cast<int32_t>(value));
        break;
      case ParamKind::kPointer:
        line.add("0x%06x", value);
        break;
      case ParamKind::kString:
        line.add("0x%06x ", value);
        add_string(line, value);
        break;
      case ParamKind::kBlockAddress:
        break;
    }
  }
}

void add_answer(TraceLine& line) {
  const int32_t d0 = static_cast<int32_t>(m68k::get_register(nullptr, m68k::kD0));
  if (d0 > -0x10000 && d0 < 0x10000)
    line.add(" = %d\n", d0);
  else
    line.add(" = 0x%08x\n", static_cast<uint32_t>(d0));
}

void write_line(const TraceLine& line) {
  machine::trace_write(line.text, line.length);
}

void write_innermost_held_line() {
  TraceLine& line = held_lines[--held_count];
  add_answer(line);
  write_line(line);
}

const OsCall* find_row(const OsCallLayer& layer, uint32_t number) {
  for (const OsCall& call : layer.calls)
    if (call.number == number) return &call;
  return nullptr;
}

// The parameters after the function number, read once through the cursor,
// which stands just past that number.
void decode_params(const CallParams& params, uint32_t block, DecodedParams& decoded) {
  for (unsigned i = 0; i < params.count; ++i) {
    switch (params.kinds[i]) {
      case ParamKind::kWord:
      case ParamKind::kSignedWord:
      case ParamKind::kCharWord:
        decoded.values[i] = param_read16();
        break;
      case ParamKind::kLong:
      case ParamKind::kPointer:
      case ParamKind::kString:
        decoded.values[i] = param_read32();
        break;
      case ParamKind::kBlockAddress:
        decoded.values[i] = block;
        break;
    }
  }
}

bool is_quiet(const OsCallLayer& layer, uint32_t number) {
  return number >= layer.quiet_from;
}

void unhandled(const OsCallLayer& layer, uint32_t number) {
  if (!is_quiet(layer, number)) print_unhandled_call(layer.label, layer.names, number);
  set_d0_signed(kInvalidFunction);
}

void traced_dispatch(const OsCallLayer& layer, uint32_t params) {
  param_start(params);
  const uint32_t number = param_read16();
  const OsCall* call = find_row(layer, number);
  DecodedParams decoded;
  TraceLine line;
  line.add("%s 0x%04x ", layer.label, number);
  if (call) {
    // Shown before the handler runs: it may overwrite what they point at.
    decode_params(call->params, params, decoded);
    line.add("%s(", call->name);
    add_parameters(line, call->params, decoded);
    line.add(")");
  } else {
    const OsCallName* named = find_call_name(layer.names, number);
    if (named) {
      int n = 0;  // the name without the padding of its field
      while (n < static_cast<int>(kCallNameWidth) && named->name[n] != ' ') ++n;
      line.add("%.*s ", n, named->name);
    }
    line.add(is_quiet(layer, number) ? "not in this OS" : "unhandled");
  }
  hold_requested = false;
  in_traced_call = true;
  if (call)
    call->run(decoded);
  else
    unhandled(layer, number);
  in_traced_call = false;
  if (hold_requested && held_count < kMaxHeldTraceLines) {
    held_lines[held_count++] = line;
    return;
  }
  add_answer(line);
  write_line(line);
  for (; answers_due > 0 && held_count > 0; --answers_due) write_innermost_held_line();
  answers_due = 0;
}

}  // namespace

void set_d0(uint32_t value) {
  m68k::set_register(m68k::kD0, value);
}

void dispatch_os_call(const OsCallLayer& layer, uint32_t params) {
  if (machine::trace_enabled) [[unlikely]]
    return traced_dispatch(layer, params);
  param_start(params);
  const uint32_t number = param_read16();
  if (const OsCall* call = find_row(layer, number)) {
    DecodedParams decoded;
    decode_params(call->params, params, decoded);
    call->run(decoded);
  } else {
    unhandled(layer, number);
  }
}

void hold_trace_line() {
  hold_requested = machine::trace_enabled;
}

void answer_held_trace_line() {
  if (!machine::trace_enabled || held_count == 0) return;
  if (in_traced_call)
    ++answers_due;
  else
    write_innermost_held_line();
}

void end_held_trace_lines() {
  while (machine::trace_enabled && held_count > 0) {
    TraceLine& line = held_lines[--held_count];
    line.add(" = no answer: the run ended in the child\n");
    write_line(line);
  }
}

void reset_held_trace_lines() {
  held_count = 0;
  hold_requested = false;
  in_traced_call = false;
  answers_due = 0;
}

}  // namespace oscalls
