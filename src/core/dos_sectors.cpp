#include "core/dos_sectors.h"

#include <algorithm>
#include <string>

#include "core/cp1251_literal.h"
#include "core/file_control_messages.h"
#include "core/sector_holders.h"
#include "core/vtoc.h"
#include "core/vtoc_soundness.h"

namespace agat {

namespace {

std::vector<TSREF> every_sector(const TMEDIA& md) {
  std::vector<TSREF> all;
  for (int t = 0; t <= md.NUMTR; ++t)
    for (int s = 0; s <= md.NUMSC; ++s)
      all.push_back({static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(s)});
  return all;
}

std::string place(const TSREF& at) {
  return std::to_string(at.TR) + "/" + std::to_string(at.SC);
}

}  // namespace

bool dos_sectors(TMEDIA& MASTER, std::string_view OPERATION, std::vector<TSREF>& SECTORS) {
  SECTORS.clear();
  if (!require_sound_vtoc(MASTER, OPERATION)) return false;
  // A sector in use that nothing on the disk holds is the system's own.
  for (const TakenSector& taken : taken_sectors(MASTER, every_sector(MASTER)))
    if (taken.holder.empty()) SECTORS.push_back(taken.at);
  return true;
}

bool copy_dos(TMEDIA& MASTER, TMEDIA& MD, std::string_view OPERATION) {
  if (MASTER.NUMTR != MD.NUMTR || MASTER.NUMSC != MD.NUMSC) {
    report_critical(std::string(OPERATION) +
                    std::string(": у образца другой размер диска, образ не создан"_w));
    return false;
  }
  std::vector<TSREF> dos;
  if (!dos_sectors(MASTER, OPERATION, dos)) return false;
  // The new image's own VTOC and catalog keep their places: a sector the master marks used
  // there (a catalog sector it no longer links, as a rule) is left out.
  std::vector<TSREF> kept_out;
  for (const TakenSector& taken : taken_sectors(MD, dos)) {
    if (taken.holder.empty()) continue;
    kept_out.push_back(taken.at);
    report_warning(std::string(OPERATION) + std::string(": сектор ДОС "_w) + place(taken.at) +
                   std::string(" в новом образе занят: "_w) + taken.holder +
                   std::string(", он не перенесён"_w));
  }
  int unreadable = 0;
  for (const TSREF& at : dos) {
    if (std::find(kept_out.begin(), kept_out.end(), at) != kept_out.end()) continue;
    MD.MASS[at.TR][at.SC] = MASTER.MASS[at.TR][at.SC];
    unreadable += !FC_IS_SECOK(MD.MASS[at.TR][at.SC]);
    GETSECT(MD, at.TR, at.SC);
  }
  if (unreadable > 0)
    report_warning(std::string(OPERATION) +
                   std::string(": секторов ДОС, которые не читаются в образце: "_w) +
                   std::to_string(unreadable) + std::string(", они скопированы как есть"_w));
  return true;
}

}  // namespace agat
