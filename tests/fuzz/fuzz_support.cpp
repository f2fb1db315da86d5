#include "tests/fuzz/fuzz_support.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "machine/run_state.h"
#include "oscalls/install.h"
#include "runner/runner.h"
#include "tests/fuzz/path_jail.h"

namespace fuzz {

namespace {

int scratch_fd = -1;
char scratch_path[4096];

// Removes everything below the open folder `dir` (closed on return). The
// guest can only make plain files and folders inside the scratch folder.
void empty_folder(int dir) {
  DIR* d = fdopendir(dir);
  if (!d) {
    close(dir);
    return;
  }
  while (dirent* e = readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    if (unlinkat(dirfd(d), e->d_name, 0) == 0) continue;
    int sub = openat(dirfd(d), e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub >= 0) empty_folder(sub);
    unlinkat(dirfd(d), e->d_name, AT_REMOVEDIR);
  }
  closedir(d);
}

void fail(const char* what) {
  std::fprintf(stderr, "fuzz set-up: %s: %s\n", what, std::strerror(errno));
  std::exit(1);
}

// Standard output of the fuzzers: the console output of one input is
// counted and dropped, and past a cap the stream fails as a full disk
// would. The OS layer stops copying once output has failed, so an input that
// asks for terabytes of output (Fwrite of 2 GB in a loop) ends in seconds.
constexpr size_t kOutputCapPerInput = 8 << 20;
size_t output_this_input;

ssize_t capped_write(void*, const char*, size_t n) {
  if (output_this_input + n > kOutputCapPerInput) return 0;  // 0: an error
  output_this_input += n;
  return static_cast<ssize_t>(n);
}

void use_capped_stdout() {
  cookie_io_functions_t functions{};
  functions.write = capped_write;
  std::FILE* capped = fopencookie(nullptr, "w", functions);
  if (!capped) fail("fopencookie");
  std::setvbuf(capped, nullptr, _IOFBF, 1 << 16);
  stdout = capped;
}

void remove_scratch() {
  oscalls::reset_os_state();
  empty_folder(dup(scratch_fd));
  rmdir(scratch_path);
}

// A fuzzer that libFuzzer stops on a timeout or a crash ends by _Exit, so its
// atexit cleanup never runs and its scratch folder stays behind. Each folder
// is named for the process that made it; the next fuzzer to start removes
// those of processes that no longer exist.
void remove_abandoned_scratch(const char* tmp) {
  int parent = open(tmp, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) return;
  DIR* d = fdopendir(parent);
  if (!d) {
    close(parent);
    return;
  }
  while (dirent* e = readdir(d)) {
    long pid = 0;
    int name_end = 0;
    if (std::sscanf(e->d_name, "vellum-fuzz-%ld-%*6[A-Za-z0-9]%n", &pid, &name_end) != 1 ||
        e->d_name[name_end] != '\0' || pid <= 0 || kill(static_cast<pid_t>(pid), 0) == 0 ||
        errno != ESRCH)
      continue;
    int sub = openat(dirfd(d), e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (sub < 0) continue;
    empty_folder(sub);
    unlinkat(dirfd(d), e->d_name, AT_REMOVEDIR);
  }
  closedir(d);
}

}  // namespace

void start_process() {
  const char* tmp = std::getenv("TMPDIR");
  if (!tmp || !*tmp) tmp = "/tmp";
  remove_abandoned_scratch(tmp);
  char* scratch = scratch_path;
  std::snprintf(scratch, sizeof scratch_path, "%s/vellum-fuzz-%ld-XXXXXX", tmp,
                static_cast<long>(getpid()));
  if (!mkdtemp(scratch)) fail("mkdtemp");
  scratch_fd = open(scratch, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (scratch_fd < 0) fail("scratch folder");
  jail_set_root(scratch);
  int null_fd = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null_fd < 0 || dup2(null_fd, 0) < 0 || dup2(null_fd, 1) < 0) fail("/dev/null");
  close(null_fd);
  use_capped_stdout();
  // A guest may ask for a 2 GB write; past this size the host refuses it
  // (short write, EFBIG) rather than fill the disk, input after input.
  const rlim_t kFileSizeLimit = 32 << 20;
  struct rlimit limit {
    kFileSizeLimit, kFileSizeLimit
  };
  if (setrlimit(RLIMIT_FSIZE, &limit) != 0) fail("setrlimit");
  std::atexit(remove_scratch);
  std::fprintf(stderr, "fuzz set-up: working in %s\n", scratch);
}

void reset_machine() {
  // The fuzzer installs its own handlers after start_process, one of which
  // would take the size limit's signal for a crash; ignored, the write
  // fails with EFBIG instead.
  static bool size_signal_ignored = false;
  if (!size_signal_ignored) {
    std::signal(SIGXFSZ, SIG_IGN);
    size_signal_ignored = true;
  }
  oscalls::reset_os_state();
  std::fflush(stdout);
  std::clearerr(stdout);
  output_this_input = 0;
  jail_reset_cwd();
  empty_folder(dup(scratch_fd));
  machine::quit_flag = 0;
  machine::exit_code = 0;
  if (!runner::machine_setup()) {
    std::fprintf(stderr, "fuzz set-up: ROM magic wrong\n");
    std::abort();
  }
}

}  // namespace fuzz
