#include "ui/immap_editor.h"

#include "content/hexdump.h"
#include "content/immap_report.h"
#include "content/text_viewer.h"
#include "core/file_control_messages.h"
#include "core/image_file.h"
#include "core/immap.h"
#include "core/immap_summary.h"
#include "ui/crt_immap_viewer.h"
#include "ui/errors.h"

namespace agat {

std::uint8_t CURSTR = 17;
std::uint8_t CURSSC = 0;

namespace {

// A full analysis, with the first lists of the lost chains marked for TAB; a VTOC with
// faults is reported in the text viewer first.
void SCAN(TMEDIA& md) {
  TVTOCFAULTS faults;
  scan_map(md, faults);
  find_orphans(md);
  if (faults.empty()) return;
  TextReport report;
  vtoc_report(faults, report);
  VV_VIEW(report);
}

// The hex editor works on a copy of the sector; the image takes it, and is saved, only
// when the editor says the change is to be kept. A save that fails is undone in memory
// too, so the map shows what the file holds.
void edit_sector(TMEDIA& md) {
  TSECTOR copy = md.MASS[CURSTR][CURSSC];
  if (!HEXDUMP(copy.data(), static_cast<std::int32_t>(copy.size()), 0, false)) return;
  md.MASS[CURSTR][CURSSC] = copy;
  FC_SAVEMEDIA(md, false);
  if (!FC_CRITICALERRORBUFFER.empty()) FC_LOADMEDIA(md);
  ERROR_OCCURED();
  SCAN(md);
}

}  // namespace

void IMM_EDITOR(TMEDIA& MD) {
  if (MD.MEDIAT != MDIMAGE) return;
  if (CURSTR > MD.NUMTR || CURSSC > MD.NUMSC) {
    CURSTR = 17;
    CURSSC = 0;
  }
  SCAN(MD);
  IMGMAPOPEN();
  while (true) {
    if (SCMP[CURSTR][CURSSC].ISTSLIST) FLASHSEARCH(MD, CURSTR, CURSSC);
    switch (IMGMAPEXPOSE(SCMP, CURSTR, CURSSC, MD.NUMTR, MD.NUMSC, MD.nonstandard)) {
      case IMMC_LEAVE:
        IMGMAPCLOSE();
        return;
      case IMMC_EDIT:
        edit_sector(MD);
        break;
      case IMMC_BUILD:
        // A refusal (no free catalog entry, no lost list here) is shown at once.
        BUILDFILE(MD, CURSTR, CURSSC);
        ERROR_OCCURED();
        SCAN(MD);
        break;
      default:
        break;
    }
  }
}

}  // namespace agat
