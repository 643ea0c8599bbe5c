#include "ui/global_keys.h"

#include <array>

#include "ui/actions_content.h"
#include "ui/actions_navigation.h"
#include "ui/crt_keys.h"

namespace agat {

namespace {

// Letter keys are case-sensitive Latin letters: they act in the Latin keyboard layout.
constexpr TACTORKEY kActors[] = {
    {'c', AC_COMPARE_MS, 0},       {ctrl_key('U'), AC_PAN_CHANGE, 0}, {'a', AC_SOME_PATH, 0},
    {ctrl_key('R'), AC_RELOAD, 0}, {ctrl_key('S'), AC_SORT, 0},       {'m', AC_FILE_MAN, 0},
    {HKEY_F10, AC_EXIT, 0},
};

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
