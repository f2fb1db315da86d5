// Keeps a fuzzed guest's host files inside the scratch folder.
//
// The product maps a GEMDOS name to a host name and lets the host decide,
// like any native command; a fuzzer, though, will soon write
// "\..\..\etc\x" or "C:\usr\bin\y". So the fuzz targets link a copy of the
// core in which every path-taking libc call is renamed to vellum_jail_<name>
// (objcopy; the list is in CMakeLists.txt), and those land here: the name is
// resolved against a working folder kept here, '..' by name and never above
// the scratch root, and the real call gets the result. The fuzzer's own
// file access (corpus, crash files) is untouched. Calls that could lead
// outside by other means (symbolic links, running programs) are refused.
// Nothing of this is in the product.
//
// The build checks that no listed call is left unrenamed in the copy
// (check_jail.cmake), and a listed call not defined here fails to link.
#include "tests/fuzz/path_jail.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdarg.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace fuzz {

constexpr size_t kPathCap = 4096;

namespace {

char root[kPathCap];
size_t root_length;
// The guest's working folder below the root: "" or "a/b".
char cwd[kPathCap];

// Appends the parts of `in` to the relative path `rel` (length n, capacity
// cap), '.' skipped and '..' dropping the last part. False when too long.
bool walk(const char* in, char* rel, size_t& n, size_t cap) {
  const char* p = in;
  while (*p) {
    while (*p == '/') ++p;
    const char* start = p;
    while (*p && *p != '/') ++p;
    const size_t len = static_cast<size_t>(p - start);
    if (len == 0 || (len == 1 && start[0] == '.')) continue;
    if (len == 2 && start[0] == '.' && start[1] == '.') {
      while (n > 0 && rel[n - 1] != '/') --n;
      if (n > 0) --n;
      rel[n] = 0;
      continue;
    }
    if (n + (n > 0) + len + 1 > cap) return false;
    if (n > 0) rel[n++] = '/';
    std::memcpy(rel + n, start, len);
    n += len;
    rel[n] = 0;
  }
  return true;
}

}  // namespace

void jail_set_root(const char* r) {
  std::snprintf(root, sizeof root, "%s", r);
  root_length = std::strlen(root);
  cwd[0] = 0;
}

void jail_reset_cwd() {
  cwd[0] = 0;
}

bool jail_path(const char* in, char* out, size_t cap) {
  char rel[kPathCap];
  size_t n = 0;
  rel[0] = 0;
  if (in[0] != '/') {
    n = std::strlen(cwd);
    std::memcpy(rel, cwd, n + 1);
  }
  if (!walk(in, rel, n, sizeof rel)) return false;
  const int written = std::snprintf(out, cap, "%s%s%s", root, n > 0 ? "/" : "", rel);
  return written >= 0 && static_cast<size_t>(written) < cap;
}

}  // namespace fuzz

namespace {

// A jailed path, or an empty one (which every call refuses with ENOENT)
// when it does not fit or the name is null.
struct Jailed {
  char path[2 * fuzz::kPathCap];
  explicit Jailed(const char* in) {
    if (!in || !fuzz::jail_path(in, path, sizeof path)) path[0] = 0;
  }
};

int refuse() {
  errno = EACCES;
  return -1;
}

}  // namespace

extern "C" {

FILE* vellum_jail_fopen(const char* path, const char* mode) {
  return fopen(Jailed(path).path, mode);
}
FILE* vellum_jail_fopen64(const char* path, const char* mode) {
  return fopen(Jailed(path).path, mode);
}
FILE* vellum_jail_freopen(const char* path, const char* mode, FILE* stream) {
  return freopen(path ? Jailed(path).path : nullptr, mode, stream);
}

// open's mode exists only with O_CREAT or O_TMPFILE; reading it always is
// harmless on this ABI.
int vellum_jail_open(const char* path, int flags, ...) {
  va_list ap;
  va_start(ap, flags);
  const mode_t mode = va_arg(ap, mode_t);
  va_end(ap);
  return open(Jailed(path).path, flags, mode);
}
int vellum_jail_open64(const char* path, int flags, ...) {
  va_list ap;
  va_start(ap, flags);
  const mode_t mode = va_arg(ap, mode_t);
  va_end(ap);
  return open(Jailed(path).path, flags, mode);
}
// The *at forms: only relative to the working folder (the core has no
// folder descriptors of its own).
int vellum_jail_openat(int dir, const char* path, int flags, ...) {
  va_list ap;
  va_start(ap, flags);
  const mode_t mode = va_arg(ap, mode_t);
  va_end(ap);
  if (dir != AT_FDCWD) return refuse();
  return open(Jailed(path).path, flags, mode);
}
int vellum_jail_openat64(int dir, const char* path, int flags, ...) {
  va_list ap;
  va_start(ap, flags);
  const mode_t mode = va_arg(ap, mode_t);
  va_end(ap);
  if (dir != AT_FDCWD) return refuse();
  return open(Jailed(path).path, flags, mode);
}
int vellum_jail_creat(const char* path, mode_t mode) {
  return creat(Jailed(path).path, mode);
}
int vellum_jail_mkdir(const char* path, mode_t mode) {
  return mkdir(Jailed(path).path, mode);
}
int vellum_jail_rmdir(const char* path) {
  return rmdir(Jailed(path).path);
}
int vellum_jail_unlink(const char* path) {
  return unlink(Jailed(path).path);
}
int vellum_jail_remove(const char* path) {
  return remove(Jailed(path).path);
}
int vellum_jail_rename(const char* from, const char* to) {
  return rename(Jailed(from).path, Jailed(to).path);
}
int vellum_jail_link(const char* from, const char* to) {
  return link(Jailed(from).path, Jailed(to).path);
}
int vellum_jail_chmod(const char* path, mode_t mode) {
  return chmod(Jailed(path).path, mode);
}
int vellum_jail_truncate(const char* path, off_t length) {
  return truncate(Jailed(path).path, length);
}
int vellum_jail_access(const char* path, int how) {
  return access(Jailed(path).path, how);
}
int vellum_jail_stat(const char* path, struct stat* st) {
  return stat(Jailed(path).path, st);
}
int vellum_jail_lstat(const char* path, struct stat* st) {
  return lstat(Jailed(path).path, st);
}
int vellum_jail_fstatat(int dir, const char* path, struct stat* st, int flags) {
  if (dir != AT_FDCWD) return refuse();
  return fstatat(dir, Jailed(path).path, st, flags);
}
int vellum_jail_utimes(const char* path, const struct timeval* times) {
  return utimes(Jailed(path).path, times);
}
int vellum_jail_utimensat(int dir, const char* path, const struct timespec* times, int flags) {
  if (dir != AT_FDCWD || !path) return refuse();
  return utimensat(dir, Jailed(path).path, times, flags);
}
DIR* vellum_jail_opendir(const char* path) {
  return opendir(Jailed(path).path);
}

// The working folder is the jail's own: a real chdir would move the
// fuzzer's relative corpus and crash-file paths.
int vellum_jail_chdir(const char* path) {
  using namespace fuzz;
  if (!path) return refuse();
  char rel[kPathCap];
  size_t n = 0;
  rel[0] = 0;
  if (path[0] != '/') {
    n = std::strlen(cwd);
    std::memcpy(rel, cwd, n + 1);
  }
  if (!walk(path, rel, n, sizeof rel)) {
    errno = ENAMETOOLONG;
    return -1;
  }
  struct stat st;
  Jailed full(path);
  if (stat(full.path, &st) != 0) return -1;
  if (!S_ISDIR(st.st_mode)) {
    errno = ENOTDIR;
    return -1;
  }
  std::memcpy(cwd, rel, n + 1);
  return 0;
}
// The guest sees its working folder as a path from the root: "/" or "/a/b".
char* vellum_jail_getcwd(char* buf, size_t size) {
  using namespace fuzz;
  if (!buf) {  // the allocating form
    size = kPathCap + 1;
    buf = static_cast<char*>(std::malloc(size));
    if (!buf) return nullptr;
  }
  const int written = std::snprintf(buf, size, "/%s", cwd);
  if (written < 0 || static_cast<size_t>(written) >= size) {
    errno = ERANGE;
    return nullptr;
  }
  return buf;
}

// A link's target is read when the link is followed, past any jailing of
// the name; a program run on the host is not jailed at all.
int vellum_jail_symlink(const char*, const char*) {
  return refuse();
}
int vellum_jail_system(const char*) {
  return refuse();
}

}  // extern "C"
