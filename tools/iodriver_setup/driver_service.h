// Installing, starting, stopping and removing the service entry of a kernel driver, and the
// command line of the installer that does so for the port-access driver giveio.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

#include "iodriver_setup/service_control.h"

namespace agat::iodriver {

// Names of the service states 1..7 as the manager reports them; index 0 is unused.
inline constexpr std::array<std::string_view, 8> ServiceStateNames = {
    "",
    "SERVICE_STOPPED",
    "SERVICE_START_PENDING",
    "SERVICE_STOP_PENDING",
    "SERVICE_RUNNING",
    "SERVICE_CONTINUE_PENDING",
    "SERVICE_PAUSE_PENDING",
    "SERVICE_PAUSED",
};

// The text of a system error code: its entry in ErrorTexts, or "code N".
std::string ErrorCodeText(int code);

// Each returns 0 on success and -1 on failure. Install and Remove write nothing; Start and
// Stop write their progress to `out` as one line "Starting <name> service...done" (or
// "Stopping ...") with whatever the manager's replies add to it.
int InstallDriverService(ServiceControl& scm, const char* service_name, const char* display_name,
                         const char* description, const char* driver_file_name);
int StartDriverService(ServiceControl& scm, std::ostream& out, const char* service_name);
int StopDriverService(ServiceControl& scm, std::ostream& out, const char* service_name);
int RemoveDriverService(ServiceControl& scm, const char* service_name);

// Exit codes of the installer.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitInstallFailed = 2;
inline constexpr int kExitStartFailed = 3;
inline constexpr int kExitUnknownCommand = 5;

// The whole installer: reads "/i" or "/u" (any case) from argv[1], writes to `out` and
// returns the exit code.
int run_iodriver_setup(int argc, const char* const* argv, ServiceControl& scm, std::ostream& out);

}  // namespace agat::iodriver
