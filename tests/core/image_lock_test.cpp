// Writers of one image take turns: the lock (the image itself, or a lock file beside it),
// shared by the holders in one process and moved on to a new file renamed over the image,
// and a save that finds the file written by another program since its load.
#include "core/image_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/cp1251.h"
#include "core/host_paths.h"
#include "core/image_file.h"
#include "support/image_files.h"
#include "support/media.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

// Another holder of an image's lock, as a second program would hold it: its own opening
// of the lock file.
class ForeignHolder {
 public:
  explicit ForeignHolder(const std::string& image) {
    EXPECT_TRUE(open_lock_file(image_lock_path(image), handle_));
  }
  ~ForeignHolder() { close_lock_file(handle_); }
  bool take() { return try_lock_file(handle_); }

 private:
  std::intptr_t handle_ = 0;
};

TEST(ImageLock, LockFilesAndTurns) {
  const std::string sep(1, HOST_SEPARATOR);
  for (const auto& [image, lock] : std::vector<std::pair<std::string, std::string>>{
           {"a.dsk", "." + sep + "a.dsk" + IMAGE_LOCK_SUFFIX},
           {"." + sep + "a.dsk", "." + sep + "a.dsk" + IMAGE_LOCK_SUFFIX},
           {"dir" + sep + "образ.nib", "dir" + sep + "образ.nib" + IMAGE_LOCK_SUFFIX}})
    EXPECT_EQ(image_lock_path(image), lock) << image;

  testing::TempDir dir;
  const std::string image = dir.file("disk.dsk");
  testing::make_image_file(image, ITI140);
  {
    // Another program holds the lock for the whole wait: busy.
    ForeignHolder other(image);
    ASSERT_TRUE(other.take());
    EXPECT_EQ(ImageLock(image, 60).state(), ImageLockState::busy);
  }
  {
    // Free again; the holders in this process share the lock, and it is released with
    // the last of them only.
    auto outer = std::make_unique<ImageLock>(image, 0);
    ASSERT_EQ(outer->state(), ImageLockState::held);
    ForeignHolder other(image);
    {
      ImageLock inner(image, 0);
      EXPECT_EQ(inner.state(), ImageLockState::held);
    }
    EXPECT_FALSE(other.take());
    outer.reset();
    EXPECT_TRUE(other.take());
  }
  EXPECT_TRUE(std::filesystem::exists(testing::fs_path(image_lock_path(image))));
  // Nothing can be locked where there is no folder: the writer goes on without a lock.
  EXPECT_EQ(ImageLock(dir.file("none") + sep + "disk.dsk", 0).state(), ImageLockState::unavailable);

  // A writer waits while another holds the lock; that one saves a new file over the image
  // and ends. The waiting writer then holds the lock of the file the name now leads to, so
  // a third one finds it busy.
  auto other = std::make_unique<ForeignHolder>(image);
  ASSERT_TRUE(other->take());
  ImageLockState waited = ImageLockState::unavailable;
  std::unique_ptr<ImageLock> lock;
  std::thread writer([&] {
    lock = std::make_unique<ImageLock>(image, 5000);
    waited = lock->state();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  testing::make_image_file(dir.file("new.dsk"), ITI140);
  std::filesystem::rename(testing::fs_path(dir.file("new.dsk")), testing::fs_path(image));
  other.reset();
  writer.join();
  EXPECT_EQ(waited, ImageLockState::held);
  EXPECT_FALSE(ForeignHolder(image).take());
  lock.reset();
  EXPECT_TRUE(ForeignHolder(image).take());
}

// Two media loaded from one file: a save of one makes the other's save, which would undo
// it, refuse; after a load it goes through. A medium's own saves follow each other freely.
TEST(ImageLock, ASaveFindsTheFileWrittenByAnotherSinceItsLoad) {
  testing::TempDir dir;
  FC_CRITICALERRORBUFFER.clear();
  for (TIMAGET type : {ITI140, ITN140, ITA800}) {
    SCOPED_TRACE(IMAGEDESC[type].SHNAME);
    testing::make_image_file(dir.file("disk.img"), type);
    auto first = testing::load(dir, "disk.img", type);
    auto second = testing::load(dir, "disk.img", type);
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
    second->MASS[3][1].fill(0x22);
    FC_SAVEMEDIA(*second, false);
    second->MASS[3][2].fill(0x23);
    FC_SAVEMEDIA(*second, false);
    ASSERT_EQ(FC_CRITICALERRORBUFFER, "");
    const auto written = testing::read_bytes(dir.file("disk.img"));
    first->MASS[4][1].fill(0x11);
    FC_SAVEMEDIA(*first, false);
    EXPECT_NE(cp1251_to_utf8(testing::take_critical()).find("изменён другой программой"),
              std::string::npos);
    EXPECT_EQ(testing::read_bytes(dir.file("disk.img")), written);
    FC_LOADMEDIA(*first);
    EXPECT_EQ(first->MASS[3][1], second->MASS[3][1]);
    first->MASS[4][1].fill(0x11);
    FC_SAVEMEDIA(*first, false);
    EXPECT_EQ(testing::take_critical(), "");
    FC_LOADMEDIA(*second);
    EXPECT_EQ(second->MASS[4][1], first->MASS[4][1]);
    EXPECT_EQ(second->MASS[3][2], first->MASS[3][2]);
  }
}

}  // namespace
}  // namespace agat
