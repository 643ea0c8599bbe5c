// The blend of the marked image files of a host panel into one image, by the core's blending
// (core/blend_reads.h), the same that the blend program does with named reads.
#include <string>
#include <vector>

#include "content/text_viewer.h"
#include "core/blend_reads.h"
#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "ui/actions_files.h"

namespace agat {

void AC_BLENDMEDIA(PPANEL PAN_CUR, PPANEL PAN_OTH, std::int32_t) {
  const TMEDIA& md = PAN_CUR->MD;
  if (md.MEDIAT != MDHOSTFS) return;
  std::vector<std::string> paths;
  std::string first;
  for (std::int32_t i = 0; i < md.CAT.CATNUM; ++i) {
    const TCATREC& cr = md.CAT.CATREC[i];
    if (!cr.SELECT || cr.CATRECT != CRTDISKIMAGE) continue;
    if (paths.empty()) first = cr.HOSTNAME;
    paths.push_back(md.HOSTPATH + cr.HOSTNAME);
  }
  if (paths.empty()) {
    report_critical("Смешивание: не отмечено ни одного образа"_w);
    return;
  }
  // Into the other panel's folder when it shows one, else beside the reads.
  const std::string& folder =
      PAN_OTH->MD.MEDIAT == MDHOSTFS ? PAN_OTH->MD.HOSTPATH : md.HOSTPATH;
  std::vector<BlendRead> reads;
  BlendResult result;
  const int status =
      blend_files(paths, std::nullopt, folder + default_blend_output(first), false, reads, result);
  NEEDRELOAD = true;
  if (status == 1 || status == 2) return;
  TextReport report;
  VV_INIT(report);
  for (const std::string& line : blend_report_lines(reads, result)) VV_ADD_STRING_EOL(report, line);
  VV_VIEW(report);
}

}  // namespace agat
