#include "content/text_viewer.h"

#include <algorithm>
#include <string>
#include <utility>

namespace agat {

std::array<char, VV_BUFSIZE> BUF;
std::uint32_t CURSOR = 0;
std::uint8_t PREVCOLOR = 0;

namespace {

static_assert(NO_SPACE.size() == 28 && NO_SPACE[2] == '\0' && NO_SPACE[3] == 12);

TextViewHook& view_hook() {
  static TextViewHook hook;
  return hook;
}

}  // namespace

void VV_INIT() {
  CURSOR = 0;
  PREVCOLOR = 0;
}

void VV_ADD_CHAR(char C) {
  if (CURSOR >= VV_BUFSIZE) return;  // closed by the overflow note
  BUF[CURSOR++] = C;
  // The note is written as soon as no more than its own length is left, so it always
  // fits and fills the buffer to its last byte.
  if (CURSOR + NO_SPACE.size() > VV_BUFSIZE - 1) {
    std::copy(NO_SPACE.begin(), NO_SPACE.end(), BUF.begin() + CURSOR);
    CURSOR += NO_SPACE.size();
  }
}

void VV_ADD_STRING(std::string_view S) {
  for (char c : S) VV_ADD_CHAR(c == '\0' ? '?' : c);
}

void VV_ADD_COLOR(std::uint8_t B) {
  if (B == PREVCOLOR) return;
  VV_ADD_CHAR('\0');
  VV_ADD_CHAR(static_cast<char>(B));
  PREVCOLOR = B;
}

void VV_ADD_EOL() {
  VV_ADD_CHAR('\n');
  VV_ADD_CHAR('\0');
  VV_ADD_CHAR(static_cast<char>(PREVCOLOR));
}

void VV_ADD_STRING_EOL(std::string_view S) {
  VV_ADD_STRING(S);
  VV_ADD_EOL();
}

void VV_ADD_LONGINT(std::int32_t V, std::int32_t F) {
  const std::string digits = std::to_string(V);
  for (std::int32_t pad = F - static_cast<std::int32_t>(digits.size()); pad > 0; --pad)
    VV_ADD_CHAR(' ');
  VV_ADD_STRING(digits);
}

void VV_ADD_HEX(std::int32_t V, std::uint8_t N) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  const auto bits = static_cast<std::uint32_t>(V);
  // Digit I counts from the right; digits beyond the 32 bits of V are zeros.
  for (int i = N - 1; i >= 0; --i) VV_ADD_CHAR(i < 8 ? kDigits[(bits >> (4 * i)) & 0xF] : '0');
}

void VV_VIEW() {
  if (view_hook()) view_hook()(BUF.data(), CURSOR);
}

void set_text_view_hook(TextViewHook hook) {
  view_hook() = std::move(hook);
}

}  // namespace agat
