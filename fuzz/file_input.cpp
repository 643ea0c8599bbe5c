#include "file_input.h"

#include <algorithm>
#include <memory>

#include "poison.h"

namespace agat::fuzz {

TFILEBUF& loaded_buffer() {
  static const auto buf = std::make_unique<TFILEBUF>();
  return *buf;
}

TCATREC load_file_input(std::span<const std::uint8_t> fil) {
  TFILHEADER head{};
  std::copy_n(fil.begin(), std::min(fil.size(), FIL_HEAD), reinterpret_cast<std::uint8_t*>(&head));
  const auto data = fil.subspan(std::min(fil.size(), FIL_HEAD));
  TCATREC cr;
  cr.CATRECT = CRTAGATFILE;
  std::copy(std::begin(head.AGATNAME), std::end(head.AGATNAME), cr.AGATNAME.begin());
  std::copy(std::begin(head.TSDATA), std::end(head.TSDATA), cr.TSDATA.begin());
  cr.EXT = head.EXT;
  cr.SIZE = static_cast<std::int32_t>(std::min<std::size_t>(data.size(), MAXFILESIZE));
  TFILEBUF& buf = loaded_buffer();
  allow(buf.data(), buf.size());
  std::copy_n(data.begin(), cr.SIZE, buf.begin());
  // As load_content leaves a file: the four bytes after it zero (the head of a shorter file
  // reads as zeros), nothing further to be read.
  const auto end = std::min<std::size_t>(static_cast<std::size_t>(cr.SIZE) + 4, buf.size());
  std::fill(buf.begin() + cr.SIZE, buf.begin() + static_cast<std::ptrdiff_t>(end), 0);
  forbid(buf.data() + end, buf.size() - end);
  return cr;
}

}  // namespace agat::fuzz
