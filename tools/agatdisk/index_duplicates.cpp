#include "index_duplicates.h"

#include <algorithm>
#include <map>
#include <set>

namespace agat {

namespace {

// The images that share a key, two or more, in the order of their first member.
template <class Key>
std::vector<std::vector<std::size_t>> groups_by(const std::vector<IndexedImage>& images, Key key) {
  std::map<std::string, std::vector<std::size_t>> by_key;
  std::vector<const std::vector<std::size_t>*> order;
  for (std::size_t i = 0; i < images.size(); ++i) {
    const std::string k = key(images[i]);
    if (k.empty()) continue;
    auto& members = by_key[k];
    if (members.empty()) order.push_back(&members);
    members.push_back(i);
  }
  std::vector<std::vector<std::size_t>> groups;
  for (const auto* members : order)
    if (members->size() > 1) groups.push_back(*members);
  return groups;
}

// The names, types and places of the live entries, one line each: equal for reads of one disk.
std::string catalog_key(const IndexedImage& image) {
  if (!image.read || image.entries.empty()) return "";
  std::string key = std::to_string(image.sector_keys.size()) + "\n";
  for (const IndexedEntry& e : image.entries)
    if (!e.deleted) key += e.catalog + "/" + e.name + "/" + std::to_string(e.ext) + "\n";
  return key;
}

std::size_t differing_sectors(const std::vector<IndexedImage>& images,
                              const std::vector<std::size_t>& members) {
  const std::vector<std::uint64_t>& first = images[members[0]].sector_keys;
  std::size_t count = 0;
  for (std::size_t s = 0; s < first.size(); ++s)
    count += std::any_of(members.begin() + 1, members.end(),
                         [&](std::size_t m) { return images[m].sector_keys[s] != first[s]; });
  return count;
}

std::vector<FileGroup> same_files(const std::vector<IndexedImage>& images) {
  std::map<std::string, FileGroup> by_digest;
  std::vector<FileGroup*> order;
  for (std::size_t i = 0; i < images.size(); ++i)
    for (std::size_t e = 0; e < images[i].entries.size(); ++e) {
      const IndexedEntry& entry = images[i].entries[e];
      if (entry.deleted || entry.sha256.empty() || entry.bytes <= 0) continue;
      FileGroup& group = by_digest[entry.sha256];
      if (group.copies.empty()) {
        group.sha256 = entry.sha256;
        group.bytes = entry.bytes;
        order.push_back(&group);
      }
      group.copies.push_back({i, e});
    }
  std::vector<FileGroup> groups;
  for (FileGroup* g : order) {
    // Copies of one disk in several files do not make a file that is on several disks.
    std::set<std::string> disks;
    for (const FileCopy& c : g->copies) disks.insert(images[c.image].sectors_sha256);
    if (disks.size() > 1) groups.push_back(std::move(*g));
  }
  return groups;
}

}  // namespace

Duplicates find_duplicates(const std::vector<IndexedImage>& images) {
  Duplicates d;
  for (auto& members : groups_by(images, [](const IndexedImage& i) { return i.sectors_sha256; }))
    d.same_sectors.push_back({images[members[0]].sectors_sha256, std::move(members)});
  for (auto& members : groups_by(images, [](const IndexedImage& i) { return i.used_sha256; })) {
    // A group that is one disk in several files says nothing new.
    const bool one_disk = std::all_of(members.begin(), members.end(), [&](std::size_t m) {
      return images[m].sectors_sha256 == images[members[0]].sectors_sha256;
    });
    if (!one_disk) d.same_used.push_back({images[members[0]].used_sha256, std::move(members)});
  }
  d.same_files = same_files(images);
  for (auto& members : groups_by(images, catalog_key)) {
    const std::size_t differing = differing_sectors(images, members);
    if (differing > 0) d.near_copies.push_back({std::move(members), differing});
  }
  return d;
}

}  // namespace agat
