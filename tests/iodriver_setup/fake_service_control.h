// A Service Control Manager in memory for the installer's tests. It keeps service entries,
// hands out handles and refuses a call whose handle is closed, of the wrong kind or without
// the right the call needs (with "access denied", as Windows does); when it goes, it checks
// that every handle was closed and none misused. Failures, the states a service reports and
// the stop control's exit code are scripted by the test; waits are only recorded.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "iodriver_setup/service_control.h"

namespace agat::iodriver::testing {

class FakeServiceControl : public ServiceControl {
 public:
  struct Entry {
    std::string display_name, binary_path, description;
    std::uint32_t service_type = 0, start_type = 0, error_control = 0;
  };

  // In the state script: this status query fails.
  static constexpr std::uint32_t kQueryFails = 0xFFFFFFFF;

  ~FakeServiceControl() override {
    EXPECT_TRUE(handles_.empty()) << handles_.size() << " handles left open";
    EXPECT_EQ(bad_handle_uses_, 0) << "calls with closed or wrong handles";
  }

  std::map<std::string, Entry> services;
  // Scripted failures: when set, the call fails with that system error code.
  std::optional<std::uint32_t> open_manager_error, create_error, describe_error, start_error,
      control_error;
  // The state each status query reports, in turn; the last one repeats.
  std::deque<std::uint32_t> states;
  std::uint32_t stop_exit_code = 0;  // in the status the stop control returns

  // What happened.
  int start_requests = 0, stop_requests = 0;
  std::vector<std::uint32_t> sleeps;

  ScHandle OpenSCManagerA(std::uint32_t dwDesiredAccess) override {
    if (open_manager_error) return fail_with(*open_manager_error, ScHandle::Null);
    return new_handle({true, dwDesiredAccess, {}});
  }
  ScHandle OpenServiceA(ScHandle hSCManager, const char* lpServiceName,
                        std::uint32_t dwDesiredAccess) override {
    if (!manager_entry(hSCManager, 0)) return ScHandle::Null;
    if (!services.contains(lpServiceName))
      return fail_with(kErrorServiceDoesNotExist, ScHandle::Null);
    return new_handle({false, dwDesiredAccess, lpServiceName});
  }
  ScHandle CreateServiceA(ScHandle hSCManager, const ServiceCreateParams& p) override {
    if (!manager_entry(hSCManager, kScManagerCreateService)) return ScHandle::Null;
    if (create_error) return fail_with(*create_error, ScHandle::Null);
    if (services.contains(p.lpServiceName)) return fail_with(kErrorServiceExists, ScHandle::Null);
    services[p.lpServiceName] = {p.lpDisplayName, p.lpBinaryPathName, "",
                                 p.dwServiceType, p.dwStartType,      p.dwErrorControl};
    return new_handle({false, p.dwDesiredAccess, p.lpServiceName});
  }
  bool ChangeServiceConfig2A(ScHandle hService, const char* lpDescription) override {
    Entry* entry = service_entry(hService, kServiceChangeConfig);
    if (entry == nullptr) return false;
    if (describe_error) return fail_with(*describe_error, false);
    entry->description = lpDescription;
    return true;
  }
  bool StartServiceA(ScHandle hService) override {
    if (service_entry(hService, kServiceStart) == nullptr) return false;
    ++start_requests;
    return start_error ? fail_with(*start_error, false) : true;
  }
  bool ControlService(ScHandle hService, std::uint32_t dwControl, ServiceStatus& status) override {
    if (dwControl != kServiceControlStop) return fail_with(1, false);  // invalid function
    if (service_entry(hService, kServiceStop) == nullptr) return false;
    ++stop_requests;
    if (control_error) return fail_with(*control_error, false);
    status = {.dwCurrentState = kServiceStopPending, .dwWin32ExitCode = stop_exit_code};
    return true;
  }
  bool QueryServiceStatus(ScHandle hService, ServiceStatus& status) override {
    if (service_entry(hService, kServiceQueryStatus) == nullptr) return false;
    const std::uint32_t state = states.empty() ? kQueryFails : states.front();
    if (states.size() > 1) states.pop_front();
    if (state == kQueryFails) return fail_with(kErrorAccessDenied, false);
    status = {.dwServiceType = kServiceKernelDriver, .dwCurrentState = state};
    return true;
  }
  bool DeleteService(ScHandle hService) override {
    if (service_entry(hService, kDelete) == nullptr) return false;
    services.erase(handles_.at(hService).service);
    return true;
  }
  bool CloseServiceHandle(ScHandle hSCObject) override {
    return handles_.erase(hSCObject) != 0 || bad_handle();
  }
  void Sleep(std::uint32_t dwMilliseconds) override {
    sleeps.push_back(dwMilliseconds);
    // Far more waits than any correct polling makes: the procedure would loop for ever.
    if (sleeps.size() > 1000) throw std::runtime_error("the polling never ends");
  }
  std::uint32_t GetLastError() override { return last_error_; }

 private:
  struct Handle {
    bool manager;
    std::uint32_t access;
    std::string service;
  };

  template <typename T>
  T fail_with(std::uint32_t error, T result) {
    last_error_ = error;
    return result;
  }
  bool bad_handle() {
    ++bad_handle_uses_;
    return fail_with(6, false);  // invalid handle
  }
  ScHandle new_handle(Handle handle) {
    handles_[static_cast<ScHandle>(next_handle_)] = std::move(handle);
    return static_cast<ScHandle>(next_handle_++);
  }
  // Checks a manager handle and the right a call needs on it.
  bool manager_entry(ScHandle h, std::uint32_t right) {
    const auto it = handles_.find(h);
    if (it == handles_.end() || !it->second.manager) return bad_handle();
    return (it->second.access & right) == right || fail_with(kErrorAccessDenied, false);
  }
  // The entry behind a service handle, when the handle holds the right a call needs.
  Entry* service_entry(ScHandle h, std::uint32_t right) {
    const auto it = handles_.find(h);
    if (it == handles_.end() || it->second.manager) {
      bad_handle();
      return nullptr;
    }
    if ((it->second.access & right) != right) return fail_with<Entry*>(kErrorAccessDenied, nullptr);
    const auto entry = services.find(it->second.service);
    if (entry == services.end()) return fail_with<Entry*>(kErrorServiceDoesNotExist, nullptr);
    return &entry->second;
  }

  std::map<ScHandle, Handle> handles_;
  std::uintptr_t next_handle_ = 0x100;
  std::uint32_t last_error_ = 0;
  int bad_handle_uses_ = 0;
};

}  // namespace agat::iodriver::testing
