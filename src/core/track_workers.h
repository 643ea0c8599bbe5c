// Decoding the tracks of an image is most of the time its opening takes for the bit-stream
// forms, and every track decodes on its own: the tracks are shared between the calling
// thread and, on a machine with more than one core, one more thread.
#pragma once

#include <functional>

namespace agat {

inline constexpr int TRACK_WORKERS = 2;

// Runs WORK(t, w) for every track t = 0..LAST, each exactly once, on the calling thread
// (W = 0) and possibly one other (W = 1: W tells a worker's own buffers), and DONE(t) on
// the calling thread for t = 0..LAST in this order, each once WORK(t) has finished (DONE
// reports progress, which the user's screen shows, or gathers the tracks' results in
// order). WORK must touch only what belongs to its track and its worker. An exception
// thrown by WORK or DONE is thrown again here once both threads have stopped.
void for_each_track(int last, const std::function<void(int track, int worker)>& work,
                    const std::function<void(int track)>& done);

// While one lives, for_each_track on the thread that made it takes no other thread: for
// callers that already give each core an image of its own, and a user's "one thread".
class TracksOnThisThread {
 public:
  TracksOnThisThread();
  ~TracksOnThisThread();
  TracksOnThisThread(const TracksOnThisThread&) = delete;
  TracksOnThisThread& operator=(const TracksOnThisThread&) = delete;

 private:
  bool was_;
};

}  // namespace agat
