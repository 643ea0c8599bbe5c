#include "content/graph_first_mode.h"

#include <array>
#include <memory>
#include <vector>

#include "content/graph_modes.h"

namespace agat {

namespace {

// A later mode is shown before an earlier one only when its disorder (1 less its coherence:
// the share of unequal neighbours, measured against chance) is at most this part of the
// earlier one's. Unrelated bytes are about as disordered in every mode and stay in the
// first; a picture in the wrong mode is several times as disordered.
constexpr double kClearlyLess = 0.8;

bool is_text_mode(TFILEGFORMAT mode) {
  return mode == FGFTEXT64N || mode == FGFTEXT64I || mode == FGFTEXT32;
}

}  // namespace

double gp_coherence(const TGRAPHSCREEN& SCR, std::int32_t W, std::int32_t H) {
  std::array<std::uint64_t, 256> count{};
  std::uint64_t equal = 0, pairs = 0;
  for (std::int32_t y = 0; y < H; ++y) {
    for (std::int32_t x = 0; x < W; ++x) {
      const std::uint8_t c = SCR.at(x, y);
      ++count[c];
      if (x + 1 < W) ++pairs, equal += SCR.at(x + 1, y) == c;
      if (y + 1 < H) ++pairs, equal += SCR.at(x, y + 1) == c;
    }
  }
  const double pixels = static_cast<double>(W) * H;
  double chance = 0;  // that two pixels taken at random share a colour
  for (std::uint64_t n : count) chance += (n / pixels) * (n / pixels);
  if (pairs == 0 || chance >= 1.0) return 1.0;
  return (static_cast<double>(equal) / static_cast<double>(pairs) - chance) / (1.0 - chance);
}

TFILEGFORMAT gp_first_mode(const TVIDEODATA& DATA) {
  const std::uint32_t loaded = DATA.END > DATA.START ? std::uint32_t(DATA.END - DATA.START) : 0;
  const std::uint32_t size = DATA.SIZE != 0 ? DATA.SIZE : loaded;
  std::vector<TFILEGFORMAT> modes;
  for (int m = 0; m < GRAPHIC_FORMAT_COUNT; ++m)
    if (size != 0 && FGFDESC[static_cast<std::size_t>(m)].SZ == size)
      modes.push_back(static_cast<TFILEGFORMAT>(m));
  if (modes.empty()) return FGFMGR;
  for (TFILEGFORMAT m : modes)
    if (is_text_mode(m)) return modes.front();
  const auto scr = std::make_unique<TGRAPHSCREEN>();
  TFILEGFORMAT best = modes.front();
  double least = 0;
  for (TFILEGFORMAT m : modes) {
    scr->CLEARSCREEN();
    draw_agat(DATA, m, *scr);
    const double disorder = 1.0 - gp_coherence(*scr, FGFDESC[m].W, FGFDESC[m].H);
    if (m == modes.front() || disorder < least * kClearlyLess) best = m, least = disorder;
  }
  return best;
}

}  // namespace agat
