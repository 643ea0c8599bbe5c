// A whole collection indexed: every image of the folders read by several workers, in the
// order of the walk whatever their number, and what repeats across them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "index_duplicates.h"
#include "index_record.h"
#include "index_walk.h"

namespace agat {

struct CollectionIndex {
  std::vector<IndexedImage> images;  // read or not, in the order of the walk
  std::vector<UnreadFile> unread;    // operands and folders that could not be looked at
  std::size_t not_images = 0;        // files of no known image form, left out
  std::size_t links = 0;             // symbolic links and other objects, not followed
  Duplicates duplicates;
};

// The images that check found damaged, and those that could not be read with the operands
// and folders that could not be looked at.
std::size_t damaged_images(const CollectionIndex& index);
std::size_t unread_count(const CollectionIndex& index);

// Called as files are done (DONE of TOTAL), from one thread at a time.
using IndexProgress = std::function<void(std::size_t done, std::size_t total)>;

// Indexes the files of ROOTS with JOBS threads. The core's program-wide state (its message
// buffers, the sector map, the image file buffer) is the thread's own, so each worker reads
// its images as a program of its own would.
// Every file read is shown to VISIT, in the worker's thread.
CollectionIndex index_collection(const std::vector<std::string>& roots, unsigned jobs,
                                 const IndexProgress& progress, const FileVisitor& visit = {});

}  // namespace agat
