#include "core/track_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

namespace agat {
namespace {

// Every track is worked on once; DONE comes on the calling thread, in track order, each
// after its track's work; a worker is told 0 on the calling thread only; with one track or
// none nothing goes wrong. Under TracksOnThisThread the work too stays on the calling thread.
TEST(TrackWorkers, EveryTrackOnceAndDoneInOrderOnTheCaller) {
  for (const bool one_thread : {false, true}) {
    for (const int last : {-1, 0, 1, 159}) {
      std::optional<TracksOnThisThread> guard;
      if (one_thread) guard.emplace();
      std::vector<std::atomic<int>> worked(last + 1);
      std::vector<int> done;
      std::atomic<bool> worked_elsewhere = false, wrong_worker = false;
      bool done_early = false, done_elsewhere = false;
      const auto caller = std::this_thread::get_id();
      for_each_track(
          last,
          [&](int t, int worker) {
            ++worked[t];
            if ((worker == 0) != (std::this_thread::get_id() == caller)) wrong_worker = true;
            std::this_thread::sleep_for(std::chrono::microseconds(20));  // time for a helper
            if (std::this_thread::get_id() != caller) worked_elsewhere = true;
          },
          [&](int t) {
            done_early = done_early || worked[t] != 1;
            done_elsewhere = done_elsewhere || std::this_thread::get_id() != caller;
            done.push_back(t);
          });
      std::vector<int> expected;
      for (int t = 0; t <= last; ++t) {
        expected.push_back(t);
        EXPECT_EQ(worked[t], 1) << t;
      }
      EXPECT_EQ(done, expected);
      EXPECT_FALSE(done_early || done_elsewhere || wrong_worker || (one_thread && worked_elsewhere));
    }
  }
}

// A failure, whichever thread meets it, reaches the caller once both threads have stopped.
TEST(TrackWorkers, AFailureIsThrownToTheCaller) {
  for (const int failing : {0, 7, 159})
    EXPECT_THROW(for_each_track(
                     159, [&](int t, int) { if (t == failing) throw std::runtime_error("track"); },
                     [](int) {}),
                 std::runtime_error);
}

}  // namespace
}  // namespace agat
