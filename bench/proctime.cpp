// Runs a command a number of times and reports the median wall time of one
// whole process (fork to reaped) and the largest peak resident set size:
//
//   vellum-proctime RUNS command [arguments...]
//
// prints "<median microseconds> <fastest microseconds> <peak RSS kilobytes>
// <median CPU microseconds>", the CPU time being user plus system time.
// The command's standard output goes to /dev/null.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s RUNS command [arguments...]\n", argv[0]);
    return 2;
  }
  const int runs = std::atoi(argv[1]);
  if (runs < 1) return 2;
  std::vector<double> times, cpu_times;
  long peak_kb = 0;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      const int null_fd = open("/dev/null", O_WRONLY);
      dup2(null_fd, STDOUT_FILENO);
      execv(argv[2], argv + 2);
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) return 1;
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 127) {
      std::fprintf(stderr, "%s: %s did not run\n", argv[0], argv[2]);
      return 1;
    }
    times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    peak_kb = std::max(peak_kb, usage.ru_maxrss);
    cpu_times.push_back(1e6 * static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                        static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec));
  }
  std::sort(times.begin(), times.end());
  std::sort(cpu_times.begin(), cpu_times.end());
  std::printf("%.0f %.0f %ld %.0f\n", times[times.size() / 2], times.front(), peak_kb,
              cpu_times[cpu_times.size() / 2]);
  return 0;
}
