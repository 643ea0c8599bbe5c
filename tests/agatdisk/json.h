// A small JSON reader for the listings of agatdisk: it accepts exactly the JSON grammar
// (objects, arrays, strings with their escapes, numbers, true, false, null), so a listing
// that is not valid JSON fails the test that reads it.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/cp1251.h"

namespace agat::testing {

struct Json {
  enum Kind { null, boolean, number, string, array, object } kind = null;
  bool flag = false;
  double value = 0;
  std::string text;  // UTF-8
  std::vector<Json> items;
  std::map<std::string, Json> members;

  const Json& operator[](const std::string& key) const {
    const auto it = members.find(key);
    if (kind != object || it == members.end()) throw std::runtime_error("no member " + key);
    return it->second;
  }
  const Json& operator[](std::size_t i) const {
    if (kind != array || i >= items.size()) throw std::runtime_error("no item");
    return items[i];
  }
  int integer() const {
    if (kind != number) throw std::runtime_error("not a number");
    return static_cast<int>(value);
  }
};

class JsonReader {
 public:
  // The value that `text` holds; throws std::runtime_error when it is not JSON.
  static Json parse(std::string_view text) {
    JsonReader r(text);
    Json v = r.value();
    r.space();
    if (r.pos_ != text.size()) r.fail("text after the value");
    return v;
  }

 private:
  explicit JsonReader(std::string_view text) : s_(text) {}

  [[noreturn]] void fail(const char* what) const {
    throw std::runtime_error(std::string(what) + " at " + std::to_string(pos_));
  }
  void space() {
    while (pos_ < s_.size() &&
           (s_[pos_] == ' ' || s_[pos_] == '\n' || s_[pos_] == '\t' || s_[pos_] == '\r'))
      ++pos_;
  }
  bool take(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }
  void expect(char c) {
    space();
    if (pos_ >= s_.size() || s_[pos_] != c) fail("unexpected character");
    ++pos_;
  }

  Json value() {
    space();
    Json v;
    if (pos_ >= s_.size()) fail("no value");
    const char c = s_[pos_];
    if (c == '{') {
      v.kind = Json::object;
      ++pos_;
      space();
      if (take("}")) return v;
      do {
        space();
        const std::string key = string_body();
        expect(':');
        if (!v.members.emplace(key, value()).second) fail("duplicate member");
        space();
      } while (take(","));
      expect('}');
    } else if (c == '[') {
      v.kind = Json::array;
      ++pos_;
      space();
      if (take("]")) return v;
      do v.items.push_back(value());
      while ((space(), take(",")));
      expect(']');
    } else if (c == '"') {
      v.kind = Json::string;
      v.text = string_body();
    } else if (take("true") || take("false")) {
      v.kind = Json::boolean;
      v.flag = s_[pos_ - 1] == 'e' && s_[pos_ - 2] == 'u';
    } else if (take("null")) {
      v.kind = Json::null;
    } else {
      v.kind = Json::number;
      const std::size_t start = pos_;
      if (s_[pos_] == '-') ++pos_;
      if (pos_ >= s_.size() || s_[pos_] < '0' || s_[pos_] > '9') fail("bad number");
      // A leading zero stands alone.
      if (s_[pos_] == '0' && pos_ + 1 < s_.size() && s_[pos_ + 1] >= '0' && s_[pos_ + 1] <= '9')
        fail("leading zero");
      while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
      v.value = std::stod(std::string(s_.substr(start, pos_ - start)));
    }
    return v;
  }

  std::string string_body() {
    if (pos_ >= s_.size() || s_[pos_] != '"') fail("no string");
    ++pos_;
    std::string out;
    while (true) {
      if (pos_ >= s_.size()) fail("open string");
      const char c = s_[pos_++];
      if (c == '"') break;
      if (static_cast<unsigned char>(c) < 0x20) fail("raw control character");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) fail("open escape");
      const char e = s_[pos_++];
      const std::string_view simple = "\"\\/bfnrt", meaning = "\"\\/\b\f\n\r\t";
      if (const auto k = simple.find(e); k != std::string_view::npos) {
        out += meaning[k];
      } else if (e == 'u' && pos_ + 4 <= s_.size()) {
        const std::uint32_t code = std::stoul(std::string(s_.substr(pos_, 4)), nullptr, 16);
        pos_ += 4;
        utf8_append(out, code);
      } else {
        fail("bad escape");
      }
    }
    if (!is_valid_utf8(out)) fail("string is not UTF-8");
    return out;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

}  // namespace agat::testing
