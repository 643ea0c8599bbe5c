#include "core/host_volume.h"
#include "core/host_volume_mounts.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace agat {
namespace {

// Free space in 256-byte units, saturated at the largest 32-bit value; none for a path
// that does not exist. The label of a path that does not exist is "<fault>"; the current
// directory has the label of its path. Labels are udev's link names, escapes decoded;
// what is not a complete escape stays as it is.
TEST(HostVolume, FreeSpaceAndLabels) {
  testing::TempDir dir;
  struct statvfs fs {};
  ASSERT_EQ(::statvfs(dir.path().c_str(), &fs), 0);
  const double expected = static_cast<double>(fs.f_bavail) * fs.f_frsize / 256;
  const double units = GETFREESPACE(dir.host_path());
  EXPECT_NEAR(units, std::min(expected, 4294967295.0), expected / 100 + 65536);  // others write
  EXPECT_EQ(GETFREESPACE(dir.file("missing/deeper/")), 0u);
  EXPECT_EQ(GETFREESPACE(""), 0u);

  EXPECT_EQ(GETHOSTVOLUMEID(dir.file("missing/")), "<fault>");
  EXPECT_NE(GETHOSTVOLUMEID(dir.host_path()), "<fault>");  // a label or a mount point
  EXPECT_EQ(GETVOLNAME(), GETHOSTVOLUMEID(std::filesystem::current_path().string() + "/"));
  EXPECT_EQ(decode_udev_name("My\\x20Disk"), "My Disk");
  EXPECT_EQ(decode_udev_name("a\\x2fb\\x2Fc"), "a/b/c");
  EXPECT_EQ(decode_udev_name("\\xd0\\x94\\xd0\\xb8\\xd1\\x81\\xd0\\xba"), "Диск");
  EXPECT_EQ(decode_udev_name("x\\x2"), "x\\x2");
  EXPECT_EQ(decode_udev_name("\\xZZ\\y"), "\\xZZ\\y");
  EXPECT_EQ(decode_udev_name("end\\"), "end\\");
}

// The label is the name of the link that leads to the block device; links to a
// character device, to a plain file or to nothing do not count.
TEST(HostVolume, TheLabelIsTheLinkThatLeadsToTheDevice) {
  std::error_code ec;
  const auto dev = std::filesystem::directory_iterator("/dev", ec);
  const auto node = std::find_if(begin(dev), end(dev), [](const auto& e) {
    return std::filesystem::is_block_file(e.symlink_status());
  });
  if (node == end(dev)) GTEST_SKIP() << "no block device node in /dev";
  struct stat st {};
  ::stat(node->path().c_str(), &st);
  testing::TempDir labels;
  std::filesystem::create_symlink("/dev/null", labels.path() / "Null");
  testing::write_bytes(labels.file("plain"), {1, 2, 3});
  std::filesystem::create_symlink(labels.file("gone"), labels.path() / "Dangling");
  std::filesystem::create_symlink(node->path(), labels.path() / "My\\x20Disk");
  EXPECT_EQ(find_device_label(st.st_rdev, labels.path().string()), "My Disk");
  EXPECT_EQ(find_device_label(st.st_rdev + 1, labels.path().string()), "");
  EXPECT_EQ(find_device_label(st.st_rdev, labels.file("missing")), "");
}

// Without a label, the mount point of the file system that holds the path: the longest
// mount point above it (whole names only) among the mounts of its device, of any
// device when none is its own (btrfs gives sub-volumes devices of their own); "" when
// the table cannot be read.
TEST(HostVolume, TheMountPointStandsInForAMissingLabel) {
  testing::TempDir dir;
  std::ofstream(dir.file("mountinfo")) << "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                                          "30 27 0:27 / /home rw shared:1 - ext4 /dev/vdb rw\n"
                                          "31 30 0:28 / /home/user\\040x rw - tmpfs tmpfs rw\n"
                                          "32 27 254:0 /srv /mnt/bind rw - ext4 /dev/vda rw\n";
  const auto at = [&](const char* path, unsigned major, unsigned minor) {
    return find_mount_point(path, makedev(major, minor), dir.file("mountinfo"));
  };
  EXPECT_EQ(at("/home/user x/docs", 0, 28), "/home/user x");
  EXPECT_EQ(at("/homework", 254, 0), "/");
  EXPECT_EQ(at("/home/a", 0, 27), "/home");
  EXPECT_EQ(at("/mnt/bind/a", 254, 0), "/mnt/bind");
  EXPECT_EQ(at("/home/a", 9, 9), "/home");
  EXPECT_EQ(find_mount_point("/", 0, dir.file("missing")), "");
}

}  // namespace
}  // namespace agat
