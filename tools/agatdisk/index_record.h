// What `index` learns of one file of a collection: the image's form, names, health, the
// digests of its sectors and of every file of its catalogs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/world_formats.h"

namespace agat {

// One entry of a catalog of the image, the root's or a BTK sub-catalog's.
struct IndexedEntry {
  std::string catalog;  // the sub-catalogs that lead to it, "A/B" (Windows-1251); "" the root
  std::string name;     // as list shows it (Windows-1251)
  bool btk = false;
  bool locked = false;
  bool deleted = false;
  std::uint8_t ext = 0;
  std::int32_t sectors = 0;  // as the catalog states it
  std::int64_t bytes = -1;   // as get gives them; -1 when the file could not be read
  std::string sha256;        // of those bytes; "" when not read
  std::string problem;       // why the file or sub-catalog could not be read (Windows-1251)
};

// The counts of check --json.
struct CheckCounts {
  bool damaged = false;
  std::int32_t vtoc = 0;
  std::array<std::int32_t, 4> roles{};  // vtoc, catalog, tslist, data
  std::int32_t none = 0;
  std::int32_t errors = 0, shared = 0, unreadable = 0, orphans = 0;
  std::int32_t used_but_free = 0, free_but_used = 0, unreadable_unused = 0, nonstandard = 0;
};

struct IndexedImage {
  std::string path;             // as the walk found it (host bytes)
  std::size_t number = 0;       // of the file in the walk: it names the image's pages
  std::optional<TIMAGET> form;  // none for a file that could not be read
  std::uint64_t size = 0;
  bool read = false;    // its sectors were read; else `problem` says why not
  std::string problem;  // Windows-1251
  std::string volume;   // Windows-1251, as list shows it
  std::string description;
  std::string sectors_sha256;              // of every sector, track by track
  std::string used_sha256;                 // of the sectors the VTOC marks used, with their places
  std::vector<std::uint64_t> sector_keys;  // a short digest of each sector, for near copies
  std::optional<CheckCounts> check;        // none when the disk holds no DOS catalog
  std::vector<IndexedEntry> entries;
  std::vector<std::string> messages;  // what the core said while reading it (Windows-1251)
};

// Shown every file that was read while its image is open: the image's record so far, the
// file's record and its place among the image's entries, its catalog entry and its bytes.
using FileVisitor = std::function<void(const IndexedImage& image, const IndexedEntry& entry,
                                       std::size_t place, const TCATREC& e, TFILEBUF& buf)>;

// Reads the file PATH, the NUMBER-th of the walk, as an image: nothing when it is no image
// of a known form. Never stops at damage: what could not be read is said in the record.
std::optional<IndexedImage> index_file(const std::string& path, std::size_t number,
                                       const FileVisitor& visit);

}  // namespace agat
