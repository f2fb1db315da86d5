// End-to-end cases: each runs one guest program under the built vellum in a
// fresh temporary directory and compares its exact standard output, its exit
// status and any host files it should leave behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "e2e_cases.h"
#include "scratch_files.h"

namespace fs = std::filesystem;

namespace {

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

struct RunResult {
  std::string output;
  int status = -1;  // exit status, or -1 when killed or not exited
  bool timed_out = false;
};

// Runs vellum on `program` with `args` inside `dir`. Standard error is kept
// apart: vellum writes everything it reports to standard output.
// Standard input is /dev/null, or a pipe that holds `input` (written whole
// before the start, so it must fit the pipe's buffer) and is then closed.
RunResult run_vellum(const fs::path& dir, const fs::path& program,
                     const std::vector<std::string>& args, int timeout_seconds,
                     const std::optional<std::string>& input,
                     const std::vector<std::pair<std::string, std::string>>& environment) {
  RunResult result;
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return result;
  int input_fd = -1;
  if (input) {
    int input_pipe[2];
    if (pipe(input_pipe) != 0) return result;
    if (write(input_pipe[1], input->data(), input->size()) != static_cast<ssize_t>(input->size()))
      return result;
    close(input_pipe[1]);
    input_fd = input_pipe[0];
  }
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(126);
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    dup2(pipe_fds[1], STDOUT_FILENO);
    if (input_fd < 0) input_fd = open("/dev/null", O_RDWR);
    dup2(input_fd, STDIN_FILENO);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    std::vector<char*> argv;
    std::string binary = VELLUM_BINARY;
    std::string program_path = program.string();
    argv.push_back(binary.data());
    argv.push_back(program_path.data());
    std::vector<std::string> copies(args);
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  close(pipe_fds[1]);
  if (input_fd >= 0) close(input_fd);
  fcntl(pipe_fds[0], F_SETFL, O_NONBLOCK);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  char buffer[4096];
  int wait_status = 0;
  bool exited = false;
  for (;;) {
    ssize_t n;
    while ((n = read(pipe_fds[0], buffer, sizeof buffer)) > 0) result.output.append(buffer, n);
    if (exited && n <= 0) break;
    if (!exited && waitpid(pid, &wait_status, WNOHANG) == pid) {
      exited = true;
      continue;  // drain what is left in the pipe
    }
    if (!exited && std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wait_status, 0);
      result.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  close(pipe_fds[0]);
  if (!result.timed_out && WIFEXITED(wait_status)) result.status = WEXITSTATUS(wait_status);
  return result;
}

void run_case(const E2eCase& c, const fs::path& program) {
  ASSERT_TRUE(fs::exists(program)) << program << " was not built";
  e2e::ScratchDir scratch("vellum-e2e");
  ASSERT_FALSE(scratch.path().empty());
  for (const std::string& d : c.directories) fs::create_directories(scratch.path() / d);
  for (const HostFile& f : c.files_before) e2e::write_file(scratch.path() / f.path, f.content);
  for (const std::string& p : c.programs_before) {
    const fs::path built = fs::path(GUEST_DIR) / (p + ".tos");
    ASSERT_TRUE(fs::exists(built)) << built << " was not built";
    fs::copy_file(built, scratch.path() / built.filename());
  }

  RunResult r =
      run_vellum(scratch.path(), program, c.args, c.timeout_seconds, c.input, c.environment);
  ASSERT_FALSE(r.timed_out) << c.name << " still running after " << c.timeout_seconds
                            << " s; output so far:\n"
                            << r.output;

  std::string expected = e2e::read_file(fs::path(EXPECTED_DIR) / c.expected_output);
  expected = replace_all(expected, "@CWD@", scratch.path().string());
  std::string gemdos_cwd = scratch.path().string();
  std::replace(gemdos_cwd.begin(), gemdos_cwd.end(), '/', '\\');
  expected = replace_all(expected, "@GEMDOS_CWD@", gemdos_cwd);
  EXPECT_EQ(r.output, expected);
  EXPECT_EQ(r.status, c.status);
  for (const HostFile& f : c.files_after) {
    fs::path path = scratch.path() / f.path;
    EXPECT_TRUE(fs::exists(path)) << f.path << " missing after the run";
    EXPECT_EQ(e2e::read_file(path), f.content) << "content of " << f.path;
  }
  for (const std::string& absent : c.files_absent)
    EXPECT_FALSE(fs::exists(scratch.path() / absent)) << absent << " should not exist";
}

class GuestProgram : public ::testing::TestWithParam<E2eCase> {};

TEST_P(GuestProgram, Run) {
  if (!GUESTS_BUILT) GTEST_SKIP() << "m68k cross tools not found: guest programs not built";
  const E2eCase& c = GetParam();
  run_case(c, fs::path(GUEST_DIR) / (c.program + ".tos"));
}

INSTANTIATE_TEST_SUITE_P(E2e, GuestProgram, ::testing::ValuesIn(e2e_cases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace

namespace {

// The prebuilt example runs without the cross tools.
TEST(ShippedExample, RunsAndDrawsTheSet) {
  E2eCase c;
  c.name = "ShippedExample";
  c.expected_output = "mandel.out";
  run_case(c, fs::path(EXAMPLES_DIR) / "mandel.tos");
}

// The shipped binary is exactly what the sources build.
TEST(ShippedExample, MatchesAFreshBuild) {
  if (!GUESTS_BUILT) GTEST_SKIP() << "m68k cross tools not found: cannot rebuild the example";
  std::string shipped = e2e::read_file(fs::path(EXAMPLES_DIR) / "mandel.tos");
  std::string built = e2e::read_file(fs::path(GUEST_DIR) / "mandel.tos");
  ASSERT_FALSE(built.empty());
  EXPECT_TRUE(shipped == built) << "examples/mandel.tos differs from the build of examples/mandel.c"
                                   " ("
                                << shipped.size() << " vs " << built.size()
                                << " bytes);"
                                   " copy the build's guests/mandel.tos over it";
}

}  // namespace
