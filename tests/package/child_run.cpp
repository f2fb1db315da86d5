#include "child_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>

#include "scratch_files.h"

namespace fs = std::filesystem;

namespace package_test {

namespace {

// Appends what can be read now; false once the writer has closed its end.
bool drain(int fd, std::string& into) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<size_t>(n));
      continue;
    }
    return n != 0;
  }
}

std::map<std::string, std::string> files_in(const fs::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    const std::string name = fs::relative(entry.path(), dir).string();
    if (entry.is_directory())
      files[name + "/"] = "";
    else
      files[name] = e2e::read_file(entry.path());
  }
  return files;
}

}  // namespace

ChildRun run_child(const fs::path& dir, const std::string& executable,
                   const std::vector<std::string>& argv, int timeout_seconds) {
  ChildRun run;
  int out_pipe[2], err_pipe[2];
  if (::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) return run;
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(126);
    std::signal(SIGPIPE, SIG_DFL);
    const int null_fd = ::open("/dev/null", O_RDONLY);
    ::dup2(null_fd, 0);
    ::dup2(out_pipe[1], 1);
    ::dup2(err_pipe[1], 2);
    for (int fd : {null_fd, out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]})
      if (fd > 2) ::close(fd);
    std::vector<std::string> words = argv;
    std::vector<char*> pointers;
    for (std::string& w : words) pointers.push_back(w.data());
    pointers.push_back(nullptr);
    ::execvp(executable.c_str(), pointers.data());
    const std::string why = "cannot execute " + executable + ": " + std::strerror(errno) + "\n";
    if (::write(2, why.data(), why.size()) < 0) ::_exit(127);
    ::_exit(127);
  }
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  ::fcntl(out_pipe[0], F_SETFL, O_NONBLOCK);
  ::fcntl(err_pipe[0], F_SETFL, O_NONBLOCK);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  bool out_open = true, err_open = true;
  while (out_open || err_open) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      run.timed_out = true;
      break;
    }
    struct pollfd fds[2] = {{out_open ? out_pipe[0] : -1, POLLIN, 0},
                            {err_open ? err_pipe[0] : -1, POLLIN, 0}};
    ::poll(fds, 2, 50);
    if (out_open) out_open = drain(out_pipe[0], run.out);
    if (err_open) err_open = drain(err_pipe[0], run.err);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(out_pipe[0]);
  ::close(err_pipe[0]);
  if (!run.timed_out && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.signal = WTERMSIG(status);
  run.files = files_in(dir);
  return run;
}

void refill(const fs::path& dir, const std::vector<InputFile>& inputs,
            const std::vector<std::string>& folders) {
  for (const auto& entry : fs::directory_iterator(dir)) fs::remove_all(entry.path());
  for (const InputFile& input : inputs) fs::copy_file(input.source, dir / input.name);
  for (const std::string& folder : folders) fs::create_directories(dir / folder);
}

}  // namespace package_test
