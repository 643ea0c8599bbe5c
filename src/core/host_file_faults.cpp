#include "core/host_file_faults.h"

#include <cerrno>
#include <utility>

namespace agat {

namespace {

HostFileFaultHook& installed() {
  static HostFileFaultHook hook;
  return hook;
}

}  // namespace

void set_host_file_fault_hook(HostFileFaultHook hook) {
  installed() = std::move(hook);
}

HostFileFault host_file_fault(HostFileCall call) {
  const HostFileFaultHook& hook = installed();
  return hook ? hook(call) : HostFileFault{};
}

bool host_call_faulted(HostFileCall call, HostFileFault& fault) {
  fault = host_file_fault(call);
  if (fault.error == 0) return false;
  errno = fault.error;
  return true;
}

}  // namespace agat
