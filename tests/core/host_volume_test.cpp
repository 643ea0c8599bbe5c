#include "core/host_volume.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <filesystem>

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

}  // namespace
}  // namespace agat
