// The files of a collection: the folders given to `index`, walked in name order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace agat {

struct UnreadFile {
  std::string path;     // host bytes
  std::string problem;  // Windows-1251
};

struct CollectionFiles {
  std::vector<std::string> files;  // every regular file, in the order of the walk
  std::vector<UnreadFile> unread;  // operands and folders that could not be looked at
  std::size_t links = 0;           // symbolic links and other objects, not followed
};

// Walks each of ROOTS (a folder, recursively, its entries in the byte order of their
// names; or a file) without following symbolic links.
CollectionFiles walk_collection(const std::vector<std::string>& roots);

}  // namespace agat
