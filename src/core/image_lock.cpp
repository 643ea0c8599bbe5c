#include "core/image_lock.h"

#include <chrono>
#include <map>

#include "core/host_paths.h"

namespace agat {

namespace {

struct HeldLock {
  std::intptr_t handle = 0;
  int holders = 0;
};

// The locks this process holds, by lock file.
std::map<std::string, HeldLock>& held_locks() {
  static std::map<std::string, HeldLock> locks;
  return locks;
}

constexpr int kRetryPauseMs = 20;

}  // namespace

std::string image_lock_path(const std::string& image_path) {
  const std::size_t start = host_name_start(image_path);
  const std::string folder =
      start == 0 ? std::string(".") + HOST_SEPARATOR : image_path.substr(0, start);
  return folder + image_path.substr(start) + IMAGE_LOCK_SUFFIX;
}

ImageLock::ImageLock(const std::string& image_path, int wait_ms)
    : key_(image_lock_path(image_path)) {
  auto& locks = held_locks();
  if (auto it = locks.find(key_); it != locks.end()) {
    ++it->second.holders;
    state_ = ImageLockState::held;
    return;
  }
  std::intptr_t handle = 0;
  if (!open_lock_file(key_, handle)) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
  // The holder before may have renamed a new image over the file this one waited for:
  // then the lock it got guards nothing, and the new file is opened and locked instead.
  while (!try_lock_file(handle) || !lock_names_file(handle, key_)) {
    if (std::chrono::steady_clock::now() >= deadline) {
      close_lock_file(handle);
      state_ = ImageLockState::busy;
      return;
    }
    pause_lock_wait(kRetryPauseMs);
    if (!lock_names_file(handle, key_)) {
      close_lock_file(handle);
      if (!open_lock_file(key_, handle)) return;
    }
  }
  locks[key_] = HeldLock{handle, 1};
  state_ = ImageLockState::held;
}

ImageLock::~ImageLock() {
  if (state_ != ImageLockState::held) return;
  auto& locks = held_locks();
  auto it = locks.find(key_);
  if (it == locks.end() || --it->second.holders > 0) return;
  close_lock_file(it->second.handle);
  locks.erase(it);
}

}  // namespace agat
