#include "core/change_dir.h"

#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/image_file.h"
#include "core/vtoc.h"
#include "core/vtoc_soundness.h"

namespace agat {

std::string parent_host_path(const std::string& path) {
  if (path.size() < 2) return path;
  const auto slash = path.rfind('/', path.size() - 2);
  if (slash == std::string::npos) return path;
  return path.substr(0, slash + 1);
}

namespace {

void BTK(TCATREC& cr, TMEDIA& md) {
  const std::uint8_t t = cr.TTSL, s = cr.STSL;
  if (!require_sound_vtoc(md, "Переход в BTK-каталог"_w) ||
      DSKAREATEST("Переход в BTK-каталог: новый каталог"_w, FC_CRITICALERRORBUFFER, t, s, md) != 0)
    return;
  TVTOCSECTOR& vt = as<TVTOCSECTOR>(md.MASS[17][0]);
  vt.TE = t;
  vt.SE = s;
  FC_SAVEMEDIA(md, false);
}

}  // namespace

void FC_CHDIR(TCATREC& CR) {
  if (CR.PMEDIA == nullptr) return;
  TMEDIA& md = *CR.PMEDIA;
  // What the medium knew of an image holds for that image only.
  if (CR.CATRECT == CRTDISKIMAGE || (md.MEDIAT == MDIMAGE && CR.CATRECT == CRTHOSTFSDIR)) {
    md.held_catalog.reset();
    md.known_root.reset();
  }
  if (md.MEDIAT == MDIMAGE) {
    if (CR.CATRECT == CRTHOSTFSDIR) {
      md.MEDIAT = MDHOSTFS;  // back in the directory that holds the image
    } else if (CR.CATRECT == CRTBTKDIR) {
      BTK(CR, md);
    }
    return;
  }
  switch (CR.CATRECT) {
    case CRTHOSTFSDIR:
      md.HOSTPATH =
          CR.HOSTNAME == ".." ? parent_host_path(md.HOSTPATH) : md.HOSTPATH + CR.HOSTNAME + "/";
      break;
    case CRTDISKIMAGE:
      md.MEDIAT = MDIMAGE;
      md.IMAGENAME = CR.HOSTNAME;
      set_geometry(md, CR.IMAGET);
      break;
    default:
      break;
  }
}

}  // namespace agat
