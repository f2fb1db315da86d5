// Classes of vectors whose reference result this core does not reproduce on
// purpose. Each class is a stated rule evaluated from the vector's own data
// (opcode, initial and final state, bus cycles) and, for the rules that only
// explain some fields, from which fields differ; never from a vector's name
// or position.
#pragma once

#include <vector>

#include "execute.h"
#include "vector.h"

namespace conformance {

struct ClassRule {
  const char* name;
  const char* reason;
  // True: decided before running, the vector is not executed (the core
  // cannot produce the reference outcome at all). False: applied only to a
  // vector that failed, with its differences.
  bool before_run;
  bool (*applies)(const Vector& v, const std::vector<Difference>& diffs);
};

// Every rule, in the order they are tried.
const std::vector<ClassRule>& class_rules();

// First before-run rule that applies, or null.
const ClassRule* classify_before_run(const Vector& v);
// First after-run rule that explains a failed vector, or null.
const ClassRule* classify_failure(const Vector& v, const std::vector<Difference>& diffs);

}  // namespace conformance
