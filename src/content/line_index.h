// The lines of a text indexed by their content, for the line-wise file comparison: where
// the next line equal to a given one lies, and from that the nearest pair of equal lines
// of two texts, found without comparing every line of one text with every line of the
// other.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace agat {

class LineIndex {
 public:
  // Indexes LINES, which must outlive the index (it keeps views of them).
  explicit LineIndex(std::span<const std::string> lines);

  // The number of the first line at or after FROM that equals LINE, or -1 when none does.
  std::int32_t find_from(std::string_view line, std::int32_t from) const;

 private:
  std::unordered_map<std::string_view, std::int32_t> ids_;  // line text -> its id
  std::vector<std::int32_t> starts_;   // per id: where its line numbers begin in numbers_
  std::vector<std::int32_t> numbers_;  // line numbers grouped by id, each group ascending
};

struct LinePair {
  std::int32_t n1 = 0;
  std::int32_t n2 = 0;
};

// The nearest pair of equal lines, line n1 >= FROM1 of TEXT1 and line n2 >= FROM2 of the
// text that INDEX2 indexes: the least (n1 - FROM1) + (n2 - FROM2). Of equally near pairs
// the one that skips more lines of TEXT1 wins. False when no such pair exists.
//
// The search walks n1 upwards and stops once n1 alone is farther than the best pair found,
// so it costs as many look-ups as the distance it finds (one per line of TEXT1 when there
// is no pair at all).
bool nearest_common_pair(std::span<const std::string> text1, std::int32_t from1,
                         const LineIndex& index2, std::int32_t from2, LinePair& pair);

}  // namespace agat
