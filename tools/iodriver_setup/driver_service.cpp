#include "iodriver_setup/driver_service.h"

#include <cstddef>

namespace agat::iodriver {
namespace {

// Texts of the system error codes 0..69; an empty entry means the code has no text.
constexpr std::array<std::string_view, 70> ErrorTexts = {
    "No error",                        // 0
    "Invalid function",                // 1
    "File not found",                  // 2
    "Path not found",                  // 3
    "Too many open files",             // 4
    "Access denied",                   // 5
    "Invalid handle",                  // 6
    "Arena trashed",                   // 7
    "Not enough memory",               // 8
    "Invalid block",                   // 9
    "Bad environment",                 // 10
    "Bad format",                      // 11
    "Invalid access",                  // 12
    "Invalid data",                    // 13
    "Out of memory",                   // 14
    "Invalid drive",                   // 15
    "Current directory",               // 16
    "Not same device",                 // 17
    "No more files",                   // 18
    "Write protect",                   // 19
    "Bad unit",                        // 20
    "Not ready",                       // 21
    "Bad command",                     // 22
    "CRC failed",                      // 23
    "Bad length",                      // 24
    "Seek failed",                     // 25
    "Not DOS disk",                    // 26
    "Sector not found",                // 27
    "Out of paper",                    // 28
    "Write fault",                     // 29
    "Read fault",                      // 30
    "General failure",                 // 31
    "Sharing violation",               // 32
    "Lock violation",                  // 33
    "Wrong disk",                      // 34
    "",                                // 35
    "Sharing buffer exceeded",         // 36
    "",                                // 37
    "End of file",                     // 38
    "Disk is full",                    // 39
    "",                                // 40
    "",                                // 41
    "",                                // 42
    "",                                // 43
    "",                                // 44
    "",                                // 45
    "",                                // 46
    "",                                // 47
    "",                                // 48
    "",                                // 49
    "Not supported request",           // 50
    "Cannot find network path",        // 51
    "Duplicate name",                  // 52
    "Bad network path",                // 53
    "Network is busy",                 // 54
    "Network device not exist",        // 55
    "Too many network commands",       // 56
    "Network adapter hardware error",  // 57
    "Bad server response",             // 58
    "Unexpected network error",        // 59
    "Bad remote adapter",              // 60
    "Print queue is full",             // 61
    "No spooler space",                // 62
    "Print cancelled",                 // 63
    "Network name deleted",            // 64
    "Network access denied",           // 65
    "Bad network device type",         // 66
    "Bad network name",                // 67
    "Too many network names",          // 68
    "Too many network sessions",       // 69
};

// Parameters of the port-access driver's service entry.
constexpr const char* kGiveioServiceName = "giveio";
constexpr const char* kGiveioDisplayName = "Give I/O";
constexpr const char* kGiveioDescription = "Gives Direct I/O access for user application";
constexpr const char* kGiveioDriverFile = "GIVEIO.SYS";

// Drivers are registered by an unexpanded path, so the entry stays right wherever
// Windows is installed.
constexpr std::string_view kDriversDirectory = "%SystemRoot%\\System32\\drivers\\";

// A start pending is waited out in steps of a second; after a stop control the state is
// polled every 100 ms, at most 40 times.
constexpr std::uint32_t kStartPendingWaitMs = 1000;
constexpr std::uint32_t kStopPollWaitMs = 100;
constexpr int kStopPollCount = 40;

// The manager reports states 1..7; anything else would be a broken manager, and gets a
// name that says so rather than none.
std::string_view state_name(std::uint32_t state) {
  if (state >= 1 && state < ServiceStateNames.size()) return ServiceStateNames[state];
  return "unknown";
}

// Commands are ASCII; the comparison ignores the locale on purpose.
constexpr char ascii_lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  return true;
}

// Starts an opened service unless it runs already; writes what it finds on the way.
bool start_opened_service(ServiceControl& scm, std::ostream& out, ScHandle service) {
  ServiceStatus status;
  while (scm.QueryServiceStatus(service, status)) {
    const std::uint32_t state = status.dwCurrentState;
    if (state == kServiceRunning) {
      out << "Service running.\n";
      return true;
    }
    if (state == kServiceStartPending) {
      out << "Service starting...\n";
      scm.Sleep(kStartPendingWaitMs);
      continue;
    }
    if (state != kServiceStopped) {
      out << "Service state: " << static_cast<std::int32_t>(state) << " (" << state_name(state)
          << ").\n";
    }
    if (scm.StartServiceA(service)) return true;  // the running state is not waited for
    out << '(' << ErrorCodeText(static_cast<std::int32_t>(scm.GetLastError())) << ") ";
    return false;
  }
  return false;
}

// Brings an opened service to a stop: a service already stopped or stopping counts as done,
// a starting one is first let finish its start.
bool stop_opened_service(ServiceControl& scm, ScHandle service) {
  ServiceStatus status;
  for (;;) {
    if (!scm.QueryServiceStatus(service, status)) return false;
    const std::uint32_t state = status.dwCurrentState;
    if (state == kServiceStopped || state == kServiceStopPending) return true;
    if (state != kServiceStartPending) break;
    scm.Sleep(kStartPendingWaitMs);
  }
  if (!scm.ControlService(service, kServiceControlStop, status)) return false;
  if (status.dwWin32ExitCode != 0) return false;
  for (int countdown = kStopPollCount; countdown > 0; --countdown) {
    if (!scm.QueryServiceStatus(service, status)) return false;
    if (status.dwCurrentState == kServiceStopped) return true;
    scm.Sleep(kStopPollWaitMs);
  }
  return false;
}

}  // namespace

std::string ErrorCodeText(int code) {
  if (code >= 0 && static_cast<std::size_t>(code) < ErrorTexts.size() && !ErrorTexts[code].empty())
    return std::string(ErrorTexts[code]);
  return "code " + std::to_string(code);
}

int InstallDriverService(ServiceControl& scm, const char* service_name, const char* display_name,
                         const char* description, const char* driver_file_name) {
  const ScHandle manager = scm.OpenSCManagerA(kScManagerConnect | kScManagerCreateService);
  if (manager == ScHandle::Null) return -1;

  const std::string driver_path = std::string(kDriversDirectory) + driver_file_name;
  ServiceCreateParams params;
  params.lpServiceName = service_name;
  params.lpDisplayName = display_name;
  params.dwDesiredAccess = kServiceAllAccess;
  params.dwServiceType = kServiceKernelDriver;
  params.dwStartType = kServiceAutoStart;
  params.dwErrorControl = kServiceErrorNormal;
  params.lpBinaryPathName = driver_path.c_str();
  const ScHandle service = scm.CreateServiceA(manager, params);
  if (service == ScHandle::Null) {
    scm.CloseServiceHandle(manager);
    return -1;
  }

  // An entry without its description counts as a failed install and is taken back.
  const bool described = scm.ChangeServiceConfig2A(service, description);
  if (!described) scm.DeleteService(service);
  scm.CloseServiceHandle(service);
  scm.CloseServiceHandle(manager);
  return described ? 0 : -1;
}

int StartDriverService(ServiceControl& scm, std::ostream& out, const char* service_name) {
  out << "Starting " << service_name << " service...";
  const ScHandle manager = scm.OpenSCManagerA(kScManagerConnect);
  if (manager == ScHandle::Null) {
    out << "OpenSCManager failed!\nfailed\n";
    return -1;
  }
  const ScHandle service =
      scm.OpenServiceA(manager, service_name, kServiceQueryStatus | kServiceStart);
  if (service == ScHandle::Null) {
    out << "OpenService failed!\n";
    scm.CloseServiceHandle(manager);
    out << "failed\n";
    return -1;
  }
  const bool started = start_opened_service(scm, out, service);
  scm.CloseServiceHandle(service);
  scm.CloseServiceHandle(manager);
  out << (started ? "done\n" : "failed\n");
  return started ? 0 : -1;
}

int StopDriverService(ServiceControl& scm, std::ostream& out, const char* service_name) {
  out << "Stopping " << service_name << " service...";
  bool stopped = false;
  const ScHandle manager = scm.OpenSCManagerA(kScManagerConnect);
  if (manager != ScHandle::Null) {
    const ScHandle service =
        scm.OpenServiceA(manager, service_name, kServiceQueryStatus | kServiceStop);
    if (service != ScHandle::Null) {
      stopped = stop_opened_service(scm, service);
      scm.CloseServiceHandle(service);
    }
    scm.CloseServiceHandle(manager);
  }
  out << (stopped ? "done\n" : "failed\n");
  return stopped ? 0 : -1;
}

int RemoveDriverService(ServiceControl& scm, const char* service_name) {
  const ScHandle manager = scm.OpenSCManagerA(kScManagerConnect);
  if (manager == ScHandle::Null) return -1;
  bool deleted = false;
  const ScHandle service = scm.OpenServiceA(manager, service_name, kDelete);
  if (service != ScHandle::Null) {
    deleted = scm.DeleteService(service);
    scm.CloseServiceHandle(service);
  }
  scm.CloseServiceHandle(manager);
  return deleted ? 0 : -1;
}

int run_iodriver_setup(int argc, const char* const* argv, ServiceControl& scm, std::ostream& out) {
  if (argc < 2) {
    // The program is named as it was called, so the hint can be typed back as shown.
    out << "use " << (argc > 0 && argv[0] != nullptr ? argv[0] : "") << " /i | /u\n";
    return kExitUsage;
  }
  const std::string_view command = argv[1];  // later arguments are ignored

  if (equals_ignoring_case(command, "/i")) {
    out << "Installing GiveIO driver...\n";
    if (InstallDriverService(scm, kGiveioServiceName, kGiveioDisplayName, kGiveioDescription,
                             kGiveioDriverFile) != 0) {
      out << "Service installation failed\n";
      return kExitInstallFailed;
    }
    out << "Starting GiveIO driver...\n";
    if (StartDriverService(scm, out, kGiveioServiceName) != 0) {
      out << "Service start failed\n";
      // Take the new entry back, so that a failed install leaves nothing behind.
      RemoveDriverService(scm, kGiveioServiceName);
      return kExitStartFailed;
    }
    out << "Done.\n";
    return kExitOk;
  }

  if (equals_ignoring_case(command, "/u")) {
    // Both steps report for themselves, and a service that is not there is no error here.
    out << "Uninstalling GiveIO driver...\n";
    StopDriverService(scm, out, kGiveioServiceName);
    RemoveDriverService(scm, kGiveioServiceName);
    out << "Done.\n";
    return kExitOk;
  }

  out << "Unknown command\n";
  return kExitUnknownCommand;
}

}  // namespace agat::iodriver
