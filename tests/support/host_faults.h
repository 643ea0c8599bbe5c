// Failing host file calls for the tests of the save paths: InjectedFaults makes chosen calls
// fail through the core's fault hook while it lives, and expect_failures_keep_file runs a
// save under every failure a save must survive and checks what it leaves.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/host_file_faults.h"
#include "support/temp_dir.h"

namespace agat::testing {

// Call NTH (from 1) of kind CALL does what FAULT says.
struct FaultStep {
  HostFileCall call;
  int nth;
  HostFileFault fault;
};

class InjectedFaults {
 public:
  explicit InjectedFaults(std::vector<FaultStep> steps) {
    auto counts = std::make_shared<std::array<int, 6>>();
    set_host_file_fault_hook([steps = std::move(steps), counts](HostFileCall call) {
      const int n = ++(*counts)[static_cast<std::size_t>(call)];
      for (const FaultStep& s : steps)
        if (s.call == call && s.nth == n) return s.fault;
      return HostFileFault{};
    });
  }
  ~InjectedFaults() { set_host_file_fault_hook({}); }
  InjectedFaults(const InjectedFaults&) = delete;
  InjectedFaults& operator=(const InjectedFaults&) = delete;
};

// One failure of the host and the errno value its message names (0: the file ended early).
struct SaveFault {
  const char* name;
  std::vector<FaultStep> steps;
  int error;
  bool of_read;  // a failure of reading the old file, for the saves that read it first
};

inline const std::vector<SaveFault>& save_faults() {
  using C = HostFileCall;
  static const std::vector<SaveFault> faults = {
      {"short read", {{C::read, 1, {0, 1}}, {C::read, 2, {0, 0}}}, 0, true},
      {"EIO on read", {{C::read, 1, {EIO}}}, EIO, true},
      {"ENOSPC after a short write",
       {{C::write, 1, {0, 1}}, {C::write, 2, {ENOSPC}}},
       ENOSPC,
       false},
      {"failing fsync", {{C::sync, 1, {EIO}}}, EIO, false},
      {"failing rename", {{C::rename, 1, {EBUSY}}}, EBUSY, false},
      {"no new file", {{C::create, 1, {EMFILE}}}, EMFILE, false},
  };
  return faults;
}

// The names in DIR, but for the lock files that image saves make beside their images and
// keep (core/image_lock.h).
inline std::set<std::string> entries_of(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    if (e.path().extension() != ".lock") names.insert(host_string(e.path().filename()));
  return names;
}

// Runs SAVE (which answers the message the user got, in UTF-8) under every failure (those
// of reading only when READS): each leaves FILE byte for byte, DIR without a new entry, and
// a message that holds REASON(error).
inline void expect_failures_keep_file(const TempDir& dir, const std::string& file, bool reads,
                                      const std::function<std::string(int)>& reason,
                                      const std::function<std::string()>& save) {
  const auto bytes = read_bytes(file);
  const auto names = entries_of(dir.path());
  for (const SaveFault& f : save_faults()) {
    if (f.of_read && !reads) continue;
    std::string message;
    {
      InjectedFaults faults(f.steps);
      message = save();
    }
    EXPECT_NE(message.find(reason(f.error)), std::string::npos) << f.name << ": " << message;
    EXPECT_EQ(read_bytes(file), bytes) << f.name;
    EXPECT_EQ(entries_of(dir.path()), names) << f.name;
  }
}

}  // namespace agat::testing
