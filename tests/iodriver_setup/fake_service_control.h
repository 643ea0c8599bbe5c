// A Service Control Manager in memory for the installer's tests. It keeps service entries,
// hands out handles and checks that each call comes with a live handle holding the right it
// needs (refusing with "access denied" otherwise, as Windows does). Failures, the states a
// service reports and the stop control's exit code are scripted by the test; waits are only
// recorded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "iodriver_setup/service_control.h"

namespace agat::iodriver::testing {

class FakeServiceControl : public ServiceControl {
 public:
  // The strings have initializers so that tests may name only the fields they care about.
  struct Entry {
    std::string display_name{};
    std::string binary_path{};
    std::string description{};
    std::uint32_t service_type = 0;
    std::uint32_t start_type = 0;
    std::uint32_t error_control = 0;
  };

  // In the state script: this status query fails.
  static constexpr std::uint32_t kQueryFails = 0xFFFFFFFF;
  // More waits than any correct polling makes: the code under test is looping for ever.
  static constexpr std::size_t kRunawaySleeps = 1000;

  // The service entries, by name.
  std::map<std::string, Entry> services;

  // Scripted failures: when set, the call fails with that system error code.
  std::optional<std::uint32_t> open_manager_error;
  std::optional<std::uint32_t> create_error;
  std::optional<std::uint32_t> describe_error;
  std::optional<std::uint32_t> start_error;
  std::optional<std::uint32_t> control_error;
  std::optional<std::uint32_t> delete_error;

  // The state each status query reports, in turn; the last one repeats. An empty script
  // makes every query fail.
  std::deque<std::uint32_t> states;
  // The service's exit code in the status that the stop control returns.
  std::uint32_t stop_exit_code = 0;

  // What happened.
  int queries = 0;
  int start_requests = 0;
  int stop_requests = 0;
  std::vector<std::uint32_t> sleeps;
  int bad_handle_uses = 0;

  std::size_t OpenHandleCount() const { return handles_.size(); }

  ScHandle OpenSCManagerA(std::uint32_t dwDesiredAccess) override {
    if (open_manager_error) return Fail(*open_manager_error, ScHandle::Null);
    return NewHandle({true, dwDesiredAccess, {}});
  }

  ScHandle OpenServiceA(ScHandle hSCManager, const char* lpServiceName,
                        std::uint32_t dwDesiredAccess) override {
    if (!Manager(hSCManager, 0)) return ScHandle::Null;
    if (!services.contains(lpServiceName)) return Fail(kErrorServiceDoesNotExist, ScHandle::Null);
    return NewHandle({false, dwDesiredAccess, lpServiceName});
  }

  ScHandle CreateServiceA(ScHandle hSCManager, const ServiceCreateParams& params) override {
    if (!Manager(hSCManager, kScManagerCreateService)) return ScHandle::Null;
    if (create_error) return Fail(*create_error, ScHandle::Null);
    if (services.contains(params.lpServiceName)) return Fail(kErrorServiceExists, ScHandle::Null);
    services[params.lpServiceName] = {
        params.lpDisplayName, params.lpBinaryPathName, "",
        params.dwServiceType, params.dwStartType,      params.dwErrorControl};
    return NewHandle({false, params.dwDesiredAccess, params.lpServiceName});
  }

  bool ChangeServiceConfig2A(ScHandle hService, const char* lpDescription) override {
    Entry* entry = Service(hService, kServiceChangeConfig);
    if (entry == nullptr) return false;
    if (describe_error) return Fail(*describe_error, false);
    entry->description = lpDescription;
    return true;
  }

  bool StartServiceA(ScHandle hService) override {
    if (Service(hService, kServiceStart) == nullptr) return false;
    ++start_requests;
    if (start_error) return Fail(*start_error, false);
    return true;
  }

  bool ControlService(ScHandle hService, std::uint32_t dwControl,
                      ServiceStatus& lpServiceStatus) override {
    if (dwControl != kServiceControlStop) return Fail(1, false);  // invalid function
    if (Service(hService, kServiceStop) == nullptr) return false;
    ++stop_requests;
    if (control_error) return Fail(*control_error, false);
    lpServiceStatus = {};
    lpServiceStatus.dwCurrentState = kServiceStopPending;
    lpServiceStatus.dwWin32ExitCode = stop_exit_code;
    return true;
  }

  bool QueryServiceStatus(ScHandle hService, ServiceStatus& lpServiceStatus) override {
    if (Service(hService, kServiceQueryStatus) == nullptr) return false;
    ++queries;
    if (states.empty()) return Fail(kErrorAccessDenied, false);
    const std::uint32_t state = states.front();
    if (states.size() > 1) states.pop_front();
    if (state == kQueryFails) return Fail(kErrorAccessDenied, false);
    lpServiceStatus = {};
    lpServiceStatus.dwServiceType = kServiceKernelDriver;
    lpServiceStatus.dwCurrentState = state;
    return true;
  }

  bool DeleteService(ScHandle hService) override {
    if (Service(hService, kDelete) == nullptr) return false;
    if (delete_error) return Fail(*delete_error, false);
    services.erase(handles_.at(hService).service);
    return true;
  }

  bool CloseServiceHandle(ScHandle hSCObject) override {
    if (handles_.erase(hSCObject) == 0) return BadHandle();
    return true;
  }

  void Sleep(std::uint32_t dwMilliseconds) override {
    sleeps.push_back(dwMilliseconds);
    if (sleeps.size() > kRunawaySleeps) throw std::runtime_error("the polling never ends");
  }

  std::uint32_t GetLastError() override { return last_error_; }

 private:
  struct Handle {
    bool manager;
    std::uint32_t access;
    std::string service;
  };

  template <typename T>
  T Fail(std::uint32_t error, T result) {
    last_error_ = error;
    return result;
  }

  bool BadHandle() {
    ++bad_handle_uses;
    return Fail(6, false);  // invalid handle
  }

  ScHandle NewHandle(Handle handle) {
    const auto id = static_cast<ScHandle>(next_handle_++);
    handles_.emplace(id, std::move(handle));
    return id;
  }

  // Checks a manager handle and the right a call needs on it.
  bool Manager(ScHandle h, std::uint32_t right) {
    const auto it = handles_.find(h);
    if (it == handles_.end() || !it->second.manager) return BadHandle();
    if ((it->second.access & right) != right) return Fail(kErrorAccessDenied, false);
    return true;
  }

  // The entry behind a service handle, when the handle holds the right a call needs.
  Entry* Service(ScHandle h, std::uint32_t right) {
    const auto it = handles_.find(h);
    if (it == handles_.end() || it->second.manager) {
      BadHandle();
      return nullptr;
    }
    if ((it->second.access & right) != right) return Fail<Entry*>(kErrorAccessDenied, nullptr);
    const auto entry = services.find(it->second.service);
    if (entry == services.end()) return Fail<Entry*>(kErrorServiceDoesNotExist, nullptr);
    return &entry->second;
  }

  std::map<ScHandle, Handle> handles_;
  std::uintptr_t next_handle_ = 0x100;
  std::uint32_t last_error_ = 0;
};

}  // namespace agat::iodriver::testing
