// The host file system as the core meets it on every host: names in the host's own bytes
// (Cyrillic ones too) come back from listings as they were made, kinds and sizes, renames
// that never replace, one object under two spellings, a file patched in place.
#include "core/host_fs.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <map>

#include "core/host_paths.h"
#include "support/temp_dir.h"

namespace agat {
namespace {

using testing::read_bytes;
using testing::TempDir;
using testing::write_bytes;

TEST(HostFs, NamesKindsRenamesAndPatches) {
  TempDir dir;
  const std::string folder = dir.file("Папка"), file = dir.file("Файл №1.FIL");
  ASSERT_TRUE(make_host_directory(folder));
  EXPECT_FALSE(make_host_directory(folder));
  write_bytes(file, std::vector<std::uint8_t>(300, 7));
  write_bytes(dir.file("другой"), {1});

  EXPECT_EQ(std::tuple(host_status(file).kind, host_status(file).size),
            std::tuple(HostKind::regular, 300u));
  EXPECT_EQ(host_status(folder + HOST_SEPARATOR).kind, HostKind::directory);
  EXPECT_EQ(std::tuple(host_status(dir.file("нет")).kind, host_status(dir.file("нет")).error),
            std::tuple(HostKind::missing, ENOENT));
  // A path through a file is no path, and no name in it is free.
  EXPECT_EQ(host_link_status(file + HOST_SEPARATOR + "x").error, ENOTDIR);

  HostDirectory listing;
  ASSERT_TRUE(listing.open(dir.host_path()));
  std::map<std::string, HostKind> seen;
  for (HostEntry e; listing.next(e);) seen[e.name] = e.kind;
  EXPECT_EQ(seen, (std::map<std::string, HostKind>{{"Папка", HostKind::directory},
                                                   {"Файл №1.FIL", HostKind::regular},
                                                   {"другой", HostKind::regular}}));
  EXPECT_FALSE(HostDirectory().open(dir.file("нет") + HOST_SEPARATOR));

  EXPECT_FALSE(rename_host_entry(file, dir.file("другой")));
  EXPECT_EQ(read_bytes(dir.file("другой")), std::vector<std::uint8_t>{1});
  ASSERT_TRUE(rename_host_entry(file, dir.file("Ёлка.FIL")));
  const std::string up = folder + HOST_SEPARATOR + ".." + HOST_SEPARATOR;
  EXPECT_TRUE(same_host_object(dir.host_path(), up));
  EXPECT_FALSE(same_host_object(folder, dir.file("другой")));

  HostFile patched;
  ASSERT_TRUE(patched.open(dir.file("Ёлка.FIL"), true));
  EXPECT_TRUE(patched.is_regular());
  const std::uint8_t head[4] = {1, 2, 3, 4};
  std::uint8_t past_end[4];
  EXPECT_TRUE(patched.write_at(296, head, 4));
  EXPECT_FALSE(patched.read_at(298, past_end, 4));
  EXPECT_TRUE(patched.close());
  const auto bytes = read_bytes(dir.file("Ёлка.FIL"));
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 5, bytes.end()),
            (std::vector<std::uint8_t>{7, 1, 2, 3, 4}));
  HostFile folder_file;
  EXPECT_FALSE(folder_file.open(folder, false) && folder_file.is_regular());

  write_bytes(folder + HOST_SEPARATOR + "x", {1});
  EXPECT_FALSE(remove_host_directory(folder));
  EXPECT_TRUE(remove_host_file(folder + HOST_SEPARATOR + "x"));
  EXPECT_TRUE(remove_host_directory(folder));
  EXPECT_EQ(host_link_status(folder).kind, HostKind::missing);
}

}  // namespace
}  // namespace agat
