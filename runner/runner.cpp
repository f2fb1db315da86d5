#include "runner/runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>

#include "cpu/cpu_state.h"
#include "machine/emu_memory.h"
#include "machine/os_rom.h"
#include "machine/run_state.h"
#include "oscalls/host_files.h"
#include "oscalls/install.h"
#include "oscalls/malloc_calls.h"
#include "oscalls/os_call_table.h"
#include "oscalls/process.h"
#include "runner/program_check.h"

#ifndef VELLUM_BUILD_STAMP
#define VELLUM_BUILD_STAMP "0000000000"
#endif
#ifndef VELLUM_MEMORY_DUMP
#define VELLUM_MEMORY_DUMP 0
#endif

namespace runner {

uint32_t load_address;
uint32_t command_tail_address;

namespace {

// The program file goes into guest memory through this buffer.
constexpr size_t kLoadChunk = 4096;
uint8_t load_buffer[kLoadChunk];

// A million cycles: milliseconds of emulated work. The run loop flushes and
// checks standard output and looks at end signals between timeslices; a
// signal handler also ends the current one, but that store can be lost to
// the CPU's own update of its budget, and then the next check is only one
// timeslice away.
constexpr int32_t kTimeslice = 0x100000;
constexpr int kStartupFailure = -1;

uint32_t memory_dump_enabled = VELLUM_MEMORY_DUMP;

// Descriptors 0 to 2 closed when vellum starts would be handed out by the
// first host opens, and console output would land in the program's files.
void open_standard_descriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is `fd` itself.
    int opened = ::open("/dev/null", O_RDWR);
    if (opened >= 0 && opened != fd) ::close(opened);
  }
}

// Prints the refusal of a program file whose header the ROM could not use.
bool program_refused(const char* path, const ProgramCheck& check) {
  switch (check.fault) {
    case ProgramFault::kNone:
      return false;
    case ProgramFault::kNotAProgram:
      std::printf("Program file %s is not a GEMDOS program\n", path);
      break;
    case ProgramFault::kTruncated:
      std::printf("Program file %s is truncated: its header needs %llu bytes, the file has %llu\n",
                  path, static_cast<unsigned long long>(check.needed),
                  static_cast<unsigned long long>(check.limit));
      break;
    case ProgramFault::kTooBig:
      std::printf("Program file %s does not fit in memory: %llu bytes, at most %llu\n", path,
                  static_cast<unsigned long long>(check.needed),
                  static_cast<unsigned long long>(check.limit));
      break;
    case ProgramFault::kBadRelocation:
      std::printf("Program file %s relocates outside the program: offset %llu of %llu bytes\n",
                  path, static_cast<unsigned long long>(check.needed),
                  static_cast<unsigned long long>(check.limit));
      break;
  }
  return true;
}

// The end of every run: the program's files complete on disk, its console
// output handed to the host, then the process status. A run ended by a
// signal ends the process by that signal, as a native command would; one
// whose standard output failed ends like one killed by SIGPIPE when it
// writes to a pipe or socket (the reader has gone), otherwise with status 1
// and a message on standard error.
int finish_run() {
  machine::block_end_signals();
  oscalls::close_all_files();
  oscalls::end_held_trace_lines();
  std::fflush(stdout);
  machine::output_failed();
  if (memory_dump_enabled) write_memory_dump("memdump");

  int signo = 0;
  switch (machine::host_end()) {
    case machine::HostEnd::kNone:
      return static_cast<int>(machine::exit_code);
    case machine::HostEnd::kSignal:
      signo = static_cast<int>(machine::pending_signal);
      break;
    case machine::HostEnd::kOutputFailed: {
      struct stat st;
      if (::fstat(STDOUT_FILENO, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) {
        std::fprintf(stderr, "vellum: write error on standard output\n");
        return 1;
      }
      signo = SIGPIPE;
      break;
    }
  }
  // The default action, unblocked: the parent sees the process ended by the
  // signal (shells report 128 + its number).
  std::signal(signo, SIG_DFL);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, signo);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  std::raise(signo);
  ::_exit(128 + signo);  // only if the signal could not end the process
}

}  // namespace

bool machine_setup() {
  machine::clear_memory();
  oscalls::reset_host_files();
  oscalls::reset_processes();
  oscalls::install_os_calls();
  machine::install_os_rom();
  load_address = machine::peek32(machine::kLoadAddressField);
  if (!machine::os_rom_magic_ok()) return false;
  command_tail_address = machine::peek32(machine::kCommandTailField);
  return true;
}

uint32_t load_program(std::FILE* file) {
  uint32_t cursor = load_address;
  size_t n;
  while ((n = std::fread(load_buffer, 1, sizeof load_buffer, file)) > 0) {
    // Never write past the space below the ROM; the caller refuses the run.
    if (cursor - load_address + n > kMaxProgramSize) return kMaxProgramSize + 1;
    machine::copy_to_guest(cursor, load_buffer, n);
    cursor += static_cast<uint32_t>(n);
  }
  oscalls::start_malloc(cursor);
  return cursor - load_address;
}

void write_memory_dump(const char* path) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return;
  std::fwrite(machine::emu_memory, 1, sizeof machine::emu_memory, f);
  std::fclose(f);
}

int run(int argc, char** argv, TimesliceEngine execute) {
  open_standard_descriptors();
  if (argc < 2) {
    std::printf("vellum b%s by quarndle\n", VELLUM_BUILD_STAMP);
    std::printf("Usage: vellum <program file> [parameters]\n");
    return kStartupFailure;
  }
  const char* path = argv[1];
  const int param_count = argc - 2;
  char* const* params = argv + 2;

  // Everything that can refuse the run is checked before the machine is
  // touched, so a refused run loads nothing.
  const uint32_t argv_size = argv_environment_needed(path, param_count, params);
  if (argv_size > kMaxArgvEnvironment) {
    std::printf("Command line too long: %u bytes of ARGV environment, at most %u\n", argv_size,
                kMaxArgvEnvironment);
    return kStartupFailure;
  }
  struct stat st;
  std::FILE* file = nullptr;
  if (stat(path, &st) == 0 && !S_ISDIR(st.st_mode)) file = std::fopen(path, "rb");
  if (!file) {
    std::printf("Unable to open %s", path);
    return kStartupFailure;
  }
  if (S_ISREG(st.st_mode) && st.st_size == 0) {
    std::printf("Program file %s is empty\n", path);
    std::fclose(file);
    return kStartupFailure;
  }
  if (S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) > kMaxProgramSize) {
    std::printf("Program file %s is too large: %lld bytes, at most %u\n", path,
                static_cast<long long>(st.st_size), kMaxProgramSize);
    std::fclose(file);
    return kStartupFailure;
  }

  if (!machine_setup()) {
    std::printf("Unsupported OS-ROM!\n");
    std::fclose(file);
    return kStartupFailure;
  }
  uint32_t loaded = load_program(file);
  std::fclose(file);
  // A pipe or device can only be measured while reading it.
  if (loaded == 0 || loaded > kMaxProgramSize) {
    if (loaded == 0)
      std::printf("Program file %s is empty\n", path);
    else
      std::printf("Program file %s is too large: at most %u bytes\n", path, kMaxProgramSize);
    return kStartupFailure;
  }
  if (program_refused(path, check_program(load_address, loaded, machine::kOsRomBase)))
    return kStartupFailure;

  machine::install_signal_handlers();
  m68k::init();
  m68k::set_cpu_type(m68k::kM68000);
  m68k::pulse_reset();
  write_parameters(command_tail_address, path, param_count, params);

  while (!machine::quit_flag && machine::pending_signal == 0) {
    execute(kTimeslice);
    // Console output reaches a pipe or file at least once per timeslice, so
    // a program that prints and then computes for long shows its progress,
    // and a reader that has gone is noticed even when little is printed.
    std::fflush(stdout);
    if (machine::output_failed() || machine::pending_signal != 0) break;
    // STOP with nothing to wake the CPU: no interrupt source exists, so the
    // run could never continue.
    if (!machine::quit_flag && m68k::cpu.stopped != 0) {
      std::printf("CPU STOPPED WITH NOTHING TO WAKE IT\n");
      machine::exit_code = machine::kFailedRunCode;
      break;
    }
  }
  return finish_run();
}

}  // namespace runner
