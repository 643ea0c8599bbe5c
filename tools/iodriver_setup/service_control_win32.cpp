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

ScHandle ToHandle(SC_HANDLE handle) {
  return static_cast<ScHandle>(reinterpret_cast<std::uintptr_t>(handle));
}

SC_HANDLE FromHandle(ScHandle handle) {
  return reinterpret_cast<SC_HANDLE>(static_cast<std::uintptr_t>(handle));
}

void CopyStatus(const SERVICE_STATUS& from, ServiceStatus& to) {
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
    return ToHandle(::OpenSCManagerA(nullptr, nullptr, dwDesiredAccess));
  }

  ScHandle OpenServiceA(ScHandle hSCManager, const char* lpServiceName,
                        std::uint32_t dwDesiredAccess) override {
    return ToHandle(::OpenServiceA(FromHandle(hSCManager), lpServiceName, dwDesiredAccess));
  }

  ScHandle CreateServiceA(ScHandle hSCManager, const ServiceCreateParams& params) override {
    return ToHandle(::CreateServiceA(
        FromHandle(hSCManager), params.lpServiceName, params.lpDisplayName, params.dwDesiredAccess,
        params.dwServiceType, params.dwStartType, params.dwErrorControl, params.lpBinaryPathName,
        /*lpLoadOrderGroup=*/nullptr, /*lpdwTagId=*/nullptr,
        /*lpDependencies=*/nullptr, /*lpServiceStartName=*/nullptr,
        /*lpPassword=*/nullptr));
  }

  bool ChangeServiceConfig2A(ScHandle hService, const char* lpDescription) override {
    // The structure's field is not const, but the description is only read.
    SERVICE_DESCRIPTIONA info{const_cast<char*>(lpDescription)};
    return ::ChangeServiceConfig2A(FromHandle(hService), SERVICE_CONFIG_DESCRIPTION, &info) !=
           FALSE;
  }

  bool StartServiceA(ScHandle hService) override {
    return ::StartServiceA(FromHandle(hService), 0, nullptr) != FALSE;
  }

  bool ControlService(ScHandle hService, std::uint32_t dwControl,
                      ServiceStatus& lpServiceStatus) override {
    SERVICE_STATUS status{};
    const BOOL ok = ::ControlService(FromHandle(hService), dwControl, &status);
    CopyStatus(status, lpServiceStatus);
    return ok != FALSE;
  }

  bool QueryServiceStatus(ScHandle hService, ServiceStatus& lpServiceStatus) override {
    SERVICE_STATUS status{};
    const BOOL ok = ::QueryServiceStatus(FromHandle(hService), &status);
    CopyStatus(status, lpServiceStatus);
    return ok != FALSE;
  }

  bool DeleteService(ScHandle hService) override {
    return ::DeleteService(FromHandle(hService)) != FALSE;
  }

  bool CloseServiceHandle(ScHandle hSCObject) override {
    return ::CloseServiceHandle(FromHandle(hSCObject)) != FALSE;
  }

  void Sleep(std::uint32_t dwMilliseconds) override { ::Sleep(dwMilliseconds); }

  std::uint32_t GetLastError() override { return ::GetLastError(); }
};

}  // namespace

std::unique_ptr<ServiceControl> MakeSystemServiceControl() {
  return std::make_unique<Win32ServiceControl>();
}

}  // namespace agat::iodriver
