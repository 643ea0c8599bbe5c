// The installer's procedures and commands, driven through the fake manager.
#include "iodriver_setup/driver_service.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "iodriver_setup/fake_service_control.h"

namespace agat::iodriver {
namespace {

using testing::FakeServiceControl;

constexpr const char* kGiveioPath = "%SystemRoot%\\System32\\drivers\\GIVEIO.SYS";
constexpr const char* kGiveioDescription = "Gives Direct I/O access for user application";

class DriverServiceTest : public ::testing::Test {
 protected:
  // Every procedure closes whatever it opened, on every path.
  void TearDown() override {
    EXPECT_EQ(scm.OpenHandleCount(), 0u) << "handles left open";
    EXPECT_EQ(scm.bad_handle_uses, 0) << "calls with closed or wrong handles";
  }

  void InstallGiveio() {
    scm.services["giveio"] = {
        .display_name = "Give I/O", .binary_path = kGiveioPath, .description = kGiveioDescription};
  }

  int RunCommand(std::vector<const char*> args) {
    args.insert(args.begin(), "iodriver_setup");
    return RunIodriverSetup(static_cast<int>(args.size()), args.data(), scm, out);
  }

  FakeServiceControl scm;
  std::ostringstream out;
};

TEST(ErrorCodeTextTest, CodesWithTextsAroundTheGaps) {
  EXPECT_EQ(ErrorCodeText(0), "No error");
  EXPECT_EQ(ErrorCodeText(5), "Access denied");
  EXPECT_EQ(ErrorCodeText(34), "Wrong disk");
  EXPECT_EQ(ErrorCodeText(36), "Sharing buffer exceeded");
  EXPECT_EQ(ErrorCodeText(38), "End of file");
  EXPECT_EQ(ErrorCodeText(39), "Disk is full");
  EXPECT_EQ(ErrorCodeText(50), "Not supported request");
  EXPECT_EQ(ErrorCodeText(69), "Too many network sessions");
}

TEST(ErrorCodeTextTest, CodesWithoutTextShowTheNumber) {
  for (int code : {35, 37, 40, 45, 49, 70, 120, 1060, -1})
    EXPECT_EQ(ErrorCodeText(code), "code " + std::to_string(code));
}

// --- InstallDriverService

TEST_F(DriverServiceTest, InstallRegistersAnAutoStartingKernelDriver) {
  ASSERT_EQ(InstallDriverService(scm, "other", "Other", "Some text", "OTHER.SYS"), 0);
  ASSERT_TRUE(scm.services.contains("other"));
  const auto& entry = scm.services["other"];
  EXPECT_EQ(entry.display_name, "Other");
  EXPECT_EQ(entry.description, "Some text");
  EXPECT_EQ(entry.binary_path, "%SystemRoot%\\System32\\drivers\\OTHER.SYS");
  EXPECT_EQ(entry.service_type, kServiceKernelDriver);
  EXPECT_EQ(entry.start_type, kServiceAutoStart);
  EXPECT_EQ(entry.error_control, kServiceErrorNormal);
}

TEST_F(DriverServiceTest, FailedInstallLeavesNoNewEntry) {
  // No manager; creation refused; the description refused after the entry was made.
  for (auto* failure : {&scm.open_manager_error, &scm.create_error, &scm.describe_error}) {
    *failure = kErrorAccessDenied;
    EXPECT_EQ(InstallDriverService(scm, "giveio", "Give I/O", "Text", "GIVEIO.SYS"), -1);
    EXPECT_TRUE(scm.services.empty());
    failure->reset();
  }
}

TEST_F(DriverServiceTest, InstallLeavesAnExistingEntryAlone) {
  scm.services["giveio"] = {
      .display_name = "Old name", .binary_path = "C:\\old.sys", .description = "Old text"};
  EXPECT_EQ(InstallDriverService(scm, "giveio", "Give I/O", "New text", "GIVEIO.SYS"), -1);
  EXPECT_EQ(scm.services["giveio"].display_name, "Old name");
  EXPECT_EQ(scm.services["giveio"].description, "Old text");
  EXPECT_EQ(scm.services["giveio"].binary_path, "C:\\old.sys");
}

// --- StartDriverService

TEST_F(DriverServiceTest, StartLeavesARunningServiceAlone) {
  InstallGiveio();
  scm.states = {kServiceRunning};
  EXPECT_EQ(StartDriverService(scm, out, "giveio"), 0);
  EXPECT_EQ(out.str(), "Starting giveio service...Service running.\ndone\n");
  EXPECT_EQ(scm.start_requests, 0);
}

TEST_F(DriverServiceTest, StartWaitsOutAStartInProgress) {
  InstallGiveio();
  scm.states = {kServiceStartPending, kServiceStartPending, kServiceRunning};
  EXPECT_EQ(StartDriverService(scm, out, "giveio"), 0);
  EXPECT_EQ(out.str(),
            "Starting giveio service...Service starting...\nService starting...\n"
            "Service running.\ndone\n");
  EXPECT_EQ(scm.sleeps, (std::vector<std::uint32_t>{1000, 1000}));
  EXPECT_EQ(scm.start_requests, 0);
}

TEST_F(DriverServiceTest, StartStartsAStoppedServiceWithoutWaitingForIt) {
  InstallGiveio();
  scm.states = {kServiceStopped, kServiceStartPending};
  EXPECT_EQ(StartDriverService(scm, out, "giveio"), 0);
  EXPECT_EQ(out.str(), "Starting giveio service...done\n");
  EXPECT_EQ(scm.start_requests, 1);
  EXPECT_TRUE(scm.sleeps.empty());
}

TEST_F(DriverServiceTest, StartNamesAnyOtherStateBeforeStarting) {
  const struct {
    std::uint32_t state;
    const char* line;
  } cases[] = {
      {3, "Service state: 3 (SERVICE_STOP_PENDING).\n"},
      {5, "Service state: 5 (SERVICE_CONTINUE_PENDING).\n"},
      {6, "Service state: 6 (SERVICE_PAUSE_PENDING).\n"},
      {7, "Service state: 7 (SERVICE_PAUSED).\n"},
      {0, "Service state: 0 (unknown).\n"},
      {9, "Service state: 9 (unknown).\n"},
  };
  InstallGiveio();
  for (const auto& c : cases) {
    out.str("");
    scm.states = {c.state};
    scm.start_requests = 0;
    EXPECT_EQ(StartDriverService(scm, out, "giveio"), 0);
    EXPECT_EQ(out.str(), std::string("Starting giveio service...") + c.line + "done\n");
    EXPECT_EQ(scm.start_requests, 1) << "state " << c.state;
  }
}

TEST_F(DriverServiceTest, StartRefusedShowsTheReasonOnTheFailedLine) {
  InstallGiveio();
  scm.states = {kServiceStopped};
  scm.start_error = kErrorAccessDenied;
  EXPECT_EQ(StartDriverService(scm, out, "giveio"), -1);
  EXPECT_EQ(out.str(), "Starting giveio service...(Access denied) failed\n");

  out.str("");
  scm.states = {7};
  scm.start_error = 1058;  // the service is disabled: no text for that code
  EXPECT_EQ(StartDriverService(scm, out, "giveio"), -1);
  EXPECT_EQ(out.str(),
            "Starting giveio service...Service state: 7 (SERVICE_PAUSED).\n(code 1058) failed\n");
}

TEST_F(DriverServiceTest, StartFailsWhenTheStatusCannotBeRead) {
  InstallGiveio();
  scm.states = {kServiceStartPending, FakeServiceControl::kQueryFails};
  EXPECT_EQ(StartDriverService(scm, out, "giveio"), -1);
  EXPECT_EQ(out.str(), "Starting giveio service...Service starting...\nfailed\n");
  EXPECT_EQ(scm.start_requests, 0);
}

TEST_F(DriverServiceTest, StartReportsWhichOpenFailed) {
  scm.open_manager_error = kErrorAccessDenied;
  EXPECT_EQ(StartDriverService(scm, out, "giveio"), -1);
  EXPECT_EQ(out.str(), "Starting giveio service...OpenSCManager failed!\nfailed\n");

  out.str("");
  scm.open_manager_error.reset();
  EXPECT_EQ(StartDriverService(scm, out, "giveio"), -1);
  EXPECT_EQ(out.str(), "Starting giveio service...OpenService failed!\nfailed\n");
}

// --- StopDriverService

TEST_F(DriverServiceTest, StopAcceptsAServiceStoppedOrStopping) {
  InstallGiveio();
  for (std::uint32_t state : {kServiceStopped, kServiceStopPending}) {
    out.str("");
    scm.states = {state};
    EXPECT_EQ(StopDriverService(scm, out, "giveio"), 0);
    EXPECT_EQ(out.str(), "Stopping giveio service...done\n");
  }
  EXPECT_EQ(scm.stop_requests, 0);
}

TEST_F(DriverServiceTest, StopLetsAStartFinishThenStopsAndPolls) {
  InstallGiveio();
  scm.states = {kServiceStartPending, kServiceRunning, kServiceStopPending, kServiceRunning,
                kServiceStopped};
  EXPECT_EQ(StopDriverService(scm, out, "giveio"), 0);
  EXPECT_EQ(out.str(), "Stopping giveio service...done\n");
  EXPECT_EQ(scm.stop_requests, 1);
  EXPECT_EQ(scm.sleeps, (std::vector<std::uint32_t>{1000, 100, 100}));
}

TEST_F(DriverServiceTest, StopSendsTheControlInEveryOtherState) {
  InstallGiveio();
  for (std::uint32_t state : {5u, 6u, 7u}) {
    scm.states = {state, kServiceStopped};
    EXPECT_EQ(StopDriverService(scm, out, "giveio"), 0) << "state " << state;
  }
  EXPECT_EQ(scm.stop_requests, 3);
}

TEST_F(DriverServiceTest, StopFailsWhenTheControlIsRefusedOrReportsAnExitCode) {
  InstallGiveio();
  scm.states = {kServiceRunning, kServiceStopped};
  scm.control_error = kErrorAccessDenied;
  EXPECT_EQ(StopDriverService(scm, out, "giveio"), -1);
  EXPECT_EQ(out.str(), "Stopping giveio service...failed\n");

  // The service stops, but says it failed to: no polling, a failure.
  out.str("");
  scm.control_error.reset();
  scm.states = {kServiceRunning, kServiceStopped};
  scm.stop_exit_code = 1067;
  EXPECT_EQ(StopDriverService(scm, out, "giveio"), -1);
  EXPECT_EQ(out.str(), "Stopping giveio service...failed\n");
  EXPECT_EQ(scm.queries, 2);
  EXPECT_TRUE(scm.sleeps.empty());
}

TEST_F(DriverServiceTest, StopPollsFortyTimesAtMost) {
  InstallGiveio();
  scm.states.assign(40, kServiceRunning);  // the first query, then 39 polls still running
  scm.states.push_back(kServiceStopped);   // the 40th poll
  EXPECT_EQ(StopDriverService(scm, out, "giveio"), 0);
  EXPECT_EQ(scm.sleeps, std::vector<std::uint32_t>(39, 100));

  out.str("");
  scm.sleeps.clear();
  scm.queries = 0;
  scm.states = {kServiceRunning};
  EXPECT_EQ(StopDriverService(scm, out, "giveio"), -1);
  EXPECT_EQ(out.str(), "Stopping giveio service...failed\n");
  EXPECT_EQ(scm.queries, 41);
  EXPECT_EQ(scm.sleeps, std::vector<std::uint32_t>(40, 100));
}

TEST_F(DriverServiceTest, StopFailsWhenTheStatusCannotBeRead) {
  InstallGiveio();
  scm.states = {FakeServiceControl::kQueryFails};
  EXPECT_EQ(StopDriverService(scm, out, "giveio"), -1);
  scm.states = {kServiceRunning, kServiceRunning, FakeServiceControl::kQueryFails};
  EXPECT_EQ(StopDriverService(scm, out, "giveio"), -1);
  EXPECT_EQ(scm.sleeps, std::vector<std::uint32_t>{100});
}

TEST_F(DriverServiceTest, StopFailsWithoutManagerOrService) {
  EXPECT_EQ(StopDriverService(scm, out, "giveio"), -1);
  scm.open_manager_error = kErrorCallNotImplemented;
  EXPECT_EQ(StopDriverService(scm, out, "giveio"), -1);
  EXPECT_EQ(out.str(), "Stopping giveio service...failed\nStopping giveio service...failed\n");
}

// --- RemoveDriverService

TEST_F(DriverServiceTest, RemoveDeletesTheEntry) {
  InstallGiveio();
  scm.services["other"] = {};
  EXPECT_EQ(RemoveDriverService(scm, "giveio"), 0);
  EXPECT_FALSE(scm.services.contains("giveio"));
  EXPECT_TRUE(scm.services.contains("other"));
}

TEST_F(DriverServiceTest, RemoveFailsWhenNothingIsDeleted) {
  EXPECT_EQ(RemoveDriverService(scm, "giveio"), -1);  // not installed
  InstallGiveio();
  scm.delete_error = kErrorAccessDenied;
  EXPECT_EQ(RemoveDriverService(scm, "giveio"), -1);
  EXPECT_TRUE(scm.services.contains("giveio"));
  scm.open_manager_error = kErrorCallNotImplemented;
  EXPECT_EQ(RemoveDriverService(scm, "giveio"), -1);
}

// --- The commands

TEST_F(DriverServiceTest, InstallCommandRegistersAndStartsGiveio) {
  scm.states = {kServiceStopped};
  EXPECT_EQ(RunCommand({"/i"}), 0);
  EXPECT_EQ(out.str(),
            "Installing GiveIO driver...\nStarting GiveIO driver...\n"
            "Starting giveio service...done\nDone.\n");
  ASSERT_TRUE(scm.services.contains("giveio"));
  EXPECT_EQ(scm.services["giveio"].display_name, "Give I/O");
  EXPECT_EQ(scm.services["giveio"].description, kGiveioDescription);
  EXPECT_EQ(scm.services["giveio"].binary_path, kGiveioPath);
}

TEST_F(DriverServiceTest, InstallCommandTakesTheNewEntryBackWhenTheStartFails) {
  scm.states = {kServiceStopped};
  scm.start_error = 2;  // the driver file is missing
  EXPECT_EQ(RunCommand({"/I"}), 3);
  EXPECT_EQ(out.str(),
            "Installing GiveIO driver...\nStarting GiveIO driver...\n"
            "Starting giveio service...(File not found) failed\nService start failed\n");
  EXPECT_TRUE(scm.services.empty());
}

TEST_F(DriverServiceTest, UninstallCommandStopsAndRemoves) {
  InstallGiveio();
  scm.states = {kServiceRunning, kServiceStopped};
  EXPECT_EQ(RunCommand({"/u"}), 0);
  EXPECT_EQ(out.str(), "Uninstalling GiveIO driver...\nStopping giveio service...done\nDone.\n");
  EXPECT_TRUE(scm.services.empty());
}

TEST_F(DriverServiceTest, UninstallCommandRemovesEvenWhenTheStopFails) {
  InstallGiveio();
  scm.states = {kServiceRunning};
  scm.control_error = 1052;  // the control is not valid for this service
  EXPECT_EQ(RunCommand({"/U"}), 0);
  EXPECT_EQ(out.str(), "Uninstalling GiveIO driver...\nStopping giveio service...failed\nDone.\n");
  EXPECT_TRUE(scm.services.empty());
}

}  // namespace
}  // namespace agat::iodriver
