// The part of the Windows Service Control Manager that the driver installer uses, as an
// interface: the Win32 backend calls the real functions, other systems get a backend that
// reports the manager unavailable, and tests put a scripted fake in its place.
#pragma once

#include <cstdint>
#include <memory>

namespace agat::iodriver {

// A manager or service handle; Null is what a failed open or create returns.
enum class ScHandle : std::uintptr_t { Null = 0 };

// Access rights, service parameters and controls, with the values of the Win32 constants
// (the Win32 backend checks them against <windows.h>; the Win32 names themselves are
// macros there, so they cannot be reused here).
inline constexpr std::uint32_t kScManagerConnect = 0x0001;
inline constexpr std::uint32_t kScManagerCreateService = 0x0002;
inline constexpr std::uint32_t kServiceQueryStatus = 0x0004;
inline constexpr std::uint32_t kServiceChangeConfig = 0x0002;
inline constexpr std::uint32_t kServiceStart = 0x0010;
inline constexpr std::uint32_t kServiceStop = 0x0020;
inline constexpr std::uint32_t kDelete = 0x00010000;
inline constexpr std::uint32_t kServiceAllAccess = 0x000F01FF;

inline constexpr std::uint32_t kServiceKernelDriver = 1;
inline constexpr std::uint32_t kServiceAutoStart = 2;
inline constexpr std::uint32_t kServiceErrorNormal = 1;
inline constexpr std::uint32_t kServiceControlStop = 1;

// Service states as the manager reports them.
inline constexpr std::uint32_t kServiceStopped = 1;
inline constexpr std::uint32_t kServiceStartPending = 2;
inline constexpr std::uint32_t kServiceStopPending = 3;
inline constexpr std::uint32_t kServiceRunning = 4;

// System error codes that the backends and tests produce.
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorCallNotImplemented = 120;
inline constexpr std::uint32_t kErrorServiceDoesNotExist = 1060;
inline constexpr std::uint32_t kErrorServiceExists = 1073;

// The fields of the Win32 SERVICE_STATUS, in its order.
struct ServiceStatus {
  std::uint32_t dwServiceType = 0;
  std::uint32_t dwCurrentState = 0;
  std::uint32_t dwControlsAccepted = 0;
  std::uint32_t dwWin32ExitCode = 0;
  std::uint32_t dwServiceSpecificExitCode = 0;
  std::uint32_t dwCheckPoint = 0;
  std::uint32_t dwWaitHint = 0;
};

// What CreateServiceA receives besides the manager handle. The load order group, tag,
// dependencies, account and password are always none, so they are not carried.
struct ServiceCreateParams {
  const char* lpServiceName = nullptr;
  const char* lpDisplayName = nullptr;
  std::uint32_t dwDesiredAccess = 0;
  std::uint32_t dwServiceType = 0;
  std::uint32_t dwStartType = 0;
  std::uint32_t dwErrorControl = 0;
  const char* lpBinaryPathName = nullptr;
};

// Each member stands for the Win32 function of the same name, on the local machine's
// active database. Functions that fail leave their error code for GetLastError.
class ServiceControl {
 public:
  virtual ~ServiceControl() = default;

  virtual ScHandle OpenSCManagerA(std::uint32_t dwDesiredAccess) = 0;
  virtual ScHandle OpenServiceA(ScHandle hSCManager, const char* lpServiceName,
                                std::uint32_t dwDesiredAccess) = 0;
  virtual ScHandle CreateServiceA(ScHandle hSCManager, const ServiceCreateParams& params) = 0;
  // Only the description level (SERVICE_CONFIG_DESCRIPTION) is ever set.
  virtual bool ChangeServiceConfig2A(ScHandle hService, const char* lpDescription) = 0;
  // Always started with no arguments.
  virtual bool StartServiceA(ScHandle hService) = 0;
  virtual bool ControlService(ScHandle hService, std::uint32_t dwControl,
                              ServiceStatus& lpServiceStatus) = 0;
  virtual bool QueryServiceStatus(ScHandle hService, ServiceStatus& lpServiceStatus) = 0;
  virtual bool DeleteService(ScHandle hService) = 0;
  virtual bool CloseServiceHandle(ScHandle hSCObject) = 0;
  virtual void Sleep(std::uint32_t dwMilliseconds) = 0;
  virtual std::uint32_t GetLastError() = 0;
};

// The backend of the system the program was built for.
std::unique_ptr<ServiceControl> make_system_service_control();

}  // namespace agat::iodriver
