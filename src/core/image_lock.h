// Writers of one image file take turns. A save writes a new copy beside the image and
// renames it over the old file, so a writer that waited for a lock on the image itself may
// wake holding the old, unlinked file. On POSIX hosts the lock is on the image all the
// same, and a writer that gets it checks that the name still leads to the file it locked,
// starting again when it does not: no other file appears beside the image. Windows cannot
// rename a file over one held open by another program, so there the lock is on a lock file
// beside the image, "<image>.lock", made when first needed and never removed. The host
// releases the lock when its holder ends, however it ends. Readers take no lock: a save
// replaces the image whole, so a reader sees the old file or the new one.
#pragma once

#include <cstdint>
#include <string>

namespace agat {

// How long a writer waits for another one to finish before it gives up.
inline constexpr int IMAGE_LOCK_WAIT_MS = 10000;

enum class ImageLockState {
  held,         // this process holds the lock
  busy,         // another holder kept it for the whole wait
  unavailable,  // the file to lock cannot be opened (no image yet, a folder closed for writing)
};

// What the host appends to an image's name to name the file it locks: nothing on POSIX
// hosts, which lock the image itself, ".lock" on Windows.
extern const char* const IMAGE_LOCK_SUFFIX;

// The file locked for the image at PATH: "<folder><name>" + IMAGE_LOCK_SUFFIX, the folder
// "." when PATH names none, so that one image named with or without "./" has one lock.
std::string image_lock_path(const std::string& image_path);

// Holds the write lock of one image while it lives. Holders of the same image in one
// process share one lock, so a command that locks an image for its whole
// read-change-save can call saves that lock it too.
class ImageLock {
 public:
  explicit ImageLock(const std::string& image_path, int wait_ms = IMAGE_LOCK_WAIT_MS);
  ~ImageLock();
  ImageLock(const ImageLock&) = delete;
  ImageLock& operator=(const ImageLock&) = delete;

  ImageLockState state() const { return state_; }

 private:
  std::string key_;
  ImageLockState state_ = ImageLockState::unavailable;
};

// The host side, one file per host. The file to lock opened for locking (a Windows lock
// file is created when missing); false when it cannot be.
bool open_lock_file(const std::string& path, std::intptr_t& handle);
// Whether PATH still names the file open as HANDLE (a save may have renamed another over it).
bool lock_names_file(std::intptr_t handle, const std::string& path);
// Takes the exclusive lock of the open file without waiting; false while another holds it.
bool try_lock_file(std::intptr_t handle);
// Closes the file, which releases its lock.
void close_lock_file(std::intptr_t handle);
// Sleeps MS milliseconds between two tries.
void pause_lock_wait(int ms);

}  // namespace agat
