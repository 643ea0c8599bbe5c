#include "core/host_name_edit.h"

#include "core/cp1251.h"
#include "core/host_paths.h"

namespace agat {

EditableHostName editable_host_name(std::string_view host) {
  EditableHostName name;
  // The same reading as host_to_cp1251: UTF-8 character by character, or, for a name
  // that is not UTF-8, byte by byte as Windows-1251.
  const bool utf8 = is_valid_utf8(host);
  for (std::size_t pos = 0; pos < host.size();) {
    const std::size_t start = pos;
    if (utf8) {
      const int b = cp1251_from_unicode(utf8_decode(host, pos));
      name.text += b < 0 ? '?' : static_cast<char>(b);
    } else {
      name.text += host[pos++];
    }
    name.bytes.emplace_back(host.substr(start, pos - start));
  }
  return name;
}

bool host_name_of_edit(const EditableHostName& proposed, std::string_view edited,
                       const std::vector<std::int32_t>& origin, std::string& host) {
  if (origin.size() != edited.size()) return false;
  std::string out;
  for (std::size_t i = 0; i < edited.size(); ++i) {
    const std::int32_t from = origin[i];
    if (from >= 0 && static_cast<std::size_t>(from) < proposed.bytes.size()) {
      out += proposed.bytes[static_cast<std::size_t>(from)];
    } else if (unicode_from_cp1251(static_cast<std::uint8_t>(edited[i])) == 0xFFFD) {
      return false;
    } else {
      out += cp1251_to_host(edited.substr(i, 1));
    }
  }
  // A name left as it was is the name it was, whatever it is (the ".." entry).
  bool unedited = origin.size() == proposed.bytes.size();
  for (std::size_t i = 0; unedited && i < origin.size(); ++i)
    unedited = origin[i] == static_cast<std::int32_t>(i);
  if (!unedited && (out.empty() || out == "." || out == ".." ||
                    out.find_first_of(HOST_NAME_FORBIDDEN) != std::string::npos))
    return false;
  host = std::move(out);
  return true;
}

}  // namespace agat
