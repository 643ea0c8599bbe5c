// The processor time of this process, for benchmarks whose ratios must hold on a shared
// machine.
#pragma once

#include <ctime>

namespace agat::bench {

// Seconds of processor time of this process, in and out of the kernel: the machines that run
// the benchmarks are shared, and wall time would count the other programs' turns. Every
// thread's time counts, as the tracks of a large image are decoded on two.
inline double cpu_seconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace agat::bench
