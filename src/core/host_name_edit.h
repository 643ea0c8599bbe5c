// Editing a host name as Windows-1251 text without losing its bytes. A host name need
// not have a Windows-1251 form (characters the code page lacks show as "?", and a name
// that is not UTF-8 shows byte for byte), so each character shown keeps the host bytes
// it stands for: the characters the user leaves alone keep them in the new name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace agat {

struct EditableHostName {
  std::string text;                // Windows-1251, as shown and edited
  std::vector<std::string> bytes;  // the host bytes behind each character of `text`
};

EditableHostName editable_host_name(std::string_view host);

// The host name for the text EDITED from PROPOSED, where ORIGIN[i] is the index in
// PROPOSED.text of character i of EDITED, or -1 for a character the user typed (those
// are converted to host bytes); a text left as it was gives the name as it was. False,
// with HOST unchanged, when an edited name cannot be one host name: empty, "." or "..",
// with a character no host name may hold (HOST_NAME_FORBIDDEN: "/" and the zero byte, on
// Windows also "\", ":" ...), or with a typed character that has no Unicode form.
bool host_name_of_edit(const EditableHostName& proposed, std::string_view edited,
                       const std::vector<std::int32_t>& origin, std::string& host);

}  // namespace agat
