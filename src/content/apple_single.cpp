#include "content/apple_single.h"

#include <algorithm>

#include "core/cp1251_literal.h"

namespace agat {

namespace {

constexpr std::uint32_t kSignature = 0x00051600;
constexpr std::size_t kHead = 26;   // signature, version, 16 filler bytes, entry count
constexpr std::size_t kEntry = 12;  // id, offset, length
constexpr std::uint32_t kDataFork = 1;
constexpr std::uint32_t kProdosInfo = 11;
constexpr std::size_t kProdosInfoSize = 8;  // access, file type (2 bytes each), aux type (4)

std::uint32_t be(std::string_view s, std::size_t at, std::size_t bytes) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < bytes; ++i) v = v << 8 | static_cast<std::uint8_t>(s[at + i]);
  return v;
}

void put_be(std::string& s, std::uint32_t v, std::size_t bytes) {
  for (std::size_t i = bytes; i-- > 0;) s += static_cast<char>(v >> (8 * i) & 0xFF);
}

std::string hex(std::uint32_t v) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[v & 15]);
    v >>= 4;
  } while (v != 0);
  return "$" + text;
}

// The entries an Agat file has no place for, as a warning names them.
std::string entry_name(std::uint32_t id) {
  static constexpr std::pair<std::uint32_t, std::string_view> kNames[] = {
      {2, "ресурсы"_w},
      {3, "имя"_w},
      {4, "комментарий"_w},
      {5, "чёрно-белая пиктограмма"_w},
      {6, "цветная пиктограмма"_w},
      {8, "даты"_w},
      {9, "сведения Finder"_w},
      {10, "сведения Macintosh"_w},
      {12, "сведения MS-DOS"_w},
      {13, "короткое имя"_w},
      {14, "сведения AFP"_w},
      {15, "номер каталога"_w},
  };
  for (const auto& [known, name] : kNames)
    if (known == id) return std::string(name) + " (" + std::to_string(id) + ")";
  return std::string("запись "_w) + std::to_string(id);
}

}  // namespace

bool is_apple_single(std::string_view file) {
  return file.size() >= 4 && be(file, 0, 4) == kSignature;
}

bool unpack_apple_single(std::string_view file, ContainedCode& out, std::string& why) {
  out = {};
  if (!is_apple_single(file) || file.size() < kHead) {
    why = "нет заголовка AppleSingle"_w;
    return false;
  }
  const std::uint32_t version = be(file, 4, 4);
  if (version != 0x00010000 && version != 0x00020000) {
    why = std::string("версия "_w) + hex(version) + std::string(" не поддерживается"_w);
    return false;
  }
  const std::size_t count = be(file, 24, 2);
  if (count > (file.size() - kHead) / kEntry) {
    why = "таблица записей длиннее файла"_w;
    return false;
  }
  bool data = false, info = false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kHead + i * kEntry;
    const std::uint32_t id = be(file, at, 4), offset = be(file, at + 4, 4),
                        length = be(file, at + 8, 4);
    if (offset > file.size() || length > file.size() - offset) {
      why = std::string("запись "_w) + std::to_string(id) + std::string(" за концом файла"_w);
      return false;
    }
    const std::string_view body = file.substr(offset, length);
    if (id == kDataFork || id == kProdosInfo) {
      bool& seen = id == kDataFork ? data : info;
      if (seen) {
        why = std::string("запись "_w) + std::to_string(id) + std::string(" повторяется"_w);
        return false;
      }
      seen = true;
    }
    if (id == kDataFork) {
      out.code = body;
    } else if (id == kProdosInfo) {
      if (body.size() < kProdosInfoSize) {
        why = "сведения ProDOS короче 8 байт"_w;
        return false;
      }
      const std::uint32_t aux = be(body, 4, 4);
      if (aux > 0xFFFF) {
        why = std::string("адрес загрузки "_w) + hex(aux) + std::string(" больше $FFFF"_w);
        return false;
      }
      out.address = static_cast<std::uint16_t>(aux);
    } else {
      out.left_out.push_back(entry_name(id));
    }
  }
  if (!data) why = "нет ветви данных"_w;
  return data;
}

std::string pack_apple_single(std::string_view code, std::uint16_t address) {
  constexpr std::size_t kInfoAt = kHead + 2 * kEntry;
  std::string file;
  put_be(file, kSignature, 4);
  put_be(file, 0x00020000, 4);
  file.append(16, '\0');
  put_be(file, 2, 2);
  const std::uint32_t table[2][3] = {
      {kDataFork, kInfoAt + kProdosInfoSize, static_cast<std::uint32_t>(code.size())},
      {kProdosInfo, kInfoAt, kProdosInfoSize}};
  for (const auto& entry : table)
    for (std::uint32_t field : entry) put_be(file, field, 4);
  put_be(file, 0xC3, 2);
  put_be(file, 0x06, 2);
  put_be(file, address, 4);
  return file.append(code);
}

}  // namespace agat
