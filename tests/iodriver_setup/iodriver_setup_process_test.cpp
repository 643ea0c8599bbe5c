// The installer as a program on a system without a Service Control Manager: every request
// to the manager fails, and the program must say so and exit as it would on a Windows whose
// manager cannot be reached.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

namespace {

struct Outcome {
  std::string output;
  int exit_code = -1;
};

// Runs the program with `argv0` as the name it is called by and the given arguments, and
// collects its standard output.
Outcome RunProgramAs(const std::string& argv0, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(argv0.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);
  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, IODRIVER_SETUP_PATH, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipe_fds[1]);

  Outcome outcome;
  char buffer[4096];
  for (ssize_t n; (n = read(pipe_fds[0], buffer, sizeof buffer)) > 0;)
    outcome.output.append(buffer, static_cast<std::size_t>(n));
  close(pipe_fds[0]);
  if (spawned != 0) return outcome;
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) outcome.exit_code = WEXITSTATUS(status);
  return outcome;
}

Outcome RunProgram(const std::vector<std::string>& args) {
  return RunProgramAs(IODRIVER_SETUP_PATH, args);
}

TEST(IodriverSetupProcessTest, WithoutArgumentShowsUsageUnderTheNameItWasCalledBy) {
  Outcome outcome = RunProgram({});
  EXPECT_EQ(outcome.output, std::string("use ") + IODRIVER_SETUP_PATH + " /i | /u\n");
  EXPECT_EQ(outcome.exit_code, 1);

  outcome = RunProgramAs("setup tool", {});
  EXPECT_EQ(outcome.output, "use setup tool /i | /u\n");
  EXPECT_EQ(outcome.exit_code, 1);
}

TEST(IodriverSetupProcessTest, CommandsFailAsWithoutAManagerOnWindows) {
  const std::string install_failed = "Installing GiveIO driver...\nService installation failed\n";
  const std::string uninstalled =
      "Uninstalling GiveIO driver...\nStopping giveio service...failed\nDone.\n";
  const std::string unknown = "Unknown command\n";
  const struct {
    std::vector<std::string> args;
    const std::string& output;
    int exit_code;
  } cases[] = {
      {{"/i"}, install_failed, 2},
      {{"/I"}, install_failed, 2},
      {{"/u"}, uninstalled, 0},
      {{"/U"}, uninstalled, 0},
      {{"/i", "/u"}, install_failed, 2},  // only the first argument counts
      {{"/U", "/i", "extra"}, uninstalled, 0},
      {{"/x", "/i"}, unknown, 5},
      {{"i"}, unknown, 5},
      {{"-u"}, unknown, 5},
      {{"/in"}, unknown, 5},
      {{"\\u"}, unknown, 5},
      {{""}, unknown, 5},
  };
  for (const auto& c : cases) {
    const Outcome outcome = RunProgram(c.args);
    EXPECT_EQ(outcome.output, c.output) << ::testing::PrintToString(c.args);
    EXPECT_EQ(outcome.exit_code, c.exit_code) << ::testing::PrintToString(c.args);
  }
}

}  // namespace
