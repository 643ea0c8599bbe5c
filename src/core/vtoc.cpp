#include "core/vtoc.h"

#include <algorithm>
#include <bitset>

#include "core/cp1251_literal.h"
#include "core/current_catalog.h"
#include "core/file_control_messages.h"
#include "core/image_file.h"

namespace agat {

namespace {

constexpr TSECTOR make_badlabel() {
  TSECTOR s{};
  auto put = [&s](int at, std::string_view text) {
    for (char c : text) s[at++] = c == ' ' ? AGAT_SPACE : static_cast<std::uint8_t>(c);
  };
  put(0, "DISK READ ERROR");
  put(16, "THIS SECTOR WAS");
  put(32, "NOT READ CORRECTLY");
  return s;
}

TVTOCSECTOR& vtoc_of(TMEDIA& md) {
  return as<TVTOCSECTOR>(md.MASS[17][0]);
}

// Names a free sector that the save could not write, once for each sector while the
// warning buffer holds it. A long save passes over the same sectors on every allocation:
// searching the whole buffer for each of them each time made a save onto a badly damaged
// image quadratic (minutes for one file). Which sectors the buffer names is kept beside
// it, good while the buffer still has, at the length last seen, the bytes it ended with
// then (the error report empties the buffer once it has shown it).
void warn_unwritable_once(const TMEDIA& md, int tr, int sc) {
  struct Named {
    const TMEDIA* md = nullptr;
    std::size_t length = 0;
    std::string ending;
    std::bitset<(MAXTRACK + 1) * 32> sectors;
  };
  thread_local Named named;
  const std::string& buffer = FC_WARNINGBUFFER;
  const bool holds =
      named.md == &md && buffer.size() >= named.length &&
      buffer.compare(named.length - named.ending.size(), named.ending.size(), named.ending) == 0;
  if (!holds) named.md = &md, named.sectors.reset();
  const std::size_t bit = static_cast<std::size_t>(tr) * 32 + static_cast<std::size_t>(sc);
  if (!named.sectors.test(bit)) {
    const std::string skipped =
        std::string("Выделение сектора: свободный сектор "_w) + std::to_string(tr) + "/" +
        std::to_string(sc) +
        std::string(" не читается в файле образа, запись в него невозможна; взят следующий"_w);
    if (buffer.find(skipped) == std::string::npos) report_warning(skipped);
    named.sectors.set(bit);
  }
  named.length = buffer.size();
  const std::size_t kept = std::min<std::size_t>(buffer.size(), 32);
  named.ending.assign(buffer, buffer.size() - kept, kept);
}

}  // namespace

const TSECTOR BADLABEL = make_badlabel();

bool FC_IS_RANGEOK(const TMEDIA& MD, std::uint8_t TR, std::uint8_t SC) {
  return TR <= MD.NUMTR && SC <= MD.NUMSC;
}

bool FC_IS_SECOK(const TSECTOR& BUF) {
  if (BUF == BADLABEL) return false;
  return std::any_of(BUF.begin(), BUF.end(), [](std::uint8_t b) { return b != UNREAD_FILL; });
}

std::uint8_t DSKAREATEST(std::string_view S, std::string& ERRBUFFER, std::uint8_t TR,
                         std::uint8_t SC, TMEDIA& MD) {
  const auto where = [&] { return std::to_string(TR) + "/" + std::to_string(SC); };
  if (!FC_IS_RANGEOK(MD, TR, SC)) {
    ERRBUFFER += S;
    append_message(ERRBUFFER, ": указатель на сектор"_w);
    append_message(ERRBUFFER, std::string("выходит за пределы среды: "_w) + where());
    return 1;
  }
  if (!FC_IS_SECOK(MD.MASS[TR][SC])) {
    ERRBUFFER += S;
    append_message(ERRBUFFER, std::string(": сектор "_w) + where() + std::string(" не читается"_w));
    return 2;
  }
  return 0;
}

PCARDINAL FC_GETVTOCMAP(TMEDIA& MD, std::uint8_t TR) {
  if (!FC_IS_RANGEOK(MD, TR, 0)) return {};
  TSECTOR* map;
  std::size_t offset;
  if (TR < 50) {
    map = &MD.MASS[17][0];
    offset = 56 + 4 * TR;
  } else if (TR < 114) {
    map = &MD.MASS[50][0];
    offset = 4 * (TR - 50);
  } else {
    map = &MD.MASS[114][0];
    offset = 4 * (TR - 114);
  }
  if (!FC_IS_SECOK(*map)) return {};
  return PCARDINAL(map->data() + offset);
}

bool FC_IS_SECFREE(TMEDIA& MD, std::uint8_t TR, std::uint8_t SC) {
  PCARDINAL p = FC_GETVTOCMAP(MD, TR);
  return p && SC < 32 && (p.get() & (*MD.VTOCMASKS)[SC]) != 0;
}

void FREESECT(TMEDIA& MD, std::uint8_t TR, std::uint8_t SC) {
  PCARDINAL p = FC_GETVTOCMAP(MD, TR);
  if (p && SC < 32) p.set(p.get() | (*MD.VTOCMASKS)[SC]);
}

bool GETSECT(TMEDIA& MD, std::uint8_t TR, std::uint8_t SC) {
  PCARDINAL p = FC_GETVTOCMAP(MD, TR);
  if (!p || SC >= 32) return false;
  const std::uint32_t bit = (*MD.VTOCMASKS)[SC];
  if ((p.get() & bit) == 0) return false;
  p.set(p.get() & ~bit);
  return true;
}

bool NEWSECT(TMEDIA& MD, std::uint8_t& TR, std::uint8_t& SC) {
  // The search state lives in the VTOC; an unreadable VTOC has none to repair, and
  // writing a repaired state into it would make its fill bytes look like masks.
  if (DSKAREATEST("Выделение сектора: VTOC"_w, FC_CRITICALERRORBUFFER, 17, 0, MD) != 0)
    return false;
  TVTOCSECTOR& vt = vtoc_of(MD);
  if (vt.NEXTAVAILTR < 1 || vt.NEXTAVAILTR > MD.NUMTR ||
      (vt.DIRECTTOTR != 0x01 && vt.DIRECTTOTR != 0xFF)) {
    report_warning("Выделение сектора: неверны направление или трек выделения. Исправлено."_w);
    vt.NEXTAVAILTR = 17;
    vt.DIRECTTOTR = 0x01;
  }
  // The map sectors and the current catalog are in use whatever a damaged map says; such
  // a sector found free is taken in the map and passed over.
  ChainGuard in_use;
  mark_catalog_chain(MD, current_catalog(MD), in_use);
  const auto taken = [&](int tr, int sc) {
    const auto t = static_cast<std::uint8_t>(tr), s = static_cast<std::uint8_t>(sc);
    // A free sector that the save could not write stays free and is passed over.
    if (FC_IS_SECFREE(MD, t, s) && !is_sector_writable(MD, t, s)) {
      warn_unwritable_once(MD, tr, sc);
      return false;
    }
    if (!GETSECT(MD, t, s)) return false;
    if (!is_map_sector(MD, t, s) && !in_use.seen(t, s)) return true;
    report_warning(
        std::string("Выделение сектора: сектор "_w) + std::to_string(tr) + "/" +
        std::to_string(sc) +
        std::string(" отмечен свободным, но занят VTOC или каталогом; отмечен занятым"_w));
    return false;
  };
  for (int step = 1; step <= 2; ++step) {
    const int direction = vt.DIRECTTOTR == 0x01 ? 1 : -1;
    for (int tr = vt.NEXTAVAILTR; tr != 0 && tr <= MD.NUMTR; tr += direction) {
      for (int sc = 31; sc >= 0; --sc) {
        if (taken(tr, sc)) {
          vt.NEXTAVAILTR = static_cast<std::uint8_t>(tr);
          TR = static_cast<std::uint8_t>(tr);
          SC = static_cast<std::uint8_t>(sc);
          return true;
        }
      }
    }
    vt.DIRECTTOTR = static_cast<std::uint8_t>(-direction);
  }
  report_critical("Выделение сектора: закончилось свободное пространство среды."_w);
  return false;
}

int tsl_flaw(const TMEDIA& MD, const TSECTOR& SECTOR) {
  const TTSLSECTOR& b = as<TTSLSECTOR>(SECTOR);
  if (b.R != 0) return 0;
  if (b.TE != 0 && !FC_IS_RANGEOK(MD, b.TE, b.SE)) return 1;
  for (int j = 0; j < 122; ++j)
    if (b.TSL[j][0] != 0 && !FC_IS_RANGEOK(MD, b.TSL[j][0], b.TSL[j][1])) return 12 + 2 * j;
  return -1;
}

bool FC_IS_TSL(TMEDIA& MD, std::uint8_t TR, std::uint8_t SC) {
  return FC_IS_RANGEOK(MD, TR, SC) && tsl_flaw(MD, MD.MASS[TR][SC]) < 0;
}

// FC_IS_SECFREE of every sector, with the map of each track looked up (and its sector
// checked) once for the track rather than once for each of its sectors.
std::uint32_t free_sector_count(TMEDIA& MD) {
  std::uint32_t n = 0;
  for (int tr = 0; tr <= MD.NUMTR; ++tr) {
    const PCARDINAL p = FC_GETVTOCMAP(MD, static_cast<std::uint8_t>(tr));
    if (!p) continue;
    const std::uint32_t mask = p.get();
    for (int sc = 0; sc <= MD.NUMSC && sc < 32; ++sc)
      if ((mask & (*MD.VTOCMASKS)[sc]) != 0) ++n;
  }
  return n;
}

}  // namespace agat
