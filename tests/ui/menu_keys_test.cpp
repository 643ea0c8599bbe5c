// The keys the menus show beside their items against the key table: a shown key starts the
// item's own action with the item's own argument, and every key of the table is shown by
// the item it acts for.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

#include "core/cp1251.h"
#include "platform/crt_keys.h"
#include "ui/global_keys.h"
#include "ui/main_menu.h"

namespace agat {
namespace {

// The key a menu shows as LABEL: "F1".."F12", "^x" for Ctrl with a letter, or the letter.
std::uint16_t key_of_label(std::string_view label) {
  static const std::map<std::string_view, std::uint16_t> function_keys = {
      {"F1", HKEY_F1}, {"F2", HKEY_F2},   {"F3", HKEY_F3},   {"F4", HKEY_F4},
      {"F5", HKEY_F5}, {"F6", HKEY_F6},   {"F7", HKEY_F7},   {"F8", HKEY_F8},
      {"F9", HKEY_F9}, {"F10", HKEY_F10}, {"F11", HKEY_F11}, {"F12", HKEY_F12}};
  if (const auto f = function_keys.find(label); f != function_keys.end()) return f->second;
  if (label.size() == 2 && label[0] == '^' && label[1] >= 'a' && label[1] <= 'z')
    return ctrl_key(static_cast<char>(label[1] - 'a' + 'A'));
  return label.size() == 1 ? static_cast<std::uint8_t>(label[0]) : 0;
}

TEST(MenuKeys, EveryShownKeyIsTheTableEntryOfItsItem) {
  // Each key shown, with the action and argument of the item that shows it.
  std::map<std::uint16_t, std::pair<T_ACTOR, std::int32_t>> shown;
  int items = 0;
  const auto walk = [&](PMENUITEM first, const auto& self) -> void {
    for (PMENUITEM item = first; item != nullptr; item = item->INEXTITEM) {
      ++items;
      if (item->IACT == MASUBMENU) {
        EXPECT_TRUE(item->IACCEL.empty()) << cp1251_to_utf8(item->ILABEL);
        self(item->PSUBMENU, self);
        continue;
      }
      if (item->IACCEL.empty()) continue;
      SCOPED_TRACE(cp1251_to_utf8(item->ILABEL) + " [" + std::string(item->IACCEL) + "]");
      const std::uint16_t key = key_of_label(item->IACCEL);
      ASSERT_NE(key, 0) << "a key label the menus do not know";
      T_ACTOR actor = nullptr;
      std::int32_t arg = -999;
      ASSERT_TRUE(GK_ISACTOR(key, actor, arg)) << "the key acts for nothing";
      EXPECT_TRUE(actor == item->ROUTE) << "the key starts another action";
      EXPECT_EQ(arg, item->ARG);
      EXPECT_TRUE(shown.emplace(key, std::pair{item->ROUTE, item->ARG}).second)
          << "the key is shown twice";
    }
  };
  walk(main_menu(), walk);
  EXPECT_GT(items, 60);

  std::map<std::uint16_t, int> seen;
  for (const TACTORKEY& entry : ACTORS()) {
    SCOPED_TRACE(entry.KEY);
    EXPECT_EQ(++seen[entry.KEY], 1) << "a later entry for the key is never reached";
    const auto item = shown.find(entry.KEY);
    ASSERT_NE(item, shown.end()) << "no menu item shows the key";
    EXPECT_TRUE(item->second.first == entry.ACT);
    EXPECT_EQ(item->second.second, entry.ARG);
  }
  EXPECT_EQ(shown.size(), ACTORS().size());
}

}  // namespace
}  // namespace agat
