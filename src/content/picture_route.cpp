#include "content/picture_route.h"

#include "content/exec_proc.h"

namespace agat {

void view_picture(TCATREC& CR, TFILEBUF& BUF, TFILEFORMAT) {
  EP_VIEW(CR, BUF, FFASIS);
}

std::string_view video_mode_name(std::uint32_t LENGTH) {
  // The sizes of the modes in their order; Apple (size 0) is never found by size.
  switch (LENGTH) {
    case 2048:
      return "Text 64 normal";
    case 16384:
      return "MGR9 256 x 256 x  4";
    default:
      return "MGR  128 x 128 x 16";
  }
}

}  // namespace agat
