// The parameters of an OS call, described once: the types of its handler's
// parameters say how each is read and shown, the call's row names them. The
// dispatch reads them from the program's parameter block into one
// DecodedParams, the trace shows those values, and the handler receives the
// same values as its arguments, so what the trace says a call was given is
// what the call worked with.
//
// A parameter's type says how wide it is in the block and how the trace
// shows it. The handler sees every value as the program pushed it, a word
// zero-extended (0 to 65535, also for a SignedWord), a long as its 32 bits:
// the types convert to that uint32_t, and a handler that wants a value
// signed casts it, as it would a value read from memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>

namespace oscalls {

enum class ParamKind : uint8_t {
  kWord,        // word, shown unsigned decimal
  kSignedWord,  // word, shown signed decimal: handles, codes, modes that may be -1
  kCharWord,    // word holding a character, shown 0x%02x
  kLong,        // long, shown signed decimal
  kPointer,     // long address, shown 0x%06x
  kString,      // long address of a NUL-terminated string, shown 0x%06x and quoted
  // Not in the block: the parameter pointer itself (the address of the
  // function number), for the one call that needs the caller's stack
  // (Super). It has no name in the row and the trace does not show it.
  kBlockAddress,
};

template <ParamKind Kind>
struct CallParam {
  static constexpr ParamKind kKind = Kind;
  uint32_t value;
  constexpr operator uint32_t() const { return value; }
};

using Word = CallParam<ParamKind::kWord>;
using SignedWord = CallParam<ParamKind::kSignedWord>;
using CharWord = CallParam<ParamKind::kCharWord>;
using Long = CallParam<ParamKind::kLong>;
using Pointer = CallParam<ParamKind::kPointer>;
using StringPointer = CallParam<ParamKind::kString>;
using BlockAddress = CallParam<ParamKind::kBlockAddress>;

// Pexec has the most parameters of the handled calls (4); room for the
// later calls of up to six.
inline constexpr unsigned kMaxCallParams = 6;

// One call's parameters as decoded, in the order of its handler's arguments.
struct DecodedParams {
  uint32_t values[kMaxCallParams];
};

// What a row knows of its handler: the kinds of its arguments, and a
// function that calls it with the decoded values.
struct TypedHandler {
  unsigned count;
  ParamKind kinds[kMaxCallParams];
  void (*run)(const DecodedParams&);
};

namespace call_params_detail {

template <typename T>
inline constexpr bool kIsCallParam = false;
template <ParamKind Kind>
inline constexpr bool kIsCallParam<CallParam<Kind>> = true;

template <typename... Params>
constexpr size_t arity(void (*)(Params...)) {
  return sizeof...(Params);
}

template <typename... Params, size_t... I>
void run_with(void (*handler)(Params...), const DecodedParams& decoded, std::index_sequence<I...>) {
  handler(Params{decoded.values[I]}...);
}

template <auto Handler>
void run_decoded(const DecodedParams& decoded) {
  run_with(Handler, decoded, std::make_index_sequence<arity(Handler)>{});
}

template <auto Handler, typename... Params>
constexpr TypedHandler describe(void (*)(Params...)) {
  static_assert((kIsCallParam<Params> && ...),
                "an OS-call handler takes only parameter kinds (Word, Long, Pointer, ...)");
  static_assert(sizeof...(Params) <= kMaxCallParams, "more parameters than kMaxCallParams");
  return TypedHandler{sizeof...(Params), {Params::kKind...}, run_decoded<Handler>};
}

// Not constexpr: reaching one while a row is compiled stops the build with
// its name in the message.
inline void the_row_names_fewer_parameters_than_its_handler_takes() {}
inline void the_row_names_more_parameters_than_its_handler_takes() {}
inline void a_parameter_name_is_letters_digits_and_underscores() {}

constexpr bool is_name_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace call_params_detail

// The row's handler: `handler<fread_call>` for
// `void fread_call(SignedWord handle, Long count, Pointer buffer)`.
template <auto Handler>
inline constexpr TypedHandler handler = call_params_detail::describe<Handler>(Handler);

// The name of one parameter, for the trace.
struct ParamName {
  const char* text = "";
  unsigned length = 0;
};

// A row's parameters: its handler's kinds with the names the row gives them
// (none for a BlockAddress).
struct CallParams {
  unsigned count = 0;
  ParamKind kinds[kMaxCallParams] = {};
  ParamName names[kMaxCallParams] = {};
};

// `names`: the names of the parameters the handler takes from the block, in
// order, separated by spaces ("handle count buffer"); "" for none. Checked
// against the handler while the table is compiled.
consteval CallParams name_params(const char* names, const TypedHandler& typed) {
  using namespace call_params_detail;
  CallParams params;
  params.count = typed.count;
  const char* p = names;
  for (unsigned i = 0; i < typed.count; ++i) {
    params.kinds[i] = typed.kinds[i];
    if (typed.kinds[i] == ParamKind::kBlockAddress) continue;
    while (*p == ' ') ++p;
    const char* start = p;
    while (is_name_char(*p)) ++p;
    if (p == start) {
      if (*p == 0) the_row_names_fewer_parameters_than_its_handler_takes();
      a_parameter_name_is_letters_digits_and_underscores();
    }
    if (*p != ' ' && *p != 0) a_parameter_name_is_letters_digits_and_underscores();
    params.names[i] = ParamName{start, static_cast<unsigned>(p - start)};
  }
  while (*p == ' ') ++p;
  if (*p != 0) the_row_names_more_parameters_than_its_handler_takes();
  return params;
}

}  // namespace oscalls
