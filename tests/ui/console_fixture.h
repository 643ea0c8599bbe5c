// A test fixture for screen code: an in-memory console made the program's console, the
// output cache and the console state reset around every test, and helpers that read
// cells of the screen as UTF-8 text.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/cp1251.h"
#include "ui/memory_console.h"
#include "ui/mywrite.h"

namespace agat::testing {

class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MDROPCACHE();
    TEXTATTR = 0x07;
    CONSOLEENCODINGENABLE = true;
    use_screen(80, 25);
  }
  void TearDown() override {
    MDROPCACHE();
    set_console(nullptr);
  }

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

// Text in the program's code page from readable UTF-8.
inline std::string cp(std::string_view utf8) {
  std::string out;
  utf8_to_cp1251(utf8, out);
  return out;
}

}  // namespace agat::testing
