#include "scratch_image.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "core/catalog_read.h"
#include "core/cp1251.h"
#include "core/file_control_messages.h"
#include "core/image_form.h"
#include "poison.h"
#include "scratch_dir.h"

namespace agat::fuzz {

TMEDIA& scratch_medium() {
  static const auto md = std::make_unique<TMEDIA>();
  return *md;
}

bool take_messages() {
  const bool clean = FC_CRITICALERRORBUFFER.empty();
  if (!clean && std::getenv("AGAT_FUZZ_TRACE") != nullptr)
    std::fprintf(stderr, "%s", cp1251_to_utf8(FC_CRITICALERRORBUFFER).c_str());
  FC_CRITICALERRORBUFFER.clear();
  FC_WARNINGBUFFER.clear();
  return clean;
}

TMEDIA* open_scratch_image(const ImageInput& in) {
  take_messages();
  const std::string path = write_scratch_file(SCRATCH_IMAGE, in.file.data(), in.file.size());
  TIMAGET type{};
  if (!image_type_of_file(path, in.file.size(), type)) return nullptr;
  TMEDIA& md = scratch_medium();
  md.MEDIAT = MDIMAGE;
  md.HOSTPATH = scratch_dir();
  md.IMAGENAME = SCRATCH_IMAGE;
  set_geometry(md, type);
  // Only the tracks and sectors of the geometry may be touched.
  allow(md.MASS.data(), md.MASS.size() * sizeof(TTRACK));
  for (int t = 0; t <= MAXTRACK; ++t) {
    if (t > md.NUMTR)
      forbid(md.MASS[t].data(), sizeof md.MASS[t]);
    else
      forbid(md.MASS[t].data() + md.NUMSC + 1, (MAXSECTOR - md.NUMSC) * sizeof(TSECTOR));
  }
  reread(md);
  return &md;
}

bool reread(TMEDIA& md) {
  FC_READCAT(md);
  return take_messages();
}

}  // namespace agat::fuzz
