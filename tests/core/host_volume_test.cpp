#include "core/host_volume.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::TempDir;

TEST(HostFreeSpace, CountsTheFileSystemOfThePathIn256ByteUnits) {
  TempDir dir;
  struct statvfs fs {};
  ASSERT_EQ(::statvfs(dir.path().c_str(), &fs), 0);
  const double expected = static_cast<double>(fs.f_bavail) * fs.f_frsize / 256;
  const std::uint32_t units = GETFREESPACE(dir.host_path());
  if (expected >= 4294967295.0) {
    EXPECT_EQ(units, 0xFFFFFFFFu) << "more than 1 TiB free must saturate";
  } else {
    EXPECT_GT(units, 0u);
    // Other programs may write meanwhile: allow 1 % and 16 MB.
    EXPECT_NEAR(units, expected, expected / 100 + 65536);
  }
}

TEST(HostFreeSpace, AMissingPathHasNone) {
  TempDir dir;
  EXPECT_EQ(GETFREESPACE(dir.file("missing/deeper/")), 0u);
  EXPECT_EQ(GETFREESPACE(""), 0u);
}

TEST(HostVolumeLabel, AMissingPathHasTheFaultLabel) {
  TempDir dir;
  EXPECT_EQ(GETHOSTVOLUMEID(dir.file("missing/")), "<fault>");
}

TEST(HostVolumeLabel, TheCurrentDirectoryGivesTheSameLabelAsItsPath) {
  const std::string cwd = std::filesystem::current_path().string() + "/";
  EXPECT_EQ(GETVOLNAME(), GETHOSTVOLUMEID(cwd));
  EXPECT_FALSE(GETVOLNAME().empty());
}

TEST(HostVolumeLabel, UdevEscapesAreDecoded) {
  EXPECT_EQ(decode_udev_name("DATA"), "DATA");
  EXPECT_EQ(decode_udev_name("My\\x20Disk"), "My Disk");
  EXPECT_EQ(decode_udev_name("a\\x2fb\\x2Fc"), "a/b/c");
  EXPECT_EQ(decode_udev_name("\\xd0\\x94\\xd0\\xb8\\xd1\\x81\\xd0\\xba"), "Диск");
  // What is not a complete escape stays as it is.
  EXPECT_EQ(decode_udev_name("x\\x2"), "x\\x2");
  EXPECT_EQ(decode_udev_name("\\xZZ\\y"), "\\xZZ\\y");
  EXPECT_EQ(decode_udev_name("end\\"), "end\\");
}

// Any block device node on this machine, to stand for a labelled file system.
std::string some_block_device(dev_t& number) {
  DIR* dev = ::opendir("/dev");
  if (dev == nullptr) return "";
  std::string found;
  while (const dirent* entry = ::readdir(dev)) {
    const std::string path = std::string("/dev/") + entry->d_name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISBLK(st.st_mode)) {
      found = path;
      number = st.st_rdev;
      break;
    }
  }
  ::closedir(dev);
  return found;
}

TEST(HostVolumeLabel, TheLabelIsTheLinkThatLeadsToTheDevice) {
  dev_t device = 0;
  const std::string node = some_block_device(device);
  if (node.empty()) GTEST_SKIP() << "no block device node in /dev";
  TempDir labels;
  // Links that do not lead to the device: a character device, a file, nothing at all.
  std::filesystem::create_symlink("/dev/null", labels.path() / "Null");
  testing::write_bytes(labels.file("plain"), {1, 2, 3});
  std::filesystem::create_symlink(labels.file("gone"), labels.path() / "Dangling");
  std::filesystem::create_symlink(node, labels.path() / "My\\x20Disk");

  EXPECT_EQ(find_device_label(device, labels.path().string()), "My Disk");
  EXPECT_EQ(find_device_label(device + 1, labels.path().string()), "");
  EXPECT_EQ(find_device_label(device, labels.file("missing")), "");
}

}  // namespace
}  // namespace agat
