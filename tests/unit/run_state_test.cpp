// The run's end from outside: waiting for input must give way to an end
// signal, whenever it arrives.
#include "machine/run_state.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

class WaitForInput : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], nullptr, &saved_[i]);
    sigaction(SIGPIPE, nullptr, &saved_pipe_);
    machine::install_signal_handlers();
    ASSERT_EQ(::pipe(fds_), 0);
  }
  void TearDown() override {
    for (int i = 0; i < 3; ++i) sigaction(kSignals[i], &saved_[i], nullptr);
    sigaction(SIGPIPE, &saved_pipe_, nullptr);
    ::close(fds_[0]);
    if (fds_[1] >= 0) ::close(fds_[1]);
    machine::pending_signal = 0;
    machine::quit_flag = 0;
  }
  static constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};
  struct sigaction saved_[3], saved_pipe_;
  int fds_[2];
};

TEST_F(WaitForInput, ReturnsAtOnceWhenInputIsWaiting) {
  ASSERT_EQ(::write(fds_[1], "x", 1), 1);
  EXPECT_TRUE(machine::wait_for_input(fds_[0]));
}

// A pipe whose writer has gone: the read that follows reports the end.
TEST_F(WaitForInput, EndOfInputCountsAsReadable) {
  ::close(fds_[1]);
  fds_[1] = -1;
  EXPECT_TRUE(machine::wait_for_input(fds_[0]));
}

TEST_F(WaitForInput, DoesNotWaitOnceTheRunIsEnding) {
  machine::quit_flag = 1;
  EXPECT_FALSE(machine::wait_for_input(fds_[0]));
}

// Each end signal, sent while the wait blocks on an empty pipe, ends it.
class WaitForInputSignal : public WaitForInput, public ::testing::WithParamInterface<int> {};

TEST_P(WaitForInputSignal, AnEndSignalEndsTheWait) {
  const int signo = GetParam();
  std::thread sender([signo] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ::kill(::getpid(), signo);
  });
  const auto start = std::chrono::steady_clock::now();
  const bool readable = machine::wait_for_input(fds_[0]);
  sender.join();
  EXPECT_FALSE(readable);
  EXPECT_EQ(machine::pending_signal, signo);
  EXPECT_EQ(machine::host_end(), machine::HostEnd::kSignal);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

INSTANTIATE_TEST_SUITE_P(EndSignals, WaitForInputSignal,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP));

}  // namespace
