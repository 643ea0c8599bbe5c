// The Service Control Manager of Windows, called directly.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "iodriver_setup/service_control.h"

namespace agat::iodriver {

static_assert(kScManagerConnect == SC_MANAGER_CONNECT);
static_assert(kScManagerCreateService == SC_MANAGER_CREATE_SERVICE);
static_assert(kServiceQueryStatus == SERVICE_QUERY_STATUS);
static_assert(kServiceChangeConfig == SERVICE_CHANGE_CONFIG);
static_assert(kServiceStart == SERVICE_START);
static_assert(kServiceStop == SERVICE_STOP);
static_assert(kDelete == DELETE);
static_assert(kServiceAllAccess == SERVICE_ALL_ACCESS);
static_assert(kServiceKernelDriver == SERVICE_KERNEL_DRIVER);
static_assert(kServiceAutoStart == SERVICE_AUTO_START);
static_assert(kServiceErrorNormal == SERVICE_ERROR_NORMAL);
static_assert(kServiceControlStop == SERVICE_CONTROL_STOP);
static_assert(kServiceStopped == SERVICE_STOPPED);
static_assert(kServiceStartPending == SERVICE_START_PENDING);
static_assert(kServiceStopPending == SERVICE_STOP_PENDING);
static_assert(kServiceRunning == SERVICE_RUNNING);
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kErrorCallNotImplemented == ERROR_CALL_NOT_IMPLEMENTED);
static_assert(kErrorServiceDoesNotExist == ERROR_SERVICE_DOES_NOT_EXIST);
static_assert(kErrorServiceExists == ERROR_SERVICE_EXISTS);

namespace {

ScHandle to_handle(SC_HANDLE handle) {
  return static_cast<ScHandle>(reinterpret_cast<std::uintptr_t>(handle));
}

SC_HANDLE from_handle(ScHandle handle) {
  return reinterpret_cast<SC_HANDLE>(static_cast<std::uintptr_t>(handle));
}

void copy_status(const SERVICE_STATUS& from, ServiceStatus& to) {
  to.dwServiceType = from.dwServiceType;
  to.dwCurrentState = from.dwCurrentState;
  to.dwControlsAccepted = from.dwControlsAccepted;
  to.dwWin32ExitCode = from.dwWin32ExitCode;
  to.dwServiceSpecificExitCode = from.dwServiceSpecificExitCode;
  to.dwCheckPoint = from.dwCheckPoint;
  to.dwWaitHint = from.dwWaitHint;
}

class Win32ServiceControl final : public ServiceControl {
 public:
  ScHandle OpenSCManagerA(std::uint32_t dwDesiredAccess) override {
    return to_handle(::OpenSCManagerA(nullptr, nullptr, dwDesiredAccess));
  }

  ScHandle OpenServiceA(ScHandle hSCManager, const char* lpServiceName,
                        std::uint32_t dwDesiredAccess) override {
    return to_handle(::OpenServiceA(from_handle(hSCManager), lpServiceName, dwDesiredAccess));
  }

  ScHandle CreateServiceA(ScHandle hSCManager, const ServiceCreateParams& params) override {
    return to_handle(::CreateServiceA(
        from_handle(hSCManager), params.lpServiceName, params.lpDisplayName, params.dwDesiredAccess,
        params.dwServiceType, params.dwStartType, params.dwErrorControl, params.lpBinaryPathName,
        /*lpLoadOrderGroup=*/nullptr, /*lpdwTagId=*/nullptr,
        /*lpDependencies=*/nullptr, /*lpServiceStartName=*/nullptr,
        /*lpPassword=*/nullptr));
  }

  bool ChangeServiceConfig2A(ScHandle hService, const char* lpDescription) override {
    // The structure's field is not const, but the description is only read.
    SERVICE_DESCRIPTIONA info{const_cast<char*>(lpDescription)};
    return ::ChangeServiceConfig2A(from_handle(hService), SERVICE_CONFIG_DESCRIPTION, &info) !=
           FALSE;
  }

  bool StartServiceA(ScHandle hService) override {
    return ::StartServiceA(from_handle(hService), 0, nullptr) != FALSE;
  }

  bool ControlService(ScHandle hService, std::uint32_t dwControl,
                      ServiceStatus& lpServiceStatus) override {
    SERVICE_STATUS status{};
    const BOOL ok = ::ControlService(from_handle(hService), dwControl, &status);
    copy_status(status, lpServiceStatus);
    return ok != FALSE;
  }

  bool QueryServiceStatus(ScHandle hService, ServiceStatus& lpServiceStatus) override {
    SERVICE_STATUS status{};
    const BOOL ok = ::QueryServiceStatus(from_handle(hService), &status);
    copy_status(status, lpServiceStatus);
    return ok != FALSE;
  }

  bool DeleteService(ScHandle hService) override {
    return ::DeleteService(from_handle(hService)) != FALSE;
  }

  bool CloseServiceHandle(ScHandle hSCObject) override {
    return ::CloseServiceHandle(from_handle(hSCObject)) != FALSE;
  }

  void Sleep(std::uint32_t dwMilliseconds) override { ::Sleep(dwMilliseconds); }

  std::uint32_t GetLastError() override { return ::GetLastError(); }
};

}  // namespace

std::unique_ptr<ServiceControl> make_system_service_control() {
  return std::make_unique<Win32ServiceControl>();
}

}  // namespace agat::iodriver
