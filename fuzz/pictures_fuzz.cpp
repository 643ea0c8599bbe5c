// Fuzz target: the picture decoders on a ".FIL" file after one selector byte. Its low four
// bits pick the format, a TFILEFORMAT (modulo their count): 0 the one detected, every
// picture format and every format of code or bytes (drawn as video memory), any other
// ending the run; its high four bits the video-memory mode (9 and more: the first reading
// chosen for the data). A ZX screen is also drawn in all nine colour and brightness
// renderings. Nothing past the file may be read.
//
// Invariants: the picture fits the frame, its pixel shape is positive and every pixel is a
// palette index.
#include <algorithm>
#include <memory>
#include <optional>

#include "content/format_control.h"
#include "content/graph_proc.h"
#include "content/graph_zx.h"
#include "file_input.h"
#include "fuzz_check.h"

namespace {

using namespace agat;

void check(const TGRAPHVIEW& view, const TGRAPHSCREEN& frame) {
  FUZZ_CHECK(view.W >= 0 && view.W <= SCRSIDE && view.H >= 0 && view.H <= SCRSIDE,
             "the picture is larger than the frame");
  FUZZ_CHECK(view.PSW > 0 && view.PSH > 0, "pixel shape");
  FUZZ_CHECK(std::all_of(frame.P.begin(), frame.P.end(), [](std::uint8_t c) { return c < 16; }),
             "a pixel that is no palette index");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const auto frame = std::make_unique<TGRAPHSCREEN>();
  const TCATREC cr = fuzz::load_file_input({data + 1, size - 1});
  const TFILEBUF& buf = fuzz::loaded_buffer();
  const auto selected = static_cast<TFILEFORMAT>((data[0] & 15) % FILE_FORMAT_COUNT);
  const TFILEFORMAT format = FMTDETECT(cr, buf, selected);
  const int mode = data[0] >> 4;
  const ContentFormat& row = content_format(format);
  if (row.family != ContentFamily::picture && row.family != ContentFamily::binary) return 0;
  const std::optional<TFILEGFORMAT> chosen =
      mode < GRAPHIC_FORMAT_COUNT ? std::optional(static_cast<TFILEGFORMAT>(mode)) : std::nullopt;
  check(gp_render(cr, buf, format, *frame, chosen), *frame);
  if (row.shown == ContentShown::zx_packed || row.shown == ContentShown::zx_plain) {
    const auto zx = std::make_unique<TZXSCREEN>();
    zx_load(buf, cr.SIZE, format, *zx);
    for (int colours = 0; colours < 3; ++colours) {
      for (int bright = 0; bright < 3; ++bright) {
        frame->CLEARSCREEN();
        PUTSCR(*zx, colours, bright, *frame);
        check(zx_view(*zx, format, colours, bright), *frame);
      }
    }
  }
  return 0;
}
