#include "index_collection.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <thread>

#include "core/track_workers.h"

namespace agat {

std::size_t damaged_images(const CollectionIndex& index) {
  std::size_t count = 0;
  for (const IndexedImage& i : index.images) count += i.check && i.check->damaged;
  return count;
}

std::size_t unread_count(const CollectionIndex& index) {
  std::size_t count = index.unread.size();
  for (const IndexedImage& i : index.images) count += !i.read;
  return count;
}

CollectionIndex index_collection(const std::vector<std::string>& roots, unsigned jobs,
                                 const IndexProgress& progress, const FileVisitor& visit) {
  CollectionFiles files = walk_collection(roots);
  const std::size_t total = files.files.size();
  std::vector<std::optional<IndexedImage>> found(total);
  std::atomic<std::size_t> next{0};
  std::size_t done = 0;
  std::mutex progress_lock;
  // Each worker reads whole images, so --jobs is the number of threads: an image's tracks
  // are decoded on the thread that reads it.
  const auto work = [&] {
    const TracksOnThisThread one_thread;
    for (std::size_t i; (i = next.fetch_add(1)) < total;) {
      found[i] = index_file(files.files[i], i, visit);
      const std::lock_guard<std::mutex> hold(progress_lock);
      if (progress) progress(++done, total);
    }
  };
  std::vector<std::thread> workers;
  const std::size_t more = std::min<std::size_t>(jobs == 0 ? 0 : jobs - 1, total);
  for (std::size_t w = 0; w < more; ++w) workers.emplace_back(work);
  work();
  for (std::thread& w : workers) w.join();

  CollectionIndex index;
  index.unread = std::move(files.unread);
  index.links = files.links;
  for (auto& image : found) {
    if (image)
      index.images.push_back(std::move(*image));
    else
      ++index.not_images;
  }
  index.duplicates = find_duplicates(index.images);
  return index;
}

}  // namespace agat
