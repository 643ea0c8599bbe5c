#include "core/file_transfer.h"
#include "core/host_names.h"
#include "platform/png_writer.h"

namespace agat {

bool png_name_for(const std::string& DIR, const TAGATNAME& NAME, std::string& file) {
  file = AGAT2HOSTFNAME(NAME) + ".png";
  return FINDUNIQNAME(DIR, file);
}

}  // namespace agat
