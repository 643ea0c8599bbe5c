// Systems without a Service Control Manager: every call fails as a Windows function that
// the system does not provide would, with ERROR_CALL_NOT_IMPLEMENTED. The program then
// takes the same paths as on a Windows whose manager cannot be reached.
#include <chrono>
#include <thread>

#include "iodriver_setup/service_control.h"

namespace agat::iodriver {
namespace {

class UnavailableServiceControl final : public ServiceControl {
 public:
  ScHandle OpenSCManagerA(std::uint32_t) override { return fail_with(ScHandle::Null); }
  ScHandle OpenServiceA(ScHandle, const char*, std::uint32_t) override {
    return fail_with(ScHandle::Null);
  }
  ScHandle CreateServiceA(ScHandle, const ServiceCreateParams&) override {
    return fail_with(ScHandle::Null);
  }
  bool ChangeServiceConfig2A(ScHandle, const char*) override { return fail_with(false); }
  bool StartServiceA(ScHandle) override { return fail_with(false); }
  bool ControlService(ScHandle, std::uint32_t, ServiceStatus&) override { return fail_with(false); }
  bool QueryServiceStatus(ScHandle, ServiceStatus&) override { return fail_with(false); }
  bool DeleteService(ScHandle) override { return fail_with(false); }
  bool CloseServiceHandle(ScHandle) override { return fail_with(false); }

  // Waiting needs no manager, so it really waits.
  void Sleep(std::uint32_t dwMilliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
  }

  std::uint32_t GetLastError() override { return last_error_; }

 private:
  template <typename T>
  T fail_with(T result) {
    last_error_ = kErrorCallNotImplemented;
    return result;
  }

  std::uint32_t last_error_ = 0;
};

}  // namespace

std::unique_ptr<ServiceControl> make_system_service_control() {
  return std::make_unique<UnavailableServiceControl>();
}

}  // namespace agat::iodriver
