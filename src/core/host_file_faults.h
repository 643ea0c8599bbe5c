// The test seam of the host-file layers: before each system call that opens, creates,
// reads, writes, syncs or renames a file (core/host_calls.h), the layer asks the installed
// hook what the call is to do, so that a test can make a chosen call fail as a failing
// disk would. The hook knows only the operation and the error; the programs never
// install one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace agat {

// The host operations a hook can make fail.
enum class HostFileCall { open, create, read, write, sync, rename };

// What one call does: with `error` 0 it is made, moving at most `limit` bytes (a read or
// a write: a short transfer; a read limited to 0 meets the end of the file); otherwise
// it is not made and fails with `error` (an errno value).
struct HostFileFault {
  int error = 0;
  std::size_t limit = SIZE_MAX;
};

using HostFileFaultHook = std::function<HostFileFault(HostFileCall)>;

// Installs HOOK for the calls that follow; an empty hook removes it.
void set_host_file_fault_hook(HostFileFaultHook hook);

// What the installed hook says about CALL (the call runs untouched without one).
HostFileFault host_file_fault(HostFileCall call);

// For the host-file layers: true, with errno set to the hook's error, when the hook fails
// CALL; FAULT tells how the call may run otherwise.
bool host_call_faulted(HostFileCall call, HostFileFault& fault);

}  // namespace agat
