#include "core/catalog_sort.h"

#include <array>
#include <utility>

namespace agat {

namespace {

// Renumbers the Cyrillic letters from their KOI code order to alphabetical order.
constexpr std::array<std::uint8_t, 32> T1 = {30, 0,  1,  22, 4,  5,  20, 3,  21, 8,  9,
                                             10, 11, 12, 13, 14, 15, 31, 16, 17, 18, 19,
                                             6,  2,  28, 27, 7,  24, 29, 25, 23, 26};
// Ranks the eight columns of 32 codes.
constexpr std::array<std::uint8_t, 8> T2 = {0, 0, 0xE0, 0x80, 0xC0, 0xC0, 0x40, 0x20};

constexpr std::uint8_t D(std::uint8_t ch) {
  if ((ch & 0x60) == 0x60) ch = static_cast<std::uint8_t>(T1[ch & 0x1F] | (ch & 0xE0));
  return ch ^ T2[ch >> 5];
}

void SORT(TCATREC* e, int L, int R, bool name_prior) {
  const TCATREC X = e[(L + R) / 2];
  int I = L, J = R;
  do {
    while (CMP_CATREC(e[I], X, name_prior)) ++I;
    while (CMP_CATREC(X, e[J], name_prior)) --J;
    if (I <= J) {
      std::swap(e[I], e[J]);
      ++I;
      --J;
    }
  } while (I <= J);
  if (L < J) SORT(e, L, J, name_prior);
  if (I < R) SORT(e, I, R, name_prior);
}

}  // namespace

bool AGATNAME_IS_LESS(const TAGATNAME& N1, const TAGATNAME& N2) {
  for (std::size_t i = 0; i < N1.size(); ++i) {
    const std::uint8_t a = D(N1[i]), b = D(N2[i]);
    if (a != b) return a < b;
  }
  return false;
}

bool CMP_CATREC(const TCATREC& E1, const TCATREC& E2, bool NAME_PRIOR) {
  if (E1.CATRECT != E2.CATRECT) return E1.CATRECT < E2.CATRECT;
  switch (E1.CATRECT) {
    case CRTHOSTFSDIR:
      return E1.HOSTNAME < E2.HOSTNAME;
    case CRTDISKIMAGE:
      if (NAME_PRIOR || E1.IMAGET == E2.IMAGET) return E1.HOSTNAME < E2.HOSTNAME;
      return E1.IMAGET < E2.IMAGET;
    case CRTBTKDIR:
      return AGATNAME_IS_LESS(E1.AGATNAME, E2.AGATNAME);
    case CRTAGATFILE: {
      const int X1 = E1.EXT & 0x7F, X2 = E2.EXT & 0x7F;
      const bool DEL1 = E1.TTSL > MAXTRACK, DEL2 = E2.TTSL > MAXTRACK;
      if (DEL1 != DEL2) return !DEL1;
      const bool names_differ = E1.AGATNAME != E2.AGATNAME;
      if (NAME_PRIOR) {
        if (names_differ) return AGATNAME_IS_LESS(E1.AGATNAME, E2.AGATNAME);
        if (X1 != X2) return X1 < X2;
        return E1.HOSTNAME < E2.HOSTNAME;
      }
      if (X1 != X2) return X1 < X2;
      if (names_differ) return AGATNAME_IS_LESS(E1.AGATNAME, E2.AGATNAME);
      return E1.HOSTNAME < E2.HOSTNAME;
    }
  }
  return false;
}

void FC_SORTCAT(TMEDIA& MD) {
  if (MD.CAT.SORTMODE == SMNO || MD.CAT.CATNUM <= 1) return;
  const bool name_prior = MD.CAT.SORTMODE == SMNAME;
  const int first = MD.CAT.CATREC[0].HOSTNAME == ".." ? 1 : 0;
  if (first < MD.CAT.CATNUM - 1) SORT(MD.CAT.CATREC.data(), first, MD.CAT.CATNUM - 1, name_prior);
}

}  // namespace agat
