#include "core/catalog_sort.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <tuple>
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

using KeyWords = std::array<std::uint64_t, 4>;

// An entry's place in the order as 32 bytes compared from the first on, held as four
// big-endian words so that a comparison takes a few integer compares, not a call; then its
// host name where the bytes tie and the kind of entry looks at host names at all. The bytes
// go in the order in which they decide: the kind (twice its number, plus one for a deleted
// Agat file: deleted entries carry $FF and go after the live ones), then for host images
// their form (unless by name), for Agat files the collated name and type in the order
// sorted by.
struct SortKey {
  KeyWords words{};
  const std::string* host = nullptr;  // nullptr: host names play no part
  std::int32_t index = 0;             // of the entry among those sorted

  bool operator<(const SortKey& other) const {
    // The borrow out of subtracting the keys as one number, the last word first: no branch
    // per word, whose way would be a toss-up for the processor (keys of one catalog often
    // share their first word).
    std::uint64_t borrow = 0, differ = 0;
    for (std::size_t i = words.size(); i-- > 0;) {
      const std::uint64_t a = words[i], b = other.words[i];
      borrow = static_cast<std::uint64_t>(a < b) | static_cast<std::uint64_t>(a - b < borrow);
      differ |= a ^ b;
    }
    if (differ != 0) return borrow != 0;
    return host != nullptr && other.host != nullptr && host != other.host && *host < *other.host;
  }
};

// Eight bytes of memory as a number whose highest byte is the first.
std::uint64_t big_endian(std::uint64_t w) {
  if constexpr (std::endian::native == std::endian::little) {
    w = (w & 0x00FF00FF00FF00FFull) << 8 | (w >> 8 & 0x00FF00FF00FF00FFull);
    w = (w & 0x0000FFFF0000FFFFull) << 16 | (w >> 16 & 0x0000FFFF0000FFFFull);
    w = w << 32 | w >> 32;  // compilers make the three steps one instruction
  }
  return w;
}

// The collated forms of eight codes in a word, each byte for itself. Names are mostly made
// of the codes $80-$DF (Latin capitals, digits, the blank, signs), which D only changes in
// their two top bits, for all eight bytes at once; a word with any other code takes the
// table byte by byte.
std::uint64_t collate8(std::uint64_t x) {
  constexpr std::uint64_t ones = 0x0101010101010101ull;
  if ((x & 0x80 * ones) == 0x80 * ones && (x & (x << 1) & 0x40 * ones) == 0)
    return x ^ (0xC0 * ones) ^ ((x & 0x40 * ones) << 1);
  std::uint64_t d = 0;
  for (int i = 0; i < 64; i += 8) d |= std::uint64_t{COLLATION[(x >> i) & 0xFF]} << i;
  return d;
}

// The words of a name led by `lead`, `lead_bytes` (1 or 2) bytes long, and followed by
// `tail` where one leading byte leaves room for it: the collated 30 bytes of the name are
// made as four words (the last with two zero bytes) and shifted into place.
void put_name(KeyWords& k, std::uint64_t lead, int lead_bytes, const TAGATNAME& name,
              std::uint8_t tail) {
  static_assert(std::tuple_size_v<TAGATNAME> == 30);
  const auto load = [&](std::size_t at) {
    std::uint64_t w;
    std::memcpy(&w, name.data() + at, sizeof w);
    return big_endian(collate8(w));
  };
  const std::uint64_t c[4] = {load(0), load(8), load(16), load(22) << 16};
  const int shift = 8 * lead_bytes;
  k[0] = (lead << (64 - shift)) | (c[0] >> shift);
  for (std::size_t i = 1; i < k.size(); ++i) k[i] = (c[i - 1] << (64 - shift)) | (c[i] >> shift);
  if (lead_bytes == 1) k[3] |= tail;
}

// Fills the key `k` of entry `e` in place (a key made elsewhere and copied in would be
// written and read again in pieces of other sizes, which the processor does slowly).
void put_sort_key(SortKey& k, const TCATREC& e, bool name_prior, std::int32_t index) {
  k.index = index;
  k.words = {};
  k.host = e.CATRECT == CRTBTKDIR ? nullptr : &e.HOSTNAME;
  const std::uint64_t kind = static_cast<std::uint64_t>(e.CATRECT) << 1;
  switch (e.CATRECT) {
    case CRTHOSTFSDIR:
      break;
    case CRTDISKIMAGE:
      k.words[0] = (kind << 56) | (name_prior ? 0 : std::uint64_t{e.IMAGET} << 48);
      break;
    case CRTBTKDIR:
      put_name(k.words, kind, 1, e.AGATNAME, 0);
      break;
    case CRTAGATFILE: {
      const auto type = static_cast<std::uint8_t>(e.EXT & 0x7F);
      const std::uint64_t lead = kind | (e.TTSL > MAXTRACK);
      if (name_prior)
        put_name(k.words, lead, 1, e.AGATNAME, type);
      else
        put_name(k.words, (lead << 8) | type, 2, e.AGATNAME, 0);
      break;
    }
  }
}

// The classic exchange quicksort, whose partition decides the order of entries that
// compare equal; it runs on the keys.
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

// The order of the keys (their places in `keys`) when no two of them have the same words,
// which is then the only order there is: a stable counting sort by each byte, from the
// last to the first, where the bytes that all keys share take no pass. Empty when two keys
// tie in their words: where such keys end up only the exchange quicksort tells.
std::vector<std::int32_t> distinct_order(const std::vector<SortKey>& keys) {
  KeyWords varying{};
  for (const SortKey& k : keys)
    for (std::size_t w = 0; w < varying.size(); ++w) varying[w] |= k.words[w] ^ keys[0].words[w];
  std::vector<std::int32_t> order(keys.size()), next(keys.size());
  std::iota(order.begin(), order.end(), 0);
  for (int byte = 31; byte >= 0; --byte) {
    const std::size_t w = static_cast<std::size_t>(byte / 8);
    const int shift = 56 - 8 * (byte % 8);
    const auto digit = [&](const SortKey& k) { return (k.words[w] >> shift) & 0xFF; };
    if (((varying[w] >> shift) & 0xFF) == 0) continue;
    std::array<std::int32_t, 257> start{};
    for (const SortKey& k : keys) ++start[digit(k) + 1];
    for (std::size_t v = 1; v < start.size(); ++v) start[v] += start[v - 1];
    for (const std::int32_t i : order) next[start[digit(keys[i])]++] = i;
    order.swap(next);
  }
  for (std::size_t i = 1; i < order.size(); ++i)
    if (keys[order[i - 1]].words == keys[order[i]].words) return {};
  return order;
}

// Puts entry e[order[i]] at place i, following each cycle of the permutation.
void apply_order(TCATREC* e, std::vector<std::int32_t>& order) {
  const auto n = static_cast<std::int32_t>(order.size());
  for (std::int32_t start = 0; start < n; ++start) {
    if (order[start] == start) continue;
    TCATREC held = std::move(e[start]);
    std::int32_t to = start;
    while (order[to] != start) {
      const std::int32_t from = order[to];
      e[to] = std::move(e[from]);
      order[to] = to;
      to = from;
    }
    e[to] = std::move(held);
    order[to] = to;
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
  SortKey k1, k2;
  put_sort_key(k1, E1, NAME_PRIOR, 0);
  put_sort_key(k2, E2, NAME_PRIOR, 0);
  return k1 < k2;
}

void FC_SORTCAT(TMEDIA& MD) {
  if (MD.CAT.SORTMODE == SMNO || MD.CAT.CATNUM <= 1) return;
  const bool name_prior = MD.CAT.SORTMODE == SMNAME;
  const int first = MD.CAT.CATREC[0].HOSTNAME == ".." ? 1 : 0;
  if (first >= MD.CAT.CATNUM - 1) return;
  std::vector<SortKey> keys(static_cast<std::size_t>(MD.CAT.CATNUM - first));
  for (int i = first; i < MD.CAT.CATNUM; ++i)
    put_sort_key(keys[static_cast<std::size_t>(i - first)], MD.CAT.CATREC[i], name_prior,
                 i - first);
  std::vector<std::int32_t> order = distinct_order(keys);
  if (order.empty()) {
    SORT(keys.data(), 0, static_cast<int>(keys.size()) - 1);
    for (const SortKey& k : keys) order.push_back(k.index);
  }
  apply_order(&MD.CAT.CATREC[first], order);
}

}  // namespace agat
