#include "index_walk.h"

#include <algorithm>
#include <cerrno>

#include "core/cp1251_literal.h"
#include "core/host_errors.h"
#include "core/host_fs.h"
#include "core/host_paths.h"

namespace agat {

namespace {

void walk_folder(const std::string& folder, CollectionFiles& found) {
  HostDirectory listing;
  if (!listing.open(folder)) {
    found.unread.push_back({folder, std::string("папка не читается: "_w) + host_error_text(errno)});
    return;
  }
  std::vector<std::string> names;
  for (HostEntry e; listing.next(e);) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    const std::string path = folder + name;
    switch (host_link_status(path).kind) {
      case HostKind::directory:
        walk_folder(path + HOST_SEPARATOR, found);
        break;
      case HostKind::regular:
        found.files.push_back(path);
        break;
      case HostKind::other:
        ++found.links;
        break;
      case HostKind::missing:  // gone since it was listed
        break;
    }
  }
}

}  // namespace

CollectionFiles walk_collection(const std::vector<std::string>& roots) {
  CollectionFiles found;
  for (const std::string& root : roots) {
    const HostStatus st = host_link_status(root);
    if (st.kind == HostKind::directory) {
      walk_folder(root.empty() || is_host_separator(root.back()) ? root : root + HOST_SEPARATOR,
                  found);
    } else if (st.kind == HostKind::regular) {
      found.files.push_back(root);
    } else if (st.kind == HostKind::missing) {
      found.unread.push_back(
          {root, st.error == ENOENT ? std::string("не найден"_w) : host_error_text(st.error)});
    } else {
      ++found.links;
    }
  }
  return found;
}

}  // namespace agat
