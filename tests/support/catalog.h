// Catalog helpers for tests: Agat names from text, entries found by name, and an audit
// that checks an image's VTOC against what its catalogs and files really use.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/catalog_read.h"
#include "core/char_sets.h"
#include "core/cp1251.h"
#include "core/vtoc.h"
#include "core/world_formats.h"

namespace agat::testing {

// The Agat name of a UTF-8 text: converted with L2A and padded with Agat blanks.
inline TAGATNAME agat_name(const std::string& utf8) {
  std::string cp;
  utf8_to_cp1251(utf8, cp);
  TAGATNAME n;
  n.fill(AGAT_SPACE);
  const std::string a = L2A(cp);
  std::copy(a.begin(), a.begin() + std::min<std::size_t>(a.size(), 30), n.begin());
  return n;
}

// An Agat name as UTF-8 text without its trailing blanks.
inline std::string name_text(const TAGATNAME& n) {
  std::string s =
      cp1251_to_utf8(A2L(std::string_view(reinterpret_cast<const char*>(n.data()), 30)));
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

inline TCATREC* find_entry(TMEDIA& md, const std::string& utf8_name) {
  for (int i = 0; i < md.CAT.CATNUM; ++i) {
    TCATREC& e = md.CAT.CATREC[i];
    const bool host = e.CATRECT == CRTHOSTFSDIR || e.CATRECT == CRTDISKIMAGE ||
                      (md.MEDIAT == MDHOSTFS && e.CATRECT == CRTAGATFILE);
    if (host ? e.HOSTNAME == utf8_name : name_text(e.AGATNAME) == utf8_name) return &e;
  }
  return nullptr;
}

// A deleted entry of an image by name: deletion overwrote the last name character.
inline TCATREC* find_deleted(TMEDIA& md, const std::string& utf8_name) {
  const TAGATNAME n = agat_name(utf8_name);
  for (int i = 0; i < md.CAT.CATNUM; ++i) {
    TCATREC& e = md.CAT.CATREC[i];
    if (e.TTSL == 0xFF && std::equal(n.begin(), n.end() - 1, e.AGATNAME.begin())) return &e;
  }
  return nullptr;
}

// Sectors an image really uses: the map sectors, every catalog chain reachable through
// BTK links, and the T/S lists and data sectors of every live file.
class DiskAudit {
 public:
  explicit DiskAudit(TMEDIA& md) : md_(md) {
    used_.insert({17, 0});
    if (md.NUMTR >= 50) used_.insert({50, 0});
    if (md.NUMTR >= 114) used_.insert({114, 0});
    const auto& vt = as<TVTOCSECTOR>(md.MASS[17][0]);
    walk_catalog(vt.TE, vt.SE);
  }

  // Every sector of tracks 1..NUMTR is free in the VTOC exactly when nothing uses it.
  void expect_vtoc_matches() const {
    EXPECT_TRUE(problems_.empty()) << problems_.front();
    std::vector<std::string> wrong;
    for (int t = 1; t <= md_.NUMTR; ++t) {
      for (int s = 0; s <= md_.NUMSC; ++s) {
        const bool used = used_.count({t, s}) != 0;
        if (FC_IS_SECFREE(md_, static_cast<std::uint8_t>(t), static_cast<std::uint8_t>(s)) == used)
          wrong.push_back(std::to_string(t) + "/" + std::to_string(s) +
                          (used ? " used but free" : " unused but taken"));
      }
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size()
                               << " sectors disagree with the VTOC, first: " << wrong.front();
  }

 private:
  bool take(int t, int s, const char* what) {
    if (t > md_.NUMTR || s > md_.NUMSC) {
      problems_.push_back(std::string(what) + " off the disk");
      return false;
    }
    if (!used_.insert({t, s}).second) {
      problems_.push_back(std::string(what) + " " + std::to_string(t) + "/" + std::to_string(s) +
                          " used twice");
      return false;
    }
    return true;
  }

  void walk_catalog(int t, int s) {
    if (catalogs_.count({t, s})) return;
    catalogs_.insert({t, s});
    std::vector<std::pair<int, int>> links;
    while (t != 0) {
      if (!take(t, s, "catalog sector")) return;
      const auto& cs = as<TCATSECTOR>(md_.MASS[t][s]);
      for (const auto& e : cs.CR) {
        if (e.TF == 0 || e.TF == 0xFF) continue;
        if (e.E == 0xFF) {
          links.emplace_back(e.TF, e.SF);
        } else {
          walk_file(e.TF, e.SF);
        }
      }
      t = cs.TE;
      s = cs.SE;
    }
    for (auto [lt, ls] : links) walk_catalog(lt, ls);
  }

  void walk_file(int t, int s) {
    while (t != 0) {
      if (!take(t, s, "T/S list")) return;
      const auto& list = as<TTSLSECTOR>(md_.MASS[t][s]);
      for (const auto& p : list.TSL)
        if (p[0] != 0) take(p[0], p[1], "data sector");  // track 0: a hole
      t = list.TE;
      s = list.SE;
    }
  }

  TMEDIA& md_;
  std::set<std::pair<int, int>> used_;
  std::set<std::pair<int, int>> catalogs_;
  std::vector<std::string> problems_;
};

}  // namespace agat::testing
