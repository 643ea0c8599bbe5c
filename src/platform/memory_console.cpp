#include "platform/memory_console.h"

#include "core/cp1251.h"
#include "platform/crt_keys.h"
#include "platform/oem_frames.h"

namespace agat {

MemoryConsole::MemoryConsole(int width, int height)
    : width_(width), height_(height), cells_(static_cast<std::size_t>(width * height)) {}

void MemoryConsole::goto_xy(int x, int y) {
  x_ = x;
  y_ = y;
}

void MemoryConsole::write(std::string_view text, std::uint8_t attribute, bool oem) {
  for (char c : text) {
    if (x_ >= 1 && x_ <= width_ && y_ >= 1 && y_ <= height_) {
      Cell& cell = cells_[static_cast<std::size_t>((y_ - 1) * width_ + (x_ - 1))];
      const auto b = static_cast<std::uint8_t>(c);
      cell.ch = oem ? unicode_from_oem(b) : unicode_from_cp1251(b);
      cell.attribute = attribute;
    }
    ++x_;
  }
}

void MemoryConsole::clear_screen(std::uint8_t attribute) {
  for (Cell& c : cells_) c = Cell{U' ', attribute};
  x_ = y_ = 1;
}

void MemoryConsole::clear_to_eol(std::uint8_t attribute) {
  if (y_ < 1 || y_ > height_) return;
  for (int x = std::max(x_, 1); x <= width_; ++x)
    cells_[static_cast<std::size_t>((y_ - 1) * width_ + (x - 1))] = Cell{U' ', attribute};
}

std::uint16_t MemoryConsole::read_key() {
  while (true) {
    if (script_.empty()) throw ScriptExhausted();
    Step step = std::move(script_.front());
    script_.pop_front();
    if (step.check) {
      step.check(*this);
      continue;
    }
    if (step.resize) {
      width_ = step.width;
      height_ = step.height;
      cells_.assign(static_cast<std::size_t>(width_ * height_), Cell{});
      ++keys_read_;
      return HKEY_RESIZE;
    }
    ++keys_read_;
    return step.key;
  }
}

void MemoryConsole::keys(std::initializer_list<std::uint16_t> codes) {
  for (std::uint16_t k : codes) script_.push_back(Step{k, nullptr});
}

void MemoryConsole::text(const std::string& utf8) {
  std::string cp;
  utf8_to_cp1251(utf8, cp);
  for (char c : cp) key(static_cast<std::uint8_t>(c));
}

void MemoryConsole::then(std::function<void(MemoryConsole&)> check) {
  script_.push_back(Step{0, std::move(check)});
}

void MemoryConsole::resize(int width, int height) {
  Step step;
  step.resize = true;
  step.width = width;
  step.height = height;
  script_.push_back(std::move(step));
}

const MemoryConsole::Cell& MemoryConsole::cell(int x, int y) const {
  static const Cell outside{};
  if (x < 1 || x > width_ || y < 1 || y > height_) return outside;
  return cells_[static_cast<std::size_t>((y - 1) * width_ + (x - 1))];
}

std::string MemoryConsole::row(int y) const {
  std::string out;
  for (int x = 1; x <= width_; ++x) utf8_append(out, cell(x, y).ch);
  return out;
}

std::string MemoryConsole::row_trimmed(int y) const {
  std::string r = row(y);
  while (!r.empty() && r.back() == ' ') r.pop_back();
  return r;
}

std::string MemoryConsole::screen_text() const {
  std::string out;
  for (int y = 1; y <= height_; ++y) {
    if (y > 1) out += '\n';
    out += row_trimmed(y);
  }
  return out;
}

bool MemoryConsole::contains(const std::string& utf8) const {
  return find_row(utf8) != 0;
}

int MemoryConsole::find_row(const std::string& utf8) const {
  for (int y = 1; y <= height_; ++y)
    if (row(y).find(utf8) != std::string::npos) return y;
  return 0;
}

}  // namespace agat
