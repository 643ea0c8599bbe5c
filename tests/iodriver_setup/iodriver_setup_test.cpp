// The driver installer: its procedures and commands driven through the fake manager, and the
// program itself run as a process on a system without a Service Control Manager.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "iodriver_setup/driver_service.h"
#include "iodriver_setup/fake_service_control.h"
#include "support/temp_dir.h"

namespace agat::iodriver {
namespace {

using testing::FakeServiceControl;
using Sleeps = std::vector<std::uint32_t>;
// The states a service reports, by short names so that a script of them fits on a line.
constexpr std::uint32_t kStopped = kServiceStopped, kStarting = kServiceStartPending,
                        kStopping = kServiceStopPending, kRunning = kServiceRunning, kPaused = 7,
                        kFails = FakeServiceControl::kQueryFails;

// Codes with a text show it, also beside the gaps of the table; the others show the number.
TEST(ErrorCodeText, TextOrNumber) {
  std::string texts;
  for (int code : {0, 5, 34, 35, 36, 37, 39, 40, 49, 50, 69, 70, 1060, -1})
    texts += ErrorCodeText(code) + "|";
  EXPECT_EQ(texts,
            "No error|Access denied|Wrong disk|code 35|Sharing buffer exceeded|code 37|"
            "Disk is full|code 40|code 49|Not supported request|Too many network sessions|"
            "code 70|code 1060|code -1|");
}

// A failed install leaves no entry: without a manager, with the creation refused, and with
// the description refused after the entry was made (the entry is deleted again).
TEST(DriverService, FailedInstallLeavesNoEntry) {
  for (auto failure : {&FakeServiceControl::open_manager_error, &FakeServiceControl::create_error,
                       &FakeServiceControl::describe_error}) {
    FakeServiceControl scm;
    scm.*failure = kErrorAccessDenied;
    EXPECT_EQ(InstallDriverService(scm, "giveio", "Give I/O", "Text", "GIVEIO.SYS"), -1);
    EXPECT_TRUE(scm.services.empty());
  }
}

// Start and stop from each state the service reports (one per status query, the last one
// repeating): the result, what they write, whether they ask for a start or a stop, the waits.
// A service stopped or stopping needs no stop, a starting one is let finish its start; after
// the stop control the state is polled, 40 times at most.
TEST(DriverService, StartAndStopFromEachState) {
  std::deque<std::uint32_t> forty_polls(40, kRunning);  // the query before the control, 39 polls
  forty_polls.push_back(kStopped);                      // the 40th poll
  const bool start = false, stop = true;
  const struct {
    bool stop;
    std::deque<std::uint32_t> states;
    int result, requests;
    Sleeps sleeps;
    const char* out;  // after "Starting giveio service..." or "Stopping giveio service..."
    std::optional<std::uint32_t> error = {};  // of the start or the stop control
    std::uint32_t exit_code = 0;              // that the stop control reports
  } cases[] = {
      {start, {kRunning}, 0, 0, {}, "Service running.\ndone\n"},
      {start, {kStarting, kRunning}, 0, 0, {1000}, "Service starting...\nService running.\ndone\n"},
      // A stopped service is started, and the start is not waited for.
      {start, {kStopped, kStarting}, 0, 1, {}, "done\n"},
      {start, {kStopping}, 0, 1, {}, "Service state: 3 (SERVICE_STOP_PENDING).\ndone\n"},
      {start, {5}, 0, 1, {}, "Service state: 5 (SERVICE_CONTINUE_PENDING).\ndone\n"},
      {start, {6}, 0, 1, {}, "Service state: 6 (SERVICE_PAUSE_PENDING).\ndone\n"},
      {start, {kPaused}, 0, 1, {}, "Service state: 7 (SERVICE_PAUSED).\ndone\n"},
      {start, {0}, 0, 1, {}, "Service state: 0 (unknown).\ndone\n"},
      {start, {9}, 0, 1, {}, "Service state: 9 (unknown).\ndone\n"},
      // A refused start shows its reason on the line that says it failed.
      {start, {kStopped}, -1, 1, {}, "(Access denied) failed\n", kErrorAccessDenied},
      {start, {kStopped}, -1, 1, {}, "(code 1058) failed\n", 1058},
      {start, {kStarting, kFails}, -1, 0, {1000}, "Service starting...\nfailed\n"},
      {stop, {kStopped}, 0, 0, {}, "done\n"},
      {stop, {kStopping}, 0, 0, {}, "done\n"},
      {stop, {kStarting, kRunning, kStopping, kStopped}, 0, 1, {1000, 100}, "done\n"},
      {stop, {5, kStopped}, 0, 1, {}, "done\n"},
      {stop, {6, kStopped}, 0, 1, {}, "done\n"},
      {stop, {kPaused, kStopped}, 0, 1, {}, "done\n"},
      {stop, {kRunning, kStopped}, -1, 1, {}, "failed\n", kErrorAccessDenied},
      // The service stops but reports that it failed to: a failure, without polling.
      {stop, {kRunning, kStopped}, -1, 1, {}, "failed\n", {}, 1067},
      {stop, forty_polls, 0, 1, Sleeps(39, 100), "done\n"},
      {stop, {kRunning}, -1, 1, Sleeps(40, 100), "failed\n"},
      {stop, {kFails}, -1, 0, {}, "failed\n"},
      {stop, {kRunning, kRunning, kFails}, -1, 1, {100}, "failed\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.states) + (c.stop ? " stop" : " start"));
    FakeServiceControl scm;
    scm.services["giveio"] = {};
    scm.states = c.states;
    (c.stop ? scm.control_error : scm.start_error) = c.error;
    scm.stop_exit_code = c.exit_code;
    std::ostringstream out;
    EXPECT_EQ(
        c.stop ? StopDriverService(scm, out, "giveio") : StartDriverService(scm, out, "giveio"),
        c.result);
    EXPECT_EQ(out.str(), (c.stop ? "Stopping giveio service..." : "Starting giveio service...") +
                             std::string(c.out));
    EXPECT_EQ(c.stop ? scm.stop_requests : scm.start_requests, c.requests);
    EXPECT_EQ(scm.sleeps, c.sleeps);
  }
}

// Without the manager or the entry, every procedure fails, and start and stop say so.
TEST(DriverService, NoManagerOrNoEntry) {
  FakeServiceControl scm;
  std::ostringstream out;
  for (bool manager : {true, false}) {
    if (!manager) scm.open_manager_error = kErrorCallNotImplemented;
    EXPECT_EQ(StartDriverService(scm, out, "giveio"), -1);
    EXPECT_EQ(StopDriverService(scm, out, "giveio"), -1);
    EXPECT_EQ(RemoveDriverService(scm, "giveio"), -1);
  }
  EXPECT_EQ(out.str(),
            "Starting giveio service...OpenService failed!\nfailed\n"
            "Stopping giveio service...failed\n"
            "Starting giveio service...OpenSCManager failed!\nfailed\n"
            "Stopping giveio service...failed\n");
}

// The commands, one after another on one manager that holds another service too: /i
// registers giveio as an automatically started kernel driver and starts it; /u stops and
// removes it, and it only; a failed start takes the new entry back; a failed stop still
// removes it.
TEST(DriverService, Commands) {
  FakeServiceControl scm;
  scm.services["other"] = {};
  std::ostringstream out;
  const auto run = [&](const char* command) {
    out.str("");
    const char* argv[] = {"iodriver_setup", command};
    return run_iodriver_setup(2, argv, scm, out);
  };
  const auto left = [&] {  // the names of the entries the manager holds
    std::string names;
    for (const auto& entry : scm.services) names += entry.first + " ";
    return names;
  };
  scm.states = {kStopped};
  EXPECT_EQ(run("/i"), 0);
  EXPECT_EQ(out.str(),
            "Installing GiveIO driver...\nStarting GiveIO driver...\n"
            "Starting giveio service...done\nDone.\n");
  const FakeServiceControl::Entry& e = scm.services["giveio"];
  EXPECT_EQ(e.display_name, "Give I/O");
  EXPECT_EQ(e.binary_path, "%SystemRoot%\\System32\\drivers\\GIVEIO.SYS");
  EXPECT_EQ(e.description, "Gives Direct I/O access for user application");
  EXPECT_EQ(e.service_type, kServiceKernelDriver);
  EXPECT_EQ(e.start_type, kServiceAutoStart);
  EXPECT_EQ(e.error_control, kServiceErrorNormal);

  scm.states = {kRunning, kStopped};
  EXPECT_EQ(run("/u"), 0);
  EXPECT_EQ(out.str(), "Uninstalling GiveIO driver...\nStopping giveio service...done\nDone.\n");
  EXPECT_EQ(left(), "other ");

  scm.states = {kStopped};
  scm.start_error = 2;  // the driver file is missing
  EXPECT_EQ(run("/I"), 3);
  EXPECT_EQ(out.str(),
            "Installing GiveIO driver...\nStarting GiveIO driver...\n"
            "Starting giveio service...(File not found) failed\nService start failed\n");
  EXPECT_EQ(left(), "other ");

  scm.services["giveio"] = {};
  scm.states = {kRunning};
  scm.control_error = 1052;  // the control is not valid for this service
  EXPECT_EQ(run("/U"), 0);
  EXPECT_EQ(out.str(), "Uninstalling GiveIO driver...\nStopping giveio service...failed\nDone.\n");
  EXPECT_EQ(left(), "other ");
}

// Runs the program as `program` from directory `dir` with the arguments `args` (shell words);
// returns its standard output and exit code.
std::pair<std::string, int> run_program(const std::string& args,
                                        const std::string& program = "'" IODRIVER_SETUP_BINARY "'",
                                        const std::string& dir = ".") {
  std::FILE* pipe = popen(("cd '" + dir + "' && exec " + program + " " + args).c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, n);
  const int status = pclose(pipe);
  return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// Without an argument the program names itself as it was called, so the hint can be typed back.
TEST(IodriverSetupProcess, UsageNamesTheProgramAsCalled) {
  EXPECT_EQ(run_program(""),
            std::pair(std::string("use ") + IODRIVER_SETUP_BINARY + " /i | /u\n", 1));
  agat::testing::TempDir dir;
  std::filesystem::create_symlink(IODRIVER_SETUP_BINARY, dir.file("setup tool"));
  EXPECT_EQ(run_program("", "'./setup tool'", dir.path()),
            std::pair(std::string("use ./setup tool /i | /u\n"), 1));
}

// Without a manager the commands fail as on a Windows whose manager cannot be reached. Case
// does not matter, only the first argument counts, and anything else is an unknown command.
TEST(IodriverSetupProcess, CommandsWithoutAManager) {
  const auto expect = [](std::initializer_list<const char*> calls, const std::string& output,
                         int exit_code) {
    for (const char* args : calls)
      EXPECT_EQ(run_program(args), std::pair(output, exit_code)) << args;
  };
  expect({"/i", "/I", "/i /u"}, "Installing GiveIO driver...\nService installation failed\n", 2);
  expect({"/u", "/U", "/U /i x"},
         "Uninstalling GiveIO driver...\nStopping giveio service...failed\nDone.\n", 0);
  expect({"/x /i", "i", "-u", "/in", "''"}, "Unknown command\n", 5);
}

}  // namespace
}  // namespace agat::iodriver
