// Runs part of a test in a child process that cannot write files it does not own: as root,
// which ignores file modes, the child becomes the user "nobody" first. The child's failures
// reach the test through its exit status (its messages go to the same output).
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace agat::testing {

inline void run_unprivileged(const std::function<void()>& body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const bool dropped = ::geteuid() != 0 || (::setgroups(0, nullptr) == 0 &&
                                              ::setgid(65534) == 0 && ::setuid(65534) == 0);
    if (dropped) body();
    std::fflush(nullptr);
    ::_exit(dropped && !::testing::Test::HasFailure() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the unprivileged part failed";
}

}  // namespace agat::testing
