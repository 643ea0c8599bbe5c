// The groups of what repeats in a collection, found from records made here: one disk in two
// files, equal used sectors on disks that differ, near copies, and files on several disks.

#include <gtest/gtest.h>

#include "index_duplicates.h"

namespace agat::testing {
namespace {

IndexedEntry file(const std::string& name, const std::string& sha, std::int64_t bytes,
                  bool deleted = false) {
  IndexedEntry e;
  e.name = name;
  e.sha256 = sha;
  e.bytes = bytes;
  e.deleted = deleted;
  return e;
}

IndexedImage image(const std::string& sectors, const std::string& used,
                   std::vector<std::uint64_t> keys, std::vector<IndexedEntry> entries) {
  IndexedImage i;
  i.read = true;
  i.sectors_sha256 = sectors;
  i.used_sha256 = used;
  i.sector_keys = std::move(keys);
  i.entries = std::move(entries);
  return i;
}

TEST(IndexDuplicates, EachGroupOnceWithItsMembers) {
  const std::vector<IndexedEntry> catalog = {file("F", "f", 10), file("OLD", "o", 10, true)};
  IndexedImage unread;
  const std::vector<IndexedImage> images = {
      image("A", "U1", {1, 2, 3}, catalog),
      image("A", "U1", {1, 2, 3}, catalog),                  // the same disk in another file
      image("B", "U1", {1, 2, 4}, {file("F", "f", 10)}),     // its free sector differs
      image("C", "U2", {9, 9, 9, 9}, {file("F", "f", 10)}),  // another geometry
      unread,
      image("D", "", {5}, {file("EMPTY", "e", 0), file("OLD", "f", 10, true), file("E2", "e", 0)}),
      image("E", "", {6}, {file("G", "g", 5), file("G2", "g", 5)}),  // twice on one disk
      image("H", "U3", {7}, {}),
      image("H", "U3", {7}, {}),
  };
  const Duplicates d = find_duplicates(images);
  ASSERT_EQ(d.same_sectors.size(), 2u);
  EXPECT_EQ(d.same_sectors[0].sha256, "A");
  EXPECT_EQ(d.same_sectors[0].images, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(d.same_sectors[1].images, (std::vector<std::size_t>{7, 8}));
  // Equal used sectors, where the whole disks differ; none for a disk in two files alone.
  ASSERT_EQ(d.same_used.size(), 1u);
  EXPECT_EQ(d.same_used[0].images, (std::vector<std::size_t>{0, 1, 2}));
  // Live files of some bytes on disks of different sectors, every copy listed.
  ASSERT_EQ(d.same_files.size(), 1u);
  EXPECT_EQ(d.same_files[0].sha256, "f");
  std::vector<std::pair<std::size_t, std::size_t>> copies;
  for (const FileCopy& c : d.same_files[0].copies) copies.emplace_back(c.image, c.entry);
  EXPECT_EQ(copies,
            (std::vector<std::pair<std::size_t, std::size_t>>{{0, 0}, {1, 0}, {2, 0}, {3, 0}}));
  // The same live names on one geometry; deleted entries do not count.
  ASSERT_EQ(d.near_copies.size(), 1u);
  EXPECT_EQ(d.near_copies[0].images, (std::vector<std::size_t>{0, 1, 2}));
  EXPECT_EQ(d.near_copies[0].differing_sectors, 1u);
  EXPECT_EQ(d.groups(), 5u);
}

}  // namespace
}  // namespace agat::testing
