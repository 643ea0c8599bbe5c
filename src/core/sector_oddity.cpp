#include "core/sector_oddity.h"

#include <string_view>
#include <utility>

#include "core/cp1251_literal.h"
#include "core/world_formats.h"

namespace agat {

std::string oddity_text(std::uint8_t odd) {
  static constexpr std::pair<std::uint8_t, std::string_view> kNames[] = {
      {ODD_EPILOGUE, "эпилог адреса"_w},
      {ODD_XOR_SUM, "сумма XOR"_w},
      {ODD_SYNC_DATA, "метка в данных"_w}};
  std::string text;
  for (const auto& [bit, name] : kNames)
    if ((odd & bit) != 0) text += (text.empty() ? "" : ", ") + std::string(name);
  return text;
}

}  // namespace agat
