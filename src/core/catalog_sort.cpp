#include "core/catalog_sort.h"

#include <array>
#include <cstring>
#include <utility>
#include <vector>

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

// D for every code, so that a name is collated with one look-up a character.
constexpr std::array<std::uint8_t, 256> COLLATION = [] {
  std::array<std::uint8_t, 256> t{};
  for (int ch = 0; ch < 256; ++ch) t[ch] = D(static_cast<std::uint8_t>(ch));
  return t;
}();

// D gives every code its own rank: two names differ exactly when their collated forms do,
// so comparing collated names byte by byte is the whole order of names.
constexpr bool is_one_to_one(const std::array<std::uint8_t, 256>& t) {
  std::array<bool, 256> seen{};
  for (const std::uint8_t v : t) {
    if (seen[v]) return false;
    seen[v] = true;
  }
  return true;
}
static_assert(is_one_to_one(COLLATION));

void collate(const TAGATNAME& name, std::uint8_t* out) {
  for (const std::uint8_t ch : name) *out++ = COLLATION[ch];
}

// An entry's place in the order as bytes compared with memcmp, then its host name where the
// bytes tie and the kind of entry looks at host names at all. The fields go in the order
// in which they decide: the kind, then for host images their form (unless by name), for
// Agat files whether deleted and the collated name and type in the order sorted by.
struct SortKey {
  std::array<std::uint8_t, 33> bytes{};
  const std::string* host = nullptr;  // nullptr: host names play no part
  std::int32_t index = 0;             // of the entry in the catalog

  bool operator<(const SortKey& other) const {
    const int order = std::memcmp(bytes.data(), other.bytes.data(), bytes.size());
    if (order != 0) return order < 0;
    return host != nullptr && other.host != nullptr && *host < *other.host;
  }
};

SortKey sort_key(const TCATREC& e, bool name_prior, std::int32_t index) {
  SortKey k;
  k.index = index;
  k.bytes[0] = e.CATRECT;
  switch (e.CATRECT) {
    case CRTHOSTFSDIR:
      k.host = &e.HOSTNAME;
      break;
    case CRTDISKIMAGE:
      if (!name_prior) k.bytes[1] = e.IMAGET;
      k.host = &e.HOSTNAME;
      break;
    case CRTBTKDIR:
      collate(e.AGATNAME, &k.bytes[1]);
      break;
    case CRTAGATFILE: {
      const auto type = static_cast<std::uint8_t>(e.EXT & 0x7F);
      k.bytes[1] = e.TTSL > MAXTRACK;  // deleted entries carry $FF: after the live ones
      if (name_prior) {
        collate(e.AGATNAME, &k.bytes[2]);
        k.bytes[32] = type;
      } else {
        k.bytes[2] = type;
        collate(e.AGATNAME, &k.bytes[3]);
      }
      k.host = &e.HOSTNAME;
      break;
    }
  }
  return k;
}

// The classic exchange quicksort, whose partition decides the order of entries that
// compare equal; it runs on the keys, and the entries are moved once at the end.
void SORT(SortKey* k, int L, int R) {
  const SortKey X = k[(L + R) / 2];
  int I = L, J = R;
  do {
    while (k[I] < X) ++I;
    while (X < k[J]) --J;
    if (I <= J) {
      std::swap(k[I], k[J]);
      ++I;
      --J;
    }
  } while (I <= J);
  if (L < J) SORT(k, L, J);
  if (I < R) SORT(k, I, R);
}

// Puts entry keys[i].index at place first + i, following each cycle of the permutation.
void apply_order(TCATREC* e, int first, std::vector<SortKey>& keys) {
  const int n = static_cast<int>(keys.size());
  for (int start = 0; start < n; ++start) {
    if (keys[start].index == first + start) continue;
    TCATREC held = std::move(e[first + start]);
    int to = start;
    while (keys[to].index != first + start) {
      const int from = keys[to].index - first;
      e[first + to] = std::move(e[first + from]);
      keys[to].index = first + to;
      to = from;
    }
    e[first + to] = std::move(held);
    keys[to].index = first + to;
  }
}

}  // namespace

bool AGATNAME_IS_LESS(const TAGATNAME& N1, const TAGATNAME& N2) {
  for (std::size_t i = 0; i < N1.size(); ++i) {
    const std::uint8_t a = COLLATION[N1[i]], b = COLLATION[N2[i]];
    if (a != b) return a < b;
  }
  return false;
}

bool CMP_CATREC(const TCATREC& E1, const TCATREC& E2, bool NAME_PRIOR) {
  return sort_key(E1, NAME_PRIOR, 0) < sort_key(E2, NAME_PRIOR, 0);
}

void FC_SORTCAT(TMEDIA& MD) {
  if (MD.CAT.SORTMODE == SMNO || MD.CAT.CATNUM <= 1) return;
  const bool name_prior = MD.CAT.SORTMODE == SMNAME;
  const int first = MD.CAT.CATREC[0].HOSTNAME == ".." ? 1 : 0;
  if (first >= MD.CAT.CATNUM - 1) return;
  std::vector<SortKey> keys;
  keys.reserve(static_cast<std::size_t>(MD.CAT.CATNUM - first));
  for (int i = first; i < MD.CAT.CATNUM; ++i)
    keys.push_back(sort_key(MD.CAT.CATREC[i], name_prior, i));
  SORT(keys.data(), 0, static_cast<int>(keys.size()) - 1);
  apply_order(MD.CAT.CATREC.data(), first, keys);
}

}  // namespace agat
