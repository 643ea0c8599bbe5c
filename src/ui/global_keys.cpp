#include "ui/global_keys.h"

#include <array>
#include <cstddef>
#include <iterator>

#include "platform/crt_keys.h"
#include "ui/actions_content.h"
#include "ui/actions_files.h"
#include "ui/actions_navigation.h"
#include "ui/actions_transfer.h"
#include "ui/format_items.h"

namespace agat {

namespace {

// Letter keys are case-sensitive Latin letters: they act in the Latin keyboard layout. The
// keys that start an action in a content format come first, from the format items.
// clang-format off
constexpr TACTORKEY kOtherActors[] = {
    {'c',           AC_COMPARE_MS, 0},
    {ctrl_key('C'), AC_COMPARE_MF, 0},
    {HKEY_F5,       AC_COPYMOVE,   0},
    {HKEY_F6,       AC_COPYMOVE,   1},
    {'r',           AC_RENAME,     0},
    {HKEY_F7,       AC_MAKEDIR,    0},
    {HKEY_F8,       AC_DELETE,     0},
    {HKEY_F4,       AC_UNDELETE,   0},
    {HKEY_F11,      AC_CLEANMEDIA, 0},
    {HKEY_F12,      AC_IMMAP,      0},
    {ctrl_key('U'), AC_PAN_CHANGE, 0},
    {'a',           AC_SOME_PATH,  0},
    {ctrl_key('R'), AC_RELOAD,     0},
    {ctrl_key('S'), AC_SORT,       0},
    {'m',           AC_FILE_MAN,   0},
    {HKEY_F10,      AC_EXIT,       0},
};
// clang-format on

constexpr auto kActors = [] {
  std::array<TACTORKEY, format_key_count() + std::size(kOtherActors)> all{};
  std::size_t n = 0;
  for (const FormatItem& item : kFormatItems)
    if (item.key != 0) all[n++] = {item.key, item.route, item.format};
  for (const TACTORKEY& entry : kOtherActors) all[n++] = entry;
  return all;
}();

}  // namespace

std::span<const TACTORKEY> ACTORS() {
  return kActors;
}

bool GK_ISACTOR(std::uint16_t K, T_ACTOR& ACTOR, std::int32_t& ARG) {
  for (const TACTORKEY& entry : kActors) {
    if (entry.KEY == K) {
      ACTOR = entry.ACT;
      ARG = entry.ARG;
      return true;
    }
  }
  return false;
}

}  // namespace agat
