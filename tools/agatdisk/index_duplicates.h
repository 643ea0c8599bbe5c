// What repeats across a collection: the same disk in several files, disks whose used
// sectors are equal, files on several disks, and near copies of one disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "index_record.h"

namespace agat {

struct ImageGroup {
  std::string sha256;
  std::vector<std::size_t> images;  // indexes of the images, in their order
};

struct FileCopy {
  std::size_t image;
  std::size_t entry;  // index into the image's entries
};

struct FileGroup {
  std::string sha256;
  std::int64_t bytes = 0;
  std::vector<FileCopy> copies;  // on two images at least
};

// Images whose catalogs hold the same names and types, and whose sectors differ.
struct NearGroup {
  std::vector<std::size_t> images;
  std::size_t differing_sectors = 0;  // places where not all of them agree
};

struct Duplicates {
  std::vector<ImageGroup> same_sectors;
  std::vector<ImageGroup> same_used;  // only where the whole sectors differ
  std::vector<FileGroup> same_files;
  std::vector<NearGroup> near_copies;

  std::size_t groups() const {
    return same_sectors.size() + same_used.size() + same_files.size() + near_copies.size();
  }
};

// Every group once, in the order of its first member.
Duplicates find_duplicates(const std::vector<IndexedImage>& images);

}  // namespace agat
