#include "image_input.h"

#include <algorithm>

#include "core/image_build.h"
#include "core/image_container.h"

namespace agat::fuzz {

namespace {

constexpr std::uint8_t RAW_CHUNK = 0xF0;

// Reads the input from the front; bytes past its end read as none.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  bool done() const { return at_ >= bytes_.size(); }
  std::uint8_t byte() { return done() ? 0 : bytes_[at_++]; }
  std::span<const std::uint8_t> take(std::size_t n) {
    n = std::min(n, bytes_.size() - std::min(at_, bytes_.size()));
    const auto part = bytes_.subspan(at_, n);
    at_ += n;
    return part;
  }
  std::span<const std::uint8_t> rest() { return take(bytes_.size()); }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
};

}  // namespace

const std::vector<TIMAGET>& image_input_forms() {
  static const std::vector<TIMAGET> forms = [] {
    std::vector<TIMAGET> v;
    for (int f = 0; f < IMAGE_TYPE_COUNT; ++f)
      if (image_container(static_cast<TIMAGET>(f)) == nullptr) v.push_back(static_cast<TIMAGET>(f));
    return v;
  }();
  return forms;
}

ImageInput decode_image_input(std::span<const std::uint8_t> input) {
  static TDISK disk;
  for (auto& track : disk)
    for (auto& sector : track) sector.fill(UNREAD_FILL);
  Reader head(input);
  ImageInput out;
  const auto& forms = image_input_forms();
  out.form = forms[head.byte() % forms.size()];
  std::size_t length = head.byte();
  length |= std::size_t{head.byte()} << 8;
  length |= std::size_t{head.byte()} << 16;
  Reader chunks(head.take(length));
  out.tail = head.rest();

  const int tracks = IMAGEDESC[out.form].NTR + 1, sectors = IMAGEDESC[out.form].NSC + 1;
  struct Raw {
    std::size_t offset;
    std::span<const std::uint8_t> bytes;
  };
  std::vector<Raw> raws;
  while (!chunks.done()) {
    const std::uint8_t first = chunks.byte();
    if (first >= RAW_CHUNK) {
      std::size_t offset = chunks.byte();
      offset |= std::size_t{chunks.byte()} << 8;
      offset |= std::size_t{chunks.byte()} << 16;
      const std::size_t n = chunks.byte();
      raws.push_back({offset, chunks.take(n == 0 ? 256 : n)});
      continue;
    }
    TSECTOR& sector = disk[first % tracks][chunks.byte() % sectors];
    const std::size_t at = chunks.byte(), n = chunks.byte();
    const auto bytes = chunks.take(std::min<std::size_t>(n == 0 ? 256 : n, 256 - at));
    std::copy(bytes.begin(), bytes.end(), sector.begin() + at);
  }
  out.file = image_file_bytes(out.form, disk);
  for (const Raw& raw : raws) {
    const std::size_t at = raw.offset % out.file.size();
    const std::size_t n = std::min(raw.bytes.size(), out.file.size() - at);
    std::copy_n(raw.bytes.begin(), n, out.file.begin() + at);
  }
  return out;
}

Bytes encode_image_input(TIMAGET form, const TDISK& disk, const Bytes& file,
                         std::span<const std::uint8_t> tail) {
  Bytes chunks;
  for (int t = 0; t <= IMAGEDESC[form].NTR; ++t) {
    for (int s = 0; s <= IMAGEDESC[form].NSC; ++s) {
      const TSECTOR& sector = disk[t][s];
      if (std::all_of(sector.begin(), sector.end(), [](auto b) { return b == UNREAD_FILL; }))
        continue;
      chunks.insert(chunks.end(),
                    {static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(s), 0, 0});
      chunks.insert(chunks.end(), sector.begin(), sector.end());
    }
  }
  const Bytes made = image_file_bytes(form, disk);
  for (std::size_t at = 0; at < made.size() && at < file.size();) {
    if (made[at] == file[at]) {
      ++at;
      continue;
    }
    std::size_t n = 1;
    while (n < 256 && at + n < file.size() && made[at + n] != file[at + n]) ++n;
    chunks.insert(chunks.end(),
                  {RAW_CHUNK, static_cast<std::uint8_t>(at), static_cast<std::uint8_t>(at >> 8),
                   static_cast<std::uint8_t>(at >> 16), static_cast<std::uint8_t>(n)});
    chunks.insert(chunks.end(), file.begin() + at, file.begin() + at + n);
    at += n;
  }
  const auto& forms = image_input_forms();
  const auto place = std::find(forms.begin(), forms.end(), form) - forms.begin();
  Bytes input = {static_cast<std::uint8_t>(place), static_cast<std::uint8_t>(chunks.size()),
                 static_cast<std::uint8_t>(chunks.size() >> 8),
                 static_cast<std::uint8_t>(chunks.size() >> 16)};
  input.insert(input.end(), chunks.begin(), chunks.end());
  input.insert(input.end(), tail.begin(), tail.end());
  return input;
}

}  // namespace agat::fuzz
