// Fixtures for the screen tests. ConsoleTest: an in-memory console made the program's
// console, the program's state reset around every test, and helpers
// that read cells of the screen as UTF-8 text. SorbelTest: short forms for the
// end-to-end sessions of the file manager.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/cp1251.h"
#include "platform/memory_console.h"
#include "support/program_state.h"
#include "support/session.h"
#include "ui/main_menu.h"
#include "ui/mywrite.h"

namespace agat::testing {

class ConsoleTest : public ::testing::Test {
 protected:
  // The state is reset before the members of a derived fixture are made, so that a hook
  // one of them installs stays.
  ConsoleTest() {
    reset_program_state();
    use_screen(80, 25);
  }
  void TearDown() override { reset_program_state(); }
  // Replaces the console by a fresh one of the given size.
  MemoryConsole& use_screen(int width, int height) {
    screen_ = std::make_unique<MemoryConsole>(width, height);
    set_console(screen_.get());
    return *screen_;
  }
  MemoryConsole& mc() { return *screen_; }

 private:
  std::unique_ptr<MemoryConsole> screen_;
};

// N cells of row Y from column X, as UTF-8.
inline std::string cells(const MemoryConsole& mc, int x, int y, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) utf8_append(out, mc.cell(x + i, y).ch);
  return out;
}

// The first column of X1..X2 on row Y whose attribute is not A, or 0 when all are A.
inline int first_other_attribute(const MemoryConsole& mc, int x1, int x2, int y, std::uint8_t a) {
  for (int x = x1; x <= x2; ++x)
    if (mc.attribute_at(x, y) != a) return x;
  return 0;
}

// Short forms for the end-to-end sessions of the file manager.
class SorbelTest : public SessionTest {
 protected:
  // Ends the script with F10 and runs the program.
  void quit(const std::vector<std::string>& params = {}) {
    screen->key(HKEY_F10);
    run(params);
  }
  // Checks, at this point of the script, that the screen shows every one of TEXTS.
  void shows(std::vector<std::string> texts) {
    check([texts](MemoryConsole& s) {
      for (const std::string& t : texts) EXPECT_TRUE(s.contains(t)) << t << "\n" << s.screen_text();
    });
  }
  // Checks, at this point of the script, that the rows of the left half from Y on read ROWS.
  void left_rows(int y, std::vector<std::string> rows) {
    check([this, y, rows](MemoryConsole&) {
      for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        EXPECT_EQ(left(y + i), rows[i]) << "row " << y + i;
    });
  }
  // Checks that a dialog titled TITLE is open, then types TEXT into it and Enter.
  void answer(const std::string& title, const std::string& text) {
    shows({title});
    screen->text(text);
    screen->key(KEYCODE_ENTER);
  }
  // Every image the test touched still has a VTOC that matches its catalogs and files.
  void expect_consistent(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      auto md = read_image(name);
      EXPECT_EQ(FC_CRITICALERRORBUFFER, "") << name;
      testing::DiskAudit(*md).expect_vtoc_matches();
    }
  }
  // The contents of file NAME of an image.
  std::vector<std::uint8_t> load(TMEDIA& md, const std::string& name) {
    static TFILEBUF buf;
    TCATREC* e = find_entry(md, name);
    if (e == nullptr) return {};
    FC_LOAD(*e, buf);
    return {buf.begin(), buf.begin() + e->SIZE};
  }
  // Opens the submenu SUBMENU of the main menu and chooses its item ITEM, both found by their
  // labels (UTF-8) in the menu the program shows; a label the menu lacks fails the test.
  void menu(std::string_view submenu, std::string_view item) {
    const auto [sub, entry] = menu_find(main_menu(), submenu);
    const int choice =
        entry != nullptr && entry->IACT == MASUBMENU ? menu_find(entry->PSUBMENU, item).first : 0;
    ASSERT_TRUE(sub > 0 && choice > 0) << "no item \"" << item << "\" in \"" << submenu << "\"";
    screen->key(HKEY_F9);
    for (int i = 1; i < sub; ++i) screen->key(HKEY_DOWN);
    screen->key(KEYCODE_ENTER);
    for (int i = 1; i < choice; ++i) screen->key(HKEY_DOWN);
    screen->key(KEYCODE_ENTER);
  }
  // The place (from 1) and the item labelled LABEL (UTF-8) in the menu that starts with
  // FIRST, or 0 and null.
  static std::pair<int, PMENUITEM> menu_find(PMENUITEM first, std::string_view label) {
    std::string wanted;
    utf8_to_cp1251(label, wanted);
    for (int at = 1; first != nullptr; first = first->INEXTITEM, ++at)
      if (first->ILABEL == wanted) return {at, first};
    return {0, nullptr};
  }
  // Checks, at this point of the script, that cell X, Y has the attribute A.
  void attribute_is(int x, int y, std::uint8_t a) {
    check([=](MemoryConsole& s) { EXPECT_EQ(s.attribute_at(x, y), a) << x << ", " << y; });
  }
  // Checks, at this point of the script, that screen row Y reads TEXT (trimmed).
  void row_is(int y, const std::string& text) {
    check([=](MemoryConsole& s) { EXPECT_EQ(s.row_trimmed(y), text) << "row " << y; });
  }
  // Checks, at this point of the script, that the rows of the right half from Y on read ROWS.
  void right_rows(int y, std::vector<std::string> rows) {
    check([this, y, rows](MemoryConsole&) {
      for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        EXPECT_EQ(right(y + i), rows[i]) << "row " << y + i;
    });
  }
  // The screen column (from 1) at which TEXT starts in row Y: one for every UTF-8 lead
  // byte before it.
  int column_of(const std::string& text, int y) const {
    const std::string r = screen->row(y);
    const auto end = r.begin() + static_cast<std::ptrdiff_t>(std::min(r.find(text), r.size()));
    return 1 + static_cast<int>(
                   std::count_if(r.begin(), end, [](char c) { return (c & 0xC0) != 0x80; }));
  }
};

}  // namespace agat::testing
