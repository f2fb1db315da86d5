// The fuzz targets' confinement of host paths (see path_jail.cpp).
#pragma once

#include <cstddef>

namespace fuzz {

// Sets the folder every host path of the core is confined to (an absolute
// path without a final '/') and makes it the guest's working folder.
void jail_set_root(const char* root);
// Back to the root as working folder (between inputs).
void jail_reset_cwd();

// Writes into `out` the host path that the core's path `in` stands for in
// the jail: resolved against the guest's working folder, '.' and '..'
// resolved by name, never above the root. False when it does not fit.
bool jail_path(const char* in, char* out, size_t cap);

}  // namespace fuzz
