#include "core/host_names.h"

#include <string_view>

#include "core/char_sets.h"
#include "core/cp1251.h"

namespace agat {

namespace {

// Characters that a Windows file name cannot hold. They are refused on every host so
// that a name made here can travel with the file to any other host.
bool is_forbidden_in_name(std::uint8_t c) {
  constexpr std::string_view kForbidden = "\"*:<>?|";
  return c < 32 || kForbidden.find(static_cast<char>(c)) != std::string_view::npos;
}

}  // namespace

std::string AGAT2HOSTFNAME(const TAGATNAME& SRC) {
  // The name is built in Windows-1251 from its last character to its first, so that
  // the trailing blanks can be dropped while leading and inner ones stay.
  std::string name;
  bool taken = false;
  for (std::size_t i = SRC.size(); i-- > 0;) {
    std::uint8_t c = A2L(SRC[i]);
    // 0x98 is the one Windows-1251 code without a character: no host can show it.
    if (c < 32 || c == '/' || c == '\\' || c == 0x98) c = '_';
    if (!taken && c == ' ') continue;
    taken = true;
    name.insert(name.begin(), static_cast<char>(c));
  }
  for (char& c : name)
    if (is_forbidden_in_name(static_cast<std::uint8_t>(c))) c = '_';
  if (name.empty()) return "(space)";
  return cp1251_to_host(name);
}

TAGATNAME HOST2AGATFNAME(const std::string& SRC) {
  // A name that is not UTF-8 was most likely written by a Windows-1251 host: its
  // bytes are taken as they are.
  const std::string local = host_to_cp1251(SRC);
  TAGATNAME out;
  out.fill(AGAT_SPACE);
  for (std::size_t i = 0; i < out.size() && i < local.size(); ++i)
    out[i] = L2A(static_cast<std::uint8_t>(local[i]));
  return out;
}

}  // namespace agat
