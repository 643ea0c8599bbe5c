// The Windows side of the core's host layers: drive and share roots, names between UTF-8
// and UTF-16 (even those no Unicode text holds), Win32 errors as errno values, and saves
// that keep a file's attributes, refuse a read-only one and never take a device for a file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>

#include "core/change_dir.h"
#include "core/host_file_io.h"
#include "core/host_paths.h"
#include "core/host_volume.h"
#include "core/win32_host.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::read_bytes;
using testing::TempDir;

TEST(WindowsPaths, RootsNamesAndParents) {
  for (const char* root : {"C:\\", "c:/", "\\", "\\\\server\\share\\"})
    EXPECT_TRUE(is_host_root(root)) << root;
  for (const char* other : {"C:\\a\\", "C:", "\\\\server\\", "\\\\server\\share\\x\\", "a\\"})
    EXPECT_FALSE(is_host_root(other)) << other;
  EXPECT_EQ(host_name_start("C:\\a\\b.dsk"), 5u);
  EXPECT_EQ(host_name_start("C:b.dsk"), 2u);
  EXPECT_EQ(host_name_start("d/b.dsk"), 2u);
  EXPECT_EQ(host_name_start("b.dsk"), 0u);
  EXPECT_EQ(parent_host_path("C:\\a\\b\\"), "C:\\a\\");
  EXPECT_EQ(parent_host_path("C:\\a\\"), "C:\\");
  EXPECT_EQ(parent_host_path("C:\\"), "C:\\");
  EXPECT_EQ(parent_host_path("\\\\server\\share\\"), "\\\\server\\share\\");
}

TEST(WindowsNames, Utf16AndBack) {
  EXPECT_EQ(utf8_of_wide(L"Ёлка \U0001F332"), "Ёлка \U0001F332");
  EXPECT_EQ(wide_of_utf8("Ёлка \U0001F332"), L"Ёлка \U0001F332");
  // A lone surrogate survives the round trip; a byte that is no UTF-8 is read as
  // Windows-1251.
  const std::wstring lone = std::wstring(L"a") + wchar_t(0xD800) + L"b";
  EXPECT_EQ(wide_of_utf8(utf8_of_wide(lone)), lone);
  EXPECT_EQ(wide_of_utf8("\xC0x"), L"Аx");
  EXPECT_EQ(errno_of_win32(ERROR_FILE_NOT_FOUND), ENOENT);
  EXPECT_EQ(errno_of_win32(ERROR_ACCESS_DENIED), EACCES);
  EXPECT_EQ(errno_of_win32(ERROR_DISK_FULL), ENOSPC);
  EXPECT_EQ(errno_of_win32(ERROR_SHARING_VIOLATION), EBUSY);
  EXPECT_EQ(errno_of_win32(ERROR_INVALID_FUNCTION), EIO);
}

TEST(WindowsFiles, SavesKeepAttributesAndRefuseWhatIsNoWritableFile) {
  TempDir dir;
  const std::string file = dir.file("Образ.dsk");
  const std::wstring wide = wide_of_utf8(file);
  const std::uint8_t old_bytes[3] = {1, 2, 3}, new_bytes[2] = {9, 9};
  ASSERT_EQ(create_file(file, old_bytes, 3), FileIoResult::ok);
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(replace_file(file, new_bytes, 2), FileIoResult::ok);
  EXPECT_NE(GetFileAttributesW(wide.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(read_bytes(file), (std::vector<std::uint8_t>{9, 9}));

  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_READONLY);
  int error = 0;
  EXPECT_EQ(replace_file(file, old_bytes, 3, &error), FileIoResult::open_failed);
  EXPECT_EQ(error, EACCES);
  EXPECT_EQ(read_bytes(file), (std::vector<std::uint8_t>{9, 9}));
  SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);

  // "NUL" names the null device in every folder: it is never read or written as a file.
  std::vector<std::uint8_t> data;
  EXPECT_EQ(read_file(dir.file("NUL"), data, &error), FileIoResult::open_failed);
  EXPECT_EQ(error, ENXIO);
  EXPECT_EQ(replace_file(dir.file("NUL"), new_bytes, 2, &error), FileIoResult::open_failed);
  EXPECT_GT(GETFREESPACE(dir.host_path()), 0u);
  EXPECT_NE(GETHOSTVOLUMEID(dir.host_path()), "<fault>");
}

}  // namespace
}  // namespace agat
