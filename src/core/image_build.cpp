#include "core/image_build.h"

#include <algorithm>

#include "core/emulator_header.h"
#include "core/image_container.h"
#include "core/track_codecs.h"

namespace agat {

std::vector<std::uint8_t> image_file_bytes(TIMAGET form, std::span<const TTRACK> tracks,
                                           std::string_view description) {
  if (form >= IMAGE_TYPE_COUNT) return {};
  const TIMAGEDESC& d = IMAGEDESC[form];
  if (tracks.size() < d.NTR + 1u) return {};
  std::vector<std::uint8_t> file(static_cast<std::size_t>(d.FULLSIZE), 0);
  if (d.signed_header) {
    const EmulatorHeader header = make_emulator_header(description);
    std::copy(header.begin(), header.end(), file.begin());
  }
  const std::size_t record = image_record_size(form);
  const TrackCodec& codec = track_codec(form);
  for (int t = 0; t <= d.NTR; ++t)
    codec.encode(std::span<std::uint8_t>(file.data() + d.header + t * record, record),
                 static_cast<std::uint8_t>(t), tracks[t]);
  if (const ImageContainer* box = image_container(form)) {
    std::vector<std::uint8_t> packed;
    if (!box->pack(file, {}, description, packed)) return {};
    return packed;
  }
  return file;
}

}  // namespace agat
