#include "core/track_workers.h"

#include <atomic>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace agat {

namespace {

thread_local bool tracks_on_this_thread = false;

}  // namespace

TracksOnThisThread::TracksOnThisThread() : was_(tracks_on_this_thread) {
  tracks_on_this_thread = true;
}

TracksOnThisThread::~TracksOnThisThread() { tracks_on_this_thread = was_; }

void for_each_track(int last, const std::function<void(int, int)>& work,
                    const std::function<void(int)>& done) {
  const int count = last + 1;
  std::atomic<int> next{0};
  std::vector<std::atomic<bool>> finished(count > 0 ? count : 0);
  std::exception_ptr failed[TRACK_WORKERS];
  // Each thread takes the next track nobody has taken, so the faster one does more of them.
  // A failure leaves no track for either thread to take.
  const auto take = [&](int self, const std::function<void()>& after) {
    try {
      for (int t; (t = next.fetch_add(1)) < count;) {
        work(t, self);
        finished[t].store(true, std::memory_order_release);
        after();
      }
    } catch (...) {
      failed[self] = std::current_exception();
      next.store(count);
    }
  };
  std::optional<std::thread> helper;
  if (count > 1 && !tracks_on_this_thread &&
      std::thread::hardware_concurrency() > 1) {
    try {
      helper.emplace([&] { take(1, [] {}); });
    } catch (const std::system_error&) {
      // No thread to be had: the calling thread decodes every track.
    }
  }
  int reported = 0;
  const auto report = [&] {
    while (reported < count && finished[reported].load(std::memory_order_acquire))
      done(reported++);
  };
  take(0, report);
  if (helper) helper->join();
  for (const std::exception_ptr& e : failed)
    if (e) std::rethrow_exception(e);
  report();
}

}  // namespace agat
