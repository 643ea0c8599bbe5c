// Decoding the tracks of an image is most of the time its opening takes for the bit-stream
// forms, and every track decodes on its own: the tracks are shared between the calling
// thread and, on a machine with more than one core, one more thread.
#pragma once

#include <functional>

namespace agat {

// Runs WORK(t) for every track t = 0..LAST, each exactly once, on the calling thread and
// possibly one other, and DONE(t) on the calling thread for t = 0..LAST in this order, each
// once WORK(t) has finished (DONE reports progress, which the user's screen shows). WORK
// must touch only what belongs to its track. An exception thrown by WORK is thrown again
// here once both threads have stopped.
void for_each_track(int last, const std::function<void(int)>& work,
                    const std::function<void(int)>& done);

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
