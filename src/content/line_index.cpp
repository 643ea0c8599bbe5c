#include "content/line_index.h"

#include <algorithm>

namespace agat {

LineIndex::LineIndex(std::span<const std::string> lines) {
  std::vector<std::int32_t> id_of(lines.size());
  ids_.reserve(lines.size());
  for (std::size_t n = 0; n < lines.size(); ++n)
    id_of[n] = ids_.try_emplace(lines[n], static_cast<std::int32_t>(ids_.size())).first->second;
  // The line numbers of each id in one array, grouped by id: a counting sort, which keeps
  // every group in ascending order.
  starts_.assign(ids_.size() + 1, 0);
  for (std::int32_t id : id_of) ++starts_[static_cast<std::size_t>(id) + 1];
  for (std::size_t i = 1; i < starts_.size(); ++i) starts_[i] += starts_[i - 1];
  numbers_.resize(lines.size());
  std::vector<std::int32_t> next(starts_.begin(), starts_.end() - 1);
  for (std::size_t n = 0; n < lines.size(); ++n)
    numbers_[static_cast<std::size_t>(next[static_cast<std::size_t>(id_of[n])]++)] =
        static_cast<std::int32_t>(n);
}

std::int32_t LineIndex::find_from(std::string_view line, std::int32_t from) const {
  const auto id = ids_.find(line);
  if (id == ids_.end()) return -1;
  const auto first = numbers_.begin() + starts_[static_cast<std::size_t>(id->second)];
  const auto last = numbers_.begin() + starts_[static_cast<std::size_t>(id->second) + 1];
  const auto at = std::lower_bound(first, last, from);
  return at == last ? -1 : *at;
}

bool nearest_common_pair(std::span<const std::string> text1, std::int32_t from1,
                         const LineIndex& index2, std::int32_t from2, LinePair& pair) {
  std::int64_t best = -1;
  for (std::int32_t n1 = from1; n1 < static_cast<std::int32_t>(text1.size()); ++n1) {
    const std::int64_t skip1 = n1 - from1;
    if (best >= 0 && skip1 > best) break;  // every pair from here on is farther
    const std::int32_t n2 = index2.find_from(text1[static_cast<std::size_t>(n1)], from2);
    if (n2 < 0) continue;
    // A pair as near as the best so far replaces it: it skips more lines of text 1.
    const std::int64_t distance = skip1 + (n2 - from2);
    if (best < 0 || distance <= best) {
      best = distance;
      pair = {n1, n2};
    }
  }
  return best >= 0;
}

}  // namespace agat
